#include "base/win/Allocations.h"

// Compiled twice: once for the library hosts use, where every wrapper is the
// platform call, and once with QV_TEST_HOOKS for the test build, where each first
// asks the plan and counts.

namespace qv {
namespace {

#ifdef QV_TEST_HOOKS
FaultPlan gPlan = {0, 0, 0, 0, kSiteCount, {}, {}, 0};

// True when the allocation may go ahead.
bool Allowed(AllocSite site) {
    ++gPlan.asked[site];
    const uint32_t n = ++gPlan.made;
    const bool refuse = gPlan.failAt != 0 && (n == gPlan.failAt || (gPlan.failLater && n > gPlan.failAt));
    if (!refuse) return true;
    if (gPlan.failed++ == 0) gPlan.firstFailedSite = site;
    return false;
}
void Count(AllocSite site, bool made) {
    if (made) ++gPlan.live[site];
}
void Uncount(AllocSite site) { --gPlan.live[site]; }
#else
constexpr bool Allowed(AllocSite) { return true; }
inline void Count(AllocSite, bool) {}
inline void Uncount(AllocSite) {}
#endif

template <typename T>
T Counted(AllocSite site, T made) {
    Count(site, made != nullptr);
    return made;
}

}  // namespace

#ifdef QV_TEST_HOOKS
// Exported by ordinal 1 only (QuorvaneHooks.def).
extern "C" FaultPlan* QvFaultPlan() { return &gPlan; }
#endif

bool DropKeptObjectsAsked() {
#ifdef QV_TEST_HOOKS
    const bool asked = gPlan.dropKept != 0;
    gPlan.dropKept = 0;
    return asked;
#else
    return false;
#endif
}

HGLOBAL AllocGlobal(AllocSite site, UINT flags, SIZE_T size) {
    return Allowed(site) ? Counted(site, ::GlobalAlloc(flags, size)) : nullptr;
}

void FreeGlobal(AllocSite site, HGLOBAL block) {
    if (!block) return;
    ::GlobalFree(block);
    Uncount(site);
}

void HandedOver(AllocSite site) { Uncount(site); }

HANDLE MakeHeap(SIZE_T initialSize) {
    return Allowed(kSiteHeap) ? Counted(kSiteHeap, ::HeapCreate(HEAP_NO_SERIALIZE, initialSize, 0)) : nullptr;
}

void DropHeap(HANDLE heap) {
    if (!heap) return;
    ::HeapDestroy(heap);
    Uncount(kSiteHeap);
}

// Blocks live as long as their heap: they are counted as asked for, not as alive.
void* HeapBlock(HANDLE heap, DWORD flags, SIZE_T size) {
    return Allowed(kSiteHeapBlock) ? ::HeapAlloc(heap, flags, size) : nullptr;
}

void* HeapGrow(HANDLE heap, DWORD flags, void* block, SIZE_T size) {
    return Allowed(kSiteHeapGrowth) ? ::HeapReAlloc(heap, flags, block, size) : nullptr;
}

HBRUSH MakeBrush(COLORREF color) {
    return Allowed(kSiteBrush) ? Counted(kSiteBrush, ::CreateSolidBrush(color)) : nullptr;
}

HBITMAP MakeBitmap(HDC like, int width, int height) {
    return Allowed(kSiteBitmap) ? Counted(kSiteBitmap, ::CreateCompatibleBitmap(like, width, height)) : nullptr;
}

HRGN MakeRegion(int left, int top, int right, int bottom) {
    return Allowed(kSiteRegion) ? Counted(kSiteRegion, ::CreateRectRgn(left, top, right, bottom)) : nullptr;
}

void DropObject(AllocSite site, HGDIOBJ object) {
    if (!object) return;
    ::DeleteObject(object);
    Uncount(site);
}

HDC MakeMemoryDC(HDC like) {
    return Allowed(kSiteMemoryDC) ? Counted(kSiteMemoryDC, ::CreateCompatibleDC(like)) : nullptr;
}

void DropMemoryDC(HDC dc) {
    if (!dc) return;
    ::DeleteDC(dc);
    Uncount(kSiteMemoryDC);
}

HDC TakeWindowDC(HWND window) {
    return Allowed(kSiteWindowDC) ? Counted(kSiteWindowDC, ::GetDC(window)) : nullptr;
}

void GiveBackWindowDC(HWND window, HDC dc) {
    if (!dc) return;
    ::ReleaseDC(window, dc);
    Uncount(kSiteWindowDC);
}

// Child windows go with their parent: they are counted as asked for only.
HWND MakeWindow(DWORD exStyle, const char* cls, DWORD style, HWND parent, UINT_PTR id, HINSTANCE instance) {
    if (!Allowed(kSiteWindow)) return nullptr;
    return ::CreateWindowExA(exStyle, cls, nullptr, style, 0, 0, 0, 0, parent, reinterpret_cast<HMENU>(id),
                             instance, nullptr);
}

BOOL MakeCaret(HWND window, int width, int height) {
    return Allowed(kSiteCaret) ? ::CreateCaret(window, nullptr, width, height) : FALSE;
}

}  // namespace qv
