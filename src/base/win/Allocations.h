// Every allocation the Windows layer makes goes through these wrappers: the
// control's record, the heaps and their blocks, the transfer and clipboard blocks,
// brushes, the off-screen bitmap and its device context, window device contexts,
// clip regions, the child windows and the caret. In the library hosts use they
// call the platform and nothing more. The test build of the library (QV_TEST_HOOKS)
// lets a test refuse the Nth allocation and counts what is alive (FaultPlan.h), so
// that every failure path is run and every release is seen.
//
// Each wrapper answers what the platform call answers; a refused allocation
// answers what a failed platform call does (NULL, FALSE).
#pragma once

#include <windows.h>

#include "base/win/FaultPlan.h"

namespace qv {

HGLOBAL AllocGlobal(AllocSite site, UINT flags, SIZE_T size);
void FreeGlobal(AllocSite site, HGLOBAL block);
// A block someone else now owns (the clipboard took it): no longer ours to free.
void HandedOver(AllocSite site);

// In the test build, whether the test asked for the objects kept from paint to
// paint to be let go (once); never in the library hosts use.
bool DropKeptObjectsAsked();

HANDLE MakeHeap(SIZE_T initialSize);
void DropHeap(HANDLE heap);
void* HeapBlock(HANDLE heap, DWORD flags, SIZE_T size);
void* HeapGrow(HANDLE heap, DWORD flags, void* block, SIZE_T size);

HBRUSH MakeBrush(COLORREF color);
HBITMAP MakeBitmap(HDC like, int width, int height);
HRGN MakeRegion(int left, int top, int right, int bottom);
// Deletes a brush, a bitmap or a region made above.
void DropObject(AllocSite site, HGDIOBJ object);

HDC MakeMemoryDC(HDC like);
void DropMemoryDC(HDC dc);
HDC TakeWindowDC(HWND window);
void GiveBackWindowDC(HWND window, HDC dc);

HWND MakeWindow(DWORD exStyle, const char* cls, DWORD style, HWND parent, UINT_PTR id, HINSTANCE instance);
BOOL MakeCaret(HWND window, int width, int height);

}  // namespace qv
