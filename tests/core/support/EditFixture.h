// A control's record holding a fresh document (one line: its closing CR), and
// helpers to set up text and selections and to read the document and the undo log
// back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/support/CoreFixture.h"
#include "core/support/DocumentBuilder.h"
#include "command/DocumentCommands.h"
#include "edit/EditState.h"
#include "edit/TextEdit.h"
#include "edit/UndoLog.h"
#include "pane/MouseState.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv::test {

// A second control beside the fixture's, with a document of its own.
class OtherControl {
public:
    explicit OtherControl(const char* text, uintptr_t windows = 0x1000) : record_(NewControlRecord(windows)) {
        EXPECT_TRUE(CreateStore(ed) && InsertEndMark(ed) && SetWholeText(ed, text));
    }
    ~OtherControl() { DestroyStore(ed); }
    OtherControl(const OtherControl&) = delete;
    OtherControl& operator=(const OtherControl&) = delete;

private:
    std::unique_ptr<ControlRecord> record_;

public:
    EditorInstance& ed = record_->ed;
};

class EditFixture : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        ASSERT_TRUE(InsertEndMark(*ed));
        platform.ClearRecords();
    }

    // Stored text: one CR per line end, the closing CR included.
    std::string Text() const { return StoredText(*ed); }
    std::vector<std::string> Lines() const { return StoredLines(*ed); }

    // A new document holding `text` (CR LF or CR line ends), its log empty.
    void SetText(const std::string& text) {
        ASSERT_TRUE(SetWholeText(*ed, text.c_str()));
        platform.ClearRecords();
    }
    void Select(CharIndex anchor, CharIndex caret) {
        ed->selAnchor = anchor;
        ed->caretPos = caret;
    }
    void ExpectSelection(CharIndex anchor, CharIndex caret) const {
        EXPECT_EQ(ed->selAnchor, anchor);
        EXPECT_EQ(ed->caretPos, caret);
    }

    // The undo records from the oldest to the newest.
    std::vector<UndoRecord> Records() const {
        std::vector<UndoRecord> records;
        uint32_t end = ed->undoLogUsed;
        while (end != 0) {
            UndoRecord rec;
            uint32_t start = Load32(ed->undoLog + end);
            if (!ReadUndoRecord(*ed, start, rec) || rec.end != end) {
                ADD_FAILURE() << "broken undo chain at " << end;
                break;
            }
            records.insert(records.begin(), rec);
            end = start;
        }
        return records;
    }
    static std::string RecordText(const UndoRecord& rec) {
        return std::string(reinterpret_cast<const char*>(rec.chars), rec.count);
    }
    uint32_t UndoField(uint32_t offset) const { return Load32(ed->undoLog + offset); }

    // Every line ends with its one CR, the last one too, and holds no other CR;
    // hiddenLineCount counts the hidden lines.
    void ExpectWellFormed() const {
        uint32_t hidden = 0;
        for (LineNumber line = 0; line < LineCount(*ed); ++line) {
            LineRecordView rec = LineRecordOf(*ed, line);
            ASSERT_GE(rec.length(), 1u) << "line " << line;
            ASSERT_LE(rec.length() + kRecChars, rec.size()) << "line " << line;
            for (uint32_t i = 0; i + 1 < rec.length(); ++i) ASSERT_NE(rec.chars()[i], kCR) << "line " << line;
            ASSERT_EQ(rec.chars()[rec.length() - 1], kCR) << "line " << line;
            if (rec.flags() & kFlagHidden) ++hidden;
        }
        EXPECT_EQ(ed->hiddenLineCount, hidden);
    }
};

}  // namespace qv::test
