#include "shell/win/NumberMargin.h"

#include <windows.h>

#include "base/HostLimits.h"
#include "base/win/ControlBlock.h"
#include "pane/CaretGeometry.h"
#include "pane/PaneView.h"
#include "render/LineNumbers.h"
#include "render/win/Fonts.h"
#include "shell/win/Layout.h"

namespace qv {
namespace {

bool PaneHasFocus(const EditorInstance& ed) {
    const HWND focus = ::GetFocus();
    return focus != nullptr && (focus == Hwnd(ed.panes[0].hwnd) || focus == Hwnd(ed.panes[1].hwnd));
}

}  // namespace

uint32_t FittedNumberWidth(EditorInstance& ed) {
    ControlPrivate& priv = PrivateOf(ed);
    const uint32_t length = WidestNumberLength(LineCount(ed), ed.padLineNumbers);
    if (length != priv.numberLength || ed.fonts[kFontLineNumbers] != priv.numberFont ||
        ed.fonts[kFontText] != priv.numberTextFont) {
        const int32_t text = MeasureNumberText(ed, length);
        // Without a device context the last measurement stands; the next message
        // measures again.
        if (text >= 0) {
            priv.numberLength = length;
            priv.numberFont = ed.fonts[kFontLineNumbers];
            priv.numberTextFont = ed.fonts[kFontText];
            priv.numberNeed = ClampMarginWidth(static_cast<uint32_t>(text) + kLineNumberLeftGap + kLineNumberRightGap);
        }
    }
    return priv.numberNeed > ed.lineNumberWidthSetting ? priv.numberNeed : ed.lineNumberWidthSetting;
}

void SetNumberMarginWidth(EditorInstance& ed, uint32_t width) {
    if (width == ed.lineNumberWidth) return;
    const int32_t oldLeft = TextLeft(ed);
    const int32_t delta = static_cast<int32_t>(width) - static_cast<int32_t>(ed.lineNumberWidth);
    ed.lineNumberWidth = width;
    // A remembered x inside the margins aims at a line's start (0 does): it stays.
    for (ViewPane& pane : ed.panes)
        if (pane.caretX >= oldLeft) pane.caretX += delta;
    // The system caret is the thread's: it is moved only while a pane has the
    // focus; a pane that gets the focus places it afresh.
    if (PaneHasFocus(ed)) {
        Point& p = ScrollStateOf(ed).caretPlaced;
        p.x += delta;
        ::SetCaretPos(p.x, p.y);
    }
    LayoutPanes(ed);
    RefreshBothPanes(ed);
    UpdateScrollBars(ed, ActivePane(ed));
}

void KeepNumberMargin(EditorInstance& ed) {
    if (ed.lineNumberWidth == 0 || StreamRunning(ed)) return;
    // A control being destroyed (its window no longer leads to the record; its
    // panes still do while they go) is left alone.
    if (InstanceOf(Hwnd(ed.hwnd)) != &ed) return;
    SetNumberMarginWidth(ed, FittedNumberWidth(ed));
}

}  // namespace qv
