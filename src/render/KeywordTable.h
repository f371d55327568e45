// The process-wide keyword table: the words the line painter colours as keywords,
// filled by the host one comma-separated list per group, shared by every control of
// the process and used only from the thread that owns their windows (no locks).
//
// One contiguous byte area in a private heap of its own (the process heap is shared
// with the host's other threads, and the table's heap calls do not serialise). Every
// number is an unsigned 32-bit little-endian value at a byte offset from the base:
//
//   0     1024  256 bucket heads, one per character code: the offset of the newest
//               entry whose word starts with that code ('a'-'z' filed as 'A'-'Z'),
//               0 for an empty chain
//   1024  ...   entries, packed without alignment in the order they were added:
//                 +0   length n   characters stored ('-' and '+' not counted)
//                 +4   next       the next older entry of the same chain, 0 at its end
//                 +8   group      the group value given with the word's list
//                 +12  flag       0 none, 1 for '-' (rest of the line plain),
//                                 2 for '+' (rest of the line a comment)
//                 +16  n + 1      the characters, 'a'-'z' stored as 'A'-'Z', then a NUL
//               so an entry takes 17 + n bytes.
//
// Invariants: 1024 <= used <= size; every byte past `used` is zero; each entry lies
// wholly below `used`; every `next` is smaller than its own entry's offset (chains
// only lead to older entries and always end). Before a word is written at least
// 256 bytes, and at least its 17 + n, are free: the area grows by 32768 bytes (or
// as many such steps as a very long word needs) whenever they are not. Entries never
// move relative to the base; the base itself may move when the area grows, so the
// area is only ever addressed by offsets. It never shrinks.
//
// Words of any length are stored whole. When the area cannot grow, the word that
// needed the room and the rest of its list are dropped; the words before it stay,
// and the table keeps its old area and size.
#pragma once

#include <cstdint>

#include "base/Types.h"

namespace qv {

constexpr uint32_t kKeywordBucketCount = 256;
constexpr uint32_t kKeywordHeadsSize = 4 * kKeywordBucketCount;  // 1024: where entries begin
constexpr uint32_t kKeywordInitialSize = 0x8000;
constexpr uint32_t kKeywordGrowth = 0x8000;
constexpr uint32_t kKeywordMinFree = 256;  // free bytes guaranteed before each word

// Offsets of the fields inside an entry.
constexpr uint32_t kKwLength = 0;
constexpr uint32_t kKwNext = 4;
constexpr uint32_t kKwGroup = 8;
constexpr uint32_t kKwFlag = 12;
constexpr uint32_t kKwChars = 16;
constexpr uint32_t kKwOverhead = 17;  // fields and the NUL: an entry is 17 + n bytes

// Entry flags, set by a '-' or '+' written inside a word of a list.
constexpr uint32_t kKeywordNoFlag = 0;
constexpr uint32_t kKeywordRestPlain = 1;    // '-'
constexpr uint32_t kKeywordRestComment = 2;  // '+'

// Process attach: a private heap and a zero-filled area of 32768 bytes, used 1024.
// False when either cannot be had; the table then stays empty (words added are
// ignored and lookups find nothing) until a later call succeeds.
bool CreateKeywordStorage();
// Process detach: releases the heap and with it the area.
void ReleaseKeywordStorage();

// EMX_SETKEYWORDS. A null list zero-fills the whole area and empties every group at
// once. Otherwise each word of the comma-separated, NUL-terminated list (empty words
// skipped) is filed with `group`, newest first in its chain. True when the whole list
// was stored; false when the storage is missing or could not grow (see above).
bool AddKeywords(uint32_t group, const char* list);

struct KeywordMatch {
    bool found;
    uint32_t group;
    uint32_t flag;
};
// The newest entry equal to text[p .. p + n) with 'a'-'z' folded to 'A'-'Z' (other
// bytes compared exactly). The caller guarantees the n bytes; n 0 finds nothing.
KeywordMatch LookupKeyword(const uint8_t* text, uint32_t p, uint32_t n);

// The area as it stands, read-only: for tests and diagnostics. Null and 0 without
// storage.
struct KeywordArea {
    const uint8_t* base;
    uint32_t size;
    uint32_t used;
};
KeywordArea KeywordTableArea();

// Counts the changes to the table: a figure that differs means a word may colour
// differently than before (the painter's resume points of long lines use it).
uint32_t KeywordTableGeneration();

// ---- The host window record (EMX_SETHOSTWINDOWS) --------------------------------------
// Six handles supplied by the host, shared by every control; 0 means none. Entry 2
// answers WM_GETTEXTLENGTH with the control's text length counted with CR LF; entry
// 3 is a host window the control hides before scrolling and before the bookmark
// messages. The other entries are only stored.
constexpr uint32_t kHostWindowCount = 6;
constexpr uint32_t kHostTextLengthWindow = 2;
constexpr uint32_t kHostPopupWindow = 3;
struct HostWindowSet {
    WindowRef windows[kHostWindowCount];
};
extern HostWindowSet hostWindows;

// Copies entries 0-5 from the host's record; a null record changes nothing.
void SetHostWindows(const WindowRef* windows);

}  // namespace qv
