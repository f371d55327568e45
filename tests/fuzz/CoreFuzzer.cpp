// The core fuzzer: the input bytes decode into a sequence of operations on one
// document (or on two, each in a control of its own, the steps interleaved), run
// through the core as the message handlers run them: typing (Enter
// with automatic indentation, overwrite mode), Delete, Backspace, replacing and
// pasting over selections, clearing ranges, whole-text replacement, undo and redo,
// find in both directions with every flag, bookmarks, block marking, folding and
// unfolding, locks, hidden lines, word lookups, stream-in in random pieces and
// formats, stream-out, scrolling and the split.
//
// After every operation the store must pass CheckStore (line ends, caches,
// hiddenLineCount, hidden runs below folded starts, the undo chain) and hold the
// text of a string model (with two documents, the other one too: a step on one
// never changes the other); answers of lookups must equal the models'. At the end,
// undoing everything gives the text of the last reset of the undo log and redoing
// everything the final text. Any difference aborts with a description, which
// libFuzzer reports with the input.
//
// Built twice: with clang and libFuzzer for `make fuzz`, and with the native
// build's compiler and a replaying main (FuzzReplay.cpp) that runs the checked-in
// corpus as a test.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "command/Clipboard.h"
#include "command/DocumentCommands.h"
#include "command/Navigation.h"
#include "command/MouseCommands.h"
#include "command/StreamCommands.h"
#include "command/UndoCommand.h"
#include "core/support/DocumentInvariants.h"
#include "core/support/FakePlatform.h"
#include "core/support/TextModel.h"
#include "core/support/TightAreas.h"
#include "edit/BulkEdit.h"
#include "edit/EditState.h"
#include "edit/Find.h"
#include "edit/TextEdit.h"
#include "edit/UndoLog.h"
#include "fuzz/FuzzModels.h"
#include "pane/CaretGeometry.h"
#include "pane/MouseState.h"
#include "pane/PaneView.h"
#include "pane/PointerGeometry.h"
#include "pane/WheelSteps.h"
#include "render/LineLocks.h"
#include "render/Markers.h"
#include "render/Words.h"
#include "store/LineRecord.h"
#include "store/LineStore.h"
#include "store/PositionMap.h"

namespace qv::fuzz {
namespace {

using test::FakePlatform;
using test::kHostHiddenTag;
using test::Model;

// ---- Reading the input ------------------------------------------------------------------

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    uint8_t Peek() const { return at_ < size_ ? data_[at_] : 0; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint32_t Word() { return Byte() | Byte() << 8; }
    uint32_t Below(uint32_t n) { return n ? (n <= 256 ? Byte() : Word()) % n : 0; }
    bool OneIn(uint32_t n) { return Below(n) == 0; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// Pieces of text: characters and line ends of every kind, NUL (which ends a
// NUL-terminated text), bytes above 0x7F, block patterns, long lines.
const char* const kPieces[] = {"a", "b", "x", " ", "  ", "\t", "\r", "\n", "\r\n", "\n\r", "\r\r\n", "_", "?",
                               "A", "z9", "proc", "endp", "p proc\r\n", "p endp\r\n", "\r\n  y", "\xE9", "\x80",
                               "\xFF", "start:\r\n", "word word", ";", "$"};
constexpr uint32_t kPieceCount = sizeof kPieces / sizeof kPieces[0];

std::string Text(Input& in) {
    std::string text;
    for (uint32_t n = 1 + in.Below(6); n > 0; --n) {
        const uint32_t kind = in.Below(16);
        if (kind < 11) {
            text += kPieces[in.Below(kPieceCount)];
        } else if (kind < 13) {
            text += static_cast<char>(in.Byte());  // any byte: NUL, LF, CR, 0x80 ...
        } else if (kind == 13) {
            text += '\0';
        } else {
            // A long line, longer than a record's first growths.
            text.append(1 + in.Below(kind == 14 ? 60 : 250), static_cast<char>('a' + in.Below(3)));
        }
    }
    return text;
}

// The characters a NUL-terminated text inserts: up to the NUL, CR LF and a lone LF
// each one CR.
std::string Inserted(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size() && text[i] != 0; ++i) {
        if (text[i] == '\n' && i > 0 && text[i - 1] == '\r') continue;
        out += text[i] == '\n' ? '\r' : text[i];
    }
    return out;
}

// ---- Failing -----------------------------------------------------------------------------

int gStep = 0;
const char* gOp = "";

[[noreturn]] void Fail(const char* format, ...) {
    std::fprintf(stderr, "core fuzzer: step %d (%s): ", gStep, gOp);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::abort();
}

#define FUZZ_CHECK(condition, ...) \
    do {                           \
        if (!(condition)) Fail(__VA_ARGS__); \
    } while (0)

std::string Printable(const std::string& s) {
    std::string out;
    for (unsigned char c : s.substr(0, 200)) {
        char buf[8];
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out;
}

// ---- The host's side of the stream callbacks ------------------------------------------------

struct InHost {
    std::string bytes;              // what the host has
    std::vector<uint32_t> pieces;   // its pieces, one per call; then whole buffers
    std::vector<uint32_t> claims;   // extra zero bytes claimed per call
    int failAt = 0;                 // the call that answers an error
    std::string delivered;          // what the control was handed, claimed zeros included
    size_t offset = 0;
    int calls = 0;
};

uint32_t QV_CALLBACK ReadFromHost(uintptr_t cookie, uint8_t* buffer, int32_t count, int32_t* cb) {
    InHost& host = *reinterpret_cast<InHost*>(cookie);
    const size_t call = static_cast<size_t>(host.calls++);
    if (static_cast<int>(call) + 1 == host.failAt) return 1;
    size_t piece = call < host.pieces.size() ? host.pieces[call] : static_cast<size_t>(count);
    piece = std::min({piece, host.bytes.size() - host.offset, static_cast<size_t>(count)});
    std::memcpy(buffer, host.bytes.data() + host.offset, piece);
    host.offset += piece;
    size_t claimed = piece;
    if (piece > 0 && call < host.claims.size()) claimed = std::min<size_t>(piece + host.claims[call], count);
    host.delivered.append(reinterpret_cast<const char*>(buffer), claimed);
    *cb = static_cast<int32_t>(claimed);
    return 0;
}

struct OutHost {
    std::string output;
    int failAt = 0;
    int shortAt = 0;
    int calls = 0;
};

uint32_t QV_CALLBACK WriteToHost(uintptr_t cookie, uint8_t* buffer, int32_t count, int32_t* cb) {
    OutHost& host = *reinterpret_cast<OutHost*>(cookie);
    FUZZ_CHECK(*cb == count && count > 0, "stream-out preset cb %d for count %d", *cb, count);
    const int call = ++host.calls;
    if (call == host.failAt) return 7;
    if (call == host.shortAt) *cb = count / 2;
    host.output.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(*cb));
    return 0;
}

// ---- The session ---------------------------------------------------------------------------

const char kBlocks[] =
    "start:\r\na proc\r\n  x\r\n  y\r\na endp\r\nb proc uses esi\r\n  z\r\nb endp\r\n\r\nc proc\r\n\tq\r\n  "
    "r\r\nc endp\r\nend";
const char* const kStartTexts[] = {"", kBlocks, "one\r\n  two\r\n\tthree\r\n\r\nfour", "a proc\r\nb endp"};

// An input whose first byte is this runs two documents, each in a control of its
// own, and every step goes to one of them (the next byte, now and then, switches).
// Any other input runs one document, as it always did.
constexpr uint8_t kTwoDocuments = 0xD2;

class Session {
public:
    explicit Session(Input& in) : in_(in) {
        InstallPlatform(&platform_);
        // Without the focus the caret is not moved on screen, and the lookup under
        // the caret after a range deletion costs nothing; the view step gives the
        // focus now and then.
        platform_.focus = nullptr;
        twoDocuments_ = in_.Peek() == kTwoDocuments;
        if (twoDocuments_) in_.Byte();
        for (int d = 0; d < (twoDocuments_ ? 2 : 1); ++d) Open(d);
        Use(0);
    }
    ~Session() {
        for (Document& doc : docs_)
            if (doc.record) DestroyStore(doc.record->ed);
        InstallPlatform(nullptr);
    }

    void Run() {
        const bool trace = std::getenv("QV_FUZZ_TRACE") != nullptr;
        Check(false);
        for (gStep = 0; !in_.Empty(); ++gStep) {
            if (twoDocuments_ && in_.OneIn(3)) Use(1 - current_);
            const CharIndex anchor = ed().selAnchor, caret = ed().caretPos;
            Step();
            if (trace) Trace(anchor, caret);
            Check(gStep % 32 == 31);
            if (twoDocuments_) {
                // The other document is as its own steps left it.
                Use(1 - current_);
                Check(false);
                Use(1 - current_);
            }
        }
        for (int d = twoDocuments_ ? 1 : 0; d >= 0; --d) {
            Use(d);
            UndoAndRedoAll();
        }
    }

private:
    // One document: its control's record and the model of its text.
    struct Document {
        std::unique_ptr<ControlRecord> record;
        Model model{"\r"};
        int32_t wheelRemainder = 0;
    };

    // Document d in a control of its own, with windows of its own (d * 0x1000 on).
    void Open(int d) {
        Document& doc = docs_[d];
        doc.record = std::make_unique<ControlRecord>();
        EditorInstance& ed = doc.record->ed;
        const uintptr_t windows = 0x1000 * static_cast<uintptr_t>(d);
        ed.hwnd = reinterpret_cast<WindowRef>(windows + 0x100);
        ed.hwndParent = reinterpret_cast<WindowRef>(windows + 0x200);
        ed.panes[0].hwnd = reinterpret_cast<WindowRef>(windows + 0x300);
        ed.panes[1].hwnd = reinterpret_cast<WindowRef>(windows + 0x400);
        ed.hwndActivePane = ed.panes[0].hwnd;
        SetInstanceDefaults(ed);
        ed.panes[0].textRect = {0, 0, 400, 150};
        ed.lineHeight = in_.OneIn(4) ? 1 : 15;
        // A fixed-pitch font of 8 pixels, as the test platform measures, or (now
        // and then) none yet.
        if (!in_.OneIn(4)) {
            ed.charWidth = 8;
            ed.fixedPitch = 1;
        }
        if (!CreateStore(ed) || !InsertEndMark(ed)) Fail("no store");
        // The start text goes into the fresh store unlogged, as a whole-text
        // replacement would put it, without building a second store.
        const char* start = kStartTexts[in_.Below(4)];
        bool ok = false;
        InsertText(ed, 0, start, &ok);
        if (!ok) Fail("no start text");
        LocateChar(ed, 0);
        doc.model.doc = Inserted(start) + '\r';
        doc.model.ResetHistory();
    }

    // The steps go to document d from now on.
    void Use(int d) {
        current_ = d;
        ed_ = &docs_[d].record->ed;
    }

    // Undoing everything gives the text of the last reset of the undo log, and
    // redoing everything the final text.
    void UndoAndRedoAll() {
        const bool trace = std::getenv("QV_FUZZ_TRACE") != nullptr;
        gOp = "undo all";
        while (model().CanUndo()) {
            model().Undo();
            const CharIndex anchor = ed().selAnchor, caret = ed().caretPos;
            FUZZ_CHECK(UndoCommand(*ed_) == UndoResult::Applied, "undo %zu did not apply", model().now);
            if (trace) Trace(anchor, caret);
            Check(false);
        }
        FUZZ_CHECK(UndoCommand(*ed_) == UndoResult::Nothing, "undo past the start of the log applied");
        FUZZ_CHECK(model().doc == model().history.front(), "the model's first text");
        gOp = "redo all";
        while (model().CanRedo()) {
            model().Redo();
            FUZZ_CHECK(RedoCommand(*ed_) == UndoResult::Applied, "redo %zu did not apply", model().now);
            Check(false);
        }
        FUZZ_CHECK(RedoCommand(*ed_) == UndoResult::Nothing, "redo past the end of the log applied");
        Check(true);
    }

    // QV_FUZZ_TRACE set: each step, the text, the hidden lines and the caches.
    void Trace(CharIndex anchor, CharIndex caret) {
        std::string hidden;
        for (LineNumber l = 0; l < Lines(); ++l) {
            const uint32_t flags = LineRecordOf(ed(), l).flags();
            if (flags & kFlagHidden) hidden += " " + std::to_string(l) + (flags & kHostHiddenTag ? "h" : "");
            if (MarkerIdOf(ed(), l) == kMarkerBlockFolded) hidden += " [" + std::to_string(l) + "]";
        }
        std::fprintf(stderr, "step %d %s in document %d (selection %u-%u, then %u-%u): \"%s\"\n  hidden:%s; tops",
                     gStep, gOp, current_, anchor, caret, ed().selAnchor, ed().caretPos, Printable(test::StoreText(ed())).c_str(),
                     hidden.c_str());
        for (const ViewPane& pane : ed().panes)
            std::fprintf(stderr, " (%u, y %u, at %u, scroll %d)", pane.topLine, pane.topLineY, pane.topLineStart,
                         pane.scrollY);
        std::fprintf(stderr, "; current line %u at %u\n", ed().curLine, ed().curLineStart);
    }

    EditorInstance& ed() { return *ed_; }
    Model& model() { return docs_[current_].model; }
    CharIndex Length() const { return docs_[current_].model.Length(); }
    uint32_t Lines() const { return LineCount(*ed_); }

    // A char index as a host gives one: near a CR, at the ends, or anywhere; then
    // clamped as EM_SETSEL clamps (the index after the closing CR is a place too).
    CharIndex Position() {
        CharIndex p;
        switch (in_.Below(4)) {
            case 0: {
                const size_t cr = model().doc.find('\r', in_.Below(Length()));
                p = static_cast<CharIndex>(cr == std::string::npos ? 0 : cr) + in_.Below(2);
                break;
            }
            case 1: {
                const CharIndex ends[] = {0, Length() - 1, Length(), kNoIndex};
                p = ends[in_.Below(4)];
                break;
            }
            default: p = in_.Below(Length() + 1);
        }
        return std::min(p, Length());
    }
    LineNumber Line() { return in_.OneIn(8) ? Lines() + in_.Below(3) : in_.Below(Lines()); }

    void Select() {
        const CharIndex caret = Position();
        CharIndex anchor = caret;
        switch (in_.Below(4)) {
            case 0: anchor = Position(); break;
            case 1: anchor = std::min(caret + in_.Below(5), Length()); break;
            case 2: anchor = caret - std::min(caret, in_.Below(5)); break;
            default: break;
        }
        ed().selAnchor = anchor;
        ed().caretPos = caret;
    }

    // The shell refuses an edit of a locked line, or of anything while read-only.
    bool Refused() { return IsRangeLocked(ed(), ed().selAnchor, ed().caretPos) != 0; }

    void ExpectSelection(CharIndex anchor, CharIndex caret) {
        FUZZ_CHECK(ed().selAnchor == anchor && ed().caretPos == caret, "selection %u-%u, expected %u-%u",
                   ed().selAnchor, ed().caretPos, anchor, caret);
    }

    // ---- Edits ----

    void Type(uint8_t ch) {
        gOp = "type";
        if (Refused()) return;
        const bool selected = ed().selAnchor != ed().caretPos;  // overwrite mode replaces only without
        // Over a selection that goes: one step with its deletion, the copied
        // indentation included; otherwise a step per character.
        Model::Deletion d = model().Delete(ed().selAnchor, ed().caretPos);
        const CharIndex p = model().InsertionPoint(d.start);
        if (ch == '\r' && d.keep) {
            // The kept line break stands for the typed one.
        } else if (ed().overwriteMode && !selected && ch != '\r' && model().doc[p] != '\r') {
            model().doc[p] = static_cast<char>(ch);
        } else {
            model().doc.insert(p, 1, static_cast<char>(ch));
        }
        if (!d.logged) model().Logged();
        CharIndex caret = p + 1;
        if (ch == '\r' && ed().autoIndent) {
            for (char blank : model().IndentBefore(caret)) {
                model().doc.insert(caret++, 1, blank);
                if (!d.logged) model().Logged();
            }
        }
        if (d.logged) model().Logged();
        Arm();
        if (Failed(TypeChar(ed(), ch))) return;
        ExpectSelection(caret, caret);
    }

    // The model of a replacement of the selection by `chars`; false when it cannot
    // tell (see below), and then the model is as it was.
    bool ModelReplace(const std::string& chars, bool logUndo, CharIndex& end) {
        const Model before = model();
        Model::Deletion d = model().Delete(ed().selAnchor, ed().caretPos);
        const std::string afterDeletion = model().doc;
        const CharIndex p = model().InsertionPoint(d.start);
        if (d.keep && chars.find('\r') != std::string::npos) model().doc.erase(p, 1);
        model().doc.insert(p, chars);
        end = p + static_cast<CharIndex>(chars.size());
        if (logUndo || chars.empty()) {
            if (d.logged || !chars.empty()) model().Logged();  // one step
            return true;
        }
        if (!d.logged) {
            model().ResetHistory();  // nothing of the log fits the shifted text
            return true;
        }
        // Only the deletion's record stays, and its undo puts the deleted text back
        // in front of the insertion. With a kept line break that text's model is
        // beyond this one: such a replacement is left out.
        if (d.keep) {
            model() = before;
            return false;
        }
        const size_t n = before.doc.size() - afterDeletion.size();
        std::string undone = model().doc;
        undone.insert(d.start, before.doc.substr(d.start, n));
        model().history = {undone, model().doc};
        model().now = 1;
        return true;
    }

    void Replace(bool logUndo) {
        gOp = logUndo ? "replace" : "replace unlogged";
        const std::string text = Text(in_);
        if (Refused()) return;
        const std::string chars = Inserted(text);
        CharIndex end = 0;
        if (!ModelReplace(chars, logUndo, end)) return;
        bool ok = false;
        Arm();
        const uint32_t count = ReplaceSelection(ed(), text.c_str(), logUndo, &ok);
        if (Failed(ok)) return;
        FUZZ_CHECK(count == chars.size(), "ReplaceSelection answered %u", count);
        ExpectSelection(end, end);
    }

    // ---- The clipboard ----

    void ClipboardOp() {
        platform_.clipboardBusy = in_.OneIn(8);
        const CharIndex hi = std::min(std::max(ed().selAnchor, ed().caretPos), Length() - 1);
        const CharIndex lo = std::min(std::min(ed().selAnchor, ed().caretPos), hi);
        const std::string copied = StreamedOut(model().doc.substr(lo, hi - lo), false);
        switch (in_.Below(4)) {
            case 0: {
                gOp = "copy";
                const std::string before = platform_.clipboardBlock;
                const ClipboardOutcome outcome = CopySelection(ed());
                if (outcome == ClipboardOutcome::Done)
                    FUZZ_CHECK(platform_.ClipboardText() == copied, "copied \"%s\"",
                               Printable(platform_.ClipboardText()).c_str());
                else
                    FUZZ_CHECK(platform_.clipboardBlock == before, "a failed copy changed the clipboard");
                break;
            }
            case 1: {
                gOp = "cut";
                if (Refused()) break;
                const Model before = model();
                Model::Deletion d = model().Delete(ed().selAnchor, ed().caretPos);
                if (d.logged) model().Logged();
                const ClipboardOutcome outcome = CutCommand(ed());
                if (outcome != ClipboardOutcome::Done) model() = before;
                if (outcome == ClipboardOutcome::Done)
                    FUZZ_CHECK(platform_.ClipboardText() == copied, "cut \"%s\"",
                               Printable(platform_.ClipboardText()).c_str());
                break;
            }
            default: {
                gOp = "paste";
                if (in_.OneIn(2)) platform_.PutClipboard(Text(in_));
                if (Refused()) break;
                const std::string chars = platform_.clipboardHasText ? Inserted(platform_.ClipboardText()) : "";
                const Model before = model();
                CharIndex end = 0;
                if (!chars.empty()) ModelReplace(chars, true, end);
                const ClipboardOutcome outcome = PasteCommand(ed());
                if (outcome != ClipboardOutcome::Done) {
                    model() = before;
                } else {
                    FUZZ_CHECK(!chars.empty(), "pasted nothing as something");
                    ExpectSelection(end, end);
                }
                FUZZ_CHECK(outcome != ClipboardOutcome::Done || !platform_.clipboardBusy, "pasted from a busy clipboard");
            }
        }
        platform_.clipboardBusy = false;
        FUZZ_CHECK(platform_.clipboardMisuse == 0 && !platform_.clipboardOpen, "the clipboard was misused or left open");
    }

    // ---- Keys that move the caret ----

    void Keys() {
        gOp = "keys";
        ViewPane& pane = ed().panes[ed().panes[1].textRect.bottom && in_.OneIn(2) ? 1 : 0];
        const CharIndex caretBefore = ed().caretPos;
        if (in_.OneIn(8)) {
            SelectAllCommand(ed(), pane.hwnd);
            ExpectSelection(Length() - 1, 0);  // the host's text, never the closing CR
        } else {
            const uint32_t flags = in_.Byte();
            NavigateCommand(ed(), pane.hwnd, static_cast<NavKey>(flags % 8), (flags & 0x10) != 0, (flags & 0x20) != 0);
        }
        FUZZ_CHECK(ed().caretPos <= Length() - 1 || ed().caretPos == caretBefore,
                   "a key left the caret at %u, past the closing CR", ed().caretPos);
        if (!in_.OneIn(4)) platform_.focus = nullptr;
    }

    void Clear() {
        gOp = "clear";
        if (Refused()) return;
        Model::Deletion d = model().Delete(ed().selAnchor, ed().caretPos);
        if (d.logged) model().Logged();
        bool ok = false;
        Arm();
        ClearSelection(ed(), &ok);
        if (Failed(ok)) return;
        ExpectSelection(d.start, d.start);
    }

    void Delete() {
        gOp = "delete key";
        const CharIndex p = Position();
        ed().selAnchor = ed().caretPos = p;
        if (Refused()) return;
        uint32_t expected = 0;
        if (p < Length() - 1) {
            expected = static_cast<uint8_t>(model().doc[p]);
            model().doc.erase(p, 1);
            model().Logged();
        }
        bool ok = false;
        Arm();
        const uint32_t deleted = DeleteKey(ed(), &ok);
        if (Failed(ok)) return;
        FUZZ_CHECK(deleted == expected, "DeleteKey");
        ExpectSelection(p, p);
    }

    void Backspace() {
        gOp = "backspace";
        const CharIndex c = Position();
        ed().selAnchor = ed().caretPos = c;
        if (Refused()) return;
        uint32_t expected = 0;
        CharIndex after = c;
        if (c > 0) {
            after = c - 1;
            if (after < Length() - 1) {
                expected = static_cast<uint8_t>(model().doc[after]);
                model().doc.erase(after, 1);
                model().Logged();
            }
        }
        bool ok = false;
        Arm();
        const uint32_t deleted = BackspaceKey(ed(), &ok);
        if (Failed(ok)) return;
        FUZZ_CHECK(deleted == expected, "BackspaceKey");
        ExpectSelection(after, after);
    }

    void UndoRedo(bool undo) {
        gOp = undo ? "undo" : "redo";
        const bool can = undo ? model().CanUndo() : model().CanRedo();
        FUZZ_CHECK((undo ? CanUndo(ed()) : CanRedo(ed())) == can, "can %s", gOp);
        if (can) undo ? model().Undo() : model().Redo();
        Arm();
        const UndoResult result = undo ? UndoCommand(ed()) : RedoCommand(ed());
        if (Failed(result != UndoResult::Failed)) return;
        FUZZ_CHECK(result == (can ? UndoResult::Applied : UndoResult::Nothing), "%s answered %d", gOp,
                   static_cast<int>(result));
    }

    void WholeText() {
        gOp = "whole text";
        const std::string text = Text(in_);
        Arm();
        if (Failed(SetWholeText(ed(), text.c_str()))) return;
        model().doc = Inserted(text) + '\r';
        model().ResetHistory();
        ExpectSelection(0, 0);
    }

    // ---- Failing allocations ----

    // The next edit runs on tight areas (TightAreas.h) with one of its allocations
    // failing, and perhaps every later one. A command that fails must leave the
    // text, the line flags, the undo log and the selection as they were and show
    // at most one message box; one that succeeds must have shown none.
    void Failing() {
        // Only the bulk paths secure a command's room before it changes anything.
        TextPath& path = StateOf(ed()).textPath;
        struct Restore {
            TextPath& path;
            TextPath was;
            ~Restore() { path = was; }
        } restore{path, path};
        path = TextPath::Bulk;
        failAt_ = 1 + in_.Below(4);
        failLater_ = in_.OneIn(2);
        spare_ = in_.OneIn(2) ? 0 : in_.Below(300);
        const Model saved = model();
        arming_ = true;
        failed_ = false;
        // Undo and redo bring the caret into view even when they fail, and a caret
        // on a hidden line opens the block that hides it.
        const std::vector<CharIndex> starts = LineStarts(model().doc);
        const bool caretHidden = IsLineHiddenAt(ed(), PlaceOf(starts, ed().caretPos).line);
        const uint32_t kind = in_.Below(9);
        switch (kind) {
            case 0: Type(in_.OneIn(2) ? '\r' : 'f'); break;
            case 1: Replace(true); break;
            case 2: Replace(false); break;
            case 3: Clear(); break;
            case 4: Delete(); break;
            case 5: Backspace(); break;
            case 6: UndoRedo(true); break;
            case 7: UndoRedo(false); break;
            default: WholeText(); break;
        }
        arming_ = false;
        platform_.failAllocation = 0;
        platform_.failLaterToo = false;
        FUZZ_CHECK(platform_.errors.size() <= 1, "%zu message boxes", platform_.errors.size());
        if (std::getenv("QV_FUZZ_TRACE"))
            std::fprintf(stderr, "failing %s: allocation %u%s, %s\n", gOp, failAt_, failLater_ ? " on" : "",
                         failed_ ? "failed" : "went through");
        if (failed_) {
            model() = saved;
            const bool viewMayUnfold = caretHidden && (kind == 6 || kind == 7);
            FUZZ_CHECK(viewMayUnfold || Flags() == before_.flags, "a failed %s changed the line flags", gOp);
            FUZZ_CHECK(ed().undoLogUsed == before_.used &&
                           std::equal(before_.log.begin(), before_.log.end(), ed().undoLog),
                       "a failed %s changed the undo log", gOp);
            FUZZ_CHECK(ed().selAnchor == before_.anchor && ed().caretPos == before_.caret,
                       "a failed %s moved the selection", gOp);
        } else {
            FUZZ_CHECK(platform_.errors.empty(), "%s showed a message box and succeeded", gOp);
        }
        platform_.errors.clear();
    }

    std::vector<uint32_t> Flags() {
        std::vector<uint32_t> flags;
        for (LineNumber l = 0; l < Lines(); ++l) flags.push_back(LineRecordOf(ed(), l).flags());
        return flags;
    }

    // Right before an edit's command: while arming, tightens the areas, notes what
    // a failure must keep, and makes the allocation fail.
    void Arm() {
        if (!arming_) return;
        test::SqueezeAreas(ed(), platform_, spare_);
        before_.flags = Flags();
        before_.log.assign(ed().undoLog, ed().undoLog + ed().undoLogUsed + 4);
        before_.used = ed().undoLogUsed;
        before_.anchor = ed().selAnchor;
        before_.caret = ed().caretPos;
        platform_.failAllocation = platform_.allocations + failAt_;
        platform_.failLaterToo = failLater_;
    }

    // True when the command reported a failure, which only an allocation made to
    // fail may cause.
    bool Failed(bool ok) {
        if (ok) return false;
        FUZZ_CHECK(arming_, "%s failed, and no allocation was made to fail", gOp);
        failed_ = true;
        return true;
    }

    // ---- Lookups ----

    void Find() {
        gOp = "find";
        std::string pattern;
        if (in_.OneIn(2) && Length() > 1) {
            // A piece of the text, sometimes in the other case.
            const CharIndex at = in_.Below(Length());
            pattern = model().doc.substr(at, 1 + in_.Below(6));
            if (in_.OneIn(2))
                for (char& c : pattern) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 0x20 : c);
        } else {
            pattern = Inserted(Text(in_)).substr(0, 8);
        }
        const uint32_t flags = in_.Below(8);
        const int32_t bounds[] = {-1, 0, 1, static_cast<int32_t>(Length()), static_cast<int32_t>(Length() - 1),
                                  INT32_MIN, INT32_MAX};
        const int32_t cpMin = in_.OneIn(2) ? bounds[in_.Below(7)] : static_cast<int32_t>(Position());
        const int32_t cpMax = in_.OneIn(2) ? bounds[in_.Below(7)] : static_cast<int32_t>(Position());
        FindRange found{-5, -5};
        const FindRequest request{cpMin, cpMax, pattern.c_str(), &found};
        const CharIndex result = FindText(ed(), flags, request, true);
        const CharIndex expected = ModelFind(model().doc, flags, cpMin, cpMax, pattern);
        FUZZ_CHECK(result == expected, "find \"%s\" flags %u from %d to %d: %u, expected %u",
                   Printable(pattern).c_str(), flags, cpMin, cpMax, result, expected);
        if (result != kNoIndex)
            FUZZ_CHECK(found.cpMin == static_cast<int32_t>(result) &&
                           found.cpMax == static_cast<int32_t>(result + pattern.size()),
                       "find's range");
        FUZZ_CHECK(FindText(ed(), flags, {cpMin, cpMax, nullptr, nullptr}, false) == kNoIndex, "find of NULL");
    }

    void Words() {
        gOp = "words";
        const CharIndex a = in_.OneIn(8) ? kNoIndex : Position();
        FUZZ_CHECK(WordStart(ed(), a) == ModelWordStart(model().doc, a), "WordStart(%u)", a);
        FUZZ_CHECK(WordEnd(ed(), a) == ModelWordEnd(model().doc, a), "WordEnd(%u)", a);
    }

    // ---- Markers, blocks, locks, hidden lines ----

    uint32_t MarkerId() {
        static const uint32_t ids[] = {0, 1, 2, 3, 7, 0xFFFFFFFFu};
        return ids[in_.Below(6)];
    }

    void Markers() {
        gOp = "markers";
        const LineNumber line = Line();
        const uint32_t id = MarkerId();
        const uint32_t count = Lines();
        const auto scanned = [&](LineNumber l) {
            return IsScannedMarker(LineRecordOf(ed(), l).flags()) && MarkerIdOf(ed(), l) == id;
        };
        switch (in_.Below(7)) {
            case 0: SetLineMarker(ed(), line, id); break;
            case 1: {
                const uint32_t answer = GetLineMarker(ed(), line);
                FUZZ_CHECK(answer == (line < count ? MarkerIdOf(ed(), line) : kNoMarker), "GetLineMarker");
                break;
            }
            case 2: {
                LineNumber expected = kNoLine;
                for (LineNumber l = line + 1; line < count && l < count && expected == kNoLine; ++l)
                    if (scanned(l)) expected = l;
                FUZZ_CHECK(FindNextMarker(ed(), line, id) == expected, "FindNextMarker");
                break;
            }
            case 3: {
                LineNumber expected = kNoLine;
                for (LineNumber l = std::min(line, count); line < count && l-- > 0 && expected == kNoLine;)
                    if (scanned(l)) expected = l;
                FUZZ_CHECK(FindPrevMarker(ed(), line, id) == expected, "FindPrevMarker");
                break;
            }
            case 4: {
                LineNumber expected = kNoLine;
                for (LineNumber l = 0; id != 0 && l < count && expected == kNoLine; ++l)
                    if (MarkerIdOf(ed(), l) == id) expected = l;
                FUZZ_CHECK(FindMarker(ed(), id) == expected, "FindMarker");
                break;
            }
            case 5: {
                // The record is exactly 84 bytes: the sanitizer sees any write past it.
                auto record = std::make_unique<uint8_t[]>(kEnumRecordSize);
                EnumerateMarkers(ed(), in_.OneIn(4) ? nullptr : record.get());
                break;
            }
            default:
                ClearMarkers(ed());
                ExpectNothingFolded();
        }
    }

    // After opening every block: only the lines the fuzzer hid stay hidden.
    void ExpectNothingFolded() {
        for (LineNumber l = 0; l < Lines(); ++l) {
            const uint32_t flags = LineRecordOf(ed(), l).flags();
            FUZZ_CHECK(!(flags & kFlagHidden) || (flags & kHostHiddenTag), "line %u stays folded", l);
        }
    }

    // A pattern pair: the default, one of its halves missing, or short patterns
    // made of the input.
    BlockPatterns Patterns(std::string& start, std::string& end) {
        switch (in_.Below(6)) {
            case 0: return {nullptr, "$ endp"};
            case 1: return {"$ proc", nullptr};
            case 2: {
                static const char* const odd[] = {"", "$", "$ ", "$$", "proc$", " ", "$ $ x", "\r"};
                start = odd[in_.Below(8)];
                end = odd[in_.Below(8)];
                return {start.c_str(), end.c_str()};
            }
            default: return {"$ proc", "$ endp"};
        }
    }

    void Blocks() {
        std::string start, end;
        const BlockPatterns patterns = Patterns(start, end);
        const LineNumber line = Line();
        switch (in_.Below(6)) {
            case 0:
                gOp = "mark blocks";
                MarkBlockStarts(ed(), patterns.start);
                break;
            case 1:
            case 2:
                gOp = "fold";
                FoldBlock(ed(), line, in_.OneIn(16) ? nullptr : &patterns);
                break;
            case 3:
                gOp = "unfold";
                in_.OneIn(2) ? UnfoldBlock(ed(), line) : void(UnfoldFoldedBlock(ed(), line));
                break;
            case 4:
                gOp = "fold all";
                FoldAllBlocks(ed(), &patterns);
                break;
            default:
                gOp = "unfold all";
                UnfoldAllBlocks(ed());
                ExpectNothingFolded();
        }
        if (line < Lines()) MatchBlockPattern(ed(), line, patterns.end);
    }

    void LocksAndHiding() {
        const LineNumber line = Line();
        switch (in_.Below(5)) {
            case 0:
            case 1:
                gOp = "lock";
                SetLineLocked(ed(), line, in_.Below(2));
                break;
            case 2:
                gOp = "read-only";
                ed().style ^= kStyleReadOnly;
                break;
            default: {
                gOp = "hide";
                const bool hide = !in_.OneIn(3);
                SetLineHidden(ed(), line, hide);
                if (line >= Lines()) break;
                LineRecordView rec = LineRecordOf(ed(), line);
                FUZZ_CHECK(((rec.flags() & kFlagHidden) != 0) == hide, "SetLineHidden");
                if (hide) rec.setFlags(rec.flags() | kHostHiddenTag);
            }
        }
        FUZZ_CHECK(IsLineHidden(ed(), line) == (line < Lines() ? LineRecordOf(ed(), line).flags() & kFlagHidden : 0),
                   "IsLineHidden");
    }

    // ---- Streams ----

    void StreamInOp() {
        gOp = "stream in";
        const bool unicode = in_.OneIn(3);
        const bool selection = in_.OneIn(2);
        InHost host;
        for (uint32_t parts = 1 + in_.Below(4); parts > 0; --parts) {
            const std::string text = Text(in_);
            if (!unicode) {
                host.bytes += text;
                continue;
            }
            // Units from the text's bytes, and now and then a mark, a surrogate or a
            // character the code page lacks.
            static const uint16_t odd[] = {0xFEFF, 0xD83D, 0xDE00, 0x4E00, 0x000A, 0x0000, 0x00E9};
            if (in_.OneIn(3)) host.bytes.append(reinterpret_cast<const char*>(&odd[in_.Below(7)]), 2);
            for (char c : text) host.bytes.append({c, '\0'});
            if (in_.OneIn(6)) host.bytes += static_cast<char>(in_.Byte());  // an odd byte
        }
        for (uint32_t n = in_.Below(5); n > 0; --n) {
            host.pieces.push_back(in_.OneIn(4) ? 0x8000 : 1 + in_.Below(40));
            host.claims.push_back(in_.OneIn(6) ? in_.Below(4) : 0);
        }
        if (in_.OneIn(6)) host.failAt = 1 + static_cast<int>(in_.Below(3));

        const bool refused = selection && Refused();
        const CharIndex anchor = ed().selAnchor, caret = ed().caretPos;
        EditStream stream{reinterpret_cast<uintptr_t>(&host), 0xDEAD, ReadFromHost};
        const uint32_t flags = (unicode ? kStreamUnicode : 0) | (selection ? kStreamSelection : 0) |
                               (in_.OneIn(8) ? 2u : 0u);  // now and then a rich-text format, refused
        const uint32_t answer = StreamInCommand(ed(), &stream, flags, nullptr);
        FUZZ_CHECK(platform_.liveTransferBuffers == 0, "a transfer buffer was not freed");
        if (refused || (flags & 2)) {
            FUZZ_CHECK(host.calls == 0 && answer == 0, "a refused stream-in called its host");
            return;
        }
        FUZZ_CHECK(answer == host.delivered.size(), "stream-in answered %u of %zu bytes", answer,
                   host.delivered.size());
        const bool started = host.failAt != 1;
        const std::string chars = StoredFromStream(host.delivered, unicode, host.failAt == 0 || host.failAt > host.calls);
        if (std::getenv("QV_FUZZ_TRACE"))
            std::fprintf(stderr, "stream in %s%s over %u-%u, fail at %d: \"%s\" makes \"%s\"\n",
                         unicode ? "unicode" : "ansi", selection ? " selection" : "", anchor, caret, host.failAt,
                         Printable(host.delivered).c_str(), Printable(chars).c_str());
        if (selection) {
            if (!started) return;
            Model::Deletion d = model().Delete(anchor, caret);
            const CharIndex p = model().InsertionPoint(d.start);
            if (d.keep && chars.find('\r') != std::string::npos) model().doc.erase(p, 1);
            model().doc.insert(p, chars);
            if (d.logged || !chars.empty()) model().Logged();
            // A failed call leaves the selection as it stood; otherwise the caret
            // stands after the text.
            const CharIndex end = p + static_cast<CharIndex>(chars.size());
            ExpectSelection(end, end);
        } else {
            model().doc.insert(0, chars);
            if (!chars.empty()) model().ResetHistory();  // the log's records would point into shifted text
            ExpectSelection(0, 0);
        }
    }

    void StreamOutOp() {
        gOp = "stream out";
        const bool unicode = in_.OneIn(3);
        const bool selection = in_.OneIn(2);
        OutHost host;
        if (in_.OneIn(6)) host.failAt = 1 + static_cast<int>(in_.Below(3));
        if (in_.OneIn(6)) host.shortAt = 1 + static_cast<int>(in_.Below(3));
        EditStream stream{reinterpret_cast<uintptr_t>(&host), 0xDEAD, WriteToHost};
        const uint32_t flags = (unicode ? kStreamUnicode : 0) | (selection ? kStreamSelection : 0);
        const uint32_t answer = StreamOutCommand(ed(), &stream, flags, nullptr);
        FUZZ_CHECK(platform_.liveTransferBuffers == 0, "a transfer buffer was not freed");
        std::string stored;
        if (selection) {
            const CharIndex hi = std::min(std::max(ed().selAnchor, ed().caretPos), Length() - 1);
            const CharIndex lo = std::min(std::min(ed().selAnchor, ed().caretPos), hi);
            stored = model().doc.substr(lo, hi - lo);
        } else {
            stored = model().doc;
            if (stored == "\r" || (stored.size() >= 2 && stored.compare(stored.size() - 2, 2, "\r\r") == 0))
                stored.pop_back();  // the closing CR alone in the last line
        }
        const std::string expected = StreamedOut(stored, unicode);
        FUZZ_CHECK(expected.compare(0, host.output.size(), host.output) == 0,
                   "stream-out wrote \"%s\", expected \"%s\"", Printable(host.output).c_str(),
                   Printable(expected).c_str());
        if (!host.failAt && !host.shortAt) {
            FUZZ_CHECK(host.output == expected && answer == expected.size() && stream.error == 0,
                       "stream-out wrote %zu of %zu bytes, answered %u", host.output.size(), expected.size(), answer);
        }
    }

    // ---- The mouse ----

    // A gesture's message in either pane: presses (with Shift, in the margin, far
    // outside), moves with the button down or up (the automatic scrolling's walks
    // end when the live button is read as released), the moves a drag posts,
    // releases, double clicks, the right button, lost captures and the wheel. The
    // text never changes; the caret stays inside the text.
    void Mouse() {
        gOp = "mouse";
        ViewPane& pane = ed().panes[ed().panes[1].textRect.bottom && in_.OneIn(2) ? 1 : 0];
        const int32_t xs[] = {-40, 0, 3, TextLeft(ed()), TextLeft(ed()) + 1, 2000};
        const int32_t x = in_.OneIn(3) ? xs[in_.Below(6)] : TextLeft(ed()) + 1 + static_cast<int32_t>(in_.Below(90)) * 8 - 3;
        const int32_t ys[] = {-100, -1, 0, pane.textRect.bottom, pane.textRect.bottom + 30};
        const int32_t y = in_.OneIn(3) ? ys[in_.Below(5)] : static_cast<int32_t>(in_.Below(12) * ed().lineHeight + 2);
        const uint32_t keys = in_.Below(8) & (kKeyLeftButton | kKeyRightButton | kKeyShift);
        platform_.pointer = {x, y};
        platform_.leftButtonDown = (keys & kKeyLeftButton) != 0;
        platform_.leftReadsBeforeRelease = static_cast<int>(in_.Below(30));
        const MouseContext ctx{8, nullptr};
        const CharIndex caretBefore = ed().caretPos, anchorBefore = ed().selAnchor;
        const uint32_t gesture = in_.Below(9);
        if (std::getenv("QV_FUZZ_TRACE"))
            std::fprintf(stderr, "mouse gesture %u at %d, %d, keys %u, pane %d\n", gesture, x, y, keys,
                         &pane == &ed().panes[1]);
        switch (gesture) {
            case 0:
            case 1: MousePress(ed(), {pane.hwnd, x, y, keys | kKeyLeftButton}, ctx); break;
            case 2:
            case 3:
                MouseMove(ed(), {pane.hwnd, x, y, keys}, ctx);
                // The moves a drag past an edge posts itself, a few of them.
                for (int n = 0; n < 8 && !platform_.postedMoves.empty(); ++n) {
                    const FakePlatform::PostedMove m = platform_.postedMoves.front();
                    platform_.postedMoves.erase(platform_.postedMoves.begin());
                    MouseMove(ed(), {m.window, m.at.x, m.at.y, m.keys}, ctx);
                }
                break;
            case 4: MouseRelease(ed(), pane.hwnd); break;
            case 5: MouseDoubleClick(ed()); break;
            case 6:
                in_.OneIn(2) ? EndMouseGesture(ed()) : RightButtonPress(ed());
                PointerShapeAt(ed(), pane.hwnd, x, y);
                break;
            default: {
                static const int32_t deltas[] = {120, -120, 40, -360, 1200, INT16_MIN};
                const int64_t rows = Lines() - ed().hiddenLineCount;
                const VerticalRange bar{rows * ed().lineHeight, pane.textRect.bottom};
                WheelScroll(ed(), pane.hwnd, docs_[current_].wheelRemainder, deltas[in_.Below(6)], bar, ctx);
            }
        }
        platform_.postedMoves.clear();
        platform_.leftButtonDown = false;
        if (!in_.OneIn(4)) platform_.focus = nullptr;  // keeps the lookups after range deletions cheap
        // A double click selects the word at the anchor, which a host (not a press)
        // may have put after the closing CR.
        FUZZ_CHECK(ed().caretPos <= Length() - 1 || ed().caretPos == caretBefore ||
                       (gesture == 5 && ed().caretPos <= anchorBefore),
                   "the mouse left the caret at %u, past the closing CR", ed().caretPos);
    }

    // ---- The view ----

    void View() {
        gOp = "view";
        switch (in_.Below(6)) {
            case 0: ed().overwriteMode ^= 1; break;
            case 1: ed().autoIndent ^= 1; break;
            case 2: {
                // The split: the lower pane shown or not.
                ViewPane& lower = ed().panes[1];
                lower.textRect = lower.textRect.bottom ? Rect{0, 0, 0, 0} : Rect{0, 0, 400, 90};
                break;
            }
            case 3:
                ed().hwndActivePane = ed().panes[in_.Below(2)].hwnd;
                platform_.focus = in_.OneIn(4) ? ed().hwndActivePane : nullptr;
                break;
            default: {
                ViewPane& pane = ed().panes[in_.Below(2)];
                pane.scrollY = static_cast<int32_t>(in_.Below(Lines() + 2) * ed().lineHeight);
                SyncPaneTop(ed(), pane.hwnd, static_cast<uint32_t>(pane.scrollY));
                if (in_.OneIn(2)) BringCaretIntoView(ed());
            }
        }
    }

    void Step() {
        const uint32_t op = in_.Below(31);
        switch (op) {
            case 0:
            case 1: gOp = "select"; Select(); break;
            case 2:
            case 3: {
                // A typed character: printable, TAB, or any byte above 0x7F.
                const uint8_t b = in_.Byte();
                Type(b < 0x20 ? (b & 1 ? '\t' : ' ') : b);
                break;
            }
            case 4: Type('\r'); break;
            case 5:
            case 6: Replace(true); break;
            case 7: ClipboardOp(); break;
            case 8: Replace(false); break;
            case 9:
            case 10: Clear(); break;
            case 11: Delete(); break;
            case 12: Backspace(); break;
            case 13:
            case 14: UndoRedo(true); break;
            case 15: UndoRedo(false); break;
            case 16: WholeText(); break;
            case 17:
                if (in_.OneIn(2)) {
                    Failing();
                    break;
                }
                if (in_.OneIn(2)) {
                    // The next step through the per-character paths, the reference of
                    // the bulk ones: the same text, the same checks.
                    StateOf(ed()).textPath = TextPath::Charwise;
                    Step();
                    StateOf(ed()).textPath = TextPath::Bulk;
                    break;
                }
                gOp = "empty log";
                EmptyUndoLog(ed());
                model().ResetHistory();
                break;
            case 18: Find(); break;
            case 19: Words(); break;
            case 20: Markers(); break;
            case 21:
            case 22: Blocks(); break;
            case 23: LocksAndHiding(); break;
            case 24: StreamInOp(); break;
            case 25: StreamOutOp(); break;
            case 26:
            case 27: Mouse(); break;
            case 28: Keys(); break;
            default: View(); break;
        }
    }

    void Check(bool deep) {
        const std::string broken = test::CheckStore(ed(), deep);
        FUZZ_CHECK(broken.empty(), "%s", broken.c_str());
        FUZZ_CHECK(test::StoreHolds(ed(), model().doc), "text \"%s\", expected \"%s\"",
                   Printable(test::StoreText(ed())).c_str(), Printable(model().doc).c_str());
        const EditState& edit = StateOf(*ed_).edit;
        FUZZ_CHECK(!edit.absorbNextCr && !edit.keepNextCr, "edit state left set");
        FUZZ_CHECK(platform_.errors.empty(), "a message box: %s", platform_.errors.front().c_str());
        // A line no longer hidden sheds the fuzzer's tag.
        for (LineNumber l = 0; l < Lines(); ++l) {
            LineRecordView rec = LineRecordOf(ed(), l);
            if (!(rec.flags() & kFlagHidden)) rec.setFlags(rec.flags() & ~kHostHiddenTag);
        }
    }

    Input& in_;
    bool arming_ = false;
    bool failed_ = false;
    uint32_t failAt_ = 0;
    bool failLater_ = false;
    uint32_t spare_ = 0;
    struct {
        std::vector<uint32_t> flags;
        std::vector<uint8_t> log;
        uint32_t used = 0;
        CharIndex anchor = 0, caret = 0;
    } before_;
    FakePlatform platform_;
    bool twoDocuments_ = false;
    Document docs_[2];
    int current_ = 0;
    EditorInstance* ed_ = nullptr;
};

}  // namespace
}  // namespace qv::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qv::fuzz::Input in(data, size);
    qv::fuzz::Session session(in);
    session.Run();
    return 0;
}
