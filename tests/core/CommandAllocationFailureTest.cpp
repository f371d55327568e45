// Every core command with each of its allocations failing in turn: for N = 1, 2,
// ... the Nth allocation the command makes fails, until the command makes fewer
// than N. After a failure the document, the undo log (its bytes and undoLogUsed),
// the selection and the line flags are exactly as before, at most one message box
// was shown, and the control still works: an edit succeeds, and undoing and
// redoing everything give the texts they should. After an allocation that failed
// without failing the command (a growth ahead that is only a hint), the command's
// result is the one it has without any failure.
//
// The areas are squeezed before each command (TightAreas.h), so that its first
// growth of any area is a real reallocation.
#include <algorithm>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "command/DocumentCommands.h"
#include "command/StreamCommands.h"
#include "command/UndoCommand.h"
#include "core/support/DocumentInvariants.h"
#include "core/support/EditFixture.h"
#include "core/support/TightAreas.h"
#include "edit/Streams.h"
#include "render/KeywordTable.h"
#include "render/Markers.h"
#include "store/LineStore.h"

namespace qv::test {
namespace {

const char kBase[] =
    "start:\r\n\tindent\r\na proc\r\n  x\r\n  y\r\na endp\r\nb proc\r\n  z\r\nb endp\r\nlast line";
const BlockPatterns kProcs = {"$ proc", "$ endp"};

// Stream-in hands over its text in one call, then ends; stream-out takes all.
struct StreamHost {
    std::string in;
    std::string out;
    bool given = false;
};
uint32_t QV_CALLBACK GiveText(uintptr_t cookie, uint8_t* buffer, int32_t count, int32_t* cb) {
    StreamHost& host = *reinterpret_cast<StreamHost*>(cookie);
    const size_t n = host.given ? 0 : std::min<size_t>(host.in.size(), static_cast<size_t>(count));
    std::memcpy(buffer, host.in.data(), n);
    host.given = true;
    *cb = static_cast<int32_t>(n);
    return 0;
}
uint32_t QV_CALLBACK TakeText(uintptr_t cookie, uint8_t* buffer, int32_t count, int32_t*) {
    reinterpret_cast<StreamHost*>(cookie)->out.append(reinterpret_cast<const char*>(buffer), count);
    return 0;
}

// What a command leaves that a failure must not change.
struct State {
    std::string text;
    std::vector<uint32_t> flags;
    std::vector<uint8_t> log;  // the undo log's bytes up to undoLogUsed and the dword there
    uint32_t undoLogUsed;
    CharIndex selAnchor, caretPos;
    uint32_t hiddenLineCount;
    bool operator==(const State& o) const {
        return text == o.text && flags == o.flags && log == o.log && undoLogUsed == o.undoLogUsed &&
               selAnchor == o.selAnchor && caretPos == o.caretPos && hiddenLineCount == o.hiddenLineCount;
    }
};

// One command: `setup` puts the selection and the modes where it needs them, `run`
// runs it and answers whether it reports success.
// A stream-in opens the folded blocks it may touch before the transfer starts and
// marks the block starts at its end, whatever went in; a whole-document one also
// returns the view to the top. For them a failure keeps the text and the log (and
// over the selection the selection), not the line flags.
struct Command {
    const char* name;
    std::function<void(EditorInstance&)> setup;
    std::function<bool(EditorInstance&)> run;
    bool keepsFlags = true;
    bool keepsSelection = true;
    uint32_t spare = 0;  // bytes the areas keep beyond their checks (TightAreas.h)
};

class CommandAllocationFailureTest : public EditFixture {
protected:
    // The base text, then a few logged edits, one of them undone (the log has
    // steps to undo and one to redo), and the first block folded:
    //   start: / w<TAB>indent / a proc / (  x /   y, hidden) / a endp / b proc /
    //     z / b endp / final / line line
    void Prepare() {
        ed->autoIndent = 0;
        ed->overwriteMode = 0;
        SetText(kBase);
        Select(7, 7);
        ASSERT_TRUE(TypeChar(*ed, 'w'));
        const CharIndex last = static_cast<CharIndex>(Text().find("last"));
        Select(last, last + 4);
        bool ok = false;
        ReplaceSelection(*ed, "final\r\nline", true, &ok);
        ASSERT_TRUE(ok);
        Select(2, 2);
        ASSERT_TRUE(TypeChar(*ed, '\r'));
        ASSERT_EQ(UndoStep(*ed), UndoResult::Applied);
        ASSERT_TRUE(FoldBlock(*ed, 2, &kProcs));
        ASSERT_EQ(ed->hiddenLineCount, 2u);
        ed->panes[0].textRect = {0, 0, 400, 150};
        platform.ClearRecords();
    }

    State Snapshot() const {
        State s;
        s.text = StoreText(*ed);
        for (LineNumber line = 0; line < LineCount(*ed); ++line) s.flags.push_back(LineRecordOf(*ed, line).flags());
        s.log.assign(ed->undoLog, ed->undoLog + ed->undoLogUsed + 4);
        s.undoLogUsed = ed->undoLogUsed;
        s.selAnchor = ed->selAnchor;
        s.caretPos = ed->caretPos;
        s.hiddenLineCount = ed->hiddenLineCount;
        return s;
    }

    // An edit at the start succeeds; undoing it gives `now` back; undoing
    // everything gives `base`; redoing everything gives the edit's text again.
    void ExpectWorking(const std::string& now, const std::string& base) {
        ed->autoIndent = 0;
        ed->overwriteMode = 0;
        Select(0, 0);
        ASSERT_TRUE(TypeChar(*ed, 'Z'));
        ASSERT_EQ(Text(), "Z" + now);
        ASSERT_EQ(UndoStep(*ed), UndoResult::Applied);
        ASSERT_EQ(Text(), now);
        while (UndoStep(*ed) == UndoResult::Applied) {
        }
        ASSERT_EQ(Text(), base);
        while (RedoStep(*ed) == UndoResult::Applied) {
        }
        ASSERT_EQ(Text(), "Z" + now);
        ASSERT_EQ(CheckStore(*ed, true), "");
    }

    // Runs `command` with no failure, then with each of its allocations failing;
    // `made` receives the number of allocations it makes.
    void Sweep(const Command& command, uint32_t& made) {
        SCOPED_TRACE(command.name);
        // The reference: no failure.
        Prepare();
        command.setup(*ed);
        SqueezeAreas(*ed, platform, command.spare);
        const uint32_t before = platform.allocations;
        EXPECT_TRUE(command.run(*ed));
        made = platform.allocations - before;
        EXPECT_TRUE(platform.errors.empty());
        const State reference = Snapshot();
        while (UndoStep(*ed) == UndoResult::Applied) {
        }
        const std::string referenceBase = Text();

        for (uint32_t n = 1; n <= made; ++n) {
            for (bool later : {false, true}) {
                SCOPED_TRACE("allocation " + std::to_string(n) + (later ? " and every later one" : " alone"));
                Prepare();
                command.setup(*ed);
                SqueezeAreas(*ed, platform, command.spare);
                const State pre = Snapshot();
                platform.allocationCalls.clear();
                platform.failAllocation = platform.allocations + n;
                platform.failLaterToo = later;
                const bool ok = command.run(*ed);
                platform.failAllocation = 0;
                platform.failLaterToo = false;
                ASSERT_LE(platform.errors.size(), 1u) << "one message box at most";
                ASSERT_EQ(CheckStore(*ed, true), "");
                ASSERT_TRUE(std::any_of(platform.allocationCalls.begin(), platform.allocationCalls.end(),
                                        [](const FakePlatform::AllocationCall& c) { return c.failed; }));
                for (const auto& call : platform.allocationCalls)
                    if (call.failed) failedSites.insert(Site(call) + " in " + command.name);
                if (ok) {
                    // The failure was only a hint (a growth ahead): the command did
                    // all it does, quietly.
                    ASSERT_TRUE(platform.errors.empty());
                    const State post = Snapshot();
                    ASSERT_EQ(post.text, reference.text);
                    ASSERT_EQ(post.undoLogUsed, reference.undoLogUsed);
                    ASSERT_TRUE(post.log == reference.log);
                    ExpectWorking(reference.text, referenceBase);
                } else {
                    const State now = Snapshot();
                    ASSERT_EQ(now.text, pre.text);
                    ASSERT_EQ(now.undoLogUsed, pre.undoLogUsed);
                    ASSERT_TRUE(now.log == pre.log) << "the undo log's bytes";
                    if (command.keepsFlags) {
                        ASSERT_EQ(now.flags, pre.flags);
                        ASSERT_EQ(now.hiddenLineCount, pre.hiddenLineCount);
                    }
                    if (command.keepsSelection) {
                        ASSERT_EQ(now.selAnchor, pre.selAnchor);
                        ASSERT_EQ(now.caretPos, pre.caretPos);
                    }
                    ExpectWorking(pre.text, baseText);
                }
                if (HasFatalFailure()) return;
            }
        }
    }

    // Which allocation failed, for the list of sites covered.
    std::string Site(const FakePlatform::AllocationCall& call) const {
        const char* area = call.heap == ed->lineIndexHeapHandle ? "LineIndex"
                           : call.heap == ed->lineHeapHandle    ? "LineHeap"
                           : call.heap == ed->undoHeapHandle    ? "UndoHeap"
                                                                : "a new store's area";
        switch (call.kind) {
            case FakePlatform::Allocation::CreateHeap: return "heap creation";
            case FakePlatform::Allocation::Alloc: return std::string("first block of ") + area;
            case FakePlatform::Allocation::ReAlloc: return std::string("growth of ") + area;
            case FakePlatform::Allocation::Transfer: return "transfer buffer";
        }
        return "?";
    }

    void SetUp() override {
        EditFixture::SetUp();
        SetText(kBase);
        baseText = Text();
    }

    std::string baseText;
    std::set<std::string> failedSites;
};

// Where `needle` begins in the document.
CharIndex At(const EditorInstance& ed, const char* needle) {
    const size_t at = StoreText(ed).find(needle);
    EXPECT_NE(at, std::string::npos) << needle;
    return static_cast<CharIndex>(at);
}

void SelectIn(EditorInstance& ed, CharIndex a, CharIndex b) {
    ed.selAnchor = a;
    ed.caretPos = b;
}

bool Replaced(EditorInstance& ed, const char* text, bool logUndo) {
    bool ok = false;
    ReplaceSelection(ed, text, logUndo, &ok);
    return ok;
}

bool Streamed(EditorInstance& ed, uint32_t flags, const std::string& text) {
    StreamHost host;
    host.in = text;
    EditStream stream{reinterpret_cast<uintptr_t>(&host), 0, GiveText};
    StreamInCommand(ed, &stream, flags, nullptr);
    return stream.error == 0;
}

TEST_F(CommandAllocationFailureTest, EveryAllocationOfEveryCommandFailsCleanly) {
    const std::string longLine(300, 'L');
    using E = EditorInstance&;
    const auto nothing = [](E) {};
    const std::vector<Command> commands = {
        {"typing", [](E e) { SelectIn(e, At(e, "dent"), At(e, "dent")); }, [](E e) { return TypeChar(e, 'q'); }},
        {"typing over a selection", [](E e) { SelectIn(e, At(e, "proc"), At(e, "b proc")); },
         [](E e) { return TypeChar(e, 'q'); }},
        {"Enter with auto-indent",
         [](E e) {
             e.autoIndent = 1;
             SelectIn(e, At(e, "  z") + 3, At(e, "  z") + 3);
         },
         [](E e) { return TypeChar(e, '\r'); }},
        // Room for the CR's record, not for those of the blanks copied after it.
        {"Enter with auto-indent, the areas nearly full",
         [](E e) {
             e.autoIndent = 1;
             SelectIn(e, At(e, "  z") + 3, At(e, "  z") + 3);
         },
         [](E e) { return TypeChar(e, '\r'); }, true, true, 10},
        // The deletion and one text of the CR and its blanks: one step, its room
        // secured as a whole.
        {"Enter with auto-indent over a selection",
         [](E e) {
             e.autoIndent = 1;
             SelectIn(e, At(e, "  z") + 3, At(e, "b endp") + 2);
         },
         [](E e) { return TypeChar(e, '\r'); }},
        {"overwriting",
         [](E e) {
             e.overwriteMode = 1;
             SelectIn(e, 1, 1);
         },
         [](E e) { return TypeChar(e, 'q'); }},
        {"Delete joining two lines", [](E e) { SelectIn(e, At(e, "\rb proc"), At(e, "\rb proc")); },
         [](E e) {
             bool ok = false;
             return DeleteKey(e, &ok) == '\r' && ok;
         }},
        {"Backspace joining two lines", [](E e) { SelectIn(e, At(e, "a proc"), At(e, "a proc")); },
         [](E e) {
             bool ok = false;
             return BackspaceKey(e, &ok) == '\r' && ok;
         }},
        {"paste over a selection", [](E e) { SelectIn(e, 3, At(e, "b endp")); },
         [](E e) { return Replaced(e, "one\r\ntwo\r\n\tthree", true); }},
        // More lines and characters than the areas' headroom: the bulk path grows
        // both areas itself.
        {"paste of many lines over a selection", [](E e) { SelectIn(e, 3, At(e, "b endp")); },
         [](E e) {
             std::string text;
             for (int i = 0; i < 3000; ++i) text += "\tline " + std::to_string(1000 + i) + "\r\n";
             return Replaced(e, text.c_str(), true);
         }},
        {"EM_REPLACESEL", [](E e) { SelectIn(e, At(e, "  z"), At(e, "  z")); },
         [](E e) { return Replaced(e, std::string(300, 'L').c_str(), true); }},
        {"EM_REPLACESEL without undo", [](E e) { SelectIn(e, At(e, "  x"), At(e, "b proc")); },
         [](E e) { return Replaced(e, "x\r\ny\r\n", false); }},
        {"clearing a range", [](E e) { SelectIn(e, 4, At(e, "final")); },
         [](E e) {
             bool ok = false;
             ClearSelection(e, &ok);
             return ok;
         }},
        {"undo", nothing, [](E e) { return UndoCommand(e) == UndoResult::Applied; }},
        // A step of two records: the selection and the CR typed over it.
        {"undo of Enter typed over a selection",
         [](E e) {
             SelectIn(e, 3, At(e, "b endp"));
             TypeChar(e, '\r');
         },
         [](E e) { return UndoCommand(e) == UndoResult::Applied; }},
        {"redo of Enter typed over a selection",
         [](E e) {
             SelectIn(e, 3, At(e, "b endp"));
             TypeChar(e, '\r');
             UndoStep(e);
         },
         [](E e) { return RedoCommand(e) == UndoResult::Applied; }},
        {"redo", nothing, [](E e) { return RedoCommand(e) == UndoResult::Applied; }},
        // The step's text lies in a folded block: the unfold guard opens it only
        // once the step has its room.
        {"undo into a folded block",
         [](E e) {
             UnfoldFoldedBlock(e, 2);
             SelectIn(e, At(e, "  x") + 3, At(e, "  x") + 3);
             TypeChar(e, 'k');
             FoldBlock(e, 2, &kProcs);
             SelectIn(e, 0, 0);
         },
         [](E e) { return UndoCommand(e) == UndoResult::Applied; }},
        // Its undo puts a character back: the room is measured, and grown for.
        {"undo of a deletion into a folded block",
         [](E e) {
             UnfoldFoldedBlock(e, 2);
             SelectIn(e, At(e, "  x") + 1, At(e, "  x") + 1);
             DeleteKey(e);
             FoldBlock(e, 2, &kProcs);
             SelectIn(e, 0, 0);
         },
         [](E e) { return UndoCommand(e) == UndoResult::Applied; }},
        {"redo into a folded block",
         [](E e) {
             UnfoldFoldedBlock(e, 2);
             SelectIn(e, At(e, "  x") + 3, At(e, "  x") + 3);
             TypeChar(e, '\r');
             UndoStep(e);
             FoldBlock(e, 2, &kProcs);
             SelectIn(e, 0, 0);
         },
         [](E e) { return RedoCommand(e) == UndoResult::Applied; }},
        {"stream-in of the document", nothing, [](E e) { return Streamed(e, 0, "new\r\ntext\r\n"); }, false, false},
        {"stream-in over the selection", [](E e) { SelectIn(e, 2, At(e, "a endp")); },
         [](E e) { return Streamed(e, kStreamSelection, "new\r\ntext\r\n"); }, false},
        // Its first buffer needs more room than the deletion's growth leaves.
        {"stream-in of many lines over the selection", [](E e) { SelectIn(e, 2, At(e, "a endp")); },
         [](E e) { return Streamed(e, kStreamSelection, std::string(9000, '\r')); }, false},
        {"stream-in of UTF-16", [](E e) { SelectIn(e, 5, 5); },
         [](E e) { return Streamed(e, kStreamSelection | kStreamUnicode, std::string("n\0\r\0\n\0w\0", 8)); },
         false},
        {"stream-out", nothing,
         [](E e) {
             StreamHost host;
             EditStream stream{reinterpret_cast<uintptr_t>(&host), 0, TakeText};
             StreamOutCommand(e, &stream, 0, nullptr);
             return stream.error == 0 && !host.out.empty();
         }},
        {"fold", nothing, [](E e) { return FoldBlock(e, 6, &kProcs); }},
        {"unfold", nothing, [](E e) { return UnfoldFoldedBlock(e, 2); }},
        {"fold all", nothing,
         [](E e) {
             FoldAllBlocks(e, &kProcs);
             return true;
         }},
        {"unfold all", nothing, [](E e) { return UnfoldAllBlocks(e) > 0; }},
        {"mark blocks", nothing,
         [](E e) {
             MarkBlockStarts(e, kProcs.start);
             return true;
         }},
        {"SetWholeText", nothing, [](E e) { return SetWholeText(e, "a\r\nnew\r\ndocument"); }},
    };
    std::vector<std::string> counts;
    for (const Command& command : commands) {
        uint32_t made = 0;
        Sweep(command, made);
        if (HasFatalFailure()) return;
        counts.push_back(std::string(command.name) + ": " + std::to_string(made));
    }
    // The commands that edit the text reach every growth; the store's creation and
    // the streams' buffers are reached by their commands.
    for (const char* site : {"growth of LineIndex in paste of many lines over a selection",
                             "growth of LineHeap in paste of many lines over a selection", "growth of LineHeap in typing",
                             "growth of UndoHeap in typing", "heap creation in SetWholeText",
                             "first block of a new store's area in SetWholeText", "transfer buffer in stream-out",
                             "transfer buffer in stream-in of the document"})
        EXPECT_EQ(failedSites.count(site), 1u) << site;
    std::string all;
    for (const std::string& s : failedSites) all += "\n  " + s;
    for (const std::string& c : counts) all += "\n  allocations of " + c;
    std::printf("Allocation sites failed:%s\n", all.c_str());
}

// The process-wide keyword table: its storage is made, or not at all; a list whose
// growth fails keeps the words before the one that needed the room, drops the rest,
// and leaves the area whole.
TEST_F(CommandAllocationFailureTest, KeywordStorageAndListsFailCleanly) {
    ReleaseKeywordStorage();
    for (uint32_t n = 1; n <= 2; ++n) {
        platform.failAllocation = platform.allocations + n;
        EXPECT_FALSE(CreateKeywordStorage());
        platform.failAllocation = 0;
        EXPECT_EQ(KeywordTableArea().base, nullptr);
        EXPECT_FALSE(AddKeywords(1, "mov"));
    }
    // Longer than the first area: growths in the middle of the list.
    std::vector<std::string> words;
    std::string list;
    for (int i = 0; i < 3000; ++i) {
        words.push_back("W" + std::to_string(100000 + i) + std::string(13, 'K'));
        list += words.back() + ",";
    }
    const auto found = [](const std::string& w) {
        return LookupKeyword(reinterpret_cast<const uint8_t*>(w.data()), 0, static_cast<uint32_t>(w.size())).found;
    };
    for (uint32_t n = 1;; ++n) {
        SCOPED_TRACE("growth " + std::to_string(n));
        ASSERT_TRUE(CreateKeywordStorage());
        platform.failAllocation = platform.allocations + n;
        const bool ok = AddKeywords(3, list.c_str());
        platform.failAllocation = 0;
        const KeywordArea area = KeywordTableArea();
        ASSERT_LE(area.used, area.size);
        ASSERT_TRUE(std::all_of(area.base + area.used, area.base + area.size, [](uint8_t b) { return b == 0; }));
        size_t kept = 0;
        while (kept < words.size() && found(words[kept])) ++kept;
        for (size_t i = kept; i < words.size(); ++i) ASSERT_FALSE(found(words[i])) << words[i];
        ReleaseKeywordStorage();
        if (ok) {
            EXPECT_EQ(kept, words.size());
            EXPECT_GT(n, 2u) << "the list grows the area more than once";
            break;
        }
        EXPECT_LT(kept, words.size());
        EXPECT_GT(kept, 0u);
    }
}

}  // namespace
}  // namespace qv::test
