// Painting a pane: the pixels of the text area, the selection, highlights, both
// margins with their dividers, line numbers and marker images, in the buffered
// paint and in the one direct paint after a thumb drag.
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "base/EditorInstance.h"
#include "store/LineRecord.h"
#include "win/support/TestHost.h"

using qv::EditorInstance;

namespace qvtest {
namespace {

// Default colours, as COLORREFs.
constexpr COLORREF kBackground = 0xFFFFF4;
constexpr COLORREF kSelection = 0x005000;
constexpr COLORREF kMarkerMargin = 0xEAFFEA;
constexpr COLORREF kNumberMargin = 0xEFFFFF;
constexpr COLORREF kDivider = 0x000000;
constexpr COLORREF kText = 0x008000;
constexpr COLORREF kSelectedText = 0xFFFFFF;
constexpr COLORREF kLineNumber = 0x004080;
constexpr COLORREF kHilite1 = 0xFFFFCE;
constexpr COLORREF kComment = 0x0000FF;
constexpr COLORREF kString = 0xFF8000;
constexpr COLORREF kQuote = 0xFF0080;
constexpr COLORREF kKeyword = 0xC00000;  // the group value used below, style 0

// The marker images' colours.
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kYellow = 0x00FFFF;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kGreen = 0x00FF00;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kCyan = 0xFFFF00;

// What a window shows, read back through a 32-bit DIB: from the screen, or what the
// window prints into a memory DC (WM_PRINT, WM_PRINTCLIENT, PrintWindow) that was
// filled with `fill` before.
class Picture {
public:
    explicit Picture(HWND window) {
        Take(window, [&](HDC memory, HDC dc) { BitBlt(memory, 0, 0, width_, height_, dc, 0, 0, SRCCOPY); });
    }
    // `message` 0 is PrintWindow with `flags`.
    Picture(HWND window, UINT message, LPARAM flags, COLORREF fill) {
        Take(window, [&](HDC memory, HDC) {
            HBRUSH brush = CreateSolidBrush(fill);
            RECT all = {0, 0, width_, height_};
            FillRect(memory, &all, brush);
            DeleteObject(brush);
            if (message == 0) PrintWindow(window, memory, static_cast<UINT>(flags));
            else SendMessageA(window, message, reinterpret_cast<WPARAM>(memory), flags);
        });
    }

    int width() const { return width_; }
    int height() const { return height_; }
    COLORREF At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
        return pixels_[static_cast<size_t>(y) * width_ + x];
    }
    // The colours inside r (clipped to the picture).
    std::set<COLORREF> Colors(RECT r) const {
        std::set<COLORREF> colors;
        ForEach(r, [&](int, int, COLORREF c) { colors.insert(c); });
        return colors;
    }
    int Count(RECT r, COLORREF color) const {
        int n = 0;
        ForEach(r, [&](int, int, COLORREF c) { n += c == color; });
        return n;
    }
    // The leftmost and rightmost x of `color` inside r; -1, -1 when absent.
    std::pair<int, int> Span(RECT r, COLORREF color) const {
        int lo = -1, hi = -1;
        ForEach(r, [&](int x, int, COLORREF c) {
            if (c != color) return;
            if (lo < 0 || x < lo) lo = x;
            if (x > hi) hi = x;
        });
        return {lo, hi};
    }
    // The pixels of r, row by row, to compare two places.
    std::vector<COLORREF> Cut(RECT r) const {
        std::vector<COLORREF> cut;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) cut.push_back(At(x, y));
        return cut;
    }

private:
    template <typename F>
    void Take(HWND window, F draw) {
        RECT client = {};
        GetClientRect(window, &client);
        width_ = client.right;
        height_ = client.bottom;
        pixels_.assign(static_cast<size_t>(width_) * height_, 0);
        if (width_ <= 0 || height_ <= 0) return;
        HDC dc = GetDC(window);
        HDC memory = CreateCompatibleDC(dc);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, dib);
        draw(memory, dc);
        GdiFlush();
        const auto* rgb = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < pixels_.size(); ++i)
            pixels_[i] = RGB((rgb[i] >> 16) & 0xFF, (rgb[i] >> 8) & 0xFF, rgb[i] & 0xFF);
        SelectObject(memory, old);
        DeleteObject(dib);
        DeleteDC(memory);
        ReleaseDC(window, dc);
    }

    template <typename F>
    void ForEach(RECT r, F f) const {
        if (r.left < 0) r.left = 0;
        if (r.top < 0) r.top = 0;
        if (r.right > width_) r.right = width_;
        if (r.bottom > height_) r.bottom = height_;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) f(x, y, pixels_[static_cast<size_t>(y) * width_ + x]);
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<COLORREF> pixels_;
};

std::string Hex(COLORREF c) {
    char text[16];
    wsprintfA(text, "%06X", c);
    return text;
}
std::string Describe(const std::set<COLORREF>& colors) {
    std::string s;
    for (COLORREF c : colors) s += Hex(c) + " ";
    return s;
}

HFONT MakeFont(const char* face, int height, bool fixed) {
    // Without antialiasing every glyph pixel is exactly the text colour.
    return CreateFontA(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                       (fixed ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS), face);
}

class PaintTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        mono = MakeFont("DejaVu Sans Mono", 15, true);
        proportional = MakeFont("DejaVu Sans", 15, false);
        smallMono = MakeFont("DejaVu Sans Mono", 9, true);
    }
    void TearDown() override {
        ControlTest::TearDown();
        DeleteObject(mono);
        DeleteObject(proportional);
        DeleteObject(smallMono);
    }

    // A control showing `text` in `font` (none: painted before any font).
    void Open(const char* text, HFONT font, int width = 400, int height = 300) {
        ASSERT_TRUE(MakeControl(width, height));
        ed = reinterpret_cast<EditorInstance*>(GetWindowLongPtrA(control, 0));
        ASSERT_NE(ed, nullptr);
        pane = static_cast<HWND>(ed->panes[0].hwnd);
        Send(EMX_SETKEYWORDS, 0, 0);  // the table is the process's: start empty
        if (font) Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        ASSERT_GT(Send(EM_GETLINECOUNT), 0);
    }

    // The whole pane painted again; the caret kept out of the picture.
    Picture Paint() {
        SetFocus(host->hwnd());
        InvalidateRect(pane, nullptr, FALSE);
        UpdateWindow(pane);
        return Picture(pane);
    }
    // A thumb drag to where the pane already is: it asks for the direct paint
    // without scrolling, so the next paint (of `area`, else the whole pane) is the
    // direct one.
    Picture PaintDirect(const RECT* area = nullptr) {
        SetFocus(host->hwnd());
        HWND bar = static_cast<HWND>(ed->panes[0].hwndVScroll);
        const int32_t scrollY = ed->panes[0].scrollY;
        SetScrollPos(bar, SB_CTL, scrollY, FALSE);
        SendMessageA(pane, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0), reinterpret_cast<LPARAM>(bar));
        EXPECT_EQ(ed->panes[0].scrollY, scrollY) << "the drag scrolled: the direct paint is used up";
        InvalidateRect(pane, area, FALSE);
        UpdateWindow(pane);
        return Picture(pane);
    }

    qv::LineRecordView Line(uint32_t line) { return qv::LineRecordOf(*ed, line); }
    uint32_t FlagsOf(uint32_t line) { return Line(line).flags(); }
    void SetFlags(uint32_t line, uint32_t flags) { Line(line).setFlags(flags); }

    // Geometry of the unscrolled pane.
    int M() const { return static_cast<int>(ed->lineNumberWidth + ed->selMarginWidth); }
    int Lh() const { return static_cast<int>(ed->lineHeight); }
    int Cw() const { return static_cast<int>(ed->charWidth); }
    int TextRight() const { return ed->panes[0].textRect.right; }
    // Columns first..last (inclusive) of a row of fixed-pitch text.
    RECT Cells(int row, int first, int last) const {
        const int x0 = M() + 1 - ed->panes[0].scrollX;
        return RECT{x0 + first * Cw(), row * Lh(), x0 + (last + 1) * Cw(), (row + 1) * Lh()};
    }
    RECT Row(int row, int left, int right) const { return RECT{left, row * Lh(), right, (row + 1) * Lh()}; }
    // The 9 x 9 square of a row's marker image.
    RECT ImageBox(int row) const {
        const int top = row * Lh() + (Lh() - 7) / 2;
        return RECT{M() - 10, top, M() - 1, top + 9};
    }
    COLORREF ImagePixel(const Picture& p, int row, int x, int y) const {
        RECT box = ImageBox(row);
        return p.At(box.left + x, box.top + y);
    }

    HFONT mono = nullptr;
    HFONT proportional = nullptr;
    HFONT smallMono = nullptr;
    EditorInstance* ed = nullptr;
    HWND pane = nullptr;
};

// ---- Colours of the text ----------------------------------------------------------

TEST_F(PaintTest, SyntaxColoursReachThePixelsAndStayInTheirCells) {
    ASSERT_NO_FATAL_FAILURE(Open("mov eax, movx\r\nnop ; mov\r\nx \"ab\" y\r\nmov", mono));
    Send(EMX_SETKEYWORDS, kKeyword, reinterpret_cast<LPARAM>("mov,nop"));
    ASSERT_GT(Cw(), 0);
    const Picture p = Paint();
    struct Run {
        int row, first, last;
        COLORREF color;
    } runs[] = {
        {0, 0, 2, kKeyword},  // mov
        {0, 4, 6, kText},     // eax
        {0, 9, 12, kText},    // movx: not the keyword
        {1, 0, 2, kKeyword},  // nop
        {1, 4, 8, kComment},  // ; mov: all comment
        {2, 2, 2, kQuote},    // "
        {2, 3, 4, kString},   // ab
        {2, 5, 5, kQuote},    // "
        {2, 7, 7, kText},     // y
        {3, 0, 2, kKeyword},  // the last line, after the closing line break
    };
    for (const Run& run : runs) {
        SCOPED_TRACE("row " + std::to_string(run.row) + " cells " + std::to_string(run.first));
        const std::set<COLORREF> colors = p.Colors(Cells(run.row, run.first, run.last));
        EXPECT_EQ(colors, (std::set<COLORREF>{kBackground, run.color})) << Describe(colors);
    }
    // The keyword colour is nowhere else on its rows.
    EXPECT_EQ(p.Count(Row(0, Cells(0, 3, 3).left, TextRight()), kKeyword), 0);
    EXPECT_EQ(p.Count(Row(1, Cells(1, 3, 3).left, TextRight()), kKeyword), 0);
    EXPECT_EQ(p.Count(Row(2, M(), TextRight()), kKeyword), 0);
}

// A host that sets a colour record with stray top bytes (memory it never filled)
// still sees its commas, quotes and labels: the control draws them in the text font.
TEST_F(PaintTest, AColourWithAStrayStyleCodeStillDraws) {
    ASSERT_NO_FATAL_FAILURE(Open("a,b 'c' x: y", mono));
    uint32_t colors[27];
    Send(EMX_GETCOLORS, 0, reinterpret_cast<LPARAM>(colors));
    colors[QV_COLOR_CLASS3] = 0xAB000000 | kRed;    // ,
    colors[QV_COLOR_QUOTE] = 0xCC000000 | kBlue;    // '
    colors[QV_COLOR_LABEL] = 0xFE000000 | kGreen;   // x:
    Send(EMX_SETCOLORS, 0, reinterpret_cast<LPARAM>(colors));
    const Picture p = Paint();
    EXPECT_EQ(p.Colors(Cells(0, 1, 1)), (std::set<COLORREF>{kBackground, kRed}));
    EXPECT_EQ(p.Colors(Cells(0, 4, 4)), (std::set<COLORREF>{kBackground, kBlue}));
    EXPECT_EQ(p.Colors(Cells(0, 8, 9)), (std::set<COLORREF>{kBackground, kGreen}));
}

TEST_F(PaintTest, SelectionIsFilledAndItsTextDrawnInTheSelectedColour) {
    ASSERT_NO_FATAL_FAILURE(Open("abcdef\r\nghijkl", mono));
    Send(EM_SETSEL, 1, 4);
    const Picture p = Paint();
    EXPECT_EQ(p.Colors(Cells(0, 1, 3)), (std::set<COLORREF>{kSelection, kSelectedText}));
    EXPECT_EQ(p.Colors(Cells(0, 0, 0)), (std::set<COLORREF>{kBackground, kText}));
    EXPECT_EQ(p.Colors(Cells(0, 4, 5)), (std::set<COLORREF>{kBackground, kText}));
    EXPECT_EQ(p.Count(Row(1, 0, TextRight()), kSelection), 0);

    // A selection across the line break: the break is selected as one space wide.
    Send(EM_SETSEL, 4, 9);
    const Picture q = Paint();
    EXPECT_EQ(q.Colors(Cells(0, 4, 6)), (std::set<COLORREF>{kSelection, kSelectedText}));
    EXPECT_EQ(q.Colors(Cells(0, 7, 7)), (std::set<COLORREF>{kBackground}));
    EXPECT_EQ(q.Colors(Cells(1, 0, 1)), (std::set<COLORREF>{kSelection, kSelectedText}));
    EXPECT_EQ(q.Colors(Cells(1, 2, 2)), (std::set<COLORREF>{kBackground, kText}));
}

TEST_F(PaintTest, ProportionalTextIsMeasuredRunByRun) {
    ASSERT_NO_FATAL_FAILURE(Open("WWWWii iiWW mov", proportional));
    Send(EMX_SETKEYWORDS, kKeyword, reinterpret_cast<LPARAM>("mov"));
    ASSERT_EQ(ed->fixedPitch, 0u);
    Send(EM_SETSEL, 0, 6);
    const Picture p = Paint();

    // Where the host measures the same text in the same font.
    HDC dc = GetDC(pane);
    HGDIOBJ old = SelectObject(dc, proportional);
    SIZE selected = {}, beforeKeyword = {};
    GetTextExtentPoint32A(dc, "WWWWii", 6, &selected);
    GetTextExtentPoint32A(dc, "WWWWii iiWW ", 12, &beforeKeyword);
    SelectObject(dc, old);
    ReleaseDC(pane, dc);

    const int x0 = M() + 1;
    const std::pair<int, int> fill = p.Span(Row(0, M(), TextRight()), kSelection);
    EXPECT_EQ(fill.first, x0);
    EXPECT_EQ(fill.second, x0 + selected.cx - 1);
    const std::pair<int, int> keyword = p.Span(Row(0, M(), TextRight()), kKeyword);
    ASSERT_GE(keyword.first, 0);
    EXPECT_GE(keyword.first, x0 + beforeKeyword.cx);
    EXPECT_LT(keyword.first, x0 + beforeKeyword.cx + 3);
    // Unselected text between the two.
    EXPECT_GT(p.Count(RECT{x0 + selected.cx, 0, x0 + beforeKeyword.cx, Lh()}, kText), 0);
}

TEST_F(PaintTest, HighlightsFillTheRowFromTheTextOrigin) {
    ASSERT_NO_FATAL_FAILURE(Open("one\r\ntwo\r\nthree\r\nfour", mono));
    Send(EMX_SETLINEHILITE, 1, 1);
    Send(EMX_SETLINEHILITE, 2, 9);  // highlights 7-15 are system colours h - 1
    const Picture p = Paint();
    const COLORREF system8 = GetSysColor(8);
    // From the text origin (one pixel right of the margins) to the right edge.
    EXPECT_EQ(p.At(M(), Lh() + 1), kBackground);
    EXPECT_EQ(p.At(M() + 1, Lh() + 1), kHilite1);
    EXPECT_EQ(p.At(TextRight() - 1, Lh() + 1), kHilite1);
    EXPECT_EQ(p.Colors(Cells(1, 0, 2)), (std::set<COLORREF>{kHilite1, kText}));
    EXPECT_EQ(p.At(TextRight() - 1, 2 * Lh() + 1), system8);
    EXPECT_EQ(p.At(TextRight() - 1, 2 * Lh() - 1), kHilite1);
    EXPECT_EQ(p.Count(Row(0, M(), TextRight()), kHilite1), 0);
    EXPECT_EQ(p.Colors(Row(3, TextRight() - 40, TextRight())), (std::set<COLORREF>{kBackground}));
}

TEST_F(PaintTest, MonochromeDrawsBlackTextOnThePlainBackground) {
    ASSERT_NO_FATAL_FAILURE(Open("mov ; x", mono));
    Send(EMX_SETKEYWORDS, kKeyword, reinterpret_cast<LPARAM>("mov"));
    Send(EMX_TOGGLEVIEWFLAGS, QV_VIEW_PLAIN | QV_VIEW_MONOCHROME);
    const Picture p = Paint();
    EXPECT_EQ(p.Colors(Cells(0, 0, 6)), (std::set<COLORREF>{kWhite, kBlack}));
    EXPECT_EQ(p.Colors(Row(3, M(), TextRight())), (std::set<COLORREF>{kWhite}));
}

// ---- Margins -------------------------------------------------------------------------

TEST_F(PaintTest, MarginsAndDividersOverTheWholeHeight) {
    ASSERT_NO_FATAL_FAILURE(Open("a\r\nb", mono));
    const int bottom = ed->panes[0].textRect.bottom;
    ASSERT_GT(bottom, 0);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "buffered" : "direct");
        // Only the marker margin, 10 pixels with its divider at x 9.
        Picture p = pass == 0 ? Paint() : PaintDirect();
        EXPECT_EQ(p.Colors(RECT{0, 0, 9, bottom}), (std::set<COLORREF>{kMarkerMargin}));
        EXPECT_EQ(p.Colors(RECT{9, 0, 10, bottom}), (std::set<COLORREF>{kDivider}));
        EXPECT_EQ(p.Colors(RECT{10, 2 * Lh(), TextRight(), bottom}), (std::set<COLORREF>{kBackground}));
    }

    // Unpadded one-digit numbers leave the margin at the host's 37 pixels.
    Send(EMX_TOGGLEPADLINENUMBERS);
    Send(EMX_TOGGLELINENUMBERS);
    ASSERT_EQ(ed->lineNumberWidth, 37u);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "buffered" : "direct");
        Picture p = pass == 0 ? Paint() : PaintDirect();
        // Numbers end 4 pixels left of the margin's edge: x 33 to 35 are always free.
        EXPECT_EQ(p.Colors(RECT{33, 0, 36, bottom}), (std::set<COLORREF>{kNumberMargin}));
        EXPECT_EQ(p.Colors(RECT{36, 0, 37, bottom}), (std::set<COLORREF>{kDivider}));
        EXPECT_EQ(p.Colors(RECT{37, 0, 46, bottom}), (std::set<COLORREF>{kMarkerMargin}));
        EXPECT_EQ(p.Colors(RECT{46, 0, 47, bottom}), (std::set<COLORREF>{kDivider}));
        EXPECT_EQ(p.Colors(RECT{47, 2 * Lh(), TextRight(), bottom}), (std::set<COLORREF>{kBackground}));
        EXPECT_EQ(p.Colors(RECT{0, 2 * Lh() + 3, 36, bottom}), (std::set<COLORREF>{kNumberMargin}));
    }
}

TEST_F(PaintTest, LineNumbersAreRightAlignedInTheirColourAndFont) {
    ASSERT_NO_FATAL_FAILURE(Open("a\r\nb\r\nc", mono));
    Send(EMX_TOGGLELINENUMBERS);
    ASSERT_EQ(ed->padLineNumbers, 1u);
    // Padded: "000001", six digits, whole: the margin grew past the host's 37
    // pixels to hold them, 3 pixels free on their left, 4 on their right.
    const int wide = static_cast<int>(ed->lineNumberWidth);
    ASSERT_GT(wide, 37);
    Picture padded = Paint();
    const std::pair<int, int> six = padded.Span(RECT{0, 0, wide - 1, Lh()}, kLineNumber);
    EXPECT_GE(six.first, 3);
    EXPECT_LT(six.first, 3 + Cw() / 2);
    EXPECT_LE(six.second, wide - 5);
    EXPECT_GT(six.second, wide - 5 - Cw());
    EXPECT_GT(six.second - six.first, 5 * Cw() - Cw() / 2);
    EXPECT_EQ(padded.Colors(RECT{0, 0, wide - 1, Lh()}), (std::set<COLORREF>{kNumberMargin, kLineNumber}));

    // Unpadded: one digit in the last cell of the host's 37 pixels again.
    Send(EMX_TOGGLEPADLINENUMBERS);
    ASSERT_EQ(ed->lineNumberWidth, 37u);
    const RECT firstRow = {0, 0, 36, Lh()};
    Picture plain = Paint();
    const std::pair<int, int> one = plain.Span(firstRow, kLineNumber);
    EXPECT_LE(one.second, 32);
    EXPECT_GT(one.second, 32 - Cw());
    EXPECT_GE(one.first, 33 - Cw());
    // Every row has its own number: row 3 has 3, which is not 1.
    EXPECT_NE(plain.Cut(Row(0, 0, 36)), plain.Cut(Row(2, 0, 36)));
    EXPECT_GT(plain.Count(Row(2, 0, 36), kLineNumber), 0);
    EXPECT_EQ(plain.Count(Row(3, 0, 36), kLineNumber), 0);  // no line there

    // The numbers' own font slot: a smaller font gives a smaller digit.
    FontSet fonts = {{mono, nullptr, nullptr, nullptr, nullptr, smallMono}};
    Send(EMX_SETFONTS, 0, reinterpret_cast<LPARAM>(&fonts));
    Picture small = Paint();
    const int digitPixels = plain.Count(firstRow, kLineNumber);
    EXPECT_GT(small.Count(firstRow, kLineNumber), 0);
    EXPECT_LT(small.Count(firstRow, kLineNumber), digitPixels);
    EXPECT_LE(small.Span(firstRow, kLineNumber).second, 32);

    // In the number colour of the colour set.
    ColorSet colors = {};
    std::memcpy(colors.colors, ed->colors, sizeof colors.colors);
    colors.colors[QV_COLOR_LINENUMBER] = 0x0000C0;
    Send(EMX_SETCOLORS, 0, reinterpret_cast<LPARAM>(&colors));
    Picture recoloured = Paint();
    EXPECT_EQ(recoloured.Count(firstRow, kLineNumber), 0);
    EXPECT_GT(recoloured.Count(firstRow, 0x0000C0), 0);
}

// Six-digit numbers in an 11-pixel font keep their first digit: the margin grows
// past the host's 37 pixels to hold "100001" and shrinks back to them when the
// lines go, in both paint paths.
TEST_F(PaintTest, SixDigitNumbersKeepTheirFirstDigit) {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "mmmm\r\n";
    ASSERT_NO_FATAL_FAILURE(Open(text.c_str(), mono));
    HFONT eleven = MakeFont("DejaVu Sans Mono", 11, true);
    FontSet fonts = {{mono, nullptr, nullptr, nullptr, nullptr, eleven}};
    Send(EMX_SETFONTS, 0, reinterpret_cast<LPARAM>(&fonts));
    Send(EMX_TOGGLEPADLINENUMBERS);
    Send(EMX_TOGGLELINENUMBERS);
    HDC dc = GetDC(pane);
    HGDIOBJ old = SelectObject(dc, eleven);
    SIZE number = {}, five = {};
    GetTextExtentPoint32A(dc, "100001", 6, &number);
    GetTextExtentPoint32A(dc, "00000", 5, &five);
    SelectObject(dc, old);
    ReleaseDC(pane, dc);
    const int wide = static_cast<int>(ed->lineNumberWidth);
    EXPECT_EQ(wide, number.cx + 7);

    // The last page, as far as the bar scrolls: the row of line 99999, "100000".
    ed->panes[0].scrollY = 99985 * Lh();
    const int row = 99999 - 99985;
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "buffered" : "direct");
        const Picture p = pass == 0 ? Paint() : PaintDirect();
        ASSERT_EQ(ed->panes[0].topLine, 99985u);
        ASSERT_LT((row + 1) * Lh(), p.height());
        const std::pair<int, int> digits = p.Span(Row(row, 0, wide - 1), kLineNumber);
        EXPECT_GE(digits.first, 3);
        EXPECT_GT(digits.second - digits.first + 1, five.cx);
        EXPECT_LE(digits.second, wide - 5);
        EXPECT_GT(p.Count(Cells(row, 0, 3), kText), 0);  // the text moved right with the margin
    }

    // The lines deleted: back to the host's width, not below it.
    Send(EM_SETSEL, 10, -1);
    Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(""));
    EXPECT_EQ(ed->lineNumberWidth, 37u);
    Send(EMX_SETFONTS, 0, reinterpret_cast<LPARAM>(&fonts));
    DeleteObject(eleven);
}

TEST_F(PaintTest, HiddenLinesTakeNoRowAndTheNumbersJump) {
    ASSERT_NO_FATAL_FAILURE(Open("nop\r\n; hidden\r\nmov\r\nnop", mono));
    Send(EMX_SETKEYWORDS, kKeyword, reinterpret_cast<LPARAM>("mov"));
    Send(EMX_TOGGLELINENUMBERS);
    const Picture before = Paint();
    EXPECT_GT(before.Count(Row(1, M(), TextRight()), kComment), 0);

    SetFlags(1, FlagsOf(1) | qv::kFlagHidden);
    ed->hiddenLineCount = 1;
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "buffered" : "direct");
        const Picture after = pass == 0 ? Paint() : PaintDirect();
        // Row 1 now shows line 2, with line 2's number, as row 2 did before.
        EXPECT_EQ(after.Count(Row(1, M(), TextRight()), kComment), 0);
        EXPECT_GT(after.Count(Row(1, M(), TextRight()), kKeyword), 0);
        EXPECT_EQ(after.Cut(Row(1, 0, 36)), before.Cut(Row(2, 0, 36)));
        EXPECT_EQ(after.Cut(Row(2, 0, 36)), before.Cut(Row(3, 0, 36)));
        EXPECT_EQ(after.Count(Row(3, 0, TextRight()), kLineNumber), 0);
        EXPECT_EQ(after.Count(Row(3, 0, TextRight()), kText), 0);
    }
}

TEST_F(PaintTest, ScrolledTextNeverPaintsOverTheMargins) {
    ASSERT_NO_FATAL_FAILURE(Open("mmmmmmmmmmmmmmmmmmmm\r\nWWWWWWWWWWWWWWWWWWWW", mono));
    ed->panes[0].scrollX = ed->panes[1].scrollX = 2 * Cw() + 3;
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "buffered" : "direct");
        const Picture p = pass == 0 ? Paint() : PaintDirect();
        EXPECT_EQ(p.Colors(RECT{0, 0, 9, 2 * Lh()}), (std::set<COLORREF>{kMarkerMargin}));
        EXPECT_EQ(p.Colors(RECT{9, 0, 10, 2 * Lh()}), (std::set<COLORREF>{kDivider}));
        // The text is there, from the margin's edge on.
        EXPECT_GT(p.Count(RECT{10, 0, 10 + Cw(), 2 * Lh()}, kText), 0);
    }
}

// ---- Marker images ------------------------------------------------------------------

// Four pixels that tell the eight images apart: (0,0), (1,1), (4,4), (4,2).
struct ImageSignature {
    uint32_t kind;
    COLORREF corner, inner, centre, upper;
};
const ImageSignature kImages[] = {
    {1, kBlack, kWhite, kBlack, kWhite},     // minus
    {2, kBlack, kWhite, kBlack, kBlack},     // plus
    {3, kYellow, kYellow, kBlack, kYellow},  // bookmark
    {4, kBlack, kBlack, kBlack, kRed},       // current bookmark, cross
    {5, kBlack, kRed, kRed, kRed},           // red, framed
    {6, kBlue, kBlue, kCyan, kCyan},         // blue, cyan centre
    {7, kWhite, kWhite, kWhite, kRed},       // red, white cross
    {8, kGreen, kGreen, kBlack, kBlack},     // block start, arrow
};

TEST_F(PaintTest, MarkerKindsShowTheirImagesAndKindsNineToFifteenNone) {
    std::string text;
    for (int i = 0; i < 10; ++i) text += "line\r\n";
    ASSERT_NO_FATAL_FAILURE(Open(text.c_str(), mono));
    for (uint32_t kind = 1; kind <= 7; ++kind) SetFlags(kind, kind << 4);
    SetFlags(8, 0x90);  // kinds 9-15 have no image
    SetFlags(9, 0xF0);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "buffered" : "direct");
        const Picture p = pass == 0 ? Paint() : PaintDirect();
        EXPECT_EQ(p.Colors(ImageBox(0)), (std::set<COLORREF>{kMarkerMargin}));
        for (const ImageSignature& image : kImages) {
            if (image.kind > 7) continue;
            SCOPED_TRACE("kind " + std::to_string(image.kind));
            const int row = static_cast<int>(image.kind);
            EXPECT_EQ(ImagePixel(p, row, 0, 0), image.corner);
            EXPECT_EQ(ImagePixel(p, row, 1, 1), image.inner);
            EXPECT_EQ(ImagePixel(p, row, 4, 4), image.centre);
            EXPECT_EQ(ImagePixel(p, row, 4, 2), image.upper);
        }
        EXPECT_EQ(p.Colors(ImageBox(8)), (std::set<COLORREF>{kMarkerMargin}));
        EXPECT_EQ(p.Colors(ImageBox(9)), (std::set<COLORREF>{kMarkerMargin}));
        // Painting left every kind as it was.
        for (uint32_t kind = 1; kind <= 7; ++kind) EXPECT_EQ(FlagsOf(kind), kind << 4);
        EXPECT_EQ(FlagsOf(8), 0x90u);
        EXPECT_EQ(FlagsOf(9), 0xF0u);
    }
}

struct CallbackLog {
    std::vector<std::pair<HWND, DWORD>> calls;
    DWORD answers[8] = {0, 3, 9, 0, 0, 6, 0, 0};
};
CallbackLog* gCallbackLog = nullptr;

DWORD CALLBACK MarkerImageFor(HWND control, DWORD line) {
    gCallbackLog->calls.emplace_back(control, line);
    return line < 8 ? gCallbackLog->answers[line] : 0;
}

TEST_F(PaintTest, TheHostSuppliesImagesForUnmarkedLines) {
    ASSERT_NO_FATAL_FAILURE(Open("a\r\nb\r\nc\r\nd\r\ne\r\nf", mono));
    CallbackLog log;
    gCallbackLog = &log;
    SetFlags(3, 0x30);  // a bookmark of its own: the host is not asked
    SetFlags(4, 0x01);  // a highlight: not unmarked either
    Send(EMX_SETMARKERCALLBACK, 0, reinterpret_cast<LPARAM>(&MarkerImageFor));
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "buffered" : "direct");
        log.calls.clear();
        const Picture p = pass == 0 ? Paint() : PaintDirect();
        std::set<DWORD> asked;
        for (const auto& call : log.calls) {
            EXPECT_EQ(call.first, control);
            asked.insert(call.second);
        }
        EXPECT_EQ(asked, (std::set<DWORD>{0, 1, 2, 5}));
        EXPECT_EQ(p.Colors(ImageBox(0)), (std::set<COLORREF>{kMarkerMargin}));  // answer 0
        EXPECT_EQ(ImagePixel(p, 1, 0, 0), kYellow);                             // answer 3
        EXPECT_EQ(ImagePixel(p, 1, 4, 4), kBlack);
        EXPECT_EQ(p.Colors(ImageBox(2)), (std::set<COLORREF>{kMarkerMargin}));  // 9: no image
        EXPECT_EQ(ImagePixel(p, 3, 0, 0), kYellow);                             // its own bookmark
        EXPECT_EQ(ImagePixel(p, 5, 4, 4), kCyan);                               // answer 6
    }
    Send(EMX_SETMARKERCALLBACK, 0, 0);
    log.calls.clear();
    const Picture none = Paint();
    EXPECT_TRUE(log.calls.empty());
    EXPECT_EQ(none.Colors(ImageBox(1)), (std::set<COLORREF>{kMarkerMargin}));
    gCallbackLog = nullptr;
}

// The block word bit 0x80 is also the top bit of the marker kind: painting keeps it
// in step with the block word only on lines whose kind is 0 or 8 and which carry no
// marker id.
TEST_F(PaintTest, PaintingTheBlockWordKeepsOtherMarkerKinds) {
    ASSERT_NO_FATAL_FAILURE(
        Open("x proc\r\nx proc\r\nx proc\r\nplain\r\nx proc\r\nx proc\r\nx proc\r\nx\r\nm macro", mono));
    struct Case {
        uint32_t line, before, after, image;  // image kind shown, 0 none
        uint32_t markerId;
    } cases[] = {
        {0, 0x00, 0x80, 8, 0},    // the block word makes an unmarked line a block start
        {1, 0x30, 0x30, 3, 0},    // a bookmark stays a bookmark
        {2, 0x40, 0x40, 4, 0},    // so does a folded block's or the current marker
        {3, 0x80, 0x00, 0, 0},    // a block start without the block word loses the bit
        {4, 0x13, 0x13, 1, 0},    // kind 1 with a highlight
        {5, 0x90, 0x90, 0, 0},    // kinds 9-15 are left alone
        {6, 0x85, 0x85, 8, 0},    // kind 8 with a highlight keeps both
        {7, 0x107, 0x107, 0, 0},  // locked, highlighted, no block word: nothing changes
        {8, 0x80, 0x80, 8, 1},    // a start marked with other patterns keeps its image
    };
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "buffered" : "direct");
        for (const Case& c : cases) {
            SetFlags(c.line, c.before);
            Line(c.line).setMarkerId(c.markerId);
        }
        const Picture p = pass == 0 ? Paint() : PaintDirect();
        for (const Case& c : cases) {
            SCOPED_TRACE("line " + std::to_string(c.line));
            EXPECT_EQ(FlagsOf(c.line), c.after);
            if (c.image == 0) {
                EXPECT_EQ(p.Colors(ImageBox(static_cast<int>(c.line))), (std::set<COLORREF>{kMarkerMargin}));
                continue;
            }
            for (const ImageSignature& image : kImages) {
                if (image.kind != c.image) continue;
                EXPECT_EQ(ImagePixel(p, static_cast<int>(c.line), 0, 0), image.corner);
                EXPECT_EQ(ImagePixel(p, static_cast<int>(c.line), 4, 4), image.centre);
                EXPECT_EQ(ImagePixel(p, static_cast<int>(c.line), 4, 2), image.upper);
            }
        }
        // A second paint changes nothing more.
        Paint();
        for (const Case& c : cases) EXPECT_EQ(FlagsOf(c.line), c.after) << c.line;
    }
}

// A paint of a few rows brings the bit up to date only on the lines it draws.
TEST_F(PaintTest, APartialPaintLeavesTheLinesItDoesNotDraw) {
    ASSERT_NO_FATAL_FAILURE(Open("x proc\r\na\r\nb\r\nc\r\nx proc", mono));
    Paint();
    ASSERT_EQ(FlagsOf(0), 0x80u);
    ASSERT_EQ(FlagsOf(4), 0x80u);
    SetFlags(4, 0);
    RECT row3 = Row(3, 0, TextRight());
    InvalidateRect(pane, &row3, FALSE);
    UpdateWindow(pane);
    EXPECT_EQ(FlagsOf(0), 0x80u);  // above the update rectangle
    EXPECT_EQ(FlagsOf(4), 0u);     // below it
    RECT row4 = Row(4, 0, TextRight());
    InvalidateRect(pane, &row4, FALSE);
    UpdateWindow(pane);
    EXPECT_EQ(FlagsOf(0), 0x80u);
    EXPECT_EQ(FlagsOf(4), 0x80u);
}

// ---- Where the rows start ------------------------------------------------------------

TEST_F(PaintTest, APaintStartsFromTheScrolledLineAfterTheTopCacheWasReset) {
    std::string text;
    for (int i = 0; i < 60; ++i) text += i == 20 ? "mov\r\n" : "nop\r\n";
    ASSERT_NO_FATAL_FAILURE(Open(text.c_str(), mono));
    Send(EMX_SETKEYWORDS, kKeyword, reinterpret_cast<LPARAM>("mov"));
    Send(EMX_TOGGLELINENUMBERS);
    const Picture top = Paint();
    EXPECT_EQ(top.Count(RECT{M(), 0, TextRight(), top.height()}, kKeyword), 0);

    ed->panes[0].scrollY = 20 * Lh();
    const Picture scrolled = Paint();
    EXPECT_EQ(ed->panes[0].topLine, 20u);
    EXPECT_GT(scrolled.Count(Cells(0, 0, 2), kKeyword), 0);

    // An edit above the top resets the cache to line 0; the offset stays.
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "buffered" : "direct");
        ed->panes[0].topLine = ed->panes[0].topLineY = ed->panes[0].topLineStart = 0;
        const Picture again = pass == 0 ? Paint() : PaintDirect();
        EXPECT_EQ(ed->panes[0].topLine, 20u);
        EXPECT_EQ(again.Cut(RECT{0, 0, TextRight(), again.height()}),
                  scrolled.Cut(RECT{0, 0, TextRight(), scrolled.height()}));
    }
}

TEST_F(PaintTest, AThumbDragPaintsOnceDirectlyThenBuffered) {
    std::string text;
    for (int i = 0; i < 80; ++i) text += "wwww\r\n";
    ASSERT_NO_FATAL_FAILURE(Open(text.c_str(), mono));
    // Text scrolled left of its origin tells the two paths apart: the direct paint
    // follows the offset, the buffered one never starts right of the origin.
    ed->panes[0].scrollX = ed->panes[1].scrollX = -3 * Cw();
    const Picture buffered = Paint();
    EXPECT_GT(buffered.Count(RECT{M() + 1, 0, M() + 1 + Cw(), Lh()}, kText), 0);

    HWND bar = static_cast<HWND>(ed->panes[0].hwndVScroll);
    ASSERT_TRUE(IsWindowVisible(bar));
    SetScrollPos(bar, SB_CTL, 40 * Lh(), FALSE);
    SendMessageA(pane, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(ed->panes[0].scrollY, 40 * Lh());
    // The drag repainted the pane, straight into the window.
    const Picture dragged(pane);
    EXPECT_EQ(dragged.Count(RECT{M() + 1, 0, M() + 1 + 3 * Cw(), 5 * Lh()}, kText), 0);
    EXPECT_GT(dragged.Count(RECT{M() + 1 + 3 * Cw(), 0, M() + 1 + 4 * Cw(), Lh()}, kText), 0);

    // Later paints are buffered again.
    for (int i = 0; i < 2; ++i) {
        const Picture later = Paint();
        EXPECT_GT(later.Count(RECT{M() + 1, 0, M() + 1 + Cw(), Lh()}, kText), 0) << i;
    }
}

TEST_F(PaintTest, TheDirectPaintDrawsNothingBelowTheLastLine) {
    ASSERT_NO_FATAL_FAILURE(Open("mmmm\r\nmmmm", mono, 400, 400));
    Send(EMX_TOGGLELINENUMBERS);
    // Rows below the end are drawn as background, whether the update rectangle
    // holds the lines or only the rows below them.
    const RECT lower = {0, 3 * Lh(), TextRight(), ed->panes[0].textRect.bottom};
    for (const RECT* area : {static_cast<const RECT*>(nullptr), &lower}) {
        SCOPED_TRACE(area ? "below" : "whole");
        Paint();
        const Picture p = PaintDirect(area);
        EXPECT_GT(p.Count(Row(1, M(), TextRight()), kText), 0);
        const RECT below = {0, 2 * Lh(), TextRight(), ed->panes[0].textRect.bottom};
        EXPECT_EQ(p.Count(below, kText), 0);
        EXPECT_EQ(p.Count(below, kLineNumber), 0);
        EXPECT_EQ(p.Colors(RECT{M(), 2 * Lh(), TextRight(), below.bottom}),
                  (std::set<COLORREF>{kBackground}));
    }
}

// ---- Printing into a caller's device context ------------------------------------------

constexpr COLORREF kUnprinted = 0x123456;  // what a print's DC holds before

// What the control and its pane print is what the pane paints: margins, numbers,
// colours, images, the selection. Printing changes nothing in the control and on the
// screen: no caret, scroll or notification, and a row waiting to be painted still is.
TEST_F(PaintTest, TheControlAndItsPanePrintWhatThePanePaints) {
    ASSERT_NO_FATAL_FAILURE(Open("mov eax, 1 ; one\r\nnop\r\n\"str\" x", mono));
    Send(EMX_SETKEYWORDS, kKeyword, reinterpret_cast<LPARAM>("mov,nop"));
    Send(EMX_TOGGLELINENUMBERS);
    Send(EM_SETSEL, 5, 12);
    SetFlags(1, 0x30);  // a bookmark's image
    const Picture screen = Paint();
    const RECT area = {0, 0, TextRight(), ed->panes[0].textRect.bottom};
    ASSERT_GT(screen.Count(area, kKeyword), 0);
    ASSERT_GT(screen.Count(area, kLineNumber), 0);

    RECT waiting = Row(2, 0, TextRight());
    InvalidateRect(pane, &waiting, FALSE);
    POINT caret = {};
    GetCaretPos(&caret);
    const size_t heard = host->notifications.size();
    const qv::ViewPane before = ed->panes[0];
    struct Case {
        HWND window;
        UINT message;  // 0: PrintWindow
        LPARAM flags;
    } cases[] = {
        {pane, WM_PRINTCLIENT, PRF_CLIENT},
        {pane, WM_PRINT, PRF_CLIENT | PRF_CHILDREN | PRF_NONCLIENT},
        {control, WM_PRINT, PRF_CLIENT | PRF_CHILDREN},
        {control, WM_PRINT, PRF_CLIENT},
        {control, WM_PRINT, PRF_CHILDREN | PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CHECKVISIBLE},
        {control, WM_PRINTCLIENT, PRF_CLIENT},
        {control, 0, 0},
        {control, 0, PW_CLIENTONLY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.window == pane ? std::string("pane ") : std::string("control ")) + Hex(c.message) + " " +
                     Hex(static_cast<COLORREF>(c.flags)));
        const Picture printed(c.window, c.message, c.flags, kUnprinted);
        EXPECT_EQ(printed.Count(area, kUnprinted), 0);
        EXPECT_TRUE(printed.Cut(area) == screen.Cut(area));
    }
    RECT still = {};
    EXPECT_TRUE(GetUpdateRect(pane, &still, FALSE));
    EXPECT_EQ(still.top, waiting.top);
    EXPECT_EQ(still.bottom, waiting.bottom);
    POINT after = {};
    GetCaretPos(&after);
    EXPECT_EQ(after.x, caret.x);
    EXPECT_EQ(after.y, caret.y);
    EXPECT_EQ(host->notifications.size(), heard);
    EXPECT_EQ(std::memcmp(&ed->panes[0], &before, sizeof before), 0);

    // Without a client area or children asked for, or hidden with PRF_CHECKVISIBLE,
    // nothing is printed; hidden without it (a window animation's first picture),
    // everything is.
    EXPECT_EQ(Picture(control, WM_PRINT, PRF_NONCLIENT, kUnprinted).Colors(area), (std::set<COLORREF>{kUnprinted}));
    ShowWindow(control, SW_HIDE);
    EXPECT_EQ(Picture(control, WM_PRINT, PRF_CLIENT | PRF_CHECKVISIBLE, kUnprinted).Colors(area),
              (std::set<COLORREF>{kUnprinted}));
    EXPECT_TRUE(Picture(control, WM_PRINT, PRF_CLIENT, kUnprinted).Cut(area) == screen.Cut(area));
}

// A split control prints both panes, each showing its own rows, and the split bar
// between them, as the screen shows them.
TEST_F(PaintTest, ASplitControlPrintsBothPanesAndTheSplitBar) {
    std::string text;
    for (int i = 1; i <= 14; ++i) text += (i % 2 ? "mov line " : "nop line ") + std::to_string(i) + "\r\n";
    ASSERT_NO_FATAL_FAILURE(Open(text.c_str(), mono));
    Send(EMX_SETKEYWORDS, kKeyword, reinterpret_cast<LPARAM>("mov"));
    Send(EMX_TOGGLELINENUMBERS);
    Send(EMX_TOGGLESPLIT);
    ed->panes[1].scrollY = 5 * Lh();
    SetFocus(host->hwnd());
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const Picture screen(control);
    const int split = static_cast<int>(ed->upperPaneHeight);
    ASSERT_GT(split, 2 * Lh());
    const RECT upper = {0, 0, ed->panes[0].textRect.right, split};
    const RECT bar = {0, split, screen.width(), split + 4};
    const RECT lower = {0, split + 4, ed->panes[1].textRect.right, screen.height()};
    // The lower pane shows other lines than the upper one.
    const RECT upperRows = {0, 0, lower.right, 2 * Lh()};
    const RECT lowerRows = {0, lower.top, lower.right, lower.top + 2 * Lh()};
    ASSERT_NE(screen.Cut(upperRows), screen.Cut(lowerRows));
    ASSERT_GT(screen.Count(lowerRows, kLineNumber), 0);

    for (UINT message : {static_cast<UINT>(WM_PRINT), 0u}) {
        SCOPED_TRACE(message ? "WM_PRINT" : "PrintWindow");
        const Picture printed(control, message, message ? PRF_CLIENT | PRF_CHILDREN : 0, kUnprinted);
        EXPECT_TRUE(printed.Cut(upper) == screen.Cut(upper));
        EXPECT_TRUE(printed.Cut(lower) == screen.Cut(lower));
        EXPECT_TRUE(printed.Cut(bar) == screen.Cut(bar)) << Describe(printed.Colors(bar)) << "/ "
                                                          << Describe(screen.Colors(bar));
    }
}

// ---- Before any font -----------------------------------------------------------------

TEST_F(PaintTest, PaintingBeforeAnyFontIsSafe) {
    ASSERT_NO_FATAL_FAILURE(Open("\tmov a\t\tb ; c\r\n  x \"s\"\r\n", nullptr));
    ASSERT_EQ(ed->charWidth, 0u);
    ASSERT_EQ(ed->lineHeight, 15u);
    Send(EMX_SETKEYWORDS, kKeyword, reinterpret_cast<LPARAM>("mov"));
    Send(EMX_TOGGLELINENUMBERS);
    SetFlags(1, 0x30);
    Send(EM_SETSEL, 2, 9);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "buffered" : "direct");
        const Picture p = pass == 0 ? Paint() : PaintDirect();
        EXPECT_EQ(p.At(TextRight() - 2, p.height() - 2), kBackground);
        EXPECT_EQ(p.At(static_cast<int>(ed->lineNumberWidth) - 1, p.height() - 2), kDivider);
        EXPECT_GT(p.Count(RECT{M(), 0, TextRight(), 3 * 15}, kSelection), 0);
    }
}

}  // namespace
}  // namespace qvtest
