// Placing the nine child windows, and the scroll bars' ranges.
//
// The split: splitRatio = client height * 256 / split position, so the upper pane
// is client height * 256 / splitRatio high (0 when the ratio is 0, and never more
// than the client height). The split bar is 4 pixels high; scroll bars are 16
// pixels thick. Only the upper pane's hScrollShown is read: it governs the
// horizontal bars of both panes. Each pane has its own vScrollShown.
#pragma once

#include <windows.h>

#include "base/ControlRecord.h"

namespace qv {

// The control's layout measurements (LayoutState, in its ControlRecord).
inline LayoutState& LayoutStateOf(EditorInstance& ed) { return StateOf(ed).layout; }

constexpr uint32_t kOpenSplitRatio = 0x206;  // 256/518 of the height: just under half

// Moves every child to its place for the current client size, split and bars;
// first the text rectangle and vertical bar of `resizedPane`, when a pane's size or
// vertical bar changed.
void LayoutPanes(EditorInstance& ed, WindowRef resizedPane = nullptr);
// Sets the pane's vertical bar and the horizontal bar's page; answers the pane's
// vertical page (its height rounded down to whole rows).
uint32_t UpdateScrollBars(EditorInstance& ed, ViewPane& pane);
// Finds the longest line (in columns, tabs expanded) for the horizontal range and
// decides whether the horizontal bars are shown.
void MeasureLongestLine(EditorInstance& ed);
// Refreshes the average character width from the current line (proportional fonts).
void MeasureCurrentLine(EditorInstance& ed);
// After a text was inserted (EM_REPLACESEL, a paste): the current line's average
// width (proportional fonts), then the longest line, for the horizontal range.
void MeasureAfterEdit(EditorInstance& ed);

// The height of the upper pane for a client height and a split ratio.
uint32_t UpperPaneHeight(uint32_t clientHeight, uint32_t splitRatio);
// The horizontal step of the scroll bar: charWidth, or the rounded average width.
int32_t HorizontalStep(const EditorInstance& ed);

}  // namespace qv
