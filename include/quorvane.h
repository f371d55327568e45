/*
 * quorvane.h - what a host needs to drive a Quorvane control.
 *
 * Quorvane.dll exports no functions. Loading it (LoadLibrary) registers the window
 * class "Quorvane"; a host creates windows of that class as children of its own
 * windows and drives them with window messages: the standard edit-control
 * messages, a subset of the rich-edit messages, and the private messages below.
 * The private numbers also work as WM_COMMAND identifiers sent to the control, so
 * menu items and accelerators can carry them directly.
 *
 * Plain C, usable from C and C++. The control is 32-bit: every handle, pointer and
 * index in the records below is 32 bits wide.
 */
#ifndef QUORVANE_H
#define QUORVANE_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Window classes. Hosts create QUORVANE_CLASS; the panes inside it are of the
 * second class, which hosts never create themselves. */
#define QUORVANE_CLASS "Quorvane"
#define QUORVANE_PANE_CLASS "QuorvaneEdit"

/* ---- View and editing settings ------------------------------------------------ */
#define EMX_SETMARKERMARGIN      0x13A7 /* wParam: marker margin width in pixels */
#define EMX_SETLINENUMBERWIDTH   0x13A8 /* wParam: line-number margin width while shown */
#define EMX_SETWHEELLINES        0x13A9 /* wParam: lines per wheel notch, 0 = wheel off; answers wParam */
#define EMX_SETTABWIDTH          0x13AA /* wParam: tab stop distance in average characters */
#define EMX_SETWHEELMODE         0x13AB /* lParam: nonzero = smooth wheel (all controls); answers lParam */
#define EMX_TOGGLEVIEWFLAGS      0x13AC /* wParam: bits to flip, QV_VIEW_PLAIN / QV_VIEW_MONOCHROME */
#define EMX_ENABLEALTFONTS       0x13AD /* wParam: 0 draws style-2 runs in the text font */
#define EMX_FLIPVIEWFLAGS        0x13AE /* the same as EMX_TOGGLEVIEWFLAGS */
#define EMX_SETAUTOINDENT        0x13AF /* wParam: nonzero = new lines copy the indentation; answers wParam */
#define EMX_TOGGLEPADLINENUMBERS 0x13B0 /* line numbers zero-padded to six digits, or not */
#define EMX_SETSCROLLDELAY       0x13B1 /* lParam: spin count between auto-scroll steps (all controls) */
#define EMX_GETSCROLLDELAY       0x13B2 /* answers the spin count */
#define EMX_SETSTICKYCARETX      0x13B6 /* lParam: flag used by Down */
#define EMX_SETCOLUMNSELMODE     0x13B8 /* lParam: nonzero = column selection band */
#define EMX_SETREADONLY          0x13CB /* lParam: nonzero sets ES_READONLY, 0 clears it */
#define EMX_SETPAGELINES         0x13DA /* wParam: lines per page for the notification's page field */
#define EMX_GETPAGELINES         0x13DB /* answers the lines per page */

/* ---- Fonts, colours and keywords ----------------------------------------------- */
#define EMX_SETHOSTWINDOWS       0x13A1 /* lParam: six window handles (QV_HOSTWINDOWS) */
/* EMX_SETKEYWORDS adds each word of the list to the one keyword table that every
 * control of the process shares ('a'-'z' match either case; a '-' or '+' inside a
 * word is not stored but makes the rest of the line plain or a comment). Words of
 * any length are stored whole. Should the table be unable to grow, the word that
 * needed the room and the rest of that list are dropped, the words before it stay.
 * Answers 0. */
#define EMX_SETKEYWORDS          0x13A2 /* wParam: group value; lParam: "w1,w2,..." or NULL to empty */
#define EMX_SETFONTS             0x13A3 /* lParam: FontSet */
#define EMX_GETFONTS             0x13A4 /* lParam: FontSet; entry 4 is left as it was */
#define EMX_SETCOLORS            0x13A5 /* lParam: ColorSet; entries 5, 6 and 10 are not used */
#define EMX_GETCOLORS            0x13A6 /* lParam: ColorSet; entries 3-6, 10, 18-21, 23-25 left as they were */

/* ---- Line highlights, locks and hidden lines ------------------------------------ */
#define EMX_SETLINEHILITE        0x13B3 /* wParam: line; lParam: highlight index 0-15 */
#define EMX_GETLINEHILITE        0x13B4 /* wParam: line; answers the index, or -1 past the last line */
#define EMX_CLEARHILITES         0x13B5 /* wParam: flags value to clear; 9 clears highlights 1 to 9 */
#define EMX_SETLINELOCK          0x13D3 /* wParam: line; lParam: nonzero locks */
#define EMX_ISLINELOCKED         0x13D4 /* wParam: line; answers 1 or 0 */
#define EMX_SETLINEHIDDEN        0x13D5 /* wParam: line; lParam: nonzero hides */
#define EMX_ISLINEHIDDEN         0x13D6 /* wParam: line; answers 1 or 0 */
#define EMX_REDRAWLINE           0x13D9 /* wParam: line */

/* ---- Markers and collapsible blocks ---------------------------------------------- */
#define EMX_ENUMMARKERS          0x13BA /* lParam: MarkerEnumeration or NULL */
#define EMX_SETMARKER            0x13BB /* wParam: line; lParam: marker id (0 removes) */
#define EMX_GETMARKER            0x13BC /* wParam: line; answers the id, or -1 */
#define EMX_NEXTMARKER           0x13BD /* wParam: line; lParam: id; answers the line, or -1 */
#define EMX_PREVMARKER           0x13BE /* wParam: line; lParam: id; answers the line, or -1 */
#define EMX_FINDMARKER           0x13BF /* wParam: id; answers the first line carrying it, or -1 */
#define EMX_GETCURRENTMARKER     0x13C0 /* answers the current marker id */
#define EMX_CLEARMARKERS         0x13C1 /* removes every bookmark and block-state marker */
#define EMX_MARKBLOCKS           0x13CC /* lParam: BlockPatternPair */
#define EMX_MATCHBLOCKPATTERN    0x13CD /* wParam: line; lParam: pattern; answers the column, or -1 */
#define EMX_FOLDBLOCK            0x13CF /* wParam: line; lParam: BlockPatternPair */
#define EMX_FOLDALL              0x13D0 /* lParam: BlockPatternPair */
#define EMX_UNFOLDBLOCK          0x13D1 /* wParam: line */
#define EMX_UNFOLDALL            0x13D2

/* ---- Window, split view and queries ---------------------------------------------- */
#define EMX_SUBCLASSPANES        0x13A0 /* lParam: WNDPROC for both panes; answers the previous one */
#define EMX_REPAINTALL           0x13C3 /* lParam: nonzero updates at once */
#define EMX_TOGGLELINENUMBERS    0x13C4
#define EMX_GETLINENUMBERS       0x13C5 /* answers 1 while line numbers are shown */
#define EMX_TOGGLESPLIT          0x13C6
#define EMX_GETHSCROLLBAR        0x13C8 /* answers the upper pane's horizontal scroll bar */
#define EMX_CENTERCARET          0x13C9
#define EMX_SETMARKERCALLBACK    0x13CA /* lParam: QV_MARKERCALLBACK or NULL */
#define EMX_GETWORD              0x13CE /* wParam: buffer size (at least 1); lParam: buffer */
#define EMX_SETSPLIT             0x13D7 /* wParam: split ratio, 9 bits: client height * 256 / split y */
#define EMX_GETSPLIT             0x13D8 /* answers the split ratio */
#define EMX_NOP                  0x2B0F /* does nothing, answers 0 */

#define EMX_FIRST                0x13A0
#define EMX_LAST                 0x13DB

/* viewFlags bits for EMX_TOGGLEVIEWFLAGS */
#define QV_VIEW_PLAIN            0x20 /* no syntax colouring */
#define QV_VIEW_MONOCHROME       0x40 /* with QV_VIEW_PLAIN: black text on the plain background */

/* ---- Notification --------------------------------------------------------------- */
/* The control sends its parent WM_NOTIFY with this code (the value of EN_SELCHANGE)
 * and a SelChangeEx record, for every change of text, selection, caret or view. */
#define QVN_SELCHANGE            0x702

#define QV_REASON_CHANGE         1    /* text, selection or caret changed */
#define QV_REASON_SCROLL         1234 /* a small vertical scroll of the pixels; a margin drag */
#define QV_REASON_SCROLLBAR      44   /* scroll bar or wheel moved a pane; only line is set */

#pragma pack(push, 1)
/* 54 bytes, packed. The first 22 bytes have the layout of SELCHANGE with the
 * reason in place of the selection type; anchor and caret are not ordered. */
typedef struct SelChangeEx {
    NMHDR nmhdr;            /*  0: hwndFrom, idFrom, code (QVN_SELCHANGE) */
    LONG anchor;            /* 12: the selection's fixed end */
    LONG caret;             /* 16: the caret, the selection's moving end */
    WORD reason;            /* 20: QV_REASON_* */
    DWORD line;             /* 22: the caret's line (reason 1) */
    DWORD lineLength;       /* 26: its stored length, closing CR included */
    DWORD lineStart;        /* 30: char index of its first character */
    const BYTE *lineRecord; /* 34: the line's LineRecord; valid only during the notification */
    DWORD lastLine;         /* 38: line count - 1 */
    DWORD hiddenLines;      /* 42: lines hidden in folded blocks */
    DWORD changed;          /* 46: 1 when the text changed since the previous notification */
    DWORD page;             /* 50: line / lines per page, 0 without pages */
} SelChangeEx;
#pragma pack(pop)

/* ---- Records exchanged by address --------------------------------------------- */

/* EMX_SETFONTS / EMX_GETFONTS. The control never deletes the host's fonts. */
enum {
    QV_FONT_TEXT = 0,    /* all measuring; runs of style 0, 4 and 8 */
    QV_FONT_STYLE1 = 1,  /* runs whose colour carries style 1 */
    QV_FONT_STYLE2 = 2,  /* style-2 runs, raised; its "X" height sets the rise */
    QV_FONT_STYLE3 = 3,  /* style-3 runs, raised */
    QV_FONT_UNUSED = 4,
    QV_FONT_LINENUMBERS = 5
};
typedef struct FontSet {
    HFONT fonts[6];
} FontSet;

/* EMX_SETCOLORS / EMX_GETCOLORS: 27 values 0xSSBBGGRR, SS the style code of a
 * text colour (0 text font; 1, 2, 3 the style fonts; 4 colours the next word
 * with entry 25; other values are not drawn). */
enum {
    QV_COLOR_BACKGROUND = 0, QV_COLOR_SELECTION = 1, QV_COLOR_MARKERMARGIN = 2,
    QV_COLOR_NUMBERMARGIN = 3, QV_COLOR_DIVIDER = 4, QV_COLOR_TEXT = 7,
    QV_COLOR_SELECTEDTEXT = 8, QV_COLOR_LINENUMBER = 9, QV_COLOR_HILITE1 = 11,
    QV_COLOR_HILITE2 = 12, QV_COLOR_HILITE3 = 13, QV_COLOR_HILITE4 = 14,
    QV_COLOR_HILITE5 = 15, QV_COLOR_COMMENT = 16, QV_COLOR_STRING = 17,
    QV_COLOR_QUOTE = 18, QV_COLOR_CLASS3 = 19, QV_COLOR_CLASS4 = 20,
    QV_COLOR_CLASS5 = 21, QV_COLOR_CLASS2 = 22, QV_COLOR_LABEL = 23,
    QV_COLOR_UNDERSCORE = 24, QV_COLOR_AFTERSTYLE4 = 25, QV_COLOR_HILITE6 = 26,
    QV_COLOR_COUNT = 27
};
typedef struct ColorSet {
    DWORD colors[QV_COLOR_COUNT];
} ColorSet;

/* EMX_MARKBLOCKS, EMX_FOLDBLOCK, EMX_FOLDALL: a block-start and a block-end
 * pattern, such as "$ proc" and "$ endp" ('$' stands for a name). */
typedef struct BlockPatternPair {
    const char *start;
    const char *end;
} BlockPatternPair;

/* EMX_ENUMMARKERS: (marker id, line) pairs in line order from byte 0, and the
 * current marker id at byte 80. The host passes a zero-filled record. */
typedef struct MarkerPair {
    DWORD id;
    DWORD line;
} MarkerPair;
typedef struct MarkerEnumeration {
    MarkerPair pairs[10];
    DWORD currentId;
} MarkerEnumeration;

/* EMX_SETHOSTWINDOWS: six window handles. Entry 2 answers WM_GETTEXTLENGTH
 * for the control's text; entry 3 is a popup the control hides before scrolling
 * and before the bookmark messages. The others are stored only. */
typedef struct HostWindows {
    HWND windows[6];
} HostWindows;

/* EMX_SETMARKERCALLBACK: answers the image (1-8, 0 for none) of an unmarked line. */
typedef DWORD (CALLBACK *QV_MARKERCALLBACK)(HWND control, DWORD line);

#ifdef __cplusplus
}
#endif

#endif /* QUORVANE_H */
