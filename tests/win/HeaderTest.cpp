// The public header, as C and as C++: the same records, sizes and numbers. (The
// interface check compares the header with the MASM include and the Pascal unit.)
#include <cstddef>
#include <cstdio>

#include "quorvane.h"
#include "win/support/TestHost.h"

extern "C" size_t HeaderC_Layout(int which);
extern "C" unsigned HeaderC_Message(int which);
extern "C" const char* HeaderC_Version(void);

static_assert(sizeof(SelChangeEx) == 54, "SelChangeEx is 54 packed bytes");
static_assert(offsetof(SelChangeEx, reason) == 20 && offsetof(SelChangeEx, line) == 22, "reason, line");
static_assert(sizeof(FontSet) == 24 && sizeof(ColorSet) == 108, "font and colour records");
static_assert(sizeof(MarkerEnumeration) == 84, "ten pairs and the current id");
static_assert(sizeof(LineRecordHeader) == 20 && sizeof(HostWindows) == 24, "line header, host windows");

TEST(HeaderTest, CAndCppAgreeOnTheRecords) {
    const size_t cpp[] = {
        sizeof(SelChangeEx), offsetof(SelChangeEx, anchor), offsetof(SelChangeEx, caret),
        offsetof(SelChangeEx, reason), offsetof(SelChangeEx, line), offsetof(SelChangeEx, lineLength),
        offsetof(SelChangeEx, lineStart), offsetof(SelChangeEx, lineRecord), offsetof(SelChangeEx, lastLine),
        offsetof(SelChangeEx, hiddenLines), offsetof(SelChangeEx, changed), offsetof(SelChangeEx, page),
        sizeof(LineRecordHeader), offsetof(LineRecordHeader, size), offsetof(LineRecordHeader, flags),
        offsetof(LineRecordHeader, markerId), offsetof(LineRecordHeader, markerLine),
        sizeof(FontSet), sizeof(ColorSet), sizeof(BlockPatternPair), offsetof(BlockPatternPair, end),
        sizeof(MarkerPair), offsetof(MarkerPair, line), sizeof(MarkerEnumeration),
        offsetof(MarkerEnumeration, currentId), sizeof(HostWindows),
    };
    const size_t expected[] = {54, 12, 16, 20, 22, 26, 30, 34, 38, 42, 46, 50, 20, 4, 8,
                               12, 16, 24, 108, 8, 4, 8, 4, 84, 80, 24};
    static_assert(sizeof cpp == sizeof expected, "one expectation per entry");
    for (int i = 0; i < static_cast<int>(sizeof cpp / sizeof cpp[0]); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cpp[i], expected[i]);
        EXPECT_EQ(HeaderC_Layout(i), cpp[i]);
    }
}

TEST(HeaderTest, MessageNumbersAreTheControls) {
    EXPECT_EQ(HeaderC_Message(0), 0x13A0u);
    EXPECT_EQ(HeaderC_Message(1), 0x13A2u);
    EXPECT_EQ(HeaderC_Message(2), 0x13C6u);
    EXPECT_EQ(HeaderC_Message(3), 0x13DBu);
    EXPECT_EQ(HeaderC_Message(4), 0x2B0Fu);
    EXPECT_EQ(QVN_SELCHANGE, 0x702);
    EXPECT_EQ(QV_REASON_CHANGE, 1);
    EXPECT_EQ(QV_REASON_SCROLL, 1234);
    EXPECT_EQ(QV_REASON_SCROLLBAR, 44);
}

TEST(HeaderTest, VersionStringSpellsTheNumbers) {
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, "%d.%d.%d", QUORVANE_VERSION_MAJOR, QUORVANE_VERSION_MINOR,
                  QUORVANE_VERSION_PATCH);
    EXPECT_STREQ(HeaderC_Version(), numbers);
    EXPECT_STREQ(QUORVANE_VERSION_STRING, numbers);
}
