#include "render/LinePainter.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "base/Platform.h"
#include "render/CharClass.h"
#include "render/KeywordTable.h"
#include "render/TextDigest.h"
#include "store/LineRecord.h"

namespace qv {

namespace {

constexpr uint32_t kColorUnset = 0xFFFFFFFFu;  // no colour set yet on this line
constexpr uint32_t kColorRecolor = 9999;       // forces the next SetTextColor
constexpr uint32_t kWhite = 0x00FFFFFF;
constexpr uint32_t kBlack = 0;

// Highlight indexes 1-6 have brushes of their own; 7-15 are system colours h - 1.
constexpr uint32_t kHiliteOwnBrushes = 6;
constexpr uint32_t kHiliteInverse = 6;  // its lines draw selected and plain text white

constexpr uint32_t kPendingNone = 0;
constexpr uint32_t kPendingAfterStyle4 = 4;
constexpr uint32_t kPendingLabel = 6;
constexpr uint32_t kPendingJoin = 7;

constexpr uint32_t kWideningLimit = 20;  // characters a label or joined token reaches back
constexpr int32_t kOverhangExtension = 10;
constexpr int32_t kOverhangExtensionFrom = 190;
constexpr uint32_t kBlockWordLength = 4;

constexpr uint32_t StyleOf(uint32_t color) {
    return color >> 24;
}
constexpr uint32_t RgbOf(uint32_t color) {
    return color & 0x00FFFFFF;
}

bool IsQuote(uint8_t c) {
    return c == 0x22 || c == 0x27;
}
bool IsAsciiAlnum(uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}
// Where a label or a '_'-joined token begins when its colour reaches back.
bool IsTokenDelimiter(uint8_t c) {
    return c == ' ' || c == kTab || c == ',' || c == '=' || c == kLF || c == kCR || c == 0;
}

int32_t ClampPixel(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// The line-relative selection: characters lo <= p < hi are selected.
struct LineSelection {
    uint32_t lo = 0;
    uint32_t hi = 0;

    bool Contains(uint32_t p) const { return lo <= p && p < hi; }
    bool Empty() const { return lo == hi; }

    // The part of an r-character run at p that can be drawn in one colour: the run
    // is cut where the selection starts; a run that crosses the selection's end is
    // drawn one character at a time up to it (answer 0).
    uint32_t CutRun(uint32_t p, uint32_t r) const {
        if (r == 0) return 0;
        uint64_t e = static_cast<uint64_t>(p) + r;
        if (p >= hi || e < lo) return r;
        if (p < lo) return lo - p;
        if (e <= hi) return r;
        return 0;
    }
};

LineSelection SelectionOnLine(const EditorInstance& ed, CharIndex lineStart, uint32_t length) {
    LineSelection sel;
    if (ed.hideSelection != 0 || ed.selAnchor == ed.caretPos) return sel;
    CharIndex a = std::min(ed.selAnchor, ed.caretPos);
    CharIndex b = std::max(ed.selAnchor, ed.caretPos);
    if (ed.columnSelMode == 0) {
        sel.lo = a > lineStart ? a - lineStart : 0;
        sel.hi = b > lineStart ? b - lineStart : 0;
        return sel;
    }
    // The column band covers the lines from the drag's start to the pointer's line,
    // which are the lines the stream selection touches (its end counts on the line
    // it starts, where the pointer is).
    if (a < static_cast<uint64_t>(lineStart) + length && b >= lineStart) {
        sel.lo = std::min(ed.columnSelStartCol, ed.columnSelEndCol);
        sel.hi = std::max(ed.columnSelStartCol, ed.columnSelEndCol);
    }
    return sel;
}

// ---- Colouring ------------------------------------------------------------------------

// The syntax state of one line: which colour each character takes. It reads the
// keyword table and the control's painter state, and knows nothing of drawing.
class LineColourer {
public:
    struct Step {
        uint32_t color;        // what the character is drawn in
        uint32_t syntaxColor;  // its colour as if unselected
        bool recolor;          // at or before an open block comment's mark
    };

    LineColourer(EditorInstance& ed, const uint8_t* text, uint32_t length, uint32_t firstCharOffset,
                 uint32_t hilite)
        : ed_(ed),
          painter_(StateOf(ed).painter),
          text_(text),
          length_(length),
          firstCharOffset_(firstCharOffset),
          plain_((ed.viewFlags & kViewPlain) != 0),
          monochrome_((ed.viewFlags & kViewMonochrome) != 0),
          inverse_(hilite == kHiliteInverse),
          wordColor_(ed.colors[kColorText]) {}

    // The colour of the character at p, advancing the state past it. A selected
    // character runs the same rules, so that the text after the selection is
    // coloured as without it, and only its drawn colour differs.
    Step Next(uint32_t p, bool selected) {
        Step step{};
        step.syntaxColor = SyntaxColor(p);
        step.color = !selected ? step.syntaxColor : inverse_ ? kWhite : Color(kColorSelectedText);
        uint32_t mark = painter_.blockCommentMark;
        if (mark != 0) {
            if (firstCharOffset_ + p > mark)
                step.color = step.syntaxColor = Color(kColorComment);
            else
                step.recolor = true;
        }
        previousColor_ = step.syntaxColor;
        return step;
    }

    // Characters left in the current word run.
    uint32_t run() const { return r_; }
    void Consume(uint32_t m) { r_ = m < r_ ? r_ - m : 0; }

    // What the characters before a point leave behind for the ones after it.
    using State = PaintResumePoint::Colourer;
    State Save() const { return {quote_, comment_, r_, wordColor_, keywordFlag_, previousColor_}; }
    void Restore(const State& s) {
        quote_ = s.quote;
        comment_ = s.comment;
        r_ = s.r;
        wordColor_ = s.wordColor;
        keywordFlag_ = s.keywordFlag;
        previousColor_ = s.previousColor;
    }

private:
    uint32_t Color(uint32_t index) const { return ed_.colors[index]; }

    uint32_t WordRun(uint32_t p) const {
        uint32_t e = p;
        while (e < length_ && IsPainterWordChar(text_[e])) ++e;
        return e - p;
    }

    uint32_t SyntaxColor(uint32_t p) {
        uint8_t ch = text_[p];
        if (plain_) {
            r_ = WordRun(p);
            if (inverse_) return kWhite;
            return monochrome_ ? kBlack : Color(kColorText);
        }
        if (keywordFlag_ == kKeywordRestPlain && r_ == 0) return Color(kColorText);
        if (comment_ || (keywordFlag_ == kKeywordRestComment && r_ == 0)) {
            r_ = WordRun(p);
            wordColor_ = Color(kColorComment);  // a run cut by the selection resumes as comment
            return Color(kColorComment);
        }
        if (r_ != 0) return wordColor_;
        if (quote_ != 0) {
            if (ch == quote_) {
                quote_ = 0;
                return Color(kColorQuote);
            }
            r_ = WordRun(p);
            wordColor_ = Color(kColorString);
            return Color(kColorString);
        }
        if (ch == ';') {
            comment_ = true;
            return Color(kColorComment);
        }
        if (IsQuote(ch)) {
            quote_ = ch;
            return Color(kColorQuote);
        }
        switch (CharClassOf(ch)) {
            case kClassWord:
                WordStart(p);
                return wordColor_;
            case kClassBracket:
                return Color(kColorClass2);
            case kClassSeparator:
                return Color(kColorClass3);
            case kClassOperator:
                return Color(kColorClass4);
            case kClassLogic:
                return Color(kColorClass5);
            case kClassLabel:
                painter_.pendingWordColor = kPendingLabel;
                return Color(kColorLabel);
            case kClassJoin:
                // Joining on from a word of colour 25 keeps colour 25 for the whole name.
                if (previousColor_ == Color(kColorAfterStyle4)) {
                    painter_.pendingWordColor = kPendingAfterStyle4;
                    return Color(kColorAfterStyle4);
                }
                painter_.pendingWordColor = kPendingJoin;
                return Color(kColorUnderscore);
            case kClassBlockMark:
                BlockMark(p);
                return Color(kColorComment);
            default:
                return Color(kColorText);
        }
    }

    // A word character outside strings and comments: the run, its keyword colour and
    // flag, and the colour a preceding style-4 run or '_' passes on.
    void WordStart(uint32_t p) {
        if (p > 0 && IsPainterWordChar(text_[p - 1])) {
            r_ = 0;
            wordColor_ = Color(kColorText);
        } else {
            r_ = WordRun(p);
            wordColor_ = Color(kColorText);
            if (r_ != 0) {
                KeywordMatch match = LookupKeyword(text_, p, r_);
                if (match.found) {
                    if (text_[p] != 'd' && (IsBackslashAt(p + 7) || IsBackslashAt(p + 13))) {
                        keywordFlag_ = kKeywordRestPlain;
                    } else {
                        keywordFlag_ = match.flag;
                        wordColor_ = match.group;
                    }
                }
            }
        }
        if (painter_.pendingWordColor == kPendingAfterStyle4)
            wordColor_ = Color(kColorAfterStyle4);
        else if (painter_.pendingWordColor == kPendingJoin)
            wordColor_ = Color(kColorUnderscore);
        painter_.pendingWordColor = kPendingNone;
    }

    bool IsBackslashAt(uint64_t i) const { return i < length_ && text_[i] == '\\'; }

    // 't^' opens a block comment at this '^'; any other '^' closes the open one.
    void BlockMark(uint32_t p) {
        painter_.blockCommentMark = p > 0 && text_[p - 1] == 't' ? firstCharOffset_ + p : 0;
    }

    const EditorInstance& ed_;
    PainterState& painter_;  // the control's, carried from line to line
    const uint8_t* text_;
    uint32_t length_;
    uint32_t firstCharOffset_;  // LineHeap offset of the line's first character
    bool plain_;
    bool monochrome_;
    bool inverse_;
    uint8_t quote_ = 0;  // the open string's quote character, 0 outside strings
    bool comment_ = false;
    uint32_t r_ = 0;
    uint32_t wordColor_;
    uint32_t keywordFlag_ = kKeywordNoFlag;  // flag of the keyword matched on this line
    uint32_t previousColor_ = kColorUnset;   // the previous step's colour, as if unselected
};

// ---- Drawing ---------------------------------------------------------------------------

// Draws the runs the colourer colours. Only what can show is drawn: a run whose
// glyphs end left of the visible edge (the text area's left edge, on a line
// scrolled far to the right) is passed over with its pen movement, its colour and
// every effect on the colouring kept, so that the part on the screen is drawn as
// it would be after drawing everything before it. The text colour is given to the
// surface just before a draw that needs it.
class LineDrawer {
public:
    LineDrawer(EditorInstance& ed, Surface& surface, const uint8_t* text, uint32_t length, const Rect& row,
               int32_t visibleLeft, const TextWidths* widths)
        : ed_(ed),
          surface_(surface),
          text_(text),
          length_(length),
          row_(row),
          visibleLeft_(visibleLeft),
          widths_(widths) {}

    void FillHighlight(uint32_t hilite) {
        if (hilite == 0) return;
        Rect rect = RowBand(row_.left, row_.right);
        if (hilite <= kHiliteOwnBrushes)
            surface_.FillRect(rect, ed_.brushes[kBrushHilite1 + hilite - 1]);
        else
            surface_.FillSysColor(rect, hilite - 1);
    }

    // The selection's background; a line selected through its end shows the end
    // (the closing CR, drawn as a space) selected as well.
    void FillSelection(const LineSelection& sel) {
        if (sel.Empty()) return;
        int32_t x0 = row_.left;
        if (sel.lo == 0) {
            int32_t right;
            if (sel.hi >= length_) {
                right = PrefixRight(length_);
                if (ed_.overhang != 0 && right > kOverhangExtensionFrom) right += kOverhangExtension;
            } else {
                right = PrefixRight(sel.hi);
            }
            surface_.FillRect(RowBand(x0, right), ed_.brushes[kBrushSelection]);
        } else if (sel.lo < length_) {
            surface_.FillRect(RowBand(PrefixRight(sel.lo), PrefixRight(std::min(sel.hi, length_))),
                              ed_.brushes[kBrushSelection]);
        }
    }

    // The colour of the step (all 32 bits compared); the surface gets it before the
    // next draw.
    void UseColor(const LineColourer::Step& step) {
        if (step.recolor) current_ = kColorRecolor;
        if (step.color != current_) {
            current_ = step.color;
            colorPending_ = true;
        }
    }

    bool PastRight() const { return x_ > row_.right; }

    // Whether anything of the line's text has been drawn yet.
    bool Drew() const { return drew_; }

    // The pen (from the row's left edge) and the colour, at a point before the
    // first draw.
    using State = PaintResumePoint::Drawer;
    State Save() const { return {x_ - row_.left, current_, colorPending_}; }
    void Restore(const State& s) {
        x_ = row_.left + s.x;
        current_ = s.current;
        colorPending_ = s.colorPending;
    }

    // Tabs move the pen to the next tab stop from the text origin; before a font is
    // measured the stop distance is 0 and they take no room.
    uint32_t SkipTabs(uint32_t p, LineColourer& colourer) {
        uint32_t tab = ed_.tabPixelWidth;
        if (tab != 0) {
            int64_t offset = std::max<int64_t>(x_ - row_.left, 0);
            x_ = row_.left + tab * (offset / tab);
        }
        while (p < length_ && text_[p] == kTab && !PastRight()) {
            x_ += tab;
            ++p;
            colourer.Consume(1);
        }
        return p;
    }

    // An overhanging (italic) font draws its unselected spaces a pixel narrower.
    uint32_t SkipSpaces(uint32_t p, const LineSelection& sel, LineColourer& colourer) {
        while (p < length_ && text_[p] == ' ' && !PastRight()) {
            int64_t step = ed_.spaceWidth;
            if (ed_.overhang != 0 && !sel.Contains(p)) step = std::max<int64_t>(step - 1, 0);
            x_ += step;
            ++p;
            colourer.Consume(1);
        }
        return p;
    }

    // A double-byte character (lead byte above 0x80 under a DBCS font), or any pair
    // under a paired character set except the mark 0xFF 0xFE; never one that would
    // reach past the line.
    bool IsPairAt(uint32_t p) const {
        if (p + 1 >= length_) return false;
        bool lead = (text_[p] > 0x80 && ed_.dbcsCharSet != 0) || ed_.pairedCharSet != 0;
        if (!lead) return false;
        return !(ed_.pairedCharSet != 0 && text_[p] == 0xFF && text_[p + 1] == 0xFE);
    }

    uint32_t DrawPair(uint32_t p, LineColourer& colourer) {
        Rect rect = RunRect(x_, 0);
        FlushColor();
        drew_ = true;
        surface_.DrawText(text_ + p, 2, rect, kDrawPairFormat);
        x_ = surface_.MeasureText(text_ + p, 2, rect, kMeasurePairFormat);
        colourer.Consume(2);
        return p + 2;
    }

    // Draws the m characters at p in the font of the current colour's style, then
    // advances the pen in the text font.
    void DrawRun(uint32_t p, uint32_t m, const LineSelection& sel) {
        switch (StyleOf(current_)) {
            case 0:
            case 4:
            case 8:
                DrawInTextFont(p, m, sel);
                break;
            case 1:
                DrawInFont(ed_.fonts[kFontStyle1], p, m, 0);
                break;
            case 2:
                if (ed_.altFontsEnabled != 0)
                    DrawInFont(ed_.fonts[kFontStyle2], p, m, ed_.altFontRise);
                else if (Shows(x_, m, nullptr))
                    Draw(text_ + p, m, RunRect(x_, 0));
                break;
            case 3:
                DrawInFont(ed_.fonts[kFontStyle3], p, m, ed_.altFontRise);
                break;
            default:
                break;  // not drawn; the pen still moves over it
        }
        x_ = Advance(x_, p, m);
    }

private:
    // One text row high, from `left` to `right`.
    Rect RowBand(int32_t left, int32_t right) const {
        return {left, row_.top, right, ClampPixel(static_cast<int64_t>(row_.top) + ed_.lineHeight)};
    }
    Rect RunRect(int64_t left, int32_t rise) const {
        return {ClampPixel(left), ClampPixel(static_cast<int64_t>(row_.top) - rise), row_.right, row_.bottom};
    }

    // The surface's measurement in the text font, or its sum from the font's byte
    // widths, which is the same number without a call.
    int32_t MeasureFrom(int64_t left, uint32_t p, uint32_t n) {
        if (widths_ == nullptr) return surface_.MeasureText(text_ + p, n, RunRect(left, 0), kMeasureRunFormat);
        return ClampPixel(static_cast<int64_t>(ClampPixel(left)) + AdvanceOver(*widths_, 0, text_ + p, n));
    }
    int32_t PrefixRight(uint32_t n) { return MeasureFrom(row_.left, 0, n); }
    int64_t Width(uint32_t p, uint32_t n) {
        if (ed_.fixedPitch != 0) return static_cast<int64_t>(n) * ed_.charWidth;
        return MeasureFrom(0, p, n);
    }
    // The pen after the m characters at p drawn from x, in the text font.
    int64_t Advance(int64_t x, uint32_t p, uint32_t m) {
        if (ed_.fixedPitch != 0) return x + static_cast<int64_t>(m) * ed_.charWidth;
        return MeasureFrom(x, p, m);
    }

    // Whether m characters drawn from `left` in `font` (null: the text font) can
    // reach the visible part of the row: a glyph draws at most its font's reach
    // right of where it stands.
    bool Shows(int64_t left, uint32_t m, FontRef font) {
        if (visibleLeft_ == INT32_MIN || left >= visibleLeft_) return true;
        const int64_t reach = surface_.FontReach(font ? font : ed_.fonts[kFontText]);
        return left + (static_cast<int64_t>(m) + 1) * reach >= visibleLeft_;
    }

    void FlushColor() {
        if (!colorPending_) return;
        surface_.SetTextColor(RgbOf(current_));
        colorPending_ = false;
    }
    void Draw(const uint8_t* text, uint32_t n, const Rect& rect) {
        FlushColor();
        drew_ = true;
        surface_.DrawText(text, n, rect, kDrawRunFormat);
    }

    // A label colon or a '_' recolours the token it ends: the draw reaches back to
    // the token's start (at most 20 characters) and overdraws it in this colour. It
    // never reaches across a selection bound: selected and unselected text keep
    // their own colours.
    void DrawInTextFont(uint32_t p, uint32_t m, const LineSelection& sel) {
        uint32_t pending = StateOf(ed_).painter.pendingWordColor;
        bool widen = pending == kPendingLabel || pending == kPendingJoin;
        bool selected = sel.Contains(p);
        uint32_t start = p;
        int64_t left = x_;
        if (widen) {
            uint32_t limit = p >= sel.hi ? sel.hi : p >= sel.lo ? sel.lo : 0;
            for (uint32_t steps = 0;
                 start > limit && steps < kWideningLimit && !IsTokenDelimiter(text_[start - 1]); ++steps)
                --start;
            if (start < p) left -= Width(start, p - start);
        }
        // An overhanging font's selected glyphs are pulled back by the overhang.
        if (ed_.overhang != 0 && selected && left > 1 && IsAsciiAlnum(text_[p])) left -= ed_.overhang;
        if (Shows(left, p + m - start, nullptr)) Draw(text_ + start, p + m - start, RunRect(left, 0));
        if (widen) {
            if (pending == kPendingLabel) StateOf(ed_).painter.pendingWordColor = kPendingNone;
        } else {
            x_ = left;
        }
    }

    void DrawInFont(FontRef font, uint32_t p, uint32_t m, int32_t rise) {
        if (!Shows(x_, m, font)) return;
        FontRef previous = surface_.SelectFont(font);
        Draw(text_ + p, m, RunRect(x_, rise));
        surface_.SelectFont(previous);
    }

    EditorInstance& ed_;
    Surface& surface_;
    const uint8_t* text_;
    uint32_t length_;
    Rect row_;
    int32_t visibleLeft_;
    const TextWidths* widths_;  // the text font's byte widths, or null: measure
    int64_t x_ = row_.left;
    uint32_t current_ = kColorUnset;
    bool colorPending_ = false;  // current_ is not yet the surface's text colour
    bool drew_ = false;
};

// ---- Resuming long lines -------------------------------------------------------------

// A line is coloured from its first character on, since a quote, a comment or a
// keyword far to its left decides how the part on the screen looks; on a long line
// scrolled far to the right that walk is nearly the whole cost of a paint, and
// typing repeats it at every key. So the painter keeps, for the last few long lines
// it painted, the state at the last point before it drew anything, and resumes
// there when such a line is painted again with the same bytes before that point
// (and the few after it that the colouring looks ahead at), under the same
// settings, with at least as much of it left of the visible edge, and with no
// selection in it. The bytes are compared by their digest.
constexpr uint32_t kResumeMinLength = 4096;  // shorter lines are walked whole
constexpr uint32_t kResumeLookahead = 16;    // a keyword's backslash test reads 13 bytes on
// The points are the control's (PaintResume, in its ControlRecord).
using ResumePoint = PaintResumePoint;

// Everything besides the line's bytes that the colouring and the pen read: the
// painter's state at the line's start, the view settings, colours, fonts and
// metrics, the byte widths and the keyword table's generation.
uint64_t ResumeSettings(const EditorInstance& ed, const TextWidths* widths, uint32_t hilite) {
    const PainterState& painter = StateOf(ed).painter;
    const uint32_t scalars[] = {painter.pendingWordColor, painter.blockCommentMark, ed.viewFlags, hilite,
                                ed.altFontsEnabled, static_cast<uint32_t>(ed.altFontRise), ed.tabPixelWidth,
                                ed.spaceWidth, ed.overhang, ed.fixedPitch, ed.charWidth, ed.dbcsCharSet,
                                ed.pairedCharSet, KeywordTableGeneration(), widths != nullptr ? 1u : 0u};
    uint8_t bytes[sizeof scalars + sizeof ed.colors + sizeof ed.fonts + sizeof(TextWidths)] = {};
    uint32_t n = 0;
    std::memcpy(bytes + n, scalars, sizeof scalars);
    n += sizeof scalars;
    std::memcpy(bytes + n, ed.colors, sizeof ed.colors);
    n += sizeof ed.colors;
    std::memcpy(bytes + n, ed.fonts, sizeof ed.fonts);
    n += sizeof ed.fonts;
    if (widths != nullptr) {
        std::memcpy(bytes + n, widths, sizeof(TextWidths));
        n += sizeof(TextWidths);
    }
    return DigestBytes(bytes, n);
}

// The point to resume the line at, or null. The pen only moves right before the
// first draw, so a point left of the row's right limit was reached by every step
// before it.
const ResumePoint* FindResumePoint(const EditorInstance& ed, uint32_t recordOffset, uint64_t settings,
                                   int64_t visibleLeft, const Rect& row, const uint8_t* text, uint32_t length,
                                   const LineSelection& sel) {
    for (const ResumePoint& point : StateOf(ed).resume.points) {
        if (!point.used || point.recordOffset != recordOffset || point.settings != settings) continue;
        if (visibleLeft < point.visibleLeft || point.checkedBytes > length) continue;
        if (row.left + point.drawer.x > row.right) continue;
        if (!sel.Empty() && sel.lo < point.checkedBytes) continue;
        if (DigestBytes(text, point.checkedBytes) != point.text) continue;
        return &point;
    }
    return nullptr;
}

void KeepResumePoint(EditorInstance& ed, const ResumePoint& point, const uint8_t* text) {
    PaintResume& resume = StateOf(ed).resume;
    ResumePoint* slot = nullptr;
    for (ResumePoint& p : resume.points)
        if (p.used && p.recordOffset == point.recordOffset) slot = &p;
    if (slot == nullptr) {
        slot = &resume.points[resume.next % PaintResume::kSlots];
        resume.next = (resume.next + 1) % PaintResume::kSlots;
    }
    *slot = point;
    slot->text = DigestBytes(text, point.checkedBytes);
}

// "proc" or "PROC" as a word of its own.
bool IsBlockWordAt(const uint8_t* text, uint32_t length, uint32_t p) {
    if (static_cast<uint64_t>(p) + kBlockWordLength > length) return false;
    if (std::memcmp(text + p, "proc", 4) != 0 && std::memcmp(text + p, "PROC", 4) != 0) return false;
    bool wordBefore = p > 0 && IsPainterWordChar(text[p - 1]);
    bool wordAfter = p + kBlockWordLength < length && IsPainterWordChar(text[p + kBlockWordLength]);
    return !wordBefore && !wordAfter;
}

// The block word counts after a blank: a space before it, a tab after it, or a tab
// before and a space after.
bool BlockWordCounts(const uint8_t* text, uint32_t length, uint32_t b) {
    uint8_t before = text[b - 1];
    uint8_t after = b + kBlockWordLength < length ? text[b + kBlockWordLength] : 0;
    return before == ' ' || after == kTab || (before == kTab && after == ' ');
}

}  // namespace

uint32_t ColorWithKnownStyle(uint32_t color) {
    const uint32_t style = StyleOf(color);
    return style <= 5 || style == 8 ? color : RgbOf(color);
}

void ForgetResumePoints(EditorInstance& ed) {
    StateOf(ed).resume = PaintResume{};
}

void PaintLine(EditorInstance& ed, uint32_t recordOffset, CharIndex lineStart, Surface& surface,
               const Rect& row, int32_t visibleLeft) {
    if (ed.lineHeap == nullptr || recordOffset > ed.lineHeapSize ||
        ed.lineHeapSize - recordOffset < kRecChars)
        return;
    PainterState& painter = StateOf(ed).painter;
    LineRecordView record = RecordAt(ed, recordOffset);
    uint32_t flags = record.flags();
    uint32_t length = record.length();
    if ((flags & kFlagHidden) != 0 || length == 0 || length > ed.lineHeapSize - recordOffset - kRecChars)
        return;
    if (row.top >= row.bottom || static_cast<int64_t>(row.top) + ed.lineHeight <= 0) return;

    // The line break is drawn, and selected, as a space: the CR is swapped out for the
    // call and put back before returning.
    uint8_t* text = record.chars();
    bool endsWithCR = text[length - 1] == kCR;
    if (endsWithCR) text[length - 1] = ' ';

    uint32_t hilite = flags & kFlagHiliteMask;
    LineSelection sel = SelectionOnLine(ed, lineStart, length);
    // The font's byte widths measure as the surface would, when the surface draws
    // in the text font.
    const TextWidths* widths = ed.fonts[kFontText] != nullptr ? ThePlatform().TextWidthsOf(ed) : nullptr;
    LineDrawer drawer(ed, surface, text, length, row, visibleLeft, widths);
    drawer.FillHighlight(hilite);
    drawer.FillSelection(sel);

    LineColourer colourer(ed, text, length, recordOffset + kRecChars, hilite);
    uint32_t blockWordAt = 0;  // 0: none (a block word in column 0 never counts)
    uint32_t p = 0;

    // A long line drawn from right of its start may resume where it was left.
    const bool resumable = length >= kResumeMinLength && visibleLeft != INT32_MIN;
    ResumePoint found{};
    ResumePoint candidate{};
    if (resumable) {
        candidate.used = 1;
        candidate.recordOffset = recordOffset;
        candidate.settings = ResumeSettings(ed, widths, hilite);
        candidate.visibleLeft = static_cast<int64_t>(visibleLeft) - row.left;
        if (const ResumePoint* point = FindResumePoint(ed, recordOffset, candidate.settings,
                                                       candidate.visibleLeft, row, text, length, sel)) {
            found = *point;
            p = found.p;
            colourer.Restore(found.colourer);
            drawer.Restore(found.drawer);
            painter.pendingWordColor = found.pendingWordColor;
            painter.blockCommentMark = found.blockCommentMark;
            blockWordAt = found.blockWordAt;
        }
    }

    while (p < length) {
        if (resumable && !drawer.Drew() && colourer.run() == 0 &&
            static_cast<uint64_t>(p) + kResumeLookahead <= length &&
            (sel.Empty() || static_cast<uint64_t>(p) + kResumeLookahead <= sel.lo)) {
            candidate.p = p;
            candidate.checkedBytes = p + kResumeLookahead;
            candidate.colourer = colourer.Save();
            candidate.drawer = drawer.Save();
            candidate.pendingWordColor = painter.pendingWordColor;
            candidate.blockCommentMark = painter.blockCommentMark;
            candidate.blockWordAt = blockWordAt;
        }
        bool selected = sel.Contains(p);
        LineColourer::Step step = colourer.Next(p, selected);
        drawer.UseColor(step);
        uint32_t n = sel.CutRun(p, colourer.run());
        uint8_t ch = text[p];
        if (ch == kTab) {
            p = drawer.SkipTabs(p, colourer);
        } else if (ch == ' ') {
            p = drawer.SkipSpaces(p, sel, colourer);
        } else if (drawer.IsPairAt(p)) {
            p = drawer.DrawPair(p, colourer);
        } else {
            // The block word is judged on the whole word run, wherever a selection
            // bound cuts it for drawing.
            if (colourer.run() == kBlockWordLength && blockWordAt == 0 && IsBlockWordAt(text, length, p))
                blockWordAt = p;
            uint32_t m = n != 0 ? n : 1;
            colourer.Consume(m);
            // A run of style 4 passes colour 25 on to the next word.
            if (StyleOf(step.syntaxColor) == 4) painter.pendingWordColor = kPendingAfterStyle4;
            drawer.DrawRun(p, m, sel);
            p += m;
        }
        if (drawer.PastRight()) break;
    }
    if (blockWordAt != 0) painter.blockWordSeen = BlockWordCounts(text, length, blockWordAt) ? 1 : 0;
    if (resumable && candidate.p >= kResumeMinLength && candidate.p > found.p) KeepResumePoint(ed, candidate, text);

    if (endsWithCR) text[length - 1] = kCR;
}

}  // namespace qv
