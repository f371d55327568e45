// What must hold of a control's store between any two operations, checked without
// touching it (no lookup moves a cache): for the core fuzzer and the allocation
// failure test. Each check answers an empty string when everything holds, else a
// description of the first thing that does not.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/EditorInstance.h"

namespace qv::test {

// A LineFlags bit the control never uses: the fuzzer and the tests tag the lines
// they hide themselves with it, and the store carries it with the line's other
// flags wherever the line goes.
constexpr uint32_t kHostHiddenTag = 0x400;

// The stored text, the closing CR included, read straight from the records.
std::string StoreText(const EditorInstance& ed);

// Whether the stored text is `text`, without building a copy.
bool StoreHolds(const EditorInstance& ed, const std::string& text);

// The store's shape:
//   - the areas: used parts within their sizes, every record inside the used part
//     of the LineHeap, at least 32 bytes, with room for its characters;
//   - every line ends in exactly one CR, the last line's being the closing CR;
//   - hiddenLineCount counts the lines that carry the hidden bit;
//   - every hidden line without kHostHiddenTag lies in a run of hidden lines below
//     a folded block start (walking up over the hidden lines, a line whose markerId
//     is 2 comes before the first visible line);
//   - the current-line cache, while it names an existing line, describes it (slot,
//     record, first char index, length); each pane's top-line cache, while it names
//     an existing line, gives its first char index and its pixel y;
//   - the selection lies in the text (the index after the closing CR included);
//   - the undo log's newest record is complete and ends at undoLogUsed.
// `deep` also checks (slower) that the chain of back links leads from undoLogUsed
// to 0 over complete records and that every LineHeap byte past lineHeapUsed is
// zero.
std::string CheckStore(const EditorInstance& ed, bool deep = false);

// The undo records from the oldest to the newest, as their start offsets; false
// when the chain is broken.
bool UndoChain(const EditorInstance& ed, std::vector<uint32_t>& starts);

}  // namespace qv::test
