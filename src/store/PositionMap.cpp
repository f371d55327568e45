#include "store/PositionMap.h"

#include "store/LineRecord.h"

namespace qv {
namespace {

// The upper pane's top-line cache, or (0, 0, 0) when it names a line that no
// longer exists.
struct TopCache {
    LineNumber line;
    uint32_t y;
    CharIndex start;
};
TopCache UpperTop(const EditorInstance& ed) {
    const ViewPane& top = ed.panes[0];
    if (top.topLine >= LineCount(ed)) return {0, 0, 0};
    return {top.topLine, top.topLineY, top.topLineStart};
}

LineNumber ClampLine(const EditorInstance& ed, LineNumber line) {
    uint32_t count = LineCount(ed);
    return line < count ? line : count - 1;
}

uint32_t RowHeight(const EditorInstance& ed) { return ed.lineHeight ? ed.lineHeight : 1; }

// A walk over rows starts on a line that has a row of its own. Only the cache
// (0, 0, 0) can name a hidden line (a host may hide line 0): a hidden line's row is
// that of the next line that is not hidden, so the walk starts there, at the same y.
void SkipHiddenStart(const EditorInstance& ed, LineNumber& line, CharIndex& start) {
    const uint32_t count = LineCount(ed);
    while (line + 1 < count && IsLineHiddenAt(ed, line)) start += LineLength(ed, line++);
}

}  // namespace

uint32_t LineLength(const EditorInstance& ed, LineNumber line) { return LineRecordOf(ed, line).length(); }

bool IsLineHiddenAt(const EditorInstance& ed, LineNumber line) {
    return (LineRecordOf(ed, line).flags() & kFlagHidden) != 0;
}

CharIndex StoredLength(const EditorInstance& ed) {
    CharIndex total = 0;
    for (LineNumber line = 0, count = LineCount(ed); line < count; ++line) total += LineLength(ed, line);
    return total;
}

CharLocation LocateChar(EditorInstance& ed, CharIndex a) {
    const uint32_t count = LineCount(ed);
    LineNumber line;
    CharIndex s;
    if (ed.curLine >= count) {
        line = 0;  // a cache left on a removed line: start over
        s = 0;
    } else if (a >= ed.curLineStart) {
        line = ed.curLine;
        s = ed.curLineStart;
    } else if (a < ed.curLineStart / 2) {
        line = 0;
        s = 0;
    } else {
        line = ed.curLine;
        s = ed.curLineStart;
        while (s > a && line > 0) {
            --line;
            uint32_t length = LineLength(ed, line);
            s = length > s ? 0 : s - length;
        }
    }

    CharLocation where;
    for (;;) {
        uint32_t length = LineLength(ed, line);
        s += length;
        if (a < s) {
            where = {a - (s - length), line, a};
            break;
        }
        if (line + 1 >= count) {  // at or past the end of the text
            where = {length, line, s};
            break;
        }
        ++line;
    }

    ed.curLine = where.line;
    ed.curLineSlot = 4 * where.line;
    ed.curRecord = RecordOffset(ed, where.line);
    ed.curLineLength = LineLength(ed, where.line);
    ed.curLineStart = where.index - where.column;
    if (ed.curLineLength > ed.maxLineLength) ed.maxLineLength = ed.curLineLength;
    return where;
}

CharIndex ClampToTextEnd(EditorInstance& ed, CharIndex a) {
    const CharLocation where = LocateChar(ed, a);
    // Only an index past the closing CR lies at its line's full length.
    return where.column == ed.curLineLength && where.index > 0 ? where.index - 1 : where.index;
}

CharIndex LineStart(const EditorInstance& ed, LineNumber line) {
    line = ClampLine(ed, line);
    TopCache top = UpperTop(ed);
    CharIndex s = top.start;
    if (line >= top.line) {
        for (LineNumber l = top.line; l < line; ++l) s += LineLength(ed, l);
    } else {
        for (LineNumber l = line; l < top.line; ++l) s -= LineLength(ed, l);
    }
    return s;
}

LineNumber LineFromChar(const EditorInstance& ed, CharIndex a) {
    const uint32_t count = LineCount(ed);
    if (a == ed.caretPos && a > 0 && ed.curLine < count &&
        ed.caretPos == ed.curLineStart + CurrentRecord(ed).length())
        --a;
    TopCache top = UpperTop(ed);
    LineNumber line = top.line;
    CharIndex s = top.start;
    if (a >= s) {
        while (s < a && line < count) s += LineLength(ed, line++);
        if (s > a) --line;
        return line < count ? line : count - 1;
    }
    while (s > a && line > 0) s -= LineLength(ed, --line);
    return line;
}

uint32_t LineToY(const EditorInstance& ed, LineNumber line) {
    line = ClampLine(ed, line);
    TopCache top = UpperTop(ed);
    uint32_t y = top.y;
    if (line >= top.line) {
        for (LineNumber l = top.line; l < line; ++l)
            if (!IsLineHiddenAt(ed, l)) y += ed.lineHeight;
    } else {
        for (LineNumber l = line; l < top.line; ++l)
            if (!IsLineHiddenAt(ed, l)) y -= ed.lineHeight;
    }
    return y;
}

LineNumber YToLine(const EditorInstance& ed, uint32_t y) {
    const uint32_t count = LineCount(ed);
    const uint32_t lh = RowHeight(ed);
    y -= y % lh;
    TopCache top = UpperTop(ed);
    LineNumber line = top.line;
    uint32_t ry = top.y;
    SkipHiddenStart(ed, line, top.start);
    if (y >= ry) {
        while (ry < y && line + 1 < count) {
            ++line;
            if (!IsLineHiddenAt(ed, line)) ry += lh;
        }
    } else {
        while (ry > y && line > 0) {
            --line;
            if (!IsLineHiddenAt(ed, line)) ry -= lh;
        }
    }
    return line;
}

void SyncPaneTop(EditorInstance& ed, WindowRef paneWindow, uint32_t s) {
    ViewPane& pane = paneWindow == ed.panes[0].hwnd ? ed.panes[0] : ed.panes[1];
    const uint32_t count = LineCount(ed);
    const uint32_t lh = RowHeight(ed);
    if (pane.topLine >= count) pane.topLine = pane.topLineY = pane.topLineStart = 0;
    const uint32_t y = s - s % lh;
    LineNumber line = pane.topLine;
    CharIndex start = pane.topLineStart;
    uint32_t ry = pane.topLineY;
    SkipHiddenStart(ed, line, start);
    if (y >= ry) {
        for (uint32_t steps = (y - ry) / lh; steps > 0 && line + 1 < count; --steps) {
            start += LineLength(ed, line++);
            while (line + 1 < count && IsLineHiddenAt(ed, line)) start += LineLength(ed, line++);
            ry += lh;
        }
    } else {
        for (uint32_t steps = (ry - y) / lh; steps > 0 && line > 0; --steps) {
            start -= LineLength(ed, --line);
            while (line > 0 && IsLineHiddenAt(ed, line)) start -= LineLength(ed, --line);
            ry -= lh;
        }
    }
    pane.topLine = line;
    pane.topLineStart = start;
    pane.topLineY = ry;  // the row reached: short of y only when the walk met an end

    ViewPane& second = ed.panes[1];
    if (second.textRect.bottom == 0 && &pane != &second) {
        second.scrollY = pane.scrollY;
        second.topLineY = pane.topLineY;
        second.topLine = pane.topLine;
        second.topLineStart = pane.topLineStart;
    }
}

void ResetPaneCachesBefore(EditorInstance& ed, CharIndex p) {
    for (ViewPane& pane : ed.panes) {
        if (p < pane.topLineStart) pane.topLine = pane.topLineY = pane.topLineStart = 0;
    }
}

void ResetPaneCachesFromLine(EditorInstance& ed, LineNumber line) {
    for (ViewPane& pane : ed.panes) {
        if (pane.topLine >= line) pane.topLine = pane.topLineY = pane.topLineStart = 0;
    }
}

}  // namespace qv
