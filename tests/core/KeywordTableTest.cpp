// The keyword table: its bytes, chains, case folding, flags, growth and reset.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/support/FakePlatform.h"
#include "render/KeywordTable.h"
#include "store/LineRecord.h"

namespace qv::test {
namespace {

struct Entry {
    uint32_t length, next, group, flag;
    std::string chars;
    uint8_t terminator;
};

class KeywordTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallPlatform(&platform);
        ASSERT_TRUE(CreateKeywordStorage());
    }
    void TearDown() override {
        ReleaseKeywordStorage();
        hostWindows = HostWindowSet{};
        InstallPlatform(nullptr);
    }

    static uint32_t Head(uint8_t key) { return Load32(KeywordTableArea().base + 4 * key); }
    static Entry EntryAt(uint32_t offset) {
        const uint8_t* e = KeywordTableArea().base + offset;
        Entry entry{
            Load32(e + kKwLength), Load32(e + kKwNext), Load32(e + kKwGroup), Load32(e + kKwFlag), "", 0};
        entry.chars.assign(reinterpret_cast<const char*>(e + kKwChars), entry.length);
        entry.terminator = e[kKwChars + entry.length];
        return entry;
    }
    static KeywordMatch Find(const std::string& word) {
        return LookupKeyword(reinterpret_cast<const uint8_t*>(word.data()), 0,
                             static_cast<uint32_t>(word.size()));
    }
    static bool AllZeroFrom(uint32_t from) {
        KeywordArea area = KeywordTableArea();
        for (uint32_t i = from; i < area.size; ++i)
            if (area.base[i] != 0) return false;
        return true;
    }
    // Every entry reachable from the bucket heads, with the chains' structure checked
    // on the way: each entry lies below `used` and leads only to older entries.
    static size_t CountChainedEntries() {
        KeywordArea area = KeywordTableArea();
        size_t count = 0;
        for (uint32_t key = 0; key < kKeywordBucketCount; ++key) {
            for (uint32_t at = Head(static_cast<uint8_t>(key)); at != 0;) {
                EXPECT_GE(at, kKeywordHeadsSize);
                Entry e = EntryAt(at);
                EXPECT_LE(at + kKwOverhead + e.length, area.used);
                EXPECT_EQ(e.terminator, 0);
                EXPECT_LT(e.next, at);
                ++count;
                if (e.next >= at) break;
                at = e.next;
            }
        }
        return count;
    }
    // Adds distinct filler words until fewer than 256 bytes are free.
    static void FillUntilGrowthDue() {
        int i = 0;
        while (KeywordTableArea().size - KeywordTableArea().used >= kKeywordMinFree) {
            std::string word = "fill" + std::to_string(i++) + std::string(80, 'x');
            ASSERT_TRUE(AddKeywords(1, word.c_str()));
        }
    }

    FakePlatform platform;
};

TEST_F(KeywordTableTest, StartsEmptyWithHeadsOnly) {
    KeywordArea area = KeywordTableArea();
    ASSERT_NE(area.base, nullptr);
    EXPECT_EQ(area.size, 0x8000u);
    EXPECT_EQ(area.used, 1024u);
    EXPECT_TRUE(AllZeroFrom(0));
    EXPECT_FALSE(Find("a").found);
}

TEST_F(KeywordTableTest, EntriesArePackedAndChainedNewestFirst) {
    ASSERT_TRUE(AddKeywords(0x01234567, "mov,push,Mul"));

    Entry mov = EntryAt(1024);
    EXPECT_EQ(mov.length, 3u);
    EXPECT_EQ(mov.next, 0u);
    EXPECT_EQ(mov.group, 0x01234567u);
    EXPECT_EQ(mov.flag, 0u);
    EXPECT_EQ(mov.chars, "MOV");
    EXPECT_EQ(mov.terminator, 0);

    Entry push = EntryAt(1024 + 20);
    EXPECT_EQ(push.chars, "PUSH");
    EXPECT_EQ(push.next, 0u);

    // MUL is the newest of bucket 'M' and leads to MOV.
    Entry mul = EntryAt(1044 + 21);
    EXPECT_EQ(mul.chars, "MUL");
    EXPECT_EQ(mul.next, 1024u);
    EXPECT_EQ(Head('M'), 1065u);
    EXPECT_EQ(Head('P'), 1044u);
    EXPECT_EQ(Head('m'), 0u);
    EXPECT_EQ(KeywordTableArea().used, 1065u + 20);
    EXPECT_TRUE(AllZeroFrom(KeywordTableArea().used));
}

TEST_F(KeywordTableTest, LookupFoldsOnlyAsciiLetters) {
    ASSERT_TRUE(AddKeywords(7, "mov,a.b?1,\xE9t\xE9"));
    EXPECT_EQ(Find("MOV").group, 7u);
    EXPECT_TRUE(Find("Mov").found);
    EXPECT_TRUE(Find("mov").found);
    EXPECT_FALSE(Find("movx").found);
    EXPECT_FALSE(Find("mo").found);
    EXPECT_FALSE(Find("mow").found);
    EXPECT_TRUE(Find("A.B?1").found);  // other characters are stored as they are
    EXPECT_TRUE(Find("\xE9T\xE9").found);
    EXPECT_FALSE(Find("\xC9T\xC9").found);  // non-ASCII letters are compared exactly

    const std::string text = "  push mov,";
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text.data());
    EXPECT_TRUE(LookupKeyword(bytes, 7, 3).found);
    EXPECT_FALSE(LookupKeyword(bytes, 2, 4).found);
    EXPECT_FALSE(LookupKeyword(bytes, 7, 0).found);
}

TEST_F(KeywordTableTest, EmptyWordsAreSkipped) {
    ASSERT_TRUE(AddKeywords(1, ",,mov,"));
    EXPECT_EQ(KeywordTableArea().used, 1024u + 20);
    EXPECT_EQ(CountChainedEntries(), 1u);
    ASSERT_TRUE(AddKeywords(1, ""));
    ASSERT_TRUE(AddKeywords(1, ",,,"));
    EXPECT_EQ(KeywordTableArea().used, 1024u + 20);
}

TEST_F(KeywordTableTest, FlagCharactersSetTheFlagAndAreNotStored) {
    ASSERT_TRUE(AddKeywords(3, "include-,rem+,a-b+c,-x"));
    Entry include = EntryAt(1024);
    EXPECT_EQ(include.chars, "INCLUDE");
    EXPECT_EQ(include.length, 7u);
    EXPECT_EQ(include.flag, kKeywordRestPlain);
    EXPECT_EQ(Find("include").flag, kKeywordRestPlain);
    EXPECT_EQ(Find("rem").flag, kKeywordRestComment);
    KeywordMatch abc = Find("abc");  // the last flag character written wins
    EXPECT_TRUE(abc.found);
    EXPECT_EQ(abc.flag, kKeywordRestComment);
    // A word led by a flag character is filed under it, where no word lookup goes.
    EXPECT_NE(Head('-'), 0u);
    EXPECT_FALSE(Find("x").found);
    EXPECT_EQ(EntryAt(Head('-')).chars, "X");
}

TEST_F(KeywordTableTest, TheNewerOfTwoEntriesWins) {
    ASSERT_TRUE(AddKeywords(1, "mov"));
    ASSERT_TRUE(AddKeywords(2, "MOV+"));
    KeywordMatch match = Find("mov");
    EXPECT_EQ(match.group, 2u);
    EXPECT_EQ(match.flag, kKeywordRestComment);
    EXPECT_EQ(CountChainedEntries(), 2u);
}

// A list sent again (a host sending its lists to every new control) adds nothing;
// a word sent again with another group or flag is added and wins, and sending the
// older one again then adds it once more.
TEST_F(KeywordTableTest, AWordThatWouldChangeNoLookupIsNotStoredAgain) {
    ASSERT_TRUE(AddKeywords(1, "mov,push,call+"));
    const uint32_t used = KeywordTableArea().used;
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(AddKeywords(1, "MOV,push,Call+,,mov"));
    EXPECT_EQ(KeywordTableArea().used, used);
    EXPECT_EQ(CountChainedEntries(), 3u);

    ASSERT_TRUE(AddKeywords(1, "call"));  // another flag
    ASSERT_TRUE(AddKeywords(2, "push"));  // another group
    EXPECT_EQ(CountChainedEntries(), 5u);
    EXPECT_EQ(Find("call").flag, kKeywordNoFlag);
    EXPECT_EQ(Find("push").group, 2u);
    ASSERT_TRUE(AddKeywords(1, "push"));
    EXPECT_EQ(Find("push").group, 1u);
    EXPECT_EQ(CountChainedEntries(), 6u);
}

TEST_F(KeywordTableTest, NullListZeroesTheWholeAreaAndRestartsAt1024) {
    FillUntilGrowthDue();
    ASSERT_TRUE(AddKeywords(5, "mov,push"));
    ASSERT_GT(KeywordTableArea().size, 0x8000u);

    ASSERT_TRUE(AddKeywords(0, nullptr));
    EXPECT_EQ(KeywordTableArea().used, 1024u);
    EXPECT_TRUE(AllZeroFrom(0));
    EXPECT_FALSE(Find("mov").found);
    EXPECT_EQ(KeywordTableArea().size, 0x10000u);  // the area never shrinks

    ASSERT_TRUE(AddKeywords(6, "cmp"));
    EXPECT_EQ(Head('C'), 1024u);
    EXPECT_EQ(EntryAt(1024).chars, "CMP");
}

TEST_F(KeywordTableTest, GrowsByOneStepOnceFewerThan256BytesAreFree) {
    std::vector<std::pair<std::string, uint32_t>> added;  // word, its offset
    for (int i = 0; KeywordTableArea().size == 0x8000u; ++i) {
        KeywordArea before = KeywordTableArea();
        std::string word = "w" + std::to_string(i) + std::string(90, 'q');
        ASSERT_TRUE(AddKeywords(static_cast<uint32_t>(i), word.c_str()));
        KeywordArea after = KeywordTableArea();
        uint32_t expectedSize = before.size - before.used < 256 ? before.size + 0x8000 : before.size;
        EXPECT_EQ(after.size, expectedSize);
        EXPECT_EQ(after.used, before.used + 17 + word.size());  // written where the area ended
        added.emplace_back(word, before.used);
    }
    EXPECT_EQ(KeywordTableArea().size, 0x10000u);
    // Entries stored before the growth kept their offsets and are still found.
    for (size_t i = 0; i < added.size(); ++i) {
        EXPECT_EQ(EntryAt(added[i].second).group, i);
        EXPECT_EQ(Find(added[i].first).group, i);
    }
    EXPECT_TRUE(AllZeroFrom(KeywordTableArea().used));
}

TEST_F(KeywordTableTest, FailedGrowthKeepsTheTableAndDropsTheRestOfTheList) {
    FillUntilGrowthDue();
    KeywordArea before = KeywordTableArea();
    platform.reallocsLeft = 0;

    EXPECT_FALSE(AddKeywords(9, "aaa,bbb"));
    KeywordArea after = KeywordTableArea();
    EXPECT_EQ(after.size, before.size);
    EXPECT_EQ(after.used, before.used);
    EXPECT_EQ(after.base, before.base);
    EXPECT_FALSE(Find("aaa").found);
    EXPECT_FALSE(Find("bbb").found);
    EXPECT_TRUE(Find("fill0" + std::string(80, 'x')).found);

    // Memory back: the same list goes in.
    platform.reallocsLeft = -1;
    EXPECT_TRUE(AddKeywords(9, "aaa,bbb"));
    EXPECT_TRUE(Find("bbb").found);
}

TEST_F(KeywordTableTest, FailedGrowthInTheMiddleOfAListKeepsTheWordsBeforeIt) {
    // One filler word leaves 266 bytes free: "one" (20 bytes) still fits without
    // growth, "two" then needs it.
    uint32_t freeBytes = KeywordTableArea().size - KeywordTableArea().used;
    std::string filler(freeBytes - 266 - 17, 'f');
    ASSERT_TRUE(AddKeywords(1, filler.c_str()));
    ASSERT_EQ(KeywordTableArea().size - KeywordTableArea().used, 266u);
    platform.reallocsLeft = 0;

    EXPECT_FALSE(AddKeywords(2, "one,two,six"));
    EXPECT_TRUE(Find("one").found);
    EXPECT_FALSE(Find("two").found);
    EXPECT_FALSE(Find("six").found);
    EXPECT_EQ(KeywordTableArea().size, 0x8000u);
    EXPECT_LE(KeywordTableArea().used, KeywordTableArea().size);
}

TEST_F(KeywordTableTest, LongWordsAreStoredWholeGrowingAsFarAsNeeded) {
    std::string longest(239, 'k');
    ASSERT_TRUE(AddKeywords(1, longest.c_str()));
    EXPECT_EQ(KeywordTableArea().size, 0x8000u);
    EXPECT_TRUE(Find(longest).found);

    // 99999 stored characters need 100016 bytes; 31488 are free: three more steps.
    std::string huge(100000, 'h');
    huge[50000] = '+';
    ASSERT_TRUE(AddKeywords(2, huge.c_str()));
    EXPECT_EQ(KeywordTableArea().size, 0x8000u * 4);
    std::string stored(99999, 'H');
    KeywordMatch match = Find(std::string(99999, 'h'));
    EXPECT_TRUE(match.found);
    EXPECT_EQ(match.group, 2u);
    EXPECT_EQ(match.flag, kKeywordRestComment);
    EXPECT_EQ(EntryAt(Head('H')).chars, stored);
    EXPECT_LE(KeywordTableArea().used, KeywordTableArea().size);

    ASSERT_TRUE(AddKeywords(3, "after"));
    EXPECT_EQ(Find("after").group, 3u);
    EXPECT_EQ(CountChainedEntries(), 3u);
}

TEST_F(KeywordTableTest, ALongWordThatCannotGetRoomIsDropped) {
    platform.reallocsLeft = 0;
    std::string huge(40000, 'h');
    std::string list = "short," + huge + ",tail";
    EXPECT_FALSE(AddKeywords(2, list.c_str()));
    EXPECT_TRUE(Find("short").found);
    EXPECT_FALSE(Find(huge).found);
    EXPECT_FALSE(Find("tail").found);
    EXPECT_EQ(KeywordTableArea().size, 0x8000u);
    EXPECT_EQ(KeywordTableArea().used, 1024u + 22);
}

TEST_F(KeywordTableTest, AgreesWithASimpleModelOverRandomLists) {
    std::mt19937 rng(20240607);
    const std::string alphabet = "abcMOVxyz09._\xE9\xC9-+";
    struct Word {
        std::string folded;
        uint32_t group, flag;
    };
    std::vector<Word> model;  // oldest first
    auto fold = [](std::string w) {
        for (char& c : w)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        return w;
    };
    for (int round = 0; round < 400; ++round) {
        if (rng() % 40 == 0) {
            ASSERT_TRUE(AddKeywords(0, nullptr));
            model.clear();
            continue;
        }
        uint32_t group = rng();
        std::string list;
        std::vector<std::string> words;
        int count = 1 + static_cast<int>(rng() % 6);
        for (int w = 0; w < count; ++w) {
            std::string word(1, "abcMOVxyz"[rng() % 9]);  // always led by a word character
            int len = static_cast<int>(rng() % 6);
            for (int c = 0; c < len; ++c) word += alphabet[rng() % alphabet.size()];
            list += word + (rng() % 4 == 0 ? ",," : ",");
            words.push_back(word);
        }
        ASSERT_TRUE(AddKeywords(group, list.c_str()));
        for (const std::string& word : words) {
            Word entry{"", group, 0};
            for (char c : word) {
                if (c == '-')
                    entry.flag = 1;
                else if (c == '+')
                    entry.flag = 2;
                else
                    entry.folded += c;
            }
            entry.folded = fold(entry.folded);
            model.push_back(entry);
        }
    }
    EXPECT_EQ(CountChainedEntries(), model.size());
    for (size_t i = 0; i < model.size(); ++i) {
        const Word* newest = nullptr;
        for (const Word& w : model)
            if (w.folded == model[i].folded) newest = &w;
        KeywordMatch match = Find(model[i].folded);
        ASSERT_TRUE(match.found) << model[i].folded;
        EXPECT_EQ(match.group, newest->group);
        EXPECT_EQ(match.flag, newest->flag);
    }
    EXPECT_FALSE(Find("QQQ").found);
}

TEST_F(KeywordTableTest, WithoutStorageNothingIsStoredOrFound) {
    ReleaseKeywordStorage();
    EXPECT_EQ(KeywordTableArea().base, nullptr);
    EXPECT_FALSE(AddKeywords(1, "mov"));
    EXPECT_FALSE(AddKeywords(1, nullptr));
    EXPECT_FALSE(Find("mov").found);

    platform.createHeapsLeft = 0;
    EXPECT_FALSE(CreateKeywordStorage());
    platform.createHeapsLeft = -1;
    platform.allocsLeft = 0;
    EXPECT_FALSE(CreateKeywordStorage());
    EXPECT_EQ(KeywordTableArea().base, nullptr);
    EXPECT_EQ(platform.LiveBytes(), 0u);

    platform.allocsLeft = -1;
    ASSERT_TRUE(CreateKeywordStorage());
    EXPECT_TRUE(AddKeywords(1, "mov"));
    EXPECT_TRUE(Find("mov").found);
}

TEST_F(KeywordTableTest, HostWindowsCopiesSixHandlesAndIgnoresNull) {
    WindowRef record[7];
    for (uintptr_t i = 0; i < 7; ++i) record[i] = reinterpret_cast<WindowRef>(0x1000 + i);
    SetHostWindows(record);
    for (uintptr_t i = 0; i < 6; ++i) EXPECT_EQ(hostWindows.windows[i], record[i]);
    SetHostWindows(nullptr);
    EXPECT_EQ(hostWindows.windows[kHostPopupWindow], record[3]);
}

}  // namespace
}  // namespace qv::test
