// The public header, as C and as C++: the same records, sizes and numbers.
#include <cstddef>

#include "quorvane.h"
#include "win/support/TestHost.h"

extern "C" size_t HeaderC_SelChangeExSize(void);
extern "C" size_t HeaderC_PageOffset(void);
extern "C" size_t HeaderC_CurrentIdOffset(void);
extern "C" unsigned HeaderC_Message(int which);

static_assert(sizeof(SelChangeEx) == 54, "SelChangeEx is 54 packed bytes");
static_assert(offsetof(SelChangeEx, reason) == 20 && offsetof(SelChangeEx, line) == 22, "reason, line");
static_assert(sizeof(FontSet) == 24 && sizeof(ColorSet) == 108, "font and colour records");
static_assert(sizeof(MarkerEnumeration) == 84, "ten pairs and the current id");

TEST(HeaderTest, CAndCppAgreeOnTheRecords) {
    EXPECT_EQ(HeaderC_SelChangeExSize(), sizeof(SelChangeEx));
    EXPECT_EQ(HeaderC_PageOffset(), offsetof(SelChangeEx, page));
    EXPECT_EQ(HeaderC_CurrentIdOffset(), offsetof(MarkerEnumeration, currentId));
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
