/* The public header compiled as C: its records have the sizes and offsets hosts
 * rely on. HeaderTest.cpp compares these answers with the C++ view. */
#include <stddef.h>

#include "quorvane.h"

_Static_assert(sizeof(SelChangeEx) == 54, "SelChangeEx is 54 packed bytes");
_Static_assert(offsetof(SelChangeEx, anchor) == 12, "anchor");
_Static_assert(offsetof(SelChangeEx, caret) == 16, "caret");
_Static_assert(offsetof(SelChangeEx, reason) == 20, "reason");
_Static_assert(offsetof(SelChangeEx, line) == 22, "line");
_Static_assert(offsetof(SelChangeEx, lineLength) == 26, "lineLength");
_Static_assert(offsetof(SelChangeEx, lineStart) == 30, "lineStart");
_Static_assert(offsetof(SelChangeEx, lineRecord) == 34, "lineRecord");
_Static_assert(offsetof(SelChangeEx, lastLine) == 38, "lastLine");
_Static_assert(offsetof(SelChangeEx, hiddenLines) == 42, "hiddenLines");
_Static_assert(offsetof(SelChangeEx, changed) == 46, "changed");
_Static_assert(offsetof(SelChangeEx, page) == 50, "page");
_Static_assert(sizeof(FontSet) == 24, "six font handles");
_Static_assert(sizeof(ColorSet) == 108, "27 colours");
_Static_assert(sizeof(BlockPatternPair) == 8, "two pattern pointers");
_Static_assert(offsetof(MarkerEnumeration, currentId) == 80, "current id at byte 80");
_Static_assert(sizeof(HostWindows) == 24, "six windows");

size_t HeaderC_SelChangeExSize(void) { return sizeof(SelChangeEx); }
size_t HeaderC_PageOffset(void) { return offsetof(SelChangeEx, page); }
size_t HeaderC_CurrentIdOffset(void) { return offsetof(MarkerEnumeration, currentId); }
unsigned HeaderC_Message(int which)
{
    static const unsigned numbers[] = {EMX_SUBCLASSPANES, EMX_SETKEYWORDS, EMX_TOGGLESPLIT, EMX_GETPAGELINES, EMX_NOP};
    return numbers[which];
}
