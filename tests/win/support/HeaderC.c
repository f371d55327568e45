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
_Static_assert(sizeof(LineRecordHeader) == 20, "the characters follow at byte 20");
_Static_assert(offsetof(LineRecordHeader, flags) == 8 && offsetof(LineRecordHeader, markerLine) == 16,
               "flags, markerLine");
_Static_assert(sizeof(FontSet) == 24, "six font handles");
_Static_assert(sizeof(ColorSet) == 108, "27 colours");
_Static_assert(sizeof(BlockPatternPair) == 8 && offsetof(BlockPatternPair, end) == 4, "two pattern pointers");
_Static_assert(sizeof(MarkerPair) == 8 && offsetof(MarkerPair, line) == 4, "id, line");
_Static_assert(sizeof(MarkerEnumeration) == 84, "ten pairs and the current id");
_Static_assert(offsetof(MarkerEnumeration, currentId) == 80, "current id at byte 80");
_Static_assert(sizeof(HostWindows) == 24, "six windows");

/* Every size and offset of the records, in the order HeaderTest.cpp lists them. */
size_t HeaderC_Layout(int which)
{
    static const size_t layout[] = {
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
    return which >= 0 && which < (int)(sizeof layout / sizeof layout[0]) ? layout[which] : (size_t)-1;
}

unsigned HeaderC_Message(int which)
{
    static const unsigned numbers[] = {EMX_SUBCLASSPANES, EMX_SETKEYWORDS, EMX_TOGGLESPLIT, EMX_GETPAGELINES, EMX_NOP};
    return numbers[which];
}

const char *HeaderC_Version(void) { return QUORVANE_VERSION_STRING; }
