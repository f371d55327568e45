// What the controls of a process share: the only state under src/ that is not one
// control's. A control's own state lives in its record (base/ControlRecord.h, and
// for the window layer ControlPrivate in base/win/ControlBlock.h), where no other
// control sees it. What is listed here is shared on purpose: by contract with the
// hosts, or as a resource of the process. Each stays defined where it is used;
// this list names them, one line each with why it is shared, and
// tools/check-globals (run by `make test`) fails on any variable under src/ that
// can change and is neither a control's nor listed here.
//
// A new variable finds its place by one question: could two controls want
// different values of it? Then it is a field of ControlState (or of ControlPrivate
// for the window layer), reached through the control's EditorInstance, and passed
// as an argument where one call needs it. Only what a host sets for every control
// at once, or what the process owns once, belongs below.
//
// name                defined in                   why it is shared
// gPlatform           base/Platform.cpp            installed once, before the first control exists
// gTiming             base/ScrollTiming.cpp        the clock, measured once; EMX_SETSCROLLDELAY paces all
// gSmoothWheel        pane/MouseState.cpp          the wheel mode: EMX_SETWHEELMODE sets it for all
// gKeywords           render/KeywordTable.cpp      the keyword table: one list colours every control
// gKeywordGeneration  render/KeywordTable.cpp      the keyword table's changes, for every painter
// hostWindows         render/KeywordTable.cpp      the host's windows record, one per process
// gLibrary            shell/win/Library.cpp        module, cursors, marker images: loaded once
// gWin32Platform      shell/win/Library.cpp        the platform object installed as gPlatform
// gMeasureDC          render/win/FontWidths.cpp    the device context every measurement uses
// gCache              render/win/FontWidths.cpp    the byte widths of each font met, alike for all
// gCacheUsed          render/win/FontWidths.cpp    the font-width cache's entries in use
// gCacheNext          render/win/FontWidths.cpp    the font-width cache's entry replaced next
// gBuffer             render/win/PanePainter.cpp   the paint's bitmap; each paint covers its part first
// gPlan               base/win/Allocations.cpp     the test build's fault plan, set through an export
#pragma once
