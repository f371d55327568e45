// Stream transfers through a host callback: random byte streams in random pieces
// against a string model (line ends of every kind, NULs, bytes above 0x7F, lines
// longer than the transfer buffer, UTF-16 with units split between buffers), the
// callbacks that fail, short-write, claim huge counts or edit the document, and the
// commands around the transfers: the undo log, hidden lines, overwrite mode, the
// view, the formats, the selection and the locked refusal. The line ends a load
// finds, and the line ends the text goes out with: stream-out and the copies of
// WM_GETTEXT and the ranges.
#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "command/StreamCommands.h"
#include "core/support/EditFixture.h"
#include "edit/Streams.h"
#include "edit/TextOut.h"

namespace qv::test {
namespace {

constexpr uint32_t kBuffer = kTransferBufferSize;

// ---- The model --------------------------------------------------------------------------

// Stored text from a host's bytes: NULs dropped, CR LF and a lone LF made a CR.
std::string Normalised(const std::string& bytes) {
    std::string out;
    bool afterCr = false;
    for (char c : bytes) {
        if (c == 0) continue;
        if (c == '\n') {
            if (!afterCr) out += '\r';
            afterCr = false;
            continue;
        }
        afterCr = c == '\r';
        out += c;
    }
    return out;
}

// Stored text with every CR written as `end`.
std::string WithLineEnds(const std::string& stored, LineEnd end) {
    std::string out;
    for (char c : stored) {
        if (c != '\r') {
            out += c;
        } else {
            out += end == LineEnd::CrLf ? "\r\n" : end == LineEnd::Lf ? "\n" : "\r";
        }
    }
    return out;
}

// What a whole-document stream-out writes for the stored text (closing CR
// included): every CR as `end`, a last line holding only the closing CR left out,
// and without `final` the closing CR of a last line that holds text too.
std::string Streamed(std::string stored, LineEnd end = LineEnd::CrLf, bool final = true) {
    if (stored == "\r" || (stored.size() >= 2 && stored.compare(stored.size() - 2, 2, "\r\r") == 0))
        stored.pop_back();
    else if (!final && !stored.empty())
        stored.pop_back();
    return WithLineEnds(stored, end);
}

// The line ends a host's bytes had: CR and LF (NULs between them aside) a CR LF,
// every other CR and LF a lone one.
LineEndKind KindOf(const std::string& bytes) {
    bool crlf = false, lf = false, cr = false, pending = false;
    for (char c : bytes) {
        if (c == '\0') continue;
        if (c == '\n') {
            (pending ? crlf : lf) = true;
            pending = false;
            continue;
        }
        cr = cr || pending;
        pending = c == '\r';
    }
    cr = cr || pending;
    const int kinds = crlf + lf + cr;
    if (kinds == 0) return LineEndKind::None;
    if (kinds > 1) return LineEndKind::Mixed;
    return crlf ? LineEndKind::CrLf : lf ? LineEndKind::Lf : LineEndKind::Cr;
}

const LineEnd kLineEnds[] = {LineEnd::CrLf, LineEnd::Lf, LineEnd::Cr};

// ---- The host's side of the callback -------------------------------------------------------

// Stream-in: hands over `input` in the pieces given (then whole buffers), then 0.
struct InHost {
    std::string input;
    std::vector<uint32_t> pieces;
    std::map<int, int32_t> claims;  // call -> the cb it claims instead of the bytes written
    int failAt = 0;                 // the call that answers failCode
    uint32_t failCode = 0;
    std::function<void(int)> during;
    size_t offset = 0;
    int calls = 0;
};

uint32_t QV_CALLBACK ReadFromHost(uintptr_t cookie, uint8_t* buffer, int32_t count, int32_t* cb) {
    InHost& host = *reinterpret_cast<InHost*>(cookie);
    const int call = ++host.calls;
    EXPECT_EQ(*cb, 0) << "cb is preset to 0";
    EXPECT_EQ(count, static_cast<int32_t>(kBuffer));
    if (host.during) host.during(call);
    if (call == host.failAt) return host.failCode;
    size_t piece = call <= static_cast<int>(host.pieces.size()) ? host.pieces[call - 1] : kBuffer;
    piece = std::min(piece, host.input.size() - host.offset);
    std::memcpy(buffer, host.input.data() + host.offset, piece);
    host.offset += piece;
    *cb = static_cast<int32_t>(piece);
    if (host.claims.count(call)) *cb = host.claims[call];
    return 0;
}

// Stream-out: records every call; may fail or take fewer bytes than given.
struct OutHost {
    std::vector<std::string> calls;
    std::string output;
    int failAt = 0;
    uint32_t failCode = 0;
    int shortAt = 0;
    int32_t taken = 0;  // the cb of the short call
    std::function<void(int)> during;
};

uint32_t QV_CALLBACK WriteToHost(uintptr_t cookie, uint8_t* buffer, int32_t count, int32_t* cb) {
    OutHost& host = *reinterpret_cast<OutHost*>(cookie);
    EXPECT_EQ(*cb, count) << "cb is preset to the count";
    EXPECT_GT(count, 0);
    EXPECT_LE(count, static_cast<int32_t>(kBuffer));
    host.calls.emplace_back(reinterpret_cast<const char*>(buffer), count);
    const int call = static_cast<int>(host.calls.size());
    if (host.during) host.during(call);
    if (call == host.failAt) return host.failCode;
    if (call == host.shortAt) *cb = host.taken;
    host.output.append(reinterpret_cast<const char*>(buffer), std::max(0, std::min(*cb, count)));
    return 0;
}

class StreamsTest : public EditFixture {
protected:
    StreamInResult In(InHost& host, StreamInRequest request = {}) {
        EditStream stream{reinterpret_cast<uintptr_t>(&host), 0xDEAD, ReadFromHost};
        request.abandoned = request.abandoned ? request.abandoned : &abandoned;
        StreamInResult result = StreamIn(*ed, stream, request);
        error = stream.error;
        return result;
    }
    uint32_t Out(OutHost& host, StreamOutRequest request = {}) {
        EditStream stream{reinterpret_cast<uintptr_t>(&host), 0xDEAD, WriteToHost};
        request.abandoned = &abandoned;
        const uint32_t bytes = StreamOut(*ed, stream, request);
        error = stream.error;
        return bytes;
    }
    uint32_t CommandIn(InHost& host, uint32_t flags) {
        EditStream stream{reinterpret_cast<uintptr_t>(&host), 0xDEAD, ReadFromHost};
        const uint32_t bytes = StreamInCommand(*ed, &stream, flags, &abandoned);
        error = stream.error;
        return bytes;
    }
    uint32_t CommandOut(OutHost& host, uint32_t flags) {
        EditStream stream{reinterpret_cast<uintptr_t>(&host), 0xDEAD, WriteToHost};
        const uint32_t bytes = StreamOutCommand(*ed, &stream, flags, &abandoned);
        error = stream.error;
        return bytes;
    }
    void TearDown() override {
        EXPECT_EQ(platform.liveTransferBuffers, 0) << "every transfer buffer is freed";
        EditFixture::TearDown();
    }

    uint32_t error = 0;
    uint32_t abandoned = 0;
};

// ---- Random streams against the model --------------------------------------------------------

std::string RandomBytes(std::mt19937& rng, size_t n) {
    static const char kAlphabet[] = {'a', 'b', ' ', '\t', '\r', '\n', '\0', '\x80', '\xE9', '\xFF'};
    std::string bytes;
    while (bytes.size() < n) {
        if (rng() % 400 == 0) {
            bytes.append(kBuffer + rng() % 40000, 'x');  // a line longer than the buffer
        } else {
            bytes += kAlphabet[rng() % sizeof kAlphabet];
        }
    }
    return bytes;
}

// Random pieces; now and then a whole buffer that claims a huge count.
void ChunkRandomly(std::mt19937& rng, InHost& host) {
    size_t at = 0;
    while (at < host.input.size()) {
        const uint32_t roll = rng() % 10;
        uint32_t piece = roll == 0 ? kBuffer : roll == 1 ? 1 + rng() % 3 : 1 + rng() % kBuffer;
        if (roll == 2 && host.input.size() - at >= kBuffer) {
            piece = kBuffer;
            host.claims[static_cast<int>(host.pieces.size()) + 1] = rng() % 2 ? 0x7FFFFFFF : kBuffer + 1;
        }
        host.pieces.push_back(piece);
        at += piece;
    }
}

TEST_F(StreamsTest, RandomStreamsGoInAndComeOutAsTheModelSays) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string existing = round % 3 == 0 ? "" : round % 3 == 1 ? "zz\r\nyy" : "q\r\n";
        SetText(existing);
        const std::string before = Text();
        InHost in;
        in.input = RandomBytes(rng, rng() % 3 == 0 ? rng() % 16 : rng() % 90000);
        ChunkRandomly(rng, in);
        const StreamInResult result = In(in);
        EXPECT_EQ(result.bytes, in.input.size());
        EXPECT_EQ(error, 0u);
        const std::string stored = Normalised(in.input) + before;
        ASSERT_EQ(Text(), stored);
        EXPECT_EQ(result.inserted, stored.size() - before.size());
        EXPECT_EQ(result.lineEnds, KindOf(in.input));
        ExpectWellFormed();

        for (const LineEnd end : kLineEnds) {
            for (const bool final : {true, false}) {
                SCOPED_TRACE(testing::Message()
                             << "line end " << int(end) << (final ? ", final" : ", exact"));
                OutHost out;
                StreamOutRequest request;
                request.lineEnd = end;
                request.finalLineEnd = final;
                const uint32_t written = Out(out, request);
                ASSERT_EQ(out.output, Streamed(stored, end, final));
                EXPECT_EQ(written, out.output.size());
                const std::string lineEnd = WithLineEnds("\r", end);
                for (size_t i = 0; i < out.calls.size(); ++i) {
                    // One line per call: a line end only at its end, never split.
                    const std::string& call = out.calls[i];
                    const size_t at = call.find(lineEnd);
                    EXPECT_TRUE(at == std::string::npos || at + lineEnd.size() == call.size()) << call.size();
                    if (end == LineEnd::CrLf) {
                        EXPECT_NE(call.front(), '\n');
                    }
                }
            }
        }
    }
}

// The line ends a load finds, whatever the pieces: texts of one kind, now and then
// with a line end of another kind, a NUL in a line or between a CR and its LF, in
// lines of every length (line ends at every place of a sixteen-byte block), cut
// into small or large pieces (a CR LF split between two calls).
TEST_F(StreamsTest, ALoadFindsItsLineEndsWhateverThePieces) {
    std::mt19937 rng(16);
    const char* const kEnds[] = {"\r\n", "\n", "\r"};
    const std::string crNulLf("\r\0\n", 3);
    for (int round = 0; round < 400; ++round) {
        const int kind = static_cast<int>(rng() % 3);
        std::string input;
        const int lines = static_cast<int>(rng() % 40);
        for (int i = 0; i < lines; ++i) {
            input += std::string(rng() % 35, 'w');
            if (rng() % 60 == 0) input += '\0';
            const uint32_t roll = rng() % 150;
            input += roll == 0 ? kEnds[(kind + 1) % 3] : roll == 1 && kind == 0 ? crNulLf : kEnds[kind];
        }
        if (rng() % 3 == 0) input += "tail";
        SCOPED_TRACE(testing::PrintToString(input));
        const LineEndKind expected = KindOf(input);
        EXPECT_EQ(FindLineEnds(reinterpret_cast<const uint8_t*>(input.data()), static_cast<uint32_t>(input.size())),
                  expected);
        SetText("");
        InHost in;
        in.input = input;
        const uint32_t most = rng() % 2 ? 4 : 300;
        for (size_t at = 0; at < input.size();) {
            const uint32_t piece = 1 + rng() % most;
            in.pieces.push_back(piece);
            at += piece;
        }
        EXPECT_EQ(In(in).lineEnds, expected);
    }
}

// UTF-16 units, little-endian, as the fake ANSI code page (Latin-1) maps them.
struct Utf16Case {
    std::string bytes;  // the host's bytes
    std::string ansi;   // what they become in the document
};

Utf16Case RandomUtf16(std::mt19937& rng, size_t units) {
    struct Piece {
        std::u16string units;
        std::string ansi;
    };
    static const Piece kPieces[] = {
        {u"\xD83D\xDE00", "?"},  // a surrogate pair: one character
        {u"\x4E01", "?"},        // not in the code page
        {u"\xE9", "\xE9"},
        {u"\r", "\r"},
        {u"\n", "\n"},
        {std::u16string(1, u'\0'), std::string(1, '\0')},
        {u"q", "q"},
        {u"Z", "Z"},
    };
    Utf16Case c;
    auto put = [&c](char16_t u) {
        c.bytes += static_cast<char>(u & 0xFF);
        c.bytes += static_cast<char>(u >> 8);
    };
    if (rng() % 2) put(0xFEFF);  // a byte-order mark: no text
    for (size_t i = 0; i < units; ++i) {
        const Piece& piece = kPieces[rng() % (sizeof kPieces / sizeof kPieces[0])];
        for (char16_t u : piece.units) put(u);
        c.ansi += piece.ansi;
    }
    return c;
}

TEST_F(StreamsTest, Utf16StreamsCarryUnitsAndPairsAcrossBuffers) {
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        SetText("");
        const Utf16Case c = RandomUtf16(rng, rng() % 40000);
        InHost in;
        in.input = c.bytes;
        while (in.offset < in.input.size()) {  // odd pieces split units and pairs
            const uint32_t piece = rng() % 4 == 0 ? 1 + rng() % 5 : 1 + rng() % kBuffer;
            in.pieces.push_back(piece);
            in.offset += piece;
        }
        in.offset = 0;
        StreamInRequest request;
        request.unicode = true;
        EXPECT_EQ(In(in, request).bytes, c.bytes.size());
        const std::string stored = Normalised(c.ansi) + "\r";
        ASSERT_EQ(Text(), stored);

        OutHost out;
        StreamOutRequest back;
        back.unicode = true;
        Out(out, back);
        std::string expected;
        for (char ch : Streamed(stored)) expected += ch, expected += '\0';  // Latin-1 units
        EXPECT_EQ(out.output, expected);
    }
}

TEST_F(StreamsTest, TwoByteCharactersOfALongLineAreNeverSplitInUtf16) {
    platform.doubleByte = true;
    // 'a', then two-byte characters: one of them straddles every piece boundary.
    std::string line = "a";
    for (int i = 0; i < 20000; ++i) line += "\x81\x41";
    SetText(line);
    OutHost out;
    StreamOutRequest request;
    request.unicode = true;
    Out(out, request);
    ASSERT_GE(out.calls.size(), 3u);
    std::u16string units(out.output.size() / 2, u'\0');
    std::memcpy(&units[0], out.output.data(), out.output.size());
    EXPECT_EQ(units, u"a" + std::u16string(20000, char16_t(FakePlatform::kDoubleByteBase + 0x41)) + u"\r\n");

    SetText("");  // and back in, in odd pieces
    InHost in;
    in.input = out.output;
    in.pieces = {3, 5001, 7};
    StreamInRequest back;
    back.unicode = true;
    In(in, back);
    EXPECT_EQ(Text(), line + "\r\r");
}

// ---- Cases by hand -----------------------------------------------------------------------

TEST_F(StreamsTest, LineEndsOfEveryKindAndTheirSplitsBetweenBuffers) {
    struct Case {
        std::vector<std::string> pieces;
        std::vector<std::string> lines;
        std::string out;
        LineEndKind kind;   // what the load found
        std::string exact;  // written with LF line ends and no final line end added
    };
    const Case cases[] = {
        {{"ab\r\nc"}, {"ab\r", "c\r"}, "ab\r\nc\r\n", LineEndKind::CrLf, "ab\nc"},
        {{"a\nb\n"},
         {"a\r", "b\r", "\r"},
         "a\r\nb\r\n",
         LineEndKind::Lf,
         "a\nb\n"},  // a lone LF breaks the line
        {{"a\r", "\nb"},
         {"a\r", "b\r"},
         "a\r\nb\r\n",
         LineEndKind::CrLf,
         "a\nb"},  // CR LF split between buffers
        {{"a\r", std::string(1, '\0'), "\nb"},
         {"a\r", "b\r"},
         "a\r\nb\r\n",
         LineEndKind::CrLf,
         "a\nb"},  // a NUL between
        {{"a\r", "b\r"},
         {"a\r", "b\r", "\r"},
         "a\r\nb\r\n",
         LineEndKind::Cr,
         "a\nb\n"},  // a CR at a buffer's end
        {{"a\r\r\n\n\rb"},
         {"a\r", "\r", "\r", "\r", "b\r"},
         "a\r\n\r\n\r\n\r\nb\r\n",
         LineEndKind::Mixed,
         "a\n\n\n\nb"},
        {{"a\r\n", "b\n"}, {"a\r", "b\r", "\r"}, "a\r\nb\r\n", LineEndKind::Mixed, "a\nb\n"},
        {{std::string("n\0u\0l", 5)}, {"nul\r"}, "nul\r\n", LineEndKind::None, "nul"},
        {{""}, {"\r"}, "", LineEndKind::None, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        SetText("");
        InHost in;
        for (const std::string& piece : c.pieces) in.input += piece, in.pieces.push_back(piece.size());
        const StreamInResult result = In(in);
        EXPECT_EQ(result.bytes, in.input.size());
        EXPECT_EQ(result.lineEnds, c.kind);
        EXPECT_EQ(Lines(), c.lines);
        OutHost out;
        EXPECT_EQ(Out(out), c.out.size());
        EXPECT_EQ(out.output, c.out);
        OutHost exact;
        StreamOutRequest lf;
        lf.lineEnd = LineEnd::Lf;
        lf.finalLineEnd = false;
        EXPECT_EQ(Out(exact, lf), c.exact.size());
        EXPECT_EQ(exact.output, c.exact);
    }
    OutHost none;  // an empty document calls nothing
    EXPECT_EQ(Out(none), 0u);
    EXPECT_TRUE(none.calls.empty());
    EXPECT_EQ(error, 0u);
}

TEST_F(StreamsTest, ALongLineIsSplitAcrossCallsAndItsCrLfStaysTogether) {
    SetText(std::string(kBuffer - 1, 'x') + "\r\n" + std::string(70000, 'y'));
    OutHost out;
    Out(out);
    ASSERT_EQ(out.calls.size(), 5u);
    EXPECT_EQ(out.calls[0], std::string(kBuffer - 1, 'x'));
    EXPECT_EQ(out.calls[1], "\r\n");
    EXPECT_EQ(out.calls[2], std::string(kBuffer, 'y'));
    EXPECT_EQ(out.calls[3], std::string(kBuffer, 'y'));
    EXPECT_EQ(out.calls[4], std::string(70000 - 2 * kBuffer, 'y') + "\r\n");

}

// The copies of WM_GETTEXT, EM_GETTEXTRANGE and EM_GETSELTEXT against the model:
// random ranges of a random text, each line end, rooms down to nothing; no byte
// past the room is written and a CR LF is never cut in half.
TEST_F(StreamsTest, TextGoesOutWithTheChosenLineEndWithinItsRoom) {
    std::mt19937 rng(99);
    for (int round = 0; round < 200; ++round) {
        std::string host;
        const int parts = static_cast<int>(rng() % 12);
        for (int i = 0; i < parts; ++i) host += rng() % 3 ? std::string(rng() % 5, 'a' + i) : "\r\n";
        SetText(host);
        const std::string stored = Text();
        const CharIndex length = static_cast<CharIndex>(stored.size()) - 1;  // the closing CR is not copied
        const CharIndex lo = static_cast<CharIndex>(rng() % (length + 1));
        const CharIndex hi = lo + static_cast<CharIndex>(rng() % (length - lo + 1));
        const uint32_t room = rng() % 4 ? rng() % 30 : UINT32_MAX;
        for (const LineEnd end : kLineEnds) {
            SCOPED_TRACE(testing::Message() << testing::PrintToString(stored) << " " << lo << "-" << hi
                                            << " room " << room << " line end " << int(end));
            std::string expected;
            for (CharIndex i = lo; i < hi; ++i) {
                const std::string piece = WithLineEnds(stored.substr(i, 1), end);
                if (expected.size() + piece.size() > room) break;
                expected += piece;
            }
            std::string buffer(64, 'Z');
            const uint32_t n = CopyTextOut(*ed, lo, hi, end, reinterpret_cast<uint8_t*>(&buffer[0]), room);
            ASSERT_EQ(buffer.substr(0, n), expected);
            EXPECT_EQ(buffer.substr(n), std::string(64 - n, 'Z'));
            const LineNumber line =
                static_cast<LineNumber>(std::count(stored.begin(), stored.begin() + lo, '\r'));
            EXPECT_EQ(ed->curLine, line) << "the current line is the lower end's";
        }
    }
}

TEST_F(StreamsTest, CountsFromTheHostAreNeverTrusted) {
    // A huge count takes one buffer; a negative one ends the stream like 0.
    InHost in;
    in.input = std::string(kBuffer, 'h') + "tail";
    in.claims = {{1, 0x7FFFFFFF}, {2, -5}};
    EXPECT_EQ(In(in).bytes, kBuffer);
    EXPECT_EQ(in.calls, 2);
    EXPECT_EQ(Text(), std::string(kBuffer, 'h') + "\r");

    // A count larger than what was written hands over zeros, never an earlier
    // call's bytes again.
    SetText("");
    InHost liar;
    liar.input = "helloab";
    liar.pieces = {5, 2};
    liar.claims = {{2, 5}};
    EXPECT_EQ(In(liar).bytes, 10u);
    EXPECT_EQ(Text(), "helloab\r");

    // A stream larger than a count can say stops before the buffer that passes it.
    SetText("");
    InHost big;
    big.input = std::string(3 * kBuffer, 'b');
    StreamInRequest limited;
    limited.byteLimit = 2 * kBuffer + 10;
    EXPECT_EQ(In(big, limited).bytes, 2 * kBuffer);
    EXPECT_EQ(error, kErrorFileTooLarge);
    EXPECT_EQ(big.calls, 3);
}

TEST_F(StreamsTest, AFailingCallbackKeepsWhatCameBeforeAndReportsItsAnswer) {
    InHost in;
    in.input = "one\r\ntwo\r\nthree";
    in.pieces = {5, 5, 5};
    in.failAt = 3;
    in.failCode = 1234;
    EXPECT_EQ(In(in).bytes, 10u);
    EXPECT_EQ(error, 1234u);
    EXPECT_EQ(Text(), "one\rtwo\r\r");
    EXPECT_EQ(in.calls, 3);

    OutHost out;  // the failed call's bytes count as handed over
    out.failAt = 2;
    out.failCode = 99;
    EXPECT_EQ(Out(out), 5u + 5u);
    EXPECT_EQ(error, 99u);
    EXPECT_EQ(out.calls.size(), 2u);

    OutHost shortWrite;  // fewer bytes taken than given: a write fault
    shortWrite.shortAt = 2;
    shortWrite.taken = 3;
    EXPECT_EQ(Out(shortWrite), 5u + 3u);
    EXPECT_EQ(error, kErrorWriteFault);
    EXPECT_EQ(shortWrite.calls.size(), 2u);

    OutHost negative;
    negative.shortAt = 1;
    negative.taken = -1;
    EXPECT_EQ(Out(negative), 0u);
    EXPECT_EQ(error, kErrorWriteFault);

    OutHost generous;  // more taken than given is a full write
    generous.shortAt = 1;
    generous.taken = 1000000;
    EXPECT_EQ(Out(generous), 10u);
    EXPECT_EQ(error, 0u);
}

TEST_F(StreamsTest, NoBufferNoCallAndNoRoomStopAtOnceAndSaySo) {
    SetText("keep");
    InHost in;
    in.input = "lost";
    platform.transferAllocsLeft = 0;
    EXPECT_EQ(CommandIn(in, 0), 0u);
    EXPECT_EQ(error, kErrorNotEnoughMemory);
    EXPECT_EQ(in.calls, 0);
    OutHost out;
    EXPECT_EQ(CommandOut(out, 0), 0u);
    EXPECT_EQ(error, kErrorNotEnoughMemory);
    EXPECT_TRUE(out.calls.empty());
    EXPECT_EQ(Text(), "keep\r");
    platform.transferAllocsLeft = -1;

    platform.ClearRecords();
    EXPECT_EQ(StreamInCommand(*ed, nullptr, 0, &abandoned), 0u);
    EditStream noCallback{0, 0, nullptr};
    EXPECT_EQ(StreamInCommand(*ed, &noCallback, 0, &abandoned), 0u);
    EXPECT_EQ(noCallback.error, kErrorInvalidParameter);
    EXPECT_EQ(StreamOutCommand(*ed, &noCallback, 0, &abandoned), 0u);
    EXPECT_TRUE(platform.transferSizes.empty());

    // The store cannot grow: the buffers that fit go in, the message is shown
    // once, and the callback is not called again.
    SetText("");
    InHost huge;
    huge.input = std::string(40 * kBuffer, 'm');
    platform.reallocsLeft = 0;
    const StreamInResult result = In(huge);
    platform.reallocsLeft = -1;
    EXPECT_EQ(error, kErrorNotEnoughMemory);
    EXPECT_EQ(platform.errors.size(), 1u);
    EXPECT_GT(result.bytes, 0u);
    EXPECT_LT(result.bytes, huge.input.size());
    EXPECT_EQ(result.bytes % kBuffer, 0u);
    EXPECT_EQ(Text(), std::string(result.bytes, 'm') + "\r");
    EXPECT_EQ(huge.calls, static_cast<int>(result.bytes / kBuffer) + 1);
    ExpectWellFormed();
}

TEST_F(StreamsTest, ACallbackThatChangesTheDocumentCannotMakeStreamOutReadAmiss) {
    // Edits are refused by the windows while a stream runs; the transfer itself
    // still reads every line afresh, whatever happened during a call.
    SetText("first\r\nsecond\r\nthird");
    OutHost shrink;
    shrink.during = [this](int call) {
        if (call == 1) ReplaceSelection(*ed, nullptr, false), SetText("");
    };
    Out(shrink);
    EXPECT_EQ(shrink.calls.size(), 1u);

    SetText("a\r\nb");
    OutHost grow;
    grow.during = [this](int call) {
        if (call == 1) InsertText(*ed, kNoIndex, "c\r\n");
    };
    Out(grow);
    EXPECT_EQ(grow.output, "a\r\nbc\r\n");
}

// ---- The commands --------------------------------------------------------------------------

TEST_F(StreamsTest, LoadingTheDocumentResetsTheViewAndEmptiesTheLogOnlyWhenTextWentIn) {
    SetText("old\r\ntext");
    Select(1, 6);
    ReplaceSelection(*ed, "x", true);
    ASSERT_TRUE(CanUndo(*ed));
    ed->panes[0].scrollY = 120;
    ed->panes[1].scrollX = ed->panes[0].scrollX = 40;

    InHost nuls;  // nothing but NULs inserts nothing: the log stays
    nuls.input = std::string(3, '\0');
    platform.ClearRecords();
    EXPECT_EQ(CommandIn(nuls, 0), 3u);
    EXPECT_TRUE(CanUndo(*ed));
    EXPECT_EQ(platform.notifications.size(), 1u);
    EXPECT_EQ(platform.notifications[0].second.reason, 1u);
    EXPECT_EQ(ed->panes[0].scrollY, 0);
    EXPECT_EQ(ed->panes[0].scrollX, 0);
    ExpectSelection(0, 0);

    InHost in;
    in.input = "new\r\n";
    Select(2, 3);
    EXPECT_EQ(CommandIn(in, 0), 5u);
    EXPECT_FALSE(CanUndo(*ed));
    EXPECT_EQ(Text(), "new\roxxt\r");
    ExpectSelection(0, 0);
    EXPECT_EQ(platform.cursorsSet.front(), StdCursor::Wait);
    EXPECT_EQ(static_cast<size_t>(platform.cursorsRestored), platform.cursorsSet.size());
}

TEST_F(StreamsTest, LoadingRecountsTheHiddenLinesAndNeverOverwrites) {
    SetText("a\r\nb\r\nc\r\nd");
    for (LineNumber line : {2u, 3u}) LineRecordOf(*ed, line).setFlags(kFlagHidden);
    ed->hiddenLineCount = 7;  // whatever it said, it counts the hidden lines afterwards
    ed->overwriteMode = 1;
    InHost in;
    in.input = "x\ny";
    CommandIn(in, 0);
    EXPECT_EQ(Text(), "x\rya\rb\rc\rd\r");
    EXPECT_EQ(ed->hiddenLineCount, 2u);
    ExpectWellFormed();
    EXPECT_EQ(ed->overwriteMode, 1u);

    Select(1, 1);  // over the selection too, in front of the text it meets
    InHost more;
    more.input = "zz";
    CommandIn(more, kStreamSelection);
    EXPECT_EQ(Text(), "xzz\rya\rb\rc\rd\r");
}

TEST_F(StreamsTest, OnlyTheRichTextFormatsAreRefusedEveryOtherValueIsPlainText) {
    for (uint32_t flags : {2u, 3u, 4u, 0x12u, 0x8003u, 0x8014u}) {
        SCOPED_TRACE(flags);
        SetText("same");
        InHost in;
        in.input = "no";
        EXPECT_EQ(CommandIn(in, flags), 0u);
        EXPECT_EQ(error, kErrorNotSupported);
        OutHost out;
        EXPECT_EQ(CommandOut(out, flags), 0u);
        EXPECT_EQ(error, kErrorNotSupported);
        EXPECT_EQ(in.calls + static_cast<int>(out.calls.size()), 0);
        EXPECT_EQ(Text(), "same\r");
    }
    for (uint32_t flags : {0u, 1u, 5u, 8u, 15u, 0x20u, 0x4001u}) {
        SCOPED_TRACE(flags);
        SetText("");
        InHost in;
        in.input = "p\r\n";
        EXPECT_EQ(CommandIn(in, flags), 3u);
        EXPECT_EQ(Text(), "p\r\r");
        OutHost out;
        EXPECT_EQ(CommandOut(out, flags), 3u);
        EXPECT_EQ(out.output, "p\r\n");
    }
}

TEST_F(StreamsTest, ASelectionIsReplacedAsOnePasteAndWrittenWithoutTheClosingCr) {
    SetText("hello world");
    Select(11, 6);  // "world", made backwards
    InHost in;
    in.input = "there\r\nfriend";
    in.pieces = {6, 3};
    EXPECT_EQ(CommandIn(in, kStreamSelection), 13u);
    EXPECT_EQ(Text(), "hello there\rfriend\r");
    ExpectSelection(18, 18);
    ASSERT_EQ(Records().size(), 2u);
    EXPECT_EQ(RecordText(Records()[0]), "world");
    EXPECT_EQ(RecordText(Records()[1]), "there\rfriend");
    EXPECT_EQ(UndoStep(*ed), UndoResult::Applied);
    EXPECT_EQ(Text(), "hello world\r");
    EXPECT_FALSE(CanUndo(*ed));
    EXPECT_EQ(RedoStep(*ed), UndoResult::Applied);
    EXPECT_EQ(Text(), "hello there\rfriend\r");

    Select(0, kNoIndex);
    OutHost all;
    CommandOut(all, kStreamSelection);
    EXPECT_EQ(all.output, "hello there\r\nfriend");
    Select(4, 13);
    OutHost part;
    CommandOut(part, kStreamSelection | kStreamUnicode);
    EXPECT_EQ(part.output, std::string("o\0 \0t\0h\0e\0r\0e\0\r\0\n\0f\0", 20));

    // A stream that fails at once changes nothing, not even the selection.
    Select(0, 5);
    InHost failing;
    failing.failAt = 1;
    failing.failCode = 5;
    const size_t records = Records().size();
    EXPECT_EQ(CommandIn(failing, kStreamSelection), 0u);
    EXPECT_EQ(Text(), "hello there\rfriend\r");
    EXPECT_EQ(Records().size(), records);
    ExpectSelection(0, 5);
}

TEST_F(StreamsTest, AReplacedLineBreakAbsorbsTheStreamedOneEvenIfTheCallbackEditsElsewhere) {
    // From inside a line through its CR: the break stays and absorbs the first
    // streamed CR, as a paste does, even when the callback edits another control in
    // between: a paste there over a line break it keeps, and an undo.
    SetText("ab\r\ncd");
    Select(1, 3);
    OtherControl other("pq\r\nrs");
    InHost in;
    in.input = "x\r\ny";
    in.pieces = {1, 3};
    in.during = [&](int) {
        other.ed.selAnchor = 1;
        other.ed.caretPos = 3;
        ReplaceSelection(other.ed, "z", true);
        UndoStep(other.ed);
    };
    CommandIn(in, kStreamSelection);
    SetText("ab\r\ncd");  // the same edit as a paste, for comparison
    Select(1, 3);
    ReplaceSelection(*ed, "x\r\ny", true);
    const std::string pasted = Text();

    SetText("ab\r\ncd");
    Select(1, 3);
    in.offset = 0;
    in.calls = 0;
    CommandIn(in, kStreamSelection);
    EXPECT_EQ(Text(), pasted);
    EXPECT_EQ(UndoStep(*ed), UndoResult::Applied);
    EXPECT_EQ(Text(), "ab\rcd\r");
    EXPECT_FALSE(CanUndo(*ed));
}

TEST_F(StreamsTest, SelectionStreamsAreRefusedOverLockedLines) {
    SetText("read only");
    ed->style |= kStyleReadOnly;
    Select(0, 4);
    InHost in;
    in.input = "no";
    EXPECT_EQ(CommandIn(in, kStreamSelection), 0u);
    EXPECT_EQ(error, kErrorAccessDenied);
    EXPECT_EQ(platform.beeps, 1);
    EXPECT_EQ(in.calls, 0);
    OutHost out;  // reading is never refused
    EXPECT_EQ(CommandOut(out, kStreamSelection), 4u);
}

TEST_F(StreamsTest, AControlDestroyedDuringACallIsNotTouchedAgain) {
    InHost in;
    in.input = std::string(3 * kBuffer, 'd');
    in.during = [this](int call) {
        if (call == 2) abandoned = 1;
    };
    platform.ClearRecords();
    EXPECT_EQ(CommandIn(in, 0), kBuffer);
    EXPECT_EQ(in.calls, 2);
    EXPECT_TRUE(platform.notifications.empty());

    abandoned = 0;
    OutHost out;
    out.during = [this](int) { abandoned = 1; };
    CommandOut(out, 0);
    EXPECT_EQ(out.calls.size(), 1u);
}

}  // namespace
}  // namespace qv::test
