// The string model of a document and its undo history, as the editing commands
// should leave them: for the property tests and the core fuzzer (no test framework
// here, so the fuzzer can use it too).
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "base/Types.h"

namespace qv::test {

// The document as the editing commands should leave it, and its undo history: one
// entry per undo step, the current one at `now`.
class Model {
public:
    explicit Model(std::string text) : doc(std::move(text)), history{doc} {}

    std::string doc;  // stored characters, the closing CR included

    CharIndex Length() const { return static_cast<CharIndex>(doc.size()); }
    CharIndex LineStartOf(CharIndex p) const {
        size_t cr = p == 0 ? std::string::npos : doc.rfind('\r', p - 1);
        return cr == std::string::npos ? 0 : static_cast<CharIndex>(cr + 1);
    }

    // A range deletion: what goes, whether the line break it ends on is kept (the
    // next CR inserted is then absorbed), and whether a record is logged.
    struct Deletion {
        CharIndex start;
        bool keep = false;
        bool logged = false;
    };
    Deletion Delete(CharIndex a, CharIndex b) {
        const CharIndex length = Length();
        CharIndex hi = std::min(std::max(a, b), length);
        CharIndex lo = std::min(std::min(a, b), hi);
        Deletion d{lo};
        if (hi == length) {
            if (lo == 0) {  // the whole text: all but the closing CR
                d.logged = length > 1;
                doc.erase(0, length - 1);
                return d;
            }
            --hi;  // the closing CR stays
        }
        if (lo >= hi) return d;
        d.logged = true;
        d.keep = lo > LineStartOf(lo) && doc[hi - 1] == '\r' && doc.find('\r', lo) == hi - 1;
        doc.erase(lo, hi - lo - (d.keep ? 1 : 0));
        return d;
    }
    CharIndex InsertionPoint(CharIndex p) const { return std::min(p, Length() - 1); }

    // The leading blanks of the line before the one starting at `p`.
    std::string IndentBefore(CharIndex p) const {
        CharIndex start = LineStartOf(p - 1);
        std::string blanks;
        while (doc[start] == ' ' || doc[start] == '\t') blanks += doc[start++];
        return blanks;
    }

    // The log was emptied (or a new document began): no step to undo or redo.
    void ResetHistory() {
        history.assign(1, doc);
        now = 0;
    }
    void Logged() {
        history.resize(now + 1);
        history.push_back(doc);
        ++now;
    }
    bool CanUndo() const { return now > 0; }
    bool CanRedo() const { return now + 1 < history.size(); }
    void Undo() { doc = history[--now]; }
    void Redo() { doc = history[++now]; }

    std::vector<std::string> history;
    size_t now = 0;
};

}  // namespace qv::test
