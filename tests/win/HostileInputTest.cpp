// The defined answers to hostile input, in tables: every message of the control
// that takes an address, sent with NULL; out-of-range lines and indexes; buffers
// of sizes 0, 1, 2 and 5, whose bytes past the size must stay untouched.
// Each row holds the answer the message reference documents, and whether the text
// may change; after every row the stored document keeps its shape and every other
// byte of the text is as it was.
#include <richedit.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "win/support/Hostile.h"
#include "win/support/TestHost.h"

namespace qvtest {
namespace {

constexpr LPARAM kNull = 0;
constexpr WPARAM kHuge = 0x7FFFFFFF;
constexpr WPARAM kMinus1 = static_cast<WPARAM>(-1);

struct Row {
    const char* what;
    UINT msg;
    WPARAM w;
    LPARAM l;
    LRESULT answer;
    bool edits = false;  // NULL text is the empty text: the selection is deleted
};

// The text every row starts from: three lines, the caret in "beta".
const char kText[] = "alpha one\r\nbeta two\r\ngamma";

// Records whose own address is NULL.
EDITSTREAM gNoCallback = {0, 0, nullptr};
FINDTEXTA gNoPattern = {{0, -1}, nullptr};
FINDTEXTEXA gNoPatternEx = {{0, -1}, nullptr, {0, 0}};
TEXTRANGEA gNoBuffer = {{0, 5}, nullptr};
const char* gNoPatterns[2] = {nullptr, nullptr};

const Row kNullRows[] = {
    {"EM_STREAMIN, NULL pfnCallback", EM_STREAMIN, SF_TEXT | SFF_SELECTION, reinterpret_cast<LPARAM>(&gNoCallback), 0},
    {"EM_STREAMOUT, NULL pfnCallback", EM_STREAMOUT, SF_TEXT, reinterpret_cast<LPARAM>(&gNoCallback), 0},
    {"EM_FINDTEXT, NULL lpstrText", EM_FINDTEXT, FR_DOWN, reinterpret_cast<LPARAM>(&gNoPattern), -1},
    {"EM_FINDTEXTEX, NULL lpstrText", EM_FINDTEXTEX, FR_DOWN, reinterpret_cast<LPARAM>(&gNoPatternEx), -1},
    {"EM_GETTEXTRANGE, NULL lpstrText", EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&gNoBuffer), 0},
    {"EMX_MARKBLOCKS, NULL patterns", EMX_MARKBLOCKS, 0, reinterpret_cast<LPARAM>(gNoPatterns), 0},
    {"EMX_FOLDALL, NULL patterns", EMX_FOLDALL, 0, reinterpret_cast<LPARAM>(gNoPatterns), 0},
    {"WM_GETTEXT, NULL buffer", WM_GETTEXT, 100, kNull, 0},
    {"EM_GETSEL, NULL cells", EM_GETSEL, 0, kNull, (13 & 0xFFFF) | (15 << 16)},
    {"EM_REPLACESEL, NULL text", EM_REPLACESEL, 1, kNull, 0, true},
    {"EM_GETLINE, NULL buffer", EM_GETLINE, 1, kNull, 0},
    {"EM_POSFROMCHAR, NULL point", EM_POSFROMCHAR, 0, 0, 0},
    {"EM_CHARFROMPOS, NULL point", EM_CHARFROMPOS, 0, kNull, 0},
    {"EM_EXGETSEL, NULL range", EM_EXGETSEL, 0, kNull, 0},
    {"EM_EXSETSEL, NULL range", EM_EXSETSEL, 0, kNull, 0},
    {"EM_FINDTEXT, NULL record", EM_FINDTEXT, FR_DOWN, kNull, -1},
    {"EM_FINDTEXTEX, NULL record", EM_FINDTEXTEX, FR_DOWN, kNull, -1},
    {"EM_GETSELTEXT, NULL buffer", EM_GETSELTEXT, 0, kNull, 0},
    {"EM_STREAMIN, NULL record", EM_STREAMIN, SF_TEXT, kNull, 0},
    {"EM_STREAMOUT, NULL record", EM_STREAMOUT, SF_TEXT, kNull, 0},
    {"EM_GETTEXTRANGE, NULL record", EM_GETTEXTRANGE, 0, kNull, 0},
    {"EM_GETTEXTLENGTHEX, NULL record", EM_GETTEXTLENGTHEX, 0, 0, 24},  // GTL_DEFAULT
    {"EMX_SETHOSTWINDOWS, NULL", EMX_SETHOSTWINDOWS, 0, kNull, 0},
    {"EMX_SETKEYWORDS, NULL", EMX_SETKEYWORDS, 0x01000000, kNull, 0},
    {"EMX_SETFONTS, NULL", EMX_SETFONTS, 0, kNull, 0},
    {"EMX_GETFONTS, NULL", EMX_GETFONTS, 0, kNull, 0},
    {"EMX_SETCOLORS, NULL", EMX_SETCOLORS, 0, kNull, 0},
    {"EMX_GETCOLORS, NULL", EMX_GETCOLORS, 0, kNull, 0},
    {"EMX_ENUMMARKERS, NULL", EMX_ENUMMARKERS, 0, kNull, 0},
    {"EMX_SETMARKERCALLBACK, NULL", EMX_SETMARKERCALLBACK, 0, kNull, 0},
    {"EMX_MARKBLOCKS, NULL", EMX_MARKBLOCKS, 0, kNull, 0},
    {"EMX_MATCHBLOCKPATTERN, NULL", EMX_MATCHBLOCKPATTERN, 0, kNull, -1},
    {"EMX_GETWORD, NULL buffer", EMX_GETWORD, 100, kNull, 0},
    {"EMX_FOLDBLOCK, NULL patterns", EMX_FOLDBLOCK, 0, kNull, 0},
    {"EMX_FOLDALL, NULL patterns", EMX_FOLDALL, 0, kNull, 0},
    {"EMX_SUBCLASSPANES, NULL", EMX_SUBCLASSPANES, 0, kNull, 0},  // refused: the panes keep their procedure
};

const Row kRangeRows[] = {
    {"EM_LINEINDEX past the last line", EM_LINEINDEX, kHuge, 0, 19},  // the last line's start
    {"EM_LINELENGTH past the end", EM_LINELENGTH, kHuge, 0, 5},  // the last line's
    {"EM_LINEFROMCHAR past the end", EM_LINEFROMCHAR, kHuge, 0, 2},
    {"EM_EXLINEFROMCHAR past the end", EM_EXLINEFROMCHAR, 0, 0x7FFFFFFF, 2},
    {"EM_SETSEL past the end", EM_SETSEL, kMinus1, 0x7FFFFFFF, 0},
    {"EM_LINESCROLL by huge counts", EM_LINESCROLL, kHuge, 0x7FFFFFFF, 1},
    {"EMX_SETMARKER past the last line", EMX_SETMARKER, kHuge, 5, 0},
    {"EMX_GETMARKER past the last line", EMX_GETMARKER, kHuge, 0, -1},
    {"EMX_SETLINEHILITE past the last line", EMX_SETLINEHILITE, kHuge, 3, 0},
    {"EMX_GETLINEHILITE past the last line", EMX_GETLINEHILITE, kHuge, 0, -1},
    {"EMX_SETLINELOCK past the last line", EMX_SETLINELOCK, kHuge, 1, 0},
    {"EMX_ISLINELOCKED past the last line", EMX_ISLINELOCKED, kHuge, 0, 0},
    {"EMX_SETLINEHIDDEN past the last line", EMX_SETLINEHIDDEN, kHuge, 1, 0},
    {"EMX_ISLINEHIDDEN past the last line", EMX_ISLINEHIDDEN, kHuge, 0, 0},
    {"EMX_REDRAWLINE past the last line", EMX_REDRAWLINE, kHuge, 0, 0},
    {"EMX_NEXTMARKER past the last line", EMX_NEXTMARKER, kHuge, 5, -1},
    {"EMX_PREVMARKER past the last line", EMX_PREVMARKER, kHuge, 5, -1},
    {"EMX_UNFOLDBLOCK past the last line", EMX_UNFOLDBLOCK, kHuge, 0, 0},
    {"EM_GETLINE past the last line", EM_GETLINE, kHuge, 0, 0},
    {"EMX_SETLINEENDS with -1", EMX_SETLINEENDS, kMinus1, 0, -1},
    {"EMX_SETLINEENDS with a found-only value", EMX_SETLINEENDS, QV_LINEENDS_MIXED, 0, -1},
    {"EMX_SETLINEENDS with an unknown flag", EMX_SETLINEENDS, QV_LINEENDS_LF | 0x20, 0, -1},
    {"EMX_SETLINEENDS as a menu command", WM_COMMAND, EMX_SETLINEENDS, 0, -1},  // wParam is its number
};

class HostileInputTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        ASSERT_TRUE(MakeControl(400, 200));
    }
    void Prepare() {
        Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kText));
        Send(EM_SETSEL, 13, 15);
    }
    void RunRows(const Row* rows, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            const Row& row = rows[i];
            Prepare();
            const std::string before = StoredText(control);
            CHARRANGE selected = {}, after = {};
            Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selected));
            const LRESULT answer = Send(row.msg, row.w, row.l);
            std::printf("%-44s answers %ld\n", row.what, static_cast<long>(answer));
            EXPECT_EQ(answer, row.answer) << row.what;
            EXPECT_EQ(DocumentFault(control), "") << row.what;
            Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&after));
            if (row.msg != EM_SETSEL && !row.edits) {
                EXPECT_EQ(after.cpMin, selected.cpMin) << row.what << ": the selection";
                EXPECT_EQ(after.cpMax, selected.cpMax) << row.what << ": the selection";
            }
            if (row.edits) {
                EXPECT_EQ(StoredText(control), "alpha one\rbettwo\rgamma\r") << row.what;
            } else {
                EXPECT_EQ(StoredText(control), before) << row.what;
            }
            // The control still types through its pane, and undoes.
            Send(EM_SETSEL, 0, 0);
            Send(WM_CHAR, 'z', 1);
            EXPECT_EQ(StoredText(control).substr(0, 6), "zalpha") << row.what << ": typing afterwards";
            EXPECT_EQ(Send(EM_UNDO), 1) << row.what;
        }
    }
};

TEST_F(HostileInputTest, PointerMessagesWithNullAnswerAsDocumented) {
    RunRows(kNullRows, sizeof kNullRows / sizeof *kNullRows);
}

TEST_F(HostileInputTest, OutOfRangeLinesAndIndexesAnswerAsDocumented) {
    RunRows(kRangeRows, sizeof kRangeRows / sizeof *kRangeRows);
}

// WM_GETTEXT's count, EMX_GETWORD's size and EM_GETLINE's capacity word bound what
// is written: nothing past them, and a NUL inside them where the message writes one.
TEST_F(HostileInputTest, BufferSizesAreNeverExceeded) {
    Prepare();
    Send(EM_SETSEL, 3, 3);  // the caret in "alpha"
    for (uint32_t size : {0u, 1u, 2u, 5u}) {
        struct Sized {
            const char* what;
            UINT msg;
            bool nul;  // a NUL ends what is written
        };
        for (const Sized& m : {Sized{"WM_GETTEXT", WM_GETTEXT, true}, Sized{"EMX_GETWORD", EMX_GETWORD, true},
                               Sized{"EM_GETLINE", EM_GETLINE, false}}) {
            char buffer[32];
            std::memset(buffer, 'Z', sizeof buffer);
            WPARAM w = size;
            if (m.msg == EM_GETLINE) {
                const WORD capacity = static_cast<WORD>(size);
                std::memcpy(buffer, &capacity, 2);
                w = 0;  // the line
            }
            const LRESULT n = Send(m.msg, w, reinterpret_cast<LPARAM>(buffer));
            const uint32_t limit = m.msg == EM_GETLINE && size < 2 ? 2 : size;  // the capacity word's own bytes
            for (uint32_t i = limit; i < sizeof buffer; ++i)
                ASSERT_EQ(buffer[i], 'Z') << m.what << " size " << size << ": byte " << i << " written";
            if (m.nul) {
                EXPECT_LE(n, size == 0 ? 0 : static_cast<LRESULT>(size) - 1) << m.what << " size " << size;
                if (size > 0) {
                    EXPECT_EQ(buffer[n], '\0') << m.what << " size " << size;
                }
            } else {
                EXPECT_EQ(n, static_cast<LRESULT>(size < 5 ? size : 5)) << m.what << " size " << size;
                EXPECT_EQ(std::string(buffer, n), std::string("alpha one").substr(0, n)) << m.what;
            }
        }
    }
}

}  // namespace
}  // namespace qvtest
