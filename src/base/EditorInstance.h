// The per-control record. One per control window, zero-filled at WM_CREATE and
// freed at WM_DESTROY; its address is the extra value (index 0) of the control
// window and of both pane windows. Hosts read it through GetWindowLongA(control, 0),
// so in the 32-bit build its layout is a binary contract: every field is 32 bits
// wide and sits at the offset pinned at the end of this file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/Types.h"

namespace qv {

// One text pane, upper or lower.
struct ViewPane {
    WindowRef hwnd;         // the pane window, class QuorvaneEdit
    WindowRef hwndVScroll;  // its vertical scroll bar, a child of the pane
    WindowRef hwndHScroll;  // its horizontal scroll bar, a child of the control
    WindowRef hwndCorner;   // the 16 x 16 box beside the horizontal bar
    // The text area in pane coordinates; right excludes the vertical bar while it
    // is shown. bottom == 0 means the pane is not shown.
    Rect textRect;
    int32_t caretX;         // remembered caret x aimed at by vertical moves
    int32_t scrollY;        // pixels from the document top, a multiple of lineHeight
    uint32_t vScrollShown;
    // One horizontal offset serves both panes: both fields receive the same value
    // and the upper pane's is the one read.
    int32_t scrollX;
    uint32_t hScrollShown;  // only the upper pane's flag is set and read
    // Top-line cache: a non-hidden line near the top edge, its pixel y (counting
    // only lines that are not hidden) and the char index of its first character.
    // The three always describe the same line; (0, 0, 0) is always valid.
    LineNumber topLine;
    uint32_t topLineY;
    CharIndex topLineStart;
};

// Child-window geometry: scroll bars are 16 pixels thick (the corner boxes are
// 16 x 16) and the split bar is 4 pixels high.
constexpr int kBarThickness = 16;
constexpr int kSplitBarHeight = 4;

// The six font slots; the host owns the fonts and the control never deletes them.
enum FontSlot : uint32_t {
    kFontText = 0,
    kFontStyle1 = 1,
    kFontStyle2 = 2,
    kFontStyle3 = 3,
    kFontUnused = 4,
    kFontLineNumbers = 5,
    kFontSlotCount = 6,
};

// Colour entries (0x00BBGGRR; in text colours the top byte is a style code).
enum ColorIndex : uint32_t {
    kColorBackground = 0,
    kColorSelection = 1,
    kColorMarkerMargin = 2,
    kColorNumberMargin = 3,
    kColorDivider = 4,
    kColorText = 7,
    kColorSelectedText = 8,
    kColorLineNumber = 9,
    kColorHilite1 = 11,  // ... to kColorHilite1 + 4 for highlights 1-5
    kColorComment = 16,
    kColorString = 17,
    kColorQuote = 18,
    kColorClass3 = 19,
    kColorClass4 = 20,
    kColorClass5 = 21,
    kColorClass2 = 22,
    kColorLabel = 23,
    kColorUnderscore = 24,
    kColorAfterStyle4 = 25,
    kColorHilite6 = 26,
    kColorCount = 27,
};

// Brushes, made from the colours by CreateBrushes, in this order.
enum BrushIndex : uint32_t {
    kBrushBackground = 0,    // colour 0
    kBrushSelection = 1,     // colour 1
    kBrushMarkerMargin = 2,  // colour 2
    kBrushNumberMargin = 3,  // colour 3
    kBrushDivider = 4,       // colour 4
    kBrushPlainBack = 5,     // plainBackColor
    kBrushHilite1 = 6,       // colours 11-15, then 26 for highlight 6
    kBrushCount = 12,
};

// viewFlags bits.
constexpr uint32_t kViewPlain = 0x20;
constexpr uint32_t kViewMonochrome = 0x40;  // only together with kViewPlain

// style bits the control reads.
constexpr uint32_t kStyleReadOnly = 0x800;  // ES_READONLY: every line is locked

struct EditorInstance {
    WindowRef hwnd;
    uint32_t style;      // copy of the window style (WM_SIZE, WM_STYLECHANGED, EMX_SETREADONLY)
    uint32_t viewFlags;  // kViewPlain, kViewMonochrome
    uint32_t controlId;  // GWL_ID, sent with every notification
    WindowRef hwndParent;
    Rect clientRect;
    // The selection as it stood at the last left-button release, lower end first;
    // 0, 0 when it was empty. A range deletion clears both.
    CharIndex mouseSelStart;
    CharIndex mouseSelEnd;
    ViewPane panes[2];  // [0] upper (the only one while the split is closed), [1] lower
    WindowRef hwndSplitBar;
    uint32_t upperPaneHeight;  // client height * 256 / splitRatio, 0 when the ratio is 0
    uint32_t splitRatio;       // client height * 256 / split position
    uint32_t splitOpen;
    uint32_t padLineNumbers;
    uint32_t selMarginWidth;          // marker margin, pixels
    uint32_t lineNumberWidthSetting;  // line-number margin while shown
    uint32_t lineNumberWidth;         // in effect: 0 hidden, else the setting
    uint32_t wheelLines;

    // ---- The text store ------------------------------------------------------
    HeapRef lineIndexHeapHandle;
    HeapRef lineHeapHandle;
    HeapRef undoHeapHandle;
    // LineIndex: one 32-bit slot per line, the offset of its LineRecord in the
    // LineHeap. lineIndexUsed == 4 * line count >= 4.
    uint8_t* lineIndex;
    uint32_t lineIndexSize;
    uint32_t curLineSlot;  // current-line cache: 4 * curLine
    uint32_t lineIndexUsed;
    CharIndex curLineStart;  // current-line cache: first char of curLine
    LineNumber curLine;
    LineNumber columnSelStartLine;
    LineNumber columnSelEndLine;
    uint32_t curLineLength;  // length of the current line at the last lookup
    uint32_t maxLineLength;  // longest line met; columns after MeasureLongestLine
    uint32_t visibleColumns;
    // LineHeap: append-only LineRecords. Every byte past lineHeapUsed is zero.
    uint8_t* lineHeap;
    uint32_t lineHeapSize;
    uint32_t curRecord;  // current-line cache: offset of curLine's record
    uint32_t lineHeapUsed;
    // Undo log: records laid end to end; the back link of the newest record
    // sits at undoLogUsed.
    uint8_t* undoLog;
    uint32_t undoLogSize;
    uint32_t undoLogUsed;

    // ---- Display resources -----------------------------------------------------
    FontRef fonts[kFontSlotCount];
    uint32_t charSet;
    uint32_t dbcsCharSet;    // 134 or 136 once such a font was measured; never cleared
    uint32_t pairedCharSet;  // 186 once such a font was measured; never cleared
    uint32_t overhang;
    uint32_t charWidth;  // width of "WI" / 2; 0 until the first font
    uint32_t lineHeight;
    uint32_t spaceWidth;
    uint32_t tabPixelWidth;
    int32_t altFontRise;  // "X" height of the style-2 font - lineHeight
    uint32_t altFontsEnabled;
    uint32_t fixedPitch;
    uint32_t colors[kColorCount];
    uint32_t plainBackColor;
    BrushRef brushes[kBrushCount];

    // ---- Selection and editing ------------------------------------------------------
    CharIndex selAnchor;  // the selection's fixed end
    CharIndex caretPos;   // the caret, the selection's moving end
    uint32_t overwriteMode;
    uint32_t splitDragState;  // 0 idle, 1 pressed on the split bar, 2 dragging
    int32_t clickGridX;
    int32_t dragGridX;
    uint32_t columnSelStartCol;
    uint32_t columnSelEndCol;
    WindowRef hwndActivePane;
    uint32_t caretHidden;
    uint32_t modified;
    uint32_t hideSelection;
    uint32_t autoIndent;
    uint32_t stickyCaretX;
    uint32_t columnSelMode;
    uint32_t linesPerPage;
    uint32_t hiddenLineCount;  // lines whose LineFlags carry the hidden bit
    uint32_t tabWidth;
    uint32_t currentMarkerId;
    MarkerCallback markerCallback;
    uint32_t changeCount;  // every changed character adds 1
    uint32_t notifiedChangeCount;
};

// The active pane: the one whose window is hwndActivePane; any other handle means
// the lower pane.
inline ViewPane& ActivePane(EditorInstance& ed) {
    return ed.hwndActivePane == ed.panes[0].hwnd ? ed.panes[0] : ed.panes[1];
}
// The pane record of a pane window: the upper pane's, else the lower pane's.
inline ViewPane& PaneOf(EditorInstance& ed, WindowRef paneWindow) {
    return paneWindow == ed.panes[0].hwnd ? ed.panes[0] : ed.panes[1];
}
inline uint32_t LineCount(const EditorInstance& ed) { return ed.lineIndexUsed / 4; }
// x where the text area begins: both margins.
inline int32_t TextLeft(const EditorInstance& ed) {
    return static_cast<int32_t>(ed.selMarginWidth + ed.lineNumberWidth);
}

// Default colours at creation; entries 5, 6 and 10 are not used.
extern const uint32_t kDefaultColors[kColorCount];

// The defaults of a fresh control (all other fields 0, the store aside).
void SetInstanceDefaults(EditorInstance& ed);

#if UINTPTR_MAX == 0xFFFFFFFFu
// ---- The 32-bit layout, pinned ------------------------------------------------------
static_assert(sizeof(ViewPane) == 64, "ViewPane layout");
static_assert(offsetof(ViewPane, hwnd) == 0 && offsetof(ViewPane, hwndVScroll) == 4 &&
                  offsetof(ViewPane, hwndHScroll) == 8 && offsetof(ViewPane, hwndCorner) == 12 &&
                  offsetof(ViewPane, textRect) == 16 && offsetof(ViewPane, caretX) == 32 &&
                  offsetof(ViewPane, scrollY) == 36 && offsetof(ViewPane, vScrollShown) == 40 &&
                  offsetof(ViewPane, scrollX) == 44 && offsetof(ViewPane, hScrollShown) == 48 &&
                  offsetof(ViewPane, topLine) == 52 && offsetof(ViewPane, topLineY) == 56 &&
                  offsetof(ViewPane, topLineStart) == 60,
              "ViewPane field offsets");

#define QV_PIN(field, offset) \
    static_assert(offsetof(EditorInstance, field) == (offset), "EditorInstance::" #field)
QV_PIN(hwnd, 0);
QV_PIN(style, 4);
QV_PIN(viewFlags, 8);
QV_PIN(controlId, 12);
QV_PIN(hwndParent, 16);
QV_PIN(clientRect, 20);
QV_PIN(mouseSelStart, 36);
QV_PIN(mouseSelEnd, 40);
QV_PIN(panes, 44);
QV_PIN(hwndSplitBar, 172);
QV_PIN(upperPaneHeight, 176);
QV_PIN(splitRatio, 180);
QV_PIN(splitOpen, 184);
QV_PIN(padLineNumbers, 188);
QV_PIN(selMarginWidth, 192);
QV_PIN(lineNumberWidthSetting, 196);
QV_PIN(lineNumberWidth, 200);
QV_PIN(wheelLines, 204);
QV_PIN(lineIndexHeapHandle, 208);
QV_PIN(lineHeapHandle, 212);
QV_PIN(undoHeapHandle, 216);
QV_PIN(lineIndex, 220);
QV_PIN(lineIndexSize, 224);
QV_PIN(curLineSlot, 228);
QV_PIN(lineIndexUsed, 232);
QV_PIN(curLineStart, 236);
QV_PIN(curLine, 240);
QV_PIN(columnSelStartLine, 244);
QV_PIN(columnSelEndLine, 248);
QV_PIN(curLineLength, 252);
QV_PIN(maxLineLength, 256);
QV_PIN(visibleColumns, 260);
QV_PIN(lineHeap, 264);
QV_PIN(lineHeapSize, 268);
QV_PIN(curRecord, 272);
QV_PIN(lineHeapUsed, 276);
QV_PIN(undoLog, 280);
QV_PIN(undoLogSize, 284);
QV_PIN(undoLogUsed, 288);
QV_PIN(fonts, 292);
QV_PIN(charSet, 316);
QV_PIN(dbcsCharSet, 320);
QV_PIN(pairedCharSet, 324);
QV_PIN(overhang, 328);
QV_PIN(charWidth, 332);
QV_PIN(lineHeight, 336);
QV_PIN(spaceWidth, 340);
QV_PIN(tabPixelWidth, 344);
QV_PIN(altFontRise, 348);
QV_PIN(altFontsEnabled, 352);
QV_PIN(fixedPitch, 356);
QV_PIN(colors, 360);
QV_PIN(plainBackColor, 468);
QV_PIN(brushes, 472);
QV_PIN(selAnchor, 520);
QV_PIN(caretPos, 524);
QV_PIN(overwriteMode, 528);
QV_PIN(splitDragState, 532);
QV_PIN(clickGridX, 536);
QV_PIN(dragGridX, 540);
QV_PIN(columnSelStartCol, 544);
QV_PIN(columnSelEndCol, 548);
QV_PIN(hwndActivePane, 552);
QV_PIN(caretHidden, 556);
QV_PIN(modified, 560);
QV_PIN(hideSelection, 564);
QV_PIN(autoIndent, 568);
QV_PIN(stickyCaretX, 572);
QV_PIN(columnSelMode, 576);
QV_PIN(linesPerPage, 580);
QV_PIN(hiddenLineCount, 584);
QV_PIN(tabWidth, 588);
QV_PIN(currentMarkerId, 592);
QV_PIN(markerCallback, 596);
QV_PIN(changeCount, 600);
QV_PIN(notifiedChangeCount, 604);
#undef QV_PIN
static_assert(sizeof(EditorInstance) == 608, "EditorInstance size");
#endif

}  // namespace qv
