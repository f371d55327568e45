#include "render/KeywordTable.h"

#include <cstring>

#include "base/Platform.h"
#include "store/LineRecord.h"

namespace qv {

HostWindowSet hostWindows;

namespace {

struct KeywordStorage {
    HeapRef heap;
    uint8_t* base;
    uint32_t size;
    uint32_t used;
};
KeywordStorage gKeywords;
uint32_t gKeywordGeneration = 0;

uint8_t FoldCase(uint8_t c) {
    return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 0x20) : c;
}

bool IsFlagChar(uint8_t c) {
    return c == '-' || c == '+';
}

// Makes at least `need` bytes free past `used`, growing in whole steps of 32768.
// On failure the area, its size and its contents are as they were.
bool EnsureFree(uint32_t need) {
    uint32_t freeBytes = gKeywords.size - gKeywords.used;
    if (freeBytes >= need) return true;
    uint64_t steps = (static_cast<uint64_t>(need - freeBytes) + kKeywordGrowth - 1) / kKeywordGrowth;
    uint64_t newSize = gKeywords.size + steps * kKeywordGrowth;
    if (newSize > 0xFFFFFFFFu) return false;
    uint8_t* grown =
        ThePlatform().ReAllocZeroed(gKeywords.heap, gKeywords.base, static_cast<uint32_t>(newSize));
    if (grown == nullptr) return false;
    gKeywords.base = grown;
    gKeywords.size = static_cast<uint32_t>(newSize);
    return true;
}

// The newest entry of bucket `key` holding the characters of the word s ... end (flag
// characters left out, letters folded): the entry a lookup of that word finds. None
// when there is no such entry.
const uint8_t* NewestEntryFor(uint32_t key, const uint8_t* s, const uint8_t* end, uint32_t n) {
    const uint8_t* base = gKeywords.base;
    uint32_t at = Load32(base + 4 * key);
    while (at >= kKeywordHeadsSize && at <= gKeywords.used - kKwOverhead) {
        const uint8_t* entry = base + at;
        if (Load32(entry + kKwLength) == n && n <= gKeywords.used - kKwOverhead - at) {
            const uint8_t* stored = entry + kKwChars;
            const uint8_t* c = s;
            uint32_t i = 0;
            for (; c != end; ++c) {
                if (IsFlagChar(*c)) continue;
                if (FoldCase(*c) != stored[i]) break;
                ++i;
            }
            if (c == end) return entry;
        }
        const uint32_t next = Load32(entry + kKwNext);
        if (next >= at) break;
        at = next;
    }
    return nullptr;
}

uint32_t FlagOf(const uint8_t* s, const uint8_t* end) {
    uint32_t flag = kKeywordNoFlag;
    for (; s != end; ++s) {
        if (*s == '-') flag = kKeywordRestPlain;
        if (*s == '+') flag = kKeywordRestComment;
    }
    return flag;
}

}  // namespace

bool CreateKeywordStorage() {
    if (gKeywords.base != nullptr) return true;
    HeapRef heap = ThePlatform().CreateHeap(kKeywordInitialSize);
    if (heap == nullptr) return false;
    uint8_t* base = ThePlatform().AllocZeroed(heap, kKeywordInitialSize);
    if (base == nullptr) {
        ThePlatform().DestroyHeap(heap);
        return false;
    }
    gKeywords = {heap, base, kKeywordInitialSize, kKeywordHeadsSize};
    return true;
}

void ReleaseKeywordStorage() {
    ++gKeywordGeneration;
    if (gKeywords.heap != nullptr) ThePlatform().DestroyHeap(gKeywords.heap);
    gKeywords = {};
}

bool AddKeywords(uint32_t group, const char* list) {
    if (gKeywords.base == nullptr) return false;
    ++gKeywordGeneration;
    if (list == nullptr) {
        std::memset(gKeywords.base, 0, gKeywords.size);
        gKeywords.used = kKeywordHeadsSize;
        return true;
    }
    const uint8_t* s = reinterpret_cast<const uint8_t*>(list);
    for (;;) {
        while (*s == ',') ++s;  // empty words are ignored
        if (*s == 0) return true;

        // The word's stored length decides the room it needs; flag characters take none.
        uint32_t n = 0;
        const uint8_t* end = s;
        for (; *end != 0 && *end != ','; ++end)
            if (!IsFlagChar(*end)) ++n;
        // A word whose newest entry already says the same (group and flag) is not
        // stored again: a host that sends its lists to every control it creates
        // would otherwise grow the process-wide table without end, and the entry
        // changes no lookup.
        const uint8_t* same = NewestEntryFor(FoldCase(*s), s, end, n);
        if (same && Load32(same + kKwGroup) == group && Load32(same + kKwFlag) == FlagOf(s, end)) {
            s = end;
            continue;
        }
        uint64_t entryBytes = static_cast<uint64_t>(kKwOverhead) + n;
        uint64_t need = entryBytes > kKeywordMinFree ? entryBytes : kKeywordMinFree;
        if (need > 0xFFFFFFFFu || !EnsureFree(static_cast<uint32_t>(need))) return false;

        // The first character is the bucket key even when it is a flag character.
        uint8_t* heads = gKeywords.base;
        uint32_t key = FoldCase(*s);
        uint32_t at = gKeywords.used;
        uint8_t* entry = gKeywords.base + at;
        uint32_t flag = kKeywordNoFlag;
        uint8_t* out = entry + kKwChars;
        for (const uint8_t* c = s; c != end; ++c) {
            if (*c == '-')
                flag = kKeywordRestPlain;
            else if (*c == '+')
                flag = kKeywordRestComment;
            else
                *out++ = FoldCase(*c);
        }
        *out = 0;
        Store32(entry + kKwLength, n);
        Store32(entry + kKwNext, Load32(heads + 4 * key));
        Store32(entry + kKwGroup, group);
        Store32(entry + kKwFlag, flag);
        Store32(heads + 4 * key, at);
        gKeywords.used = at + static_cast<uint32_t>(entryBytes);
        s = end;
    }
}

KeywordMatch LookupKeyword(const uint8_t* text, uint32_t p, uint32_t n) {
    KeywordMatch none{false, 0, 0};
    if (gKeywords.base == nullptr || text == nullptr || n == 0) return none;
    const uint8_t* base = gKeywords.base;
    const uint8_t* word = text + p;
    uint32_t at = Load32(base + 4 * FoldCase(word[0]));
    // The invariants make these bounds hold; checking them keeps a damaged table from
    // leading a lookup outside the area or round a loop.
    while (at >= kKeywordHeadsSize && at <= gKeywords.used - kKwOverhead) {
        const uint8_t* entry = base + at;
        uint32_t length = Load32(entry + kKwLength);
        if (length == n && length <= gKeywords.used - kKwOverhead - at) {
            const uint8_t* stored = entry + kKwChars;
            uint32_t i = 1;  // character 0 is equal by the bucket
            while (i < n && FoldCase(word[i]) == stored[i]) ++i;
            if (i == n) return {true, Load32(entry + kKwGroup), Load32(entry + kKwFlag)};
        }
        uint32_t next = Load32(entry + kKwNext);
        if (next >= at) break;
        at = next;
    }
    return none;
}

uint32_t KeywordTableGeneration() {
    return gKeywordGeneration;
}

KeywordArea KeywordTableArea() {
    return {gKeywords.base, gKeywords.size, gKeywords.used};
}

void SetHostWindows(const WindowRef* windows) {
    if (windows == nullptr) return;
    for (uint32_t i = 0; i < kHostWindowCount; ++i) hostWindows.windows[i] = windows[i];
}

}  // namespace qv
