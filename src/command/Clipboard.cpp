#include "command/Clipboard.h"

#include <algorithm>
#include <cstring>

#include "base/Platform.h"
#include "command/CommandSteps.h"
#include "command/DocumentCommands.h"
#include "edit/LineEnds.h"
#include "edit/UndoLog.h"
#include "store/LineRecord.h"
#include "store/PositionMap.h"

namespace qv {
namespace {

// A transfer buffer that is freed when it goes out of scope.
class TransferCopy {
public:
    TransferCopy() = default;
    explicit TransferCopy(uint32_t size) { Allocate(size); }
    ~TransferCopy() { ThePlatform().FreeTransferBuffer(bytes_); }
    TransferCopy(const TransferCopy&) = delete;
    TransferCopy& operator=(const TransferCopy&) = delete;
    uint8_t* Allocate(uint32_t size) { return bytes_ = ThePlatform().AllocTransferBuffer(size); }
    uint8_t* get() const { return bytes_; }

private:
    uint8_t* bytes_ = nullptr;
};

// Writes the n stored characters from `lo` on into `out`, every CR followed by an
// LF; answers the bytes written.
uint32_t WriteWithCrLf(EditorInstance& ed, CharIndex lo, uint32_t n, uint8_t* out) {
    const CharLocation at = LocateChar(ed, lo);
    uint8_t* const start = out;
    uint32_t col = at.column;
    for (LineNumber line = at.line; n > 0 && line < LineCount(ed); ++line, col = 0) {
        LineRecordView rec = LineRecordOf(ed, line);
        const uint32_t length = rec.length();
        const uint32_t take = std::min(length - std::min(col, length), n);
        for (uint32_t i = 0; i < take; ++i) {
            const uint8_t c = rec.chars()[col + i];
            *out++ = c;
            if (c == kCR) *out++ = kLF;
        }
        n -= take;
    }
    return static_cast<uint32_t>(out - start);
}

// The clipboard's text, copied out while the clipboard is open, so that nothing
// of the paste runs while another program waits for it.
ClipboardOutcome ReadClipboardText(EditorInstance& ed, TransferCopy& copy, uint32_t& length) {
    Platform& platform = ThePlatform();
    if (!platform.OpenClipboard(ed.hwnd)) return ClipboardOutcome::Failed;
    length = 0;
    const uint8_t* text = platform.LockClipboardText(length);
    if (text && length > 0 && copy.Allocate(length)) std::memcpy(copy.get(), text, length);
    if (text) platform.UnlockClipboardText();
    platform.CloseClipboard();
    if (!text || length == 0) return ClipboardOutcome::Nothing;
    return copy.get() ? ClipboardOutcome::Done : ClipboardOutcome::Failed;
}

}  // namespace

int32_t PutClipboardText(EditorInstance& ed, const uint8_t* bytes, uint32_t n) {
    Platform& platform = ThePlatform();
    if (!platform.OpenClipboard(ed.hwnd)) return -1;
    const bool written = platform.WriteClipboardText(bytes, n);
    platform.CloseClipboard();
    return written ? 0 : -1;
}

ClipboardOutcome CopySelection(EditorInstance& ed) {
    // The closing CR is not the host's text: a selection through the end stops in
    // front of it.
    const CharIndex closing = LocateChar(ed, kNoIndex).index - 1;
    const CharIndex hi = std::min(std::max(ed.selAnchor, ed.caretPos), closing);
    const CharIndex lo = std::min(std::min(ed.selAnchor, ed.caretPos), hi);
    if (lo == hi) return ClipboardOutcome::Nothing;
    // Every line the range leaves ends with a CR, which takes an LF after it.
    const uint64_t breaks = LocateChar(ed, hi).line - LocateChar(ed, lo).line;
    const uint64_t bytes = uint64_t(hi - lo) + breaks;
    if (bytes >= 0x7FFFFFFF) return ClipboardOutcome::Failed;
    TransferCopy buffer(static_cast<uint32_t>(bytes) + 1);
    if (!buffer.get()) return ClipboardOutcome::Failed;
    const uint32_t n = WriteWithCrLf(ed, lo, hi - lo, buffer.get());
    return PutClipboardText(ed, buffer.get(), n) == 0 ? ClipboardOutcome::Done : ClipboardOutcome::Failed;
}

ClipboardOutcome CutCommand(EditorInstance& ed) {
    const ClipboardOutcome copied = CopySelection(ed);
    if (copied == ClipboardOutcome::Failed) {
        ThePlatform().Beep();  // the text stays where it is
        return copied;
    }
    if (copied == ClipboardOutcome::Done) {
        bool ok = true;
        ClearSelection(ed, &ok);
        if (!ok) return ClipboardOutcome::Failed;  // nothing changed; the message was shown
    }
    FinishTextCommand(ed);
    return copied;
}

ClipboardOutcome PasteCommand(EditorInstance& ed, void (*measure)(EditorInstance&)) {
    TransferCopy copy;
    uint32_t length = 0;
    const ClipboardOutcome read = ReadClipboardText(ed, copy, length);
    if (read != ClipboardOutcome::Done) return read;
    if (StoredCharCount(copy.get(), length) == 0) return ClipboardOutcome::Nothing;
    if (ed.undoLogUsed == 0) EmptyUndoLog(ed);
    bool ok = true;
    ReplaceSelectionBytes(ed, copy.get(), length, true, &ok);
    if (!ok) return ClipboardOutcome::Failed;  // nothing changed; the message was shown
    EndMouseDrag(ed);
    if (measure) measure(ed);
    FinishTextCommand(ed);
    return ClipboardOutcome::Done;
}

}  // namespace qv
