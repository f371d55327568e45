// The memory of one control: its EditorInstance, which hosts read, and after it
// the control's working state, which no host sees. Everything one control keeps
// between two calls lives here, so that nothing one control does (a gesture, a
// font, a paint, an edit) changes what another control of the process does; what
// the controls of a process share on purpose is listed in base/ProcessState.h.
//
// The record is plain data and zero is its starting state: the Windows layer
// allocates it zero-filled at WM_CREATE, the tests value-initialise it. Only the
// EditorInstance is a binary contract: the state after it may change freely.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "base/EditorInstance.h"

namespace qv {

// What an editing command carries from a range deletion to the insertion that
// replaces the range and into the undo log.
//
// Invariant between editing commands: absorbNextCr and keepNextCr are clear. Every
// editing command starts by clearing them (BeginEditCommand) and clears them again
// when it ends, so a flag left by one command never changes the next one; every
// undo record carries in its own fields what its undo and redo need.
struct EditState {
    // The next CR given to InsertChar is absorbed: the text stays as it is. Set by
    // a range deletion that kept its final line break.
    uint32_t absorbNextCr;
    // The next CR given to DeleteChar that would join two lines is kept.
    uint32_t keepNextCr;
    // A CR has been absorbed since the last range deletion.
    uint32_t crAbsorbed;
    // The range deleted last was the whole text through the closing CR.
    uint32_t wholeTextDelete;
    // Of the range deleted last: the char index where its first line starts, that
    // line's index and length, and the index of its last line. Logged with it.
    CharIndex rangeStartLineStart;
    LineNumber rangeStartLine;
    uint32_t rangeStartLineLength;
    LineNumber rangeEndLine;
};

// Caret placement and scrolling.
struct ScrollState {
    // The last PointToChar found the point beyond the midpoint of the line's
    // closing CR; callers step back one so the caret lands before the CR. A lookup
    // that asks for a line's start leaves it as it was.
    uint32_t hitPastLineEnd;
    // Where PlaceCaret last put the system caret (the active pane's coordinates):
    // the control's caret, read where a command takes its x, whatever another
    // window of the thread has done with the one system caret since.
    Point caretPlaced;
    // While set, ScrollPane does not pace vertical scrolls, and the layout after a
    // paint measures nothing: a scroll-bar gesture under way (from its first
    // message to SB_ENDSCROLL), or the wheel's scroll with the paints it runs.
    uint32_t scrollPacingOff;
};

// The mouse in the control's panes. A drag is ended by the release in the same
// pane, since the capture keeps every mouse message there.
struct MouseState {
    uint32_t mouseDragState;     // a MouseDragMode; a range deletion ends any drag
    uint32_t skipNextMouseMove;  // the next WM_MOUSEMOVE is ignored
    LineNumber dragStartLine;    // line of the click that started a text drag
    LineNumber marginDragLine;   // line of the click that started a margin drag
    CharIndex dragClickPos;      // caretPos after the click that started the drag
    int32_t prevPointerX;        // pointer x - 10 at the previous check; 0 = not yet set
    int32_t dragRightLimit;      // rightward auto-scroll limit of the current move
    int32_t dragTextWidth;       // width beyond which a rightward step grows
    uint32_t rightStepTaken;
    uint32_t lineEndReached;
    CharIndex lastRightStepPos;  // caretPos after the last rightward step
};

// The measurements of the control's layout.
struct LayoutState {
    long double avgCharWidth;  // average character width of the last measured line
    // Set by handlers around a measurement after an edit or a font change: the
    // horizontal range is set from the measured width at once, also by the layouts
    // of the pane sizes and paints that the measurement runs.
    uint32_t measureTextChanged;
    uint32_t measureFontChanged;
};

// The painter's state that outlives a line: carried from line to line of a
// paint, and from paint to paint of the control's panes.
struct PainterState {
    // What the next word start does with its colour: 0 nothing; 4 colour 25 (after
    // a style-4 run); 6 a label colon was just coloured; 7 a '_' was just coloured
    // (the next word takes colour 24).
    uint32_t pendingWordColor;
    // 0, or the LineHeap offset of the '^' that opened a block comment: characters
    // stored after it are comment until a '^' not after 't' clears it.
    uint32_t blockCommentMark;
    // Set by PaintLine when the line holds the block word "proc" or "PROC" as a
    // whole word after a blank; the caller clears it before each line.
    uint32_t blockWordSeen;
};

// A long line's painting state at the last point before the painter drew
// anything, so that the line painted again from right of its start resumes there
// (render/LinePainter.cpp says when).
struct PaintResumePoint {
    uint32_t used;          // nonzero once kept
    uint32_t recordOffset;  // the line's LineRecord
    uint64_t settings;      // digest of everything besides the text the colouring reads
    int64_t visibleLeft;    // from the row's left edge
    uint32_t checkedBytes;  // the bytes the digest covers: p and the lookahead
    uint64_t text;          // their digest
    uint32_t p;             // the character the painting resumes at
    struct Colourer {       // the syntax state there
        uint8_t quote;
        bool comment;
        uint32_t r, wordColor, keywordFlag, previousColor;
    } colourer;
    struct Drawer {  // the pen there
        int64_t x;
        uint32_t current;
        bool colorPending;
    } drawer;
    uint32_t pendingWordColor;
    uint32_t blockCommentMark;
    uint32_t blockWordAt;
};

// The resume points of the last few long lines the control painted.
struct PaintResume {
    static constexpr uint32_t kSlots = 4;
    PaintResumePoint points[kSlots];
    uint32_t next;  // the slot taken next, round the slots
};

// The lines that set the longest line's figure (store/LongestLine.cpp), made on
// the first lookup and dropped with the store.
struct LongestLineChain;

// Which implementation the control's text operations use. Bulk is the control's;
// Charwise runs the per-character primitives with the room checks they make
// themselves, for the tests that compare the two and for the benchmarks of the
// difference.
enum class TextPath : uint8_t { Bulk, Charwise };

// The working state of one control.
struct ControlState {
    EditState edit;
    ScrollState scroll;
    MouseState mouse;
    LayoutState layout;
    PainterState painter;
    PaintResume resume;
    LongestLineChain* longestLine;
    TextPath textPath;
};

struct ControlRecord {
    EditorInstance ed;  // first: the control's and the panes' extra value points at it
    ControlState state;
};
static_assert(std::is_standard_layout<ControlRecord>::value &&
                  std::is_trivially_copyable<ControlRecord>::value,
              "the record is plain data, zero at the start");
static_assert(offsetof(ControlRecord, ed) == 0, "an EditorInstance's address is its record's");

// The working state of the control whose EditorInstance this is. Every
// EditorInstance the core works on is the first member of a ControlRecord.
inline ControlState& StateOf(EditorInstance& ed) {
    return reinterpret_cast<ControlRecord&>(ed).state;
}
inline const ControlState& StateOf(const EditorInstance& ed) {
    return reinterpret_cast<const ControlRecord&>(ed).state;
}

}  // namespace qv
