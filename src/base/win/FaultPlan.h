// The test build's plan of failing allocations and its count of what is alive.
// Only the test build of the library (QuorvaneHooks, QV_TEST_HOOKS) has one; it
// exports it by ordinal 1 and by no name, and the library hosts use exports
// nothing. The layout is shared with the Windows tests (tests/win/hooked).
#pragma once

#include <cstdint>

namespace qv {

// Every place the Windows layer takes something from the platform that can fail.
enum AllocSite : uint32_t {
    kSiteRecord,          // the control's record (GlobalAlloc)
    kSiteHeap,            // a private heap (HeapCreate): the store's three, the keyword storage's
    kSiteHeapBlock,       // a first block in a heap (HeapAlloc)
    kSiteHeapGrowth,      // a block grown (HeapReAlloc)
    kSiteTransferBlock,   // a stream's or a clipboard copy's transfer block (GlobalAlloc)
    kSiteClipboardBlock,  // the block handed to the clipboard (GlobalAlloc)
    kSiteBrush,           // the twelve solid brushes
    kSiteBitmap,          // the off-screen bitmap of a buffered paint
    kSiteMemoryDC,        // the device context of that bitmap
    kSiteWindowDC,        // a window's device context for measuring (GetDC)
    kSiteRegion,          // the text area's clip region of a paint
    kSiteWindow,          // one of the nine child windows
    kSiteCaret,           // the pane's caret
    kSiteCount
};

struct FaultPlan {
    uint32_t failAt;     // the failAt-th allocation counted from here fails; 0: none
    uint32_t failLater;  // nonzero: every allocation after that one fails too
    uint32_t made;       // allocations asked for since the test last cleared it
    uint32_t failed;     // allocations refused since then
    uint32_t firstFailedSite;              // the site of the first refusal, or kSiteCount
    uint32_t asked[kSiteCount];            // allocations asked for at each site, ever
    int32_t live[kSiteCount];              // what is alive from each site now
    // Nonzero: objects the library keeps from paint to paint (the off-screen
    // bitmap and its DC) are let go before the next paint, which makes them anew;
    // the library clears it.
    uint32_t dropKept;
};

}  // namespace qv
