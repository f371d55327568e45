// The record sent to the parent for changes of text, selection and view.
#include <string>
#include <vector>

#include "core/support/CoreFixture.h"
#include "core/support/DocumentBuilder.h"
#include "edit/Notify.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv::test {
namespace {

class NotifyTest : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        ed->controlId = 77;
    }
    void Lines(uint32_t n) {
        std::vector<std::string> lines;
        for (uint32_t i = 0; i < n; ++i) lines.push_back("line " + std::to_string(i) + "\r");
        BuildLines(*ed, lines);
    }
    const SelChangeInfo& Last() { return platform.notifications.back().second; }
    uint32_t LastWParam() { return platform.notifications.back().first; }
};

TEST_F(NotifyTest, ASelectionChangeDescribesTheCaretsLine) {
    BuildLines(*ed, {"ab\r", "cdef\r", "g\r"});
    ed->hiddenLineCount = 1;
    ed->selAnchor = 7;  // anchor and caret are reported as they are, not ordered
    ed->caretPos = 4;
    NotifyParent(*ed, kReasonSelChange);
    ASSERT_EQ(platform.notifications.size(), 1u);
    const SelChangeInfo& info = Last();
    EXPECT_EQ(LastWParam(), 77u);
    EXPECT_EQ(info.hwndFrom, ed->hwnd);
    EXPECT_EQ(info.idFrom, 77u);
    EXPECT_EQ(info.code, 0x702u);
    EXPECT_EQ(info.anchor, 7u);
    EXPECT_EQ(info.caret, 4u);
    EXPECT_EQ(info.reason, 1);
    EXPECT_EQ(info.line, 1u);
    EXPECT_EQ(info.lineLength, 5u);
    EXPECT_EQ(info.lineStart, 3u);
    EXPECT_EQ(info.lineRecord, ed->lineHeap + RecordOffset(*ed, 1));
    EXPECT_EQ(info.lastLine, 2u);
    EXPECT_EQ(info.hiddenLines, 1u);
    EXPECT_EQ(info.changed, 0u);
    EXPECT_EQ(info.page, 0u);
    EXPECT_EQ(ed->curLine, 1u);  // the caret's line became the current line

    ed->caretPos = 1000;  // past the end: the last line
    NotifyParent(*ed, kReasonSelChange);
    EXPECT_EQ(Last().line, 2u);
    EXPECT_EQ(Last().lineStart, 8u);
}

TEST_F(NotifyTest, TheChangedFlagReportsEachChangeOnce) {
    Lines(3);
    ed->changeCount += 1;  // typing one character
    NotifyParent(*ed, kReasonSelChange);
    EXPECT_EQ(Last().changed, 1u);
    NotifyParent(*ed, kReasonSelChange);  // moving the caret afterwards
    EXPECT_EQ(Last().changed, 0u);
    ed->changeCount += 2;  // two edits between notifications
    NotifyParent(*ed, kReasonViewMoved);
    EXPECT_EQ(Last().changed, 1u);
    NotifyParentOfScroll(*ed, 1);
    EXPECT_EQ(Last().changed, 0u);
    ed->changeCount = 0xFFFFFFFFu;  // the counts wrap; only their difference matters
    NotifyParent(*ed, kReasonSelChange);
    EXPECT_EQ(Last().changed, 1u);
    EXPECT_EQ(ed->notifiedChangeCount, 0xFFFFFFFFu);
}

TEST_F(NotifyTest, PagesAndThePlaceWithinThePage) {
    Lines(130);
    ed->linesPerPage = 50;
    ed->caretPos = LineStart(*ed, 120) + 2;
    NotifyParent(*ed, kReasonSelChange);
    EXPECT_EQ(Last().line, 120u);
    EXPECT_EQ(Last().page, 2u);
    EXPECT_EQ(LastWParam(), 20u);   // 120 mod 50
    EXPECT_EQ(Last().idFrom, 77u);  // the record keeps the control's id
    ed->caretPos = LineStart(*ed, 49);
    NotifyParent(*ed, kReasonSelChange);
    EXPECT_EQ(Last().page, 0u);
    EXPECT_EQ(LastWParam(), 49u);
    NotifyParentOfScroll(*ed, 100);  // the scroll's reported line decides both
    EXPECT_EQ(Last().page, 2u);
    EXPECT_EQ(LastWParam(), 0u);
}

TEST_F(NotifyTest, AViewMoveReportsTheLineItIsGiven) {
    Lines(10);
    LocateChar(*ed, LineStart(*ed, 6));
    ed->caretPos = LineStart(*ed, 2);
    // A margin drag reports the current line as it stands, not the caret's.
    NotifyParent(*ed, kReasonViewMoved);
    EXPECT_EQ(Last().reason, 1234);
    EXPECT_EQ(Last().line, 6u);
    EXPECT_EQ(ed->curLine, 6u);
    // A scroll reports the top line + 1 and leaves the current-line cache alone,
    // since the parent may query the control meanwhile.
    const uint32_t record = ed->curRecord, start = ed->curLineStart;
    NotifyParentOfScroll(*ed, 4);
    EXPECT_EQ(Last().reason, 1234);
    EXPECT_EQ(Last().line, 4u);
    EXPECT_EQ(Last().lineStart, start);
    EXPECT_EQ(Last().lineRecord, ed->lineHeap + record);
    EXPECT_EQ(LastWParam(), 77u);
    EXPECT_EQ(ed->curLine, 6u);
    EXPECT_EQ(ed->curRecord, record);
    EXPECT_EQ(ed->curLineStart, start);
}

TEST_F(NotifyTest, AScrollBarMoveSendsOnlyTheTopLine) {
    Lines(40);
    ed->panes[1].topLine = 17;
    ed->panes[0].topLine = 3;
    ed->selAnchor = ed->caretPos = 12;
    ed->linesPerPage = 5;
    ed->changeCount = 9;
    NotifyScrollBarScroll(*ed, ed->panes[1].hwnd);
    ASSERT_EQ(platform.notifications.size(), 1u);
    const SelChangeInfo& info = Last();
    EXPECT_EQ(LastWParam(), 0u);
    EXPECT_EQ(info.hwndFrom, ed->hwnd);
    EXPECT_EQ(info.idFrom, 77u);
    EXPECT_EQ(info.code, 0x702u);
    EXPECT_EQ(info.reason, 44);
    EXPECT_EQ(info.line, 17u);
    EXPECT_EQ(info.anchor, 0u);
    EXPECT_EQ(info.caret, 0u);
    EXPECT_EQ(info.lineRecord, nullptr);
    EXPECT_EQ(info.lastLine, 0u);
    EXPECT_EQ(info.changed, 0u);
    EXPECT_EQ(info.page, 0u);
    EXPECT_EQ(ed->notifiedChangeCount, 0u);  // the change is still to be reported
    NotifyScrollBarScroll(*ed, ed->panes[0].hwnd);
    EXPECT_EQ(Last().line, 3u);
}

}  // namespace
}  // namespace qv::test
