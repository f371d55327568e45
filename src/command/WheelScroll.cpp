// The mouse wheel: a jump to the new offset, or in the smooth mode (process-wide,
// EMX_SETWHEELMODE) a run of small repainted steps, a pixel each on a fast
// processor, a row each otherwise.
#include "base/Platform.h"
#include "base/ScrollTiming.h"
#include "command/MouseCommands.h"
#include "command/MouseSteps.h"
#include "edit/Notify.h"
#include "pane/CaretGeometry.h"
#include "pane/MouseState.h"
#include "pane/PaneView.h"

namespace qv {
namespace {

// Above this clock the synchronous repaint of a pixel step is fast enough.
constexpr uint32_t kPixelStepsAboveMHz = 2000;
// A smooth scroll takes at most this many steps: a long distance (a page, many
// lines a notch) takes larger steps rather than freezing the window.
constexpr int64_t kMaxSmoothSteps = 120;

void PlaceCaretIfActive(EditorInstance& ed, const ViewPane& pane, int32_t s) {
    if (pane.hwnd == ed.hwndActivePane) PlaceCaret(ed, static_cast<uint32_t>(s));
}

// Moves the pane from its offset to `target` in steps, each scrolled and repainted
// at once. A left button found down after a step ends the scroll, in pixel steps at
// the next row boundary.
void ScrollSmoothly(EditorInstance& ed, ViewPane& pane, int32_t target, const MouseContext& ctx) {
    Platform& platform = ThePlatform();
    const bool pixelSteps = gTiming.cpuMHz > kPixelStepsAboveMHz || ed.lineHeight == 0;
    const int64_t lineHeight = ed.lineHeight;
    int64_t remaining = static_cast<int64_t>(target) - pane.scrollY;
    const int64_t direction = remaining < 0 ? -1 : 1;
    if (remaining < 0) remaining = -remaining;
    int64_t unit = pixelSteps ? 1 : lineHeight;
    const int64_t fewest = (remaining + kMaxSmoothSteps - 1) / kMaxSmoothSteps;
    if (unit < fewest) unit = fewest;
    auto move = [&](int64_t step) {
        pane.scrollY = static_cast<int32_t>(pane.scrollY + direction * step);
        ScrollPane(ed, pane.hwnd, 0, static_cast<int32_t>(-direction * step));
        remaining -= step;
    };
    while (remaining > 0) {
        move(unit < remaining ? unit : remaining);
        if (Abandoned(ctx)) return;
        if (remaining == 0 || !platform.IsLeftButtonDown()) continue;
        // A press ends the scroll; pixel steps first finish the row they are in.
        if (pixelSteps && lineHeight != 0) {
            const int64_t into = pane.scrollY % lineHeight;
            const int64_t toBoundary = into == 0 ? 0 : direction > 0 ? lineHeight - into : into;
            const int64_t last = toBoundary < remaining ? toBoundary : remaining;
            if (last > 0) move(last);
        }
        return;
    }
}

}  // namespace

void WheelScroll(EditorInstance& ed, WindowRef paneWindow, int32_t& remainder, int32_t delta,
                 VerticalRange bar, const MouseContext& ctx) {
    if (ed.wheelLines == 0) {
        remainder = 0;
        return;
    }
    ViewPane& pane = PaneOf(ed, paneWindow);
    const int32_t notches = TakeWheelNotches(remainder, delta);
    const int32_t old = pane.scrollY;
    const int32_t target = WheelTarget(ed, pane, old, notches, bar);
    if (target == old) return;

    ScrollStateOf(ed).scrollPacingOff = 1;
    if (gSmoothWheel) {
        PlaceCaretIfActive(ed, pane, old);
        ScrollSmoothly(ed, pane, target, ctx);
    } else {
        pane.scrollY = target;
        PlaceCaretIfActive(ed, pane, target);
        ScrollPane(ed, paneWindow, 0, old - target);
    }
    ScrollStateOf(ed).scrollPacingOff = 0;
    if (Abandoned(ctx)) return;
    NotifyScrollBarScroll(ed, paneWindow);
}

}  // namespace qv
