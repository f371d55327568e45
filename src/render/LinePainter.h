// Drawing one line of a pane with its syntax colours.
//
// PaintLine splits a line into runs, gives each run a colour, picks the run's font
// from the style code in the colour's top byte and draws it through a Surface:
//   - ';' starts a comment to the line's end; "..." and '...' are strings (the
//     other quote inside is string content);
//   - a run of word characters is looked up in the KeywordTable and takes its
//     group value; a keyword flagged '-' leaves the rest of the line plain, one
//     flagged '+' makes it a comment; a backslash 7 or 13 bytes after a keyword's
//     first character (unless the word starts with 'd') cancels the match and
//     leaves the rest of the line plain;
//   - 'name:' is a label; identifiers joined by '_' take one colour; the word after
//     a keyword of style 4 takes colour 25;
//   - a '^' right after 't' opens a block comment that runs across lines up to and
//     including the next '^' not after 't';
//   - the line's highlight and its part of the selection are filled first;
//     selected characters are drawn in the selected-text colour (comment colour
//     inside an open block comment), runs cut at the selection's bounds, while the
//     colouring runs exactly as without the selection: a selection changes how its
//     own characters look and nothing else;
//   - tabs and spaces are not drawn, they only move the pen;
//   - plain mode (viewFlags 0x20) colours nothing; with 0x40 as well the text is
//     black.
// Style codes: 0, 4, 8 the text font (slot 0); 1 slot 1; 2 slot 2 raised by
// altFontRise (slot 0, not raised, while altFontsEnabled is 0); 3 slot 3 raised;
// any other code is not drawn, but the pen still advances over the run. A ColorSet
// only ever holds the codes the painter knows (ColorWithKnownStyle).
//
// Nothing divides by a metric: before a font is measured (charWidth and
// tabPixelWidth 0) a line still paints, its tabs then taking no room.
#pragma once

#include <cstdint>

#include "render/Surface.h"
#include "base/ControlRecord.h"

namespace qv {

// The control's painter state (PainterState, in its ControlRecord): what the
// painter carries from line to line.
inline PainterState& PainterStateOf(EditorInstance& ed) { return StateOf(ed).painter; }

// Draws the line whose LineRecord is at `recordOffset` in the LineHeap and whose
// first character has char index `lineStart` into `row`: left = the text origin x,
// top = the row's top, right = the right limit (runs past it are not processed),
// bottom = only to reject an empty row. The surface has the text font (slot 0)
// selected and a transparent background; the caller has clipped it to the text area.
// Hidden or empty lines and rows above the surface are skipped. The line's closing
// CR is drawn, and selected, as a space; the record is left as it was.
//
// Column selection (columnSelMode): the stream selection is not shown; instead, on
// each line the selection spans, the characters in the columns between
// columnSelStartCol and columnSelEndCol are filled and coloured as selected.
//
// `visibleLeft` is the left edge of what the surface shows (its clip): runs whose
// glyphs end left of it are not drawn, though everything they do to the colouring
// and the pen is done, so a line scrolled far to the right costs drawing only its
// part on the screen.
//
// A long line painted again from right of its start resumes the colouring where
// its last paint left off when the bytes before that point and every setting the
// colouring reads are unchanged; what it draws is the same either way.
void PaintLine(EditorInstance& ed, uint32_t recordOffset, CharIndex lineStart, Surface& surface,
               const Rect& row, int32_t visibleLeft = INT32_MIN);

// A colour as the control keeps it in its ColorSet: a style code the painter knows
// (0-5 and 8) stays; any other is taken as 0, so a stray top byte in a host's
// record draws its run in the text font instead of hiding it. 5 remains the one
// code that hides a run on purpose.
uint32_t ColorWithKnownStyle(uint32_t color);

// Forgets the control's resume points (a line is then coloured from its start).
void ForgetResumePoints(EditorInstance& ed);

}  // namespace qv
