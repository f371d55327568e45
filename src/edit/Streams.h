// Moving the text between the control and its host through the host's callback,
// in the EDITSTREAM protocol of EM_STREAMIN and EM_STREAMOUT: how a host loads and
// saves files.
//
// The callback is called as callback(cookie, buffer, count, &cb) and answers 0 to
// go on, anything else to stop. Nothing a callback hands back is trusted:
//   - stream-in sets cb to 0 before every call and takes at most the buffer's size
//     of it; a negative cb is 0, the end of the stream; the buffer is zeroed before
//     every call, so bytes claimed but not written are NULs, which are dropped;
//   - stream-out sets cb to the count before every call; a smaller cb is a failed
//     write;
//   - dwError is 0 during every call and after a transfer that went well (a
//     stream-out with nothing to write too); a callback's nonzero answer is stored
//     in it, and so are the control's own failures (a short write, no room, no
//     buffer), so a transfer that failed never looks like one that worked;
//   - the callback and the cookie are read once, at the start;
//   - a callback that edits another control does not disturb the one streaming:
//     each keeps its edit state in its own record;
//   - when the control is destroyed during a call, the transfer stops at once.
// The caller refuses edits of the streaming control while a callback runs.
//
// The text is 8-bit text in the ANSI code page with CR LF line ends (stream-out
// writes the line end the host chose; stream-in reads any). With SF_UNICODE
// the host's side is UTF-16 (little-endian), converted through the platform; a unit
// or a surrogate pair split between two callback buffers, and a two-byte character
// of a long line split between two pieces of it, are carried over whole.
#pragma once

#include <cstdint>

#include "base/EditorInstance.h"
#include "edit/LineEnds.h"
#include "edit/TextOut.h"

namespace qv {

using StreamCallback = uint32_t(QV_CALLBACK*)(uintptr_t cookie, uint8_t* buffer, int32_t count,
                                              int32_t* transferred);

// Laid out as the platform's EDITSTREAM.
struct EditStream {
    uintptr_t cookie;  // passed through to the callback
    uint32_t error;    // dwError
    StreamCallback callback;
};

// Bytes one callback call moves at most.
constexpr uint32_t kTransferBufferSize = 0x8000;
// The most bytes a stream-in counts: its result is a signed 32-bit count.
constexpr uint32_t kMaxStreamBytes = 0x7FFFFFFF;

// The format flags in wParam that the control reads.
constexpr uint32_t kStreamFormatMask = 0x0F;   // 2, 3, 4: SF_RTF, SF_RTFNOOBJS, SF_TEXTIZED
constexpr uint32_t kStreamUnicode = 0x10;      // SF_UNICODE
constexpr uint32_t kStreamSelection = 0x8000;  // SFF_SELECTION

// The errors the control stores in dwError (the platform's numbers).
constexpr uint32_t kErrorAccessDenied = 5;       // a locked line or a read-only control
constexpr uint32_t kErrorNotEnoughMemory = 8;    // no transfer buffer, or no room for the text
constexpr uint32_t kErrorWriteFault = 29;        // the callback took fewer bytes than it was given
constexpr uint32_t kErrorNotSupported = 50;      // a rich-text format
constexpr uint32_t kErrorInvalidParameter = 87;  // no callback
constexpr uint32_t kErrorBusy = 170;             // a stream-in while a stream runs
constexpr uint32_t kErrorFileTooLarge = 223;     // more than kMaxStreamBytes

struct StreamFormat {
    bool supported;  // false for the rich-text formats, which the control cannot do
    bool unicode;
    bool selection;
};
// Every format value but 2, 3 and 4, 0 included, is plain text.
StreamFormat ReadStreamFormat(uint32_t flags);

struct StreamInRequest {
    // Set: the text replaces the range from ... to (either order, clamped), logged
    // as a paste over it: the range as a kind-6 record, the text as a kind-5 record,
    // both grouped into one undo step. Clear: the text goes in at `from`, unlogged.
    bool replace = false;
    CharIndex from = 0;
    CharIndex to = 0;
    bool unicode = false;
    // When this turns nonzero during a callback call, the transfer stops at once
    // and touches the control no more.
    const uint32_t* abandoned = nullptr;
    uint32_t byteLimit = kMaxStreamBytes;
};

struct StreamInResult {
    uint32_t bytes = 0;      // the callback's bytes whose text went in (LF and NUL counted)
    uint32_t inserted = 0;   // characters inserted, an absorbed CR included
    CharIndex end = 0;       // the index after the inserted text
    bool started = false;    // a callback call succeeded: the range was replaced
    bool changed = false;    // the text changed
    bool abandoned = false;  // the control went away during a call
    bool refused = false;    // nothing was asked of the host: no callback, or no transfer buffer
    // Without `replace`: the line ends of the text that went in, as the host wrote them.
    LineEndKind lineEnds = LineEndKind::None;
};

// Reads the host's text through the callback, buffer after buffer until it hands
// back 0 bytes, and inserts it, line ends made CRs (LineEndNormaliser), through
// InsertChar with overwrite mode off. Each buffer's room is secured before its first
// character goes in, so a buffer goes in whole or not at all. A callback's failure
// keeps what went in before it; when the room runs out, the store's message box is
// shown once, the callback is not called again and dwError is
// ERROR_NOT_ENOUGH_MEMORY. A range to replace is deleted only once the first call
// has succeeded: a stream that fails at once changes nothing.
StreamInResult StreamIn(EditorInstance& ed, EditStream& stream, const StreamInRequest& request);

struct StreamOutRequest {
    // Clear: the whole document, its closing CR written as a line end unless it
    // stands alone in the last line or `finalLineEnd` is clear. Set: the range
    // from ... to (either order, clamped), never the closing CR.
    bool selection = false;
    CharIndex from = 0;
    CharIndex to = 0;
    bool unicode = false;
    const uint32_t* abandoned = nullptr;
    LineEnd lineEnd = LineEnd::CrLf;  // what every stored CR is written as
    // Clear: a last line holding text is written without a line end, so the stream
    // is exactly the host's text.
    bool finalLineEnd = true;
};

// Hands the text to the callback one line per call, every CR written as the
// request's line end; a line longer than the buffer goes in several calls (a CR LF
// pair never split).
// The line count is read afresh for every line. Answers the bytes handed over: a
// failed call's bytes are counted, of a short write only the bytes taken.
uint32_t StreamOut(EditorInstance& ed, EditStream& stream, const StreamOutRequest& request);

}  // namespace qv
