// The rich-edit style messages (0x432-0x4E1) the control answers. Unlisted numbers
// of the range fall through to the later groups and in the end to the default
// procedure.
#include <richedit.h>
// The platform's FindText (the find dialog) is a macro; the control's own search
// has the same name.
#undef FindText

#include <cstddef>

#include "base/win/ControlBlock.h"
#include "command/StreamCommands.h"
#include "edit/Find.h"
#include "edit/Notify.h"
#include "edit/TextEdit.h"
#include "command/UndoCommand.h"
#include "edit/UndoLog.h"
#include "pane/PaneView.h"
#include "render/Words.h"
#include "command/CommandSteps.h"
#include "shell/win/Layout.h"
#include "shell/win/LineEndSetting.h"
#include "shell/win/MessageTable.h"
#include "shell/win/StreamGuard.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

// The core's stream record and numbers are the platform's.
static_assert(sizeof(EditStream) == sizeof(EDITSTREAM) &&
                  offsetof(EditStream, cookie) == offsetof(EDITSTREAM, dwCookie) &&
                  offsetof(EditStream, error) == offsetof(EDITSTREAM, dwError) &&
                  offsetof(EditStream, callback) == offsetof(EDITSTREAM, pfnCallback),
              "EditStream is laid out as EDITSTREAM");
static_assert(kStreamUnicode == SF_UNICODE && kStreamSelection == SFF_SELECTION && SF_RTF == 2 &&
                  SF_RTFNOOBJS == 3 && SF_TEXTIZED == 4,
              "stream format flags");
static_assert(kErrorAccessDenied == ERROR_ACCESS_DENIED && kErrorNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY &&
                  kErrorWriteFault == ERROR_WRITE_FAULT && kErrorNotSupported == ERROR_NOT_SUPPORTED &&
                  kErrorInvalidParameter == ERROR_INVALID_PARAMETER && kErrorBusy == ERROR_BUSY &&
                  kErrorFileTooLarge == ERROR_FILE_TOO_LARGE,
              "stream errors");

// The characters from `a` to `b` (ordered unsigned, so -1 is the end of the text,
// then clamped), each line end as the line-end setting writes it, and a NUL, into
// `buffer`; answers the bytes written. The closing CR is not the host's text: a
// range to the end stops in front of it, so a buffer of WM_GETTEXTLENGTH + 1 always
// has room. The upper end is clamped first, so the current line ends on the lower
// end's line.
uint32_t CopyRange(EditorInstance& ed, CharIndex a, CharIndex b, char* buffer) {
    if (!buffer) return 0;
    if (a > b) {
        CharIndex t = a;
        a = b;
        b = t;
    }
    const CharIndex closing = LocateChar(ed, kNoIndex).index - 1;
    const CharIndex hi = LocateChar(ed, b < closing ? b : closing).index;
    const CharIndex lo = LocateChar(ed, a < hi ? a : hi).index;
    auto* out = reinterpret_cast<uint8_t*>(buffer);
    const uint32_t n = CopyTextOut(ed, lo, hi, CopiedLineEnd(ed), out, UINT32_MAX);
    buffer[n] = 0;
    return n;
}

// "Unless the selection is hidden and not empty", for EM_EXSETSEL's repaints.
bool SelectionDrawn(const EditorInstance& ed) { return !(ed.hideSelection && ed.selAnchor != ed.caretPos); }

// EM_CANPASTE: answers whether the clipboard holds format wParam; 0 stands for no
// format at all.
LRESULT OnEmCanPaste(EditorInstance&, const Message& m) {
    return ::IsClipboardFormatAvailable(static_cast<UINT>(m.wParam));
}

// EM_EXGETSEL: the ordered selection into the CHARRANGE at lParam; answers 0.
LRESULT OnEmExGetSel(EditorInstance& ed, const Message& m) {
    if (auto* range = reinterpret_cast<CHARRANGE*>(m.lParam)) {
        range->cpMin = static_cast<LONG>(ed.selAnchor < ed.caretPos ? ed.selAnchor : ed.caretPos);
        range->cpMax = static_cast<LONG>(ed.selAnchor < ed.caretPos ? ed.caretPos : ed.selAnchor);
    }
    return 0;
}

// EM_EXLINEFROMCHAR: answers the line holding index lParam.
LRESULT OnEmExLineFromChar(EditorInstance& ed, const Message& m) {
    return LocateChar(ed, static_cast<CharIndex>(m.lParam)).line;
}

// EM_EXSETSEL: anchor cpMin and caret cpMax of the CHARRANGE at lParam, clamped to
// the text (never past its end); the caret is placed but not scrolled into view;
// answers 0.
LRESULT OnEmExSetSel(EditorInstance& ed, const Message& m) {
    const auto* range = reinterpret_cast<const CHARRANGE*>(m.lParam);
    if (!range) return 0;
    if (SelectionDrawn(ed)) InvalidateSelectionInBothPanes(ed);
    ed.caretPos = ClampToTextEnd(ed, static_cast<CharIndex>(range->cpMax));
    ed.selAnchor = ClampToTextEnd(ed, static_cast<CharIndex>(range->cpMin));
    if (SelectionDrawn(ed)) InvalidateSelectionInBothPanes(ed);
    // Placed also under a hidden selection: the old place would keep blinking while
    // the next character replaces the new selection.
    PlaceCaretInActivePane(ed);
    NotifyParent(ed, kReasonSelChange);
    return 0;
}

FindRequest RequestOf(const FINDTEXTA& find, FindRange* found) {
    return {find.chrg.cpMin, find.chrg.cpMax, find.lpstrText, found};
}

// EM_FINDTEXT: answers the index of the first match of the FINDTEXT at lParam with
// the flags in wParam, or -1.
LRESULT OnEmFindText(EditorInstance& ed, const Message& m) {
    const auto* find = reinterpret_cast<const FINDTEXTA*>(m.lParam);
    if (!find) return -1;
    return static_cast<LRESULT>(FindText(ed, static_cast<uint32_t>(m.wParam), RequestOf(*find, nullptr), false));
}

// EM_FINDTEXTEX: as EM_FINDTEXT, and a match's range into chrgText.
LRESULT OnEmFindTextEx(EditorInstance& ed, const Message& m) {
    auto* find = reinterpret_cast<FINDTEXTEXA*>(m.lParam);
    if (!find) return -1;
    FindRange found = {find->chrgText.cpMin, find->chrgText.cpMax};
    const FINDTEXTA plain = {find->chrg, find->lpstrText};
    const CharIndex at = FindText(ed, static_cast<uint32_t>(m.wParam), RequestOf(plain, &found), true);
    find->chrgText.cpMin = found.cpMin;
    find->chrgText.cpMax = found.cpMax;
    return static_cast<LRESULT>(at);
}

// EM_GETSELTEXT: the selected characters (line ends as the line-end setting writes
// them) and a NUL into the buffer at lParam; answers the bytes written.
LRESULT OnEmGetSelText(EditorInstance& ed, const Message& m) {
    return CopyRange(ed, ed.selAnchor, ed.caretPos, reinterpret_cast<char*>(m.lParam));
}

// EM_HIDESELECTION: hideSelection = wParam, nothing repainted; answers wParam.
LRESULT OnEmHideSelection(EditorInstance& ed, const Message& m) {
    ed.hideSelection = static_cast<uint32_t>(m.wParam);
    return m.wParam;
}

// EM_STREAMIN: the text from the callback of the EDITSTREAM at lParam in the format
// of wParam (plain or SF_UNICODE; the rich-text formats are refused), into the whole
// document (the kind of its line ends kept) or, with SFF_SELECTION, over the
// selection; answers the bytes read. A nested one, from a running stream's
// callback, answers 0 with dwError ERROR_BUSY.
LRESULT OnEmStreamIn(EditorInstance& ed, const Message& m) {
    auto* stream = reinterpret_cast<EditStream*>(m.lParam);
    if (StreamRunning(ed)) {
        if (stream) stream->error = kErrorBusy;
        return 0;
    }
    const uint32_t flags = static_cast<uint32_t>(m.wParam);
    StreamScope scope(ed);
    LoadedLineEnds loaded;
    const uint32_t bytes = StreamInCommand(ed, stream, flags, scope.abandoned(), &loaded);
    if (*scope.abandoned()) return bytes;
    if (loaded.loaded) RememberLoadedLineEnds(ed, loaded.kind);
    if (stream && ReadStreamFormat(flags).selection) {
        // The horizontal range after an edit, as for EM_REPLACESEL.
        LayoutStateOf(ed).measureTextChanged = 1;
        MeasureLongestLine(ed);
        LayoutStateOf(ed).measureTextChanged = 0;
    }
    return bytes;
}

// EM_STREAMOUT: the whole document, or with SFF_SELECTION the selection, to the
// callback of the EDITSTREAM at lParam, plain or SF_UNICODE, line ends as the
// line-end setting writes them (CR LF by default); answers the bytes written.
LRESULT OnEmStreamOut(EditorInstance& ed, const Message& m) {
    const LineEnd lineEnd = StreamedLineEnd(ed);
    const bool finalLineEnd = StreamsFinalLineEnd(ed);
    StreamScope scope(ed);
    return StreamOutCommand(ed, reinterpret_cast<EditStream*>(m.lParam), static_cast<uint32_t>(m.wParam),
                            scope.abandoned(), lineEnd, finalLineEnd);
}

// EM_GETTEXTRANGE: the characters of the TEXTRANGE's chrg (ordered, clamped; -1
// reaches the end of the text; line ends as the line-end setting writes them) and a
// NUL into its lpstrText; answers the bytes written.
LRESULT OnEmGetTextRange(EditorInstance& ed, const Message& m) {
    auto* range = reinterpret_cast<TEXTRANGEA*>(m.lParam);
    if (!range) return 0;
    return CopyRange(ed, static_cast<CharIndex>(range->chrg.cpMin), static_cast<CharIndex>(range->chrg.cpMax),
                     range->lpstrText);
}

// EM_FINDWORDBREAK: WB_MOVEWORDLEFT answers the start of the word ending at lParam,
// WB_MOVEWORDRIGHT the end of the word starting there; other codes answer lParam.
LRESULT OnEmFindWordBreak(EditorInstance& ed, const Message& m) {
    const CharIndex at = static_cast<CharIndex>(m.lParam);
    if (m.wParam == WB_MOVEWORDLEFT) return WordStart(ed, at);
    if (m.wParam == WB_MOVEWORDRIGHT) return WordEnd(ed, at);
    return m.lParam;
}

// EM_GETTEXTLENGTHEX: the text's length as the GETTEXTLENGTHEX at wParam asks (NULL
// is GTL_DEFAULT): each line break once, or twice with GTL_USECRLF or when the
// line-end setting writes CR LF, the closing CR never; with GTL_NUMBYTES in code
// page 1200 two bytes a character. Answers it, or E_INVALIDARG for GTL_NUMCHARS
// with GTL_NUMBYTES or GTL_PRECISE with GTL_CLOSE.
LRESULT OnEmGetTextLengthEx(EditorInstance& ed, const Message& m) {
    const auto* request = reinterpret_cast<const GETTEXTLENGTHEX*>(m.wParam);
    const DWORD flags = request ? request->flags : GTL_DEFAULT;
    if (((flags & GTL_NUMCHARS) && (flags & GTL_NUMBYTES)) || ((flags & GTL_PRECISE) && (flags & GTL_CLOSE)))
        return E_INVALIDARG;
    uint64_t length = StoredLength(ed) - 1;
    if ((flags & GTL_USECRLF) || CopiedLineEnd(ed) == LineEnd::CrLf) length += LineCount(ed) - 1;
    if ((flags & GTL_NUMBYTES) && request->codepage == 1200) length *= 2;
    return static_cast<LRESULT>(length > 0x7FFFFFFF ? 0x7FFFFFFF : length);
}

// EM_REDO: one step redone in the active pane; answers 1 when a record was redone.
LRESULT OnEmRedo(EditorInstance& ed, const Message&) { return RedoCommand(ed) == UndoResult::Applied ? 1 : 0; }

// EM_CANREDO: answers 1 when a complete record follows the end of the undo log.
LRESULT OnEmCanRedo(EditorInstance& ed, const Message&) { return CanRedo(ed) ? 1 : 0; }

const HandlerEntry kEntries[] = {
    {EM_CANPASTE, OnEmCanPaste},
    {EM_EXGETSEL, OnEmExGetSel},
    {EM_EXLINEFROMCHAR, OnEmExLineFromChar},
    {EM_EXSETSEL, OnEmExSetSel},
    {EM_FINDTEXT, OnEmFindText},
    {EM_GETSELTEXT, OnEmGetSelText},
    {EM_HIDESELECTION, OnEmHideSelection},
    {EM_STREAMIN, OnEmStreamIn},
    {EM_STREAMOUT, OnEmStreamOut},
    {EM_GETTEXTRANGE, OnEmGetTextRange},
    {EM_FINDWORDBREAK, OnEmFindWordBreak},
    {EM_FINDTEXTEX, OnEmFindTextEx},
    {EM_REDO, OnEmRedo},
    {EM_CANREDO, OnEmCanRedo},
    {EM_GETTEXTLENGTHEX, OnEmGetTextLengthEx},
};

}  // namespace

const HandlerTable kRichEditMessages = MakeTable(kEntries);

}  // namespace qv
