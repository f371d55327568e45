// Random sequences of well-formed messages from a seed, through the real window
// procedures of two controls side by side, each message to one of them, against a
// model of each control's text, selection and undo log: typing, Enter, Backspace
// and Delete, replacing, clearing, cut, copy and paste, undo and redo, whole-text
// replacement, stream-in of the selection in pieces (CR and LF split across calls,
// NUL bytes), stream-out, WM_GETTEXT, find, selections, with painting, scrolling,
// the wheel, folding, the split view and hostile settings (tab widths, margins,
// wheel lines, page lines, scroll delays, line ends) in between. The text handed
// out follows the model's line-end setting, and the line ends a WM_SETTEXT found
// are the model's. After every message both controls' stored texts are their
// models', the stored documents keep their shape, the selections are the models'
// where the models know them and never cover the closing CR, and undo and redo are
// offered exactly when a model has a step: nothing sent to one control changes the
// other. At the end undoing everything gives the text of the last reset of the log
// and redoing everything the final text, in each control.
//
// `make test` runs a few fixed seeds; QV_SEQUENCES=<seeds>,<messages> (run by `make
// soak`) runs more.
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "win/support/Hostile.h"
#include "win/support/Keys.h"
#include "win/support/TestHost.h"

namespace qvtest {
namespace {

// The host's view: the text without the closing CR, CR line ends; the selection;
// undo and redo as stacks of whole texts (each logged command is one step).
struct Model {
    std::string text;
    uint32_t anchor = 0, caret = 0;
    bool selectionKnown = true;
    std::vector<std::string> undo, redo;
    std::string resetText;  // the text at the last reset of the log
    uint32_t lineEnds = QV_LINEENDS_DEFAULT;  // EMX_SETLINEENDS

    uint32_t Lo() const { return anchor < caret ? anchor : caret; }
    uint32_t Hi() const { return anchor < caret ? caret : anchor; }
    void Log() {
        undo.push_back(text);
        redo.clear();
    }
    // A typed character is one undo step, over a selection too (as a paste is):
    // the text is the one replacement's (a typed CR is absorbed as below).
    void Type(const std::string& c) {
        Log();
        Replace(c);
    }
    // The selection replaced. A range inside one line that ends on its CR, from
    // past the line's start, keeps that CR, and the replacement's first CR, if it
    // has one, is absorbed by it.
    void Replace(const std::string& with) {
        const uint32_t lo = Lo(), hi = Hi();
        const size_t lineStart = lo == 0 ? 0 : (text.rfind('\r', lo - 1) == std::string::npos ? 0 : text.rfind('\r', lo - 1) + 1);
        const bool keep = hi > lo && lo > lineStart && text[hi - 1] == '\r' && text.find('\r', lo) == hi - 1;
        std::string middle = with;
        if (keep && with.find('\r') == std::string::npos) middle += '\r';
        text = text.substr(0, lo) + middle + text.substr(hi);
        anchor = caret = lo + static_cast<uint32_t>(with.size());
    }
};

// "\r\n" is stored as one CR.
std::string Stored(const std::string& host) {
    std::string s;
    for (size_t i = 0; i < host.size(); ++i) {
        if (host[i] == '\r' && i + 1 < host.size() && host[i + 1] == '\n') continue;
        s += host[i] == '\n' ? '\r' : host[i];
    }
    return s;
}

std::string WithCrLf(const std::string& stored) {
    std::string s;
    for (char c : stored) {
        s += c;
        if (c == '\r') s += '\n';
    }
    return s;
}

// Stored text with each CR written as the line-end style asks; `byDefault` stands
// for the default style.
std::string WithLineEnds(const std::string& stored, uint32_t setting, uint32_t byDefault) {
    uint32_t style = setting & QV_LINEENDS_STYLEMASK;
    if (style == QV_LINEENDS_DEFAULT) style = byDefault;
    if (style == QV_LINEENDS_CRLF) return WithCrLf(stored);
    std::string s = stored;
    if (style == QV_LINEENDS_LF) std::replace(s.begin(), s.end(), '\r', '\n');
    return s;
}

// The line ends of a host's text: CR LF, a lone LF or a lone CR throughout, more
// than one kind, or none.
LRESULT LineEndsOf(const std::string& text) {
    const size_t crlf = [&] {
        size_t n = 0;
        for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++n;
        return n;
    }();
    const size_t cr = static_cast<size_t>(std::count(text.begin(), text.end(), '\r')) - crlf;
    const size_t lf = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) - crlf;
    const int kinds = (crlf > 0) + (cr > 0) + (lf > 0);
    if (kinds == 0) return QV_LINEENDS_NONE;
    if (kinds > 1) return QV_LINEENDS_MIXED;
    return crlf ? QV_LINEENDS_CRLF : lf ? QV_LINEENDS_LF : QV_LINEENDS_CR;
}

// Stream-in from pieces: each call delivers the next piece.
struct Pieces {
    std::vector<std::string> parts;
    size_t next = 0;
};
DWORD CALLBACK ReadPieces(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* got) {
    Pieces& p = *reinterpret_cast<Pieces*>(cookie);
    *got = 0;
    if (p.next == p.parts.size()) return 0;
    const std::string& part = p.parts[p.next++];
    *got = static_cast<LONG>(part.size() < static_cast<size_t>(size) ? part.size() : size);
    std::memcpy(buffer, part.data(), *got);
    return 0;
}
DWORD CALLBACK WriteAll(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer), size);
    *done = size;
    return 0;
}

const uint32_t kHostile[] = {0, 1, 3, 8, 255, 4097, 65536, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};

class MessageSequenceTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, VARIABLE_PITCH | FF_SWISS,
                           "Arial");
    }
    void TearDown() override {
        ControlTest::TearDown();
        DeleteObject(font);
    }

    std::string RandomText(std::mt19937& rng, int most) {
        static const char* const pieces[] = {"a", "b", "x", " ", "\t", "\r\n", "word", "$ proc f", "$ endp",
                                             "mov eax, 1", "\n"};
        std::string s;
        const int n = std::uniform_int_distribution<int>(0, most)(rng);
        for (int i = 0; i < n; ++i) s += pieces[rng() % (sizeof pieces / sizeof *pieces)];
        return s;
    }

    uint32_t RandomIndex(std::mt19937& rng, const Model& m) {
        return std::uniform_int_distribution<uint32_t>(0, static_cast<uint32_t>(m.text.size()))(rng);
    }

    HWND Pane(int i) const {
        int n = 0;
        for (HWND child = GetWindow(control, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            char cls[32] = {};
            GetClassNameA(child, cls, sizeof cls);
            if (std::strcmp(cls, "QuorvaneEdit") == 0 && n++ == i) return child;
        }
        return nullptr;
    }

    void SetClipboard(const std::string& text) {
        if (!OpenClipboard(nullptr)) return;
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        SetClipboardData(CF_TEXT, block);
        CloseClipboard();
    }

    // One random message; the model follows it. Answers its name for the report.
    const char* Step(std::mt19937& rng, Model& m) {
        const bool selection = m.anchor != m.caret;
        switch (rng() % 28) {
            case 0:
            case 1: {
                if (rng() % 6 == 0) {  // select all: exactly the host's text
                    Send(EM_SETSEL, 0, -1);
                    m.anchor = 0;
                    m.caret = static_cast<uint32_t>(m.text.size());
                    m.selectionKnown = true;
                    return "EM_SETSEL (0, -1)";
                }
                uint32_t a = RandomIndex(rng, m), c = RandomIndex(rng, m);
                Send(EM_SETSEL, a, c);
                m.anchor = a;
                m.caret = c;
                m.selectionKnown = true;
                return "EM_SETSEL";
            }
            case 2:
            case 3: {
                const std::string text = RandomText(rng, 4);
                Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(text.c_str()));
                if (!selection && text.empty()) return "EM_REPLACESEL (nothing)";
                m.Log();
                m.Replace(Stored(text));
                return "EM_REPLACESEL";
            }
            case 4:
            case 5:
            case 6: {
                const char c = "abcdefgh \t$;:"[rng() % 13];
                Send(WM_CHAR, static_cast<unsigned char>(c), 1);
                m.Type(std::string(1, c));
                return "WM_CHAR";
            }
            case 7: {
                Send(WM_CHAR, '\r', 1);
                m.Type("\r");
                return "Enter";
            }
            case 8: {
                Char(control, VK_BACK);
                if (selection) {  // the selection goes
                    m.Log();
                    m.Replace("");
                    return "Backspace over a selection";
                }
                if (m.caret == 0) return "Backspace (at the start)";
                m.Log();
                m.text.erase(m.caret - 1, 1);
                m.anchor = m.caret = m.caret - 1;
                return "Backspace";
            }
            case 9: {
                KeyDown(control, VK_DELETE);
                // A selection of exactly one CR is deleted as a line join, like Delete
                // before that CR.
                if (selection && !(m.Hi() - m.Lo() == 1 && m.text[m.Lo()] == '\r')) {
                    m.Log();
                    m.Replace("");
                    return "Delete over a selection";
                }
                m.anchor = m.caret = m.Lo();
                if (m.caret >= m.text.size()) return "Delete (at the end)";
                m.Log();
                m.text.erase(m.caret, 1);
                return "Delete";
            }
            case 10: {
                Send(WM_CLEAR);
                if (!selection) return "WM_CLEAR (nothing)";
                m.Log();
                m.Replace("");
                return "WM_CLEAR";
            }
            case 11: {
                if (!selection) return "(cut needs a selection)";
                Send(WM_CUT);
                clipboard = m.text.substr(m.Lo(), m.Hi() - m.Lo());
                m.Log();
                m.Replace("");
                return "WM_CUT";
            }
            case 12: {
                Send(WM_COPY);
                if (selection) clipboard = m.text.substr(m.Lo(), m.Hi() - m.Lo());
                return "WM_COPY";
            }
            case 13: {
                if (rng() % 2) {
                    clipboard = Stored(RandomText(rng, 3));
                    SetClipboard(WithCrLf(clipboard));
                }
                Send(WM_PASTE);
                // A clipboard without text changes nothing, the selection included.
                if (clipboard.empty()) return "WM_PASTE (nothing)";
                m.Log();
                m.Replace(clipboard);
                return "WM_PASTE";
            }
            case 14:
            case 15: {
                const LRESULT done = Send(EM_UNDO);
                EXPECT_EQ(done != 0, !m.undo.empty());
                if (m.undo.empty()) return "EM_UNDO (nothing)";
                m.redo.push_back(m.text);
                m.text = m.undo.back();
                m.undo.pop_back();
                m.selectionKnown = false;
                return "EM_UNDO";
            }
            case 16: {
                const LRESULT done = Send(EM_REDO);
                EXPECT_EQ(done != 0, !m.redo.empty());
                if (m.redo.empty()) return "EM_REDO (nothing)";
                m.undo.push_back(m.text);
                m.text = m.redo.back();
                m.redo.pop_back();
                m.selectionKnown = false;
                return "EM_REDO";
            }
            case 17: {
                if (rng() % 4) return "(WM_SETTEXT is rare)";
                const std::string text = RandomText(rng, 12);
                Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
                m.text = m.resetText = Stored(text);
                m.anchor = m.caret = 0;
                m.selectionKnown = true;
                m.undo.clear();
                m.redo.clear();
                EXPECT_EQ(Send(EMX_GETLOADEDLINEENDS), LineEndsOf(text)) << "[" << text << "]";
                return "WM_SETTEXT";
            }
            case 18: {
                RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
                return "paint";
            }
            case 19: {
                const int what = rng() % 4;
                if (what == 0) Send(EM_LINESCROLL, static_cast<WPARAM>(rng() % 7) - 3, static_cast<LPARAM>(rng() % 21) - 10);
                if (what == 1) SendMessageA(Pane(0), WM_VSCROLL, rng() % 8, 0);
                if (what == 2) SendMessageA(Pane(rng() % 2), WM_MOUSEWHEEL, MAKEWPARAM(0, (rng() % 2 ? 120 : -120)), 0);
                if (what == 3) Send(EM_SCROLLCARET);
                return "scroll";
            }
            case 20: {
                const char* const patterns[2] = {"$ proc", "$ endp"};
                const int what = rng() % 3;
                if (what == 0) Send(EMX_FOLDALL, 0, reinterpret_cast<LPARAM>(patterns));
                if (what == 1) Send(EMX_UNFOLDALL);
                if (what == 2) Send(EMX_TOGGLESPLIT);
                m.selectionKnown = false;  // a fold may move a caret it hides
                return "fold or split";
            }
            case 21: {
                const uint32_t v = kHostile[rng() % (sizeof kHostile / sizeof *kHostile)];
                static const UINT settings[] = {EMX_SETTABWIDTH,   EMX_SETMARKERMARGIN, EMX_SETLINENUMBERWIDTH,
                                                EMX_SETWHEELLINES, EMX_SETPAGELINES,    EMX_SETSPLIT};
                const UINT msg = settings[rng() % (sizeof settings / sizeof *settings)];
                Send(msg, v);
                if (rng() % 3 == 0) Send(EMX_SETSCROLLDELAY, 0, v);
                if (rng() % 3 == 0) Send(EMX_TOGGLELINENUMBERS);
                if (rng() % 3 == 0) {
                    // A line-end setting (v, or a valid one); what is no setting changes nothing.
                    const uint32_t setting = rng() % 2 ? v : (rng() % 4) | (rng() % 2 ? QV_LINEENDS_NOFINAL : 0);
                    const bool valid = (setting & ~0x1Fu) == 0 && (setting & QV_LINEENDS_STYLEMASK) <= QV_LINEENDS_CR;
                    EXPECT_EQ(Send(EMX_SETLINEENDS, setting), valid ? static_cast<LRESULT>(m.lineEnds) : -1) << setting;
                    if (valid) m.lineEnds = setting;
                }
                return "a hostile setting";
            }
            case 22: {
                Send(WM_SETFONT, rng() % 3 ? reinterpret_cast<WPARAM>(font) : 0);
                return "WM_SETFONT";
            }
            case 23: {
                // The selection replaced by a stream in pieces: one undo step, as a paste.
                std::string text = RandomText(rng, 4);
                if (rng() % 2) text.insert(rng() % (text.size() + 1), 1, '\0');
                if (text.find_first_not_of('\0') == std::string::npos) text += "s";
                Pieces pieces;
                for (size_t at = 0; at < text.size();) {
                    const size_t n = 1 + rng() % 3;
                    pieces.parts.push_back(text.substr(at, n));
                    at += n;
                }
                EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&pieces), 0, ReadPieces};
                Send(EM_STREAMIN, SF_TEXT | SFF_SELECTION, reinterpret_cast<LPARAM>(&stream));
                EXPECT_EQ(stream.dwError, 0u);
                // NUL bytes are dropped as if never sent: CR NUL LF is one line end.
                std::string withoutNul;
                for (char c : text)
                    if (c != '\0') withoutNul += c;
                m.Log();
                m.Replace(Stored(withoutNul));
                return "EM_STREAMIN of the selection";
            }
            case 24: {
                // The whole document written with CR LF line ends (or the chosen
                // ones), and a line break at its end unless the last line is empty
                // or the setting adds none.
                std::string out;
                EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&out), 0, WriteAll};
                Send(EM_STREAMOUT, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
                const bool exact = (m.lineEnds & QV_LINEENDS_NOFINAL) != 0;
                const std::string whole = m.text.empty() || m.text.back() == '\r' || exact ? m.text : m.text + "\r";
                EXPECT_EQ(out, WithLineEnds(whole, m.lineEnds, QV_LINEENDS_CRLF));
                return "EM_STREAMOUT";
            }
            case 25: {
                // Single CRs (or the chosen line ends); the length counts CR LF by
                // default and is exactly what is copied under a chosen line end.
                const std::string expected = WithLineEnds(m.text, m.lineEnds, QV_LINEENDS_CR);
                std::vector<char> buffer(expected.size() + 8, 'Z');
                const LRESULT n = Send(WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
                EXPECT_EQ(std::string(buffer.data(), n), expected);
                EXPECT_EQ(buffer[n], '\0');
                const bool chosen = (m.lineEnds & QV_LINEENDS_STYLEMASK) != QV_LINEENDS_DEFAULT;
                EXPECT_EQ(Send(WM_GETTEXTLENGTH),
                          static_cast<LRESULT>(chosen ? expected.size() : WithCrLf(m.text).size()));
                return "WM_GETTEXT";
            }
            case 26: {
                // Find a piece of the text, forward, case matched, from a random index.
                if (m.text.empty()) return "(find needs a text)";
                const uint32_t at = RandomIndex(rng, m) % static_cast<uint32_t>(m.text.size());
                const std::string piece = m.text.substr(at, 1 + rng() % 3);
                if (piece.find('\r') != std::string::npos) return "(find without line ends)";
                const uint32_t from = RandomIndex(rng, m);
                FINDTEXTEXA find = {{static_cast<LONG>(from), -1}, piece.c_str(), {0, 0}};
                const LRESULT found = Send(EM_FINDTEXTEX, FR_DOWN | FR_MATCHCASE, reinterpret_cast<LPARAM>(&find));
                const size_t expected = m.text.find(piece, from);
                EXPECT_EQ(found, expected == std::string::npos ? -1 : static_cast<LRESULT>(expected))
                    << "finding [" << piece << "] from " << from << " in [" << m.text << "]";
                return "EM_FINDTEXTEX";
            }
            default: {
                CHARRANGE range = {};
                Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
                m.anchor = static_cast<uint32_t>(range.cpMin);
                m.caret = static_cast<uint32_t>(range.cpMax);
                m.selectionKnown = true;
                return "EM_EXGETSEL";
            }
        }
    }

    // The control against the model after one message (to it or to the other one).
    void Check(const Model& m, long step, const char* whatStep) {
        const std::string what = std::string(whatStep) + "; the last messages:\n" + history;
        ASSERT_EQ(StoredText(control), m.text + "\r") << "after message " << step << " (" << what << ")";
        ASSERT_EQ(DocumentFault(control), "") << "after message " << step << " (" << what << ")";
        ASSERT_EQ(Send(EM_CANUNDO) != 0, !m.undo.empty()) << "after message " << step << " (" << what << ")";
        ASSERT_EQ(Send(EM_CANREDO) != 0, !m.redo.empty()) << "after message " << step << " (" << what << ")";
        if (m.selectionKnown) {
            CHARRANGE range = {};
            Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
            ASSERT_EQ(static_cast<uint32_t>(range.cpMin), m.Lo()) << "after message " << step << " (" << what << ")";
            ASSERT_EQ(static_cast<uint32_t>(range.cpMax), m.Hi()) << "after message " << step << " (" << what << ")";
        }
    }

    void Run(uint32_t seed, long messages) {
        reporter.Name("seed %u, start", seed);
        for (HWND& each : controls) {
            if (each && IsWindow(each)) DestroyWindow(each);
            each = nullptr;
        }
        // Side by side, each with its own identifier.
        for (int k = 0; k < 2; ++k) {
            controls[k] = CreateWindowExA(0, QUORVANE_CLASS, "", WS_CHILD | WS_VISIBLE, 390 * k, 0, 380, 260,
                                          host->hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(7 + k)),
                                          GetModuleHandleA(nullptr), nullptr);
            ASSERT_TRUE(controls[k]);
            control = controls[k];
            Send(WM_SETFONT, reinterpret_cast<WPARAM>(font));
        }
        Send(EMX_SETKEYWORDS, 0x01000000, reinterpret_cast<LPARAM>("mov,word"));
        if (OpenClipboard(nullptr)) {  // the model starts with an empty clipboard
            EmptyClipboard();
            CloseClipboard();
        }
        clipboard.clear();
        std::mt19937 rng(seed);
        Model models[2];
        for (long i = 0; i < messages && !HasFailure(); ++i) {
            reporter.Name("seed %u, message %ld", seed, i);
            const int k = static_cast<int>(rng() % 2);
            control = controls[k];
            Model& m = models[k];
            const char* what = Step(rng, m);
            // Where the model does not know the selection (after undo, redo, a fold) it
            // takes the control's.
            if (!m.selectionKnown) {
                CHARRANGE range = {};
                Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
                m.anchor = static_cast<uint32_t>(range.cpMin);
                m.caret = static_cast<uint32_t>(range.cpMax);
                m.selectionKnown = true;
            }
            // No message, undo and redo included, selects the closing CR.
            ASSERT_LE(m.Hi(), m.text.size()) << "after message " << i << " (" << what << ")";
            history += "control " + std::to_string(k) + ": " + what + " [model " + std::to_string(m.anchor) +
                       ".." + std::to_string(m.caret) + "]\n";
            if (history.size() > 600) history.erase(0, history.size() - 600);
            for (int each = 0; each < 2; ++each) {
                control = controls[each];
                Check(models[each], i, (std::string(what) + (each == k ? "" : ", the other control")).c_str());
            }
            ++total;
        }
        if (HasFailure()) return;
        // Undo everything, then redo everything, in each control.
        for (int k = 0; k < 2; ++k) {
            control = controls[k];
            const Model& m = models[k];
            // Redoing everything goes past the steps the sequence had undone at its end.
            const std::string final = m.redo.empty() ? m.text : m.redo.front();
            while (Send(EM_UNDO)) {}
            EXPECT_EQ(StoredText(control), m.resetText + "\r") << "seed " << seed << ": undoing everything in " << k;
            while (Send(EM_REDO)) {}
            EXPECT_EQ(StoredText(control), final + "\r") << "seed " << seed << ": redoing everything in " << k;
        }
    }

    HFONT font = nullptr;
    HWND controls[2] = {};
    std::string clipboard;  // the process's, as both controls see it
    std::string history;
    CaseReporter reporter{60};
    long total = 0;
};

TEST_F(MessageSequenceTest, RandomSequencesAgreeWithTheModel) {
    uint32_t seeds = 3;
    long messages = 1500;
    if (const char* env = std::getenv("QV_SEQUENCES")) std::sscanf(env, "%u,%ld", &seeds, &messages);
    const DWORD started = GetTickCount();
    for (uint32_t seed = 1; seed <= seeds && !HasFailure(); ++seed) Run(seed, messages);
    std::printf("Sequences: %u seeds, %ld messages in %.1f s\n", seeds, total, (GetTickCount() - started) / 1000.0);
}

}  // namespace
}  // namespace qvtest
