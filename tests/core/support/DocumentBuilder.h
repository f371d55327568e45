// Lays out a document straight into the store, line by line, without the editing
// primitives: for tests of the store and the mappings themselves.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/EditorInstance.h"
#include "store/LineRecord.h"
#include "store/LineStore.h"

namespace qv::test {

// Each string is one line's stored characters, its CR included ("ab\r").
inline void BuildLines(EditorInstance& ed, const std::vector<std::string>& lines) {
    ASSERT_TRUE(CreateStore(ed));
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& text = lines[i];
        uint32_t size = static_cast<uint32_t>(kRecChars + text.size());
        if (size < kMinRecordSize) size = kMinRecordSize;
        if (i == 0) {
            if (size > kMinRecordSize) {
                ed.lineHeapUsed = 0;  // replace the first record in place
                ASSERT_TRUE(InsertLineRecord(ed, 0, size));
                ed.lineIndexUsed -= 4;
                Store32(ed.lineIndex, 0);
            }
        } else {
            ASSERT_TRUE(InsertLineRecord(ed, static_cast<LineNumber>(i), size));
        }
        LineRecordView rec = LineRecordOf(ed, static_cast<LineNumber>(i));
        std::memcpy(rec.chars(), text.data(), text.size());
        rec.setLength(static_cast<uint32_t>(text.size()));
    }
    ed.curLine = ed.curLineStart = ed.curLineSlot = ed.curRecord = 0;
}

// The stored text, line after line.
inline std::string StoredText(const EditorInstance& ed) {
    std::string text;
    for (LineNumber line = 0; line < LineCount(ed); ++line) {
        LineRecordView rec = LineRecordOf(ed, line);
        text.append(reinterpret_cast<const char*>(rec.chars()), rec.length());
    }
    return text;
}

inline std::vector<std::string> StoredLines(const EditorInstance& ed) {
    std::vector<std::string> lines;
    for (LineNumber line = 0; line < LineCount(ed); ++line) {
        LineRecordView rec = LineRecordOf(ed, line);
        lines.emplace_back(reinterpret_cast<const char*>(rec.chars()), rec.length());
    }
    return lines;
}

}  // namespace qv::test
