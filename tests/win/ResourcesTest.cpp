// The library's own resources, read back from the loaded Quorvane.dll: the split
// bar and margin cursors (hot spots and mask shapes), the marker bitmap and the
// image list the control builds from it, and the version record.
#include "win/support/TestHost.h"
// commctrl.h needs the window types that the test host's header brings in.
#include <commctrl.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kSplitCursorId = 101;
constexpr int kMarkerBitmapId = 102;
constexpr int kMarginCursorId = 103;
constexpr int kCursorSize = 32;
constexpr int kMarkerSize = 9;
constexpr int kMarkerCount = 8;

constexpr COLORREF kBlack = RGB(0x00, 0x00, 0x00);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kRed = RGB(0xFF, 0x00, 0x00);
constexpr COLORREF kGreen = RGB(0x00, 0xFF, 0x00);
constexpr COLORREF kYellow = RGB(0xFF, 0xFF, 0x00);
constexpr COLORREF kBlue = RGB(0x00, 0x00, 0xFF);
constexpr COLORREF kCyan = RGB(0x00, 0xFF, 0xFF);

HMODULE Library() {
    return qvtest::LoadQuorvane();
}

// ---- Cursors ---------------------------------------------------------------------

// What a monochrome cursor pixel does to the screen, from its AND and XOR bits.
enum class Px { Black, White, Transparent, Inverse };

// A cursor as the system holds it: hot spot, whether it is monochrome, and its
// pixels decoded from the AND mask (top half) and XOR mask (bottom half).
struct CursorPicture {
    bool loaded = false;
    bool isIcon = true;
    bool monochrome = false;
    int maskWidth = 0, maskHeight = 0;
    POINT hotSpot = {-1, -1};
    Px px[kCursorSize][kCursorSize] = {};  // [y][x]

    Px At(int x, int y) const { return px[y][x]; }
    bool Opaque(int x, int y) const { return px[y][x] == Px::Black || px[y][x] == Px::White; }
};

CursorPicture ReadCursor(HCURSOR cursor) {
    CursorPicture picture;
    ICONINFO info = {};
    if (!cursor || !::GetIconInfo(cursor, &info)) return picture;
    picture.loaded = true;
    picture.isIcon = info.fIcon != FALSE;
    picture.hotSpot = {static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
    picture.monochrome = info.hbmColor == nullptr;
    BITMAP mask = {};
    ::GetObjectA(info.hbmMask, sizeof mask, &mask);
    picture.maskWidth = mask.bmWidth;
    picture.maskHeight = mask.bmHeight;
    if (picture.monochrome && mask.bmWidth == kCursorSize && mask.bmHeight == 2 * kCursorSize) {
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colours[2];
        } format = {};
        format.header.biSize = sizeof format.header;
        format.header.biWidth = kCursorSize;
        format.header.biHeight = -2 * kCursorSize;  // top-down: AND rows first, then XOR rows
        format.header.biPlanes = 1;
        format.header.biBitCount = 1;
        std::vector<uint8_t> bits(4 * 2 * kCursorSize);
        HDC screen = ::GetDC(nullptr);
        int rows = ::GetDIBits(screen, info.hbmMask, 0, 2 * kCursorSize, bits.data(),
                               reinterpret_cast<BITMAPINFO*>(&format), DIB_RGB_COLORS);
        ::ReleaseDC(nullptr, screen);
        if (rows != 2 * kCursorSize) picture.loaded = false;
        auto bit = [&](int x, int row) { return (bits[row * 4 + x / 8] >> (7 - x % 8)) & 1; };
        for (int y = 0; y < kCursorSize; ++y) {
            for (int x = 0; x < kCursorSize; ++x) {
                int andBit = bit(x, y), xorBit = bit(x, kCursorSize + y);
                picture.px[y][x] =
                    andBit ? (xorBit ? Px::Inverse : Px::Transparent) : (xorBit ? Px::White : Px::Black);
            }
        }
    }
    ::DeleteObject(info.hbmMask);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    return picture;
}

// Loads cursor `id` of the library at its own 32 x 32 size and reads it back.
CursorPicture ReadLibraryCursor(int id) {
    HCURSOR cursor = static_cast<HCURSOR>(::LoadImageA(Library(), MAKEINTRESOURCEA(id), IMAGE_CURSOR,
                                                       kCursorSize, kCursorSize, LR_DEFAULTCOLOR));
    CursorPicture picture = ReadCursor(cursor);
    if (cursor) ::DestroyCursor(cursor);
    return picture;
}

void ExpectMonochrome32(const CursorPicture& c) {
    ASSERT_TRUE(c.loaded);
    EXPECT_FALSE(c.isIcon);
    EXPECT_TRUE(c.monochrome) << "a colour cursor where a two-colour one with a mask was expected";
    ASSERT_EQ(c.maskWidth, kCursorSize);
    ASSERT_EQ(c.maskHeight, 2 * kCursorSize);
}

// Every pixel of `body` touches (4-neighbourhood) only `body` or `outline` pixels:
// the outline closes the body off from the transparent surroundings.
void ExpectOutlined(const CursorPicture& c, Px body, Px outline) {
    int bodyPixels = 0;
    for (int y = 0; y < kCursorSize; ++y) {
        for (int x = 0; x < kCursorSize; ++x) {
            if (c.At(x, y) != body) continue;
            ++bodyPixels;
            const int dx[] = {1, -1, 0, 0}, dy[] = {0, 0, 1, -1};
            for (int i = 0; i < 4; ++i) {
                int nx = x + dx[i], ny = y + dy[i];
                bool inside = nx >= 0 && ny >= 0 && nx < kCursorSize && ny < kCursorSize;
                ASSERT_TRUE(inside) << "body pixel on the image edge at " << x << "," << y;
                Px n = c.At(nx, ny);
                EXPECT_TRUE(n == body || n == outline)
                    << "body pixel " << x << "," << y << " touches the screen";
            }
        }
    }
    EXPECT_GT(bodyPixels, 30);
}

int CountInRow(const CursorPicture& c, int y, Px kind) {
    int n = 0;
    for (int x = 0; x < kCursorSize; ++x) n += c.At(x, y) == kind;
    return n;
}

TEST(SplitCursor, LoadsWithItsHotSpotInTheMiddle) {
    ASSERT_NE(Library(), nullptr);
    EXPECT_NE(::LoadCursorA(Library(), MAKEINTRESOURCEA(kSplitCursorId)), nullptr);
    CursorPicture c = ReadLibraryCursor(kSplitCursorId);
    ExpectMonochrome32(c);
    EXPECT_EQ(c.hotSpot.x, 15);
    EXPECT_EQ(c.hotSpot.y, 15);
    EXPECT_EQ(c.At(15, 15), Px::Black) << "the hot spot lies on the arrow's shaft";
    EXPECT_EQ(c.At(0, 0), Px::Transparent);
    EXPECT_EQ(c.At(31, 31), Px::Transparent);
}

TEST(SplitCursor, IsABlackUpDownArrowAcrossADoubleBar) {
    CursorPicture c = ReadLibraryCursor(kSplitCursorId);
    ExpectMonochrome32(c);
    ExpectOutlined(c, Px::Black, Px::White);

    // Two-headed: a mirror image of itself about the hot spot's row and column.
    for (int d = 1; d <= 15; ++d) {
        for (int x = 0; x < kCursorSize; ++x)
            ASSERT_EQ(c.At(x, 15 - d), c.At(x, 15 + d)) << x << "," << 15 - d;
        for (int y = 0; y < kCursorSize; ++y)
            ASSERT_EQ(c.At(15 - d, y), c.At(15 + d, y)) << 15 - d << "," << y;
    }

    // The upper head: a one-pixel tip above the hot spot that widens downwards.
    int tip = 0;
    while (tip < 15 && CountInRow(c, tip, Px::Black) == 0) ++tip;
    ASSERT_LT(tip, 10);
    EXPECT_EQ(CountInRow(c, tip, Px::Black), 1);
    EXPECT_EQ(c.At(15, tip), Px::Black);
    EXPECT_LT(CountInRow(c, tip + 1, Px::Black), CountInRow(c, tip + 3, Px::Black));

    // The bars: wide black rows, two of them above the middle row (and by the
    // symmetry two below), with the gap between the pairs at the hot spot.
    std::vector<int> wideRows;
    for (int y = 0; y < kCursorSize; ++y)
        if (CountInRow(c, y, Px::Black) >= 16) wideRows.push_back(y);
    EXPECT_EQ(CountInRow(c, 15, Px::Black), 3) << "only the shaft crosses the gap between the bars";
    ASSERT_FALSE(wideRows.empty());
    EXPECT_LT(wideRows.front(), 15);
    EXPECT_GT(wideRows.back(), 15);
    int above = 0;
    for (int y : wideRows) above += y < 15;
    EXPECT_EQ(above, 2);
}

TEST(MarginCursor, LoadsWithItsHotSpotAtTheArrowTip) {
    EXPECT_NE(::LoadCursorA(Library(), MAKEINTRESOURCEA(kMarginCursorId)), nullptr);
    CursorPicture c = ReadLibraryCursor(kMarginCursorId);
    ExpectMonochrome32(c);
    EXPECT_EQ(c.hotSpot.x, 21);
    EXPECT_EQ(c.hotSpot.y, 5);
    EXPECT_EQ(c.At(21, 5), Px::Black) << "the hot spot is the outlined tip";
    EXPECT_EQ(c.At(22, 4), Px::Transparent);
    EXPECT_EQ(c.At(22, 5), Px::Transparent);
    EXPECT_EQ(c.At(21, 4), Px::Transparent);
}

TEST(MarginCursor, IsAWhiteArrowPointingUpAndRight) {
    CursorPicture c = ReadLibraryCursor(kMarginCursorId);
    ExpectMonochrome32(c);
    ExpectOutlined(c, Px::White, Px::Black);

    // The tip is the top-right corner of the arrow: nothing above it or right of it.
    for (int y = 0; y < kCursorSize; ++y) {
        for (int x = 0; x < kCursorSize; ++x) {
            if (c.Opaque(x, y)) {
                ASSERT_TRUE(x <= 21 && y >= 5) << "arrow pixel beyond the tip at " << x << "," << y;
            }
        }
    }
    EXPECT_EQ(CountInRow(c, 5, Px::Black) + CountInRow(c, 5, Px::White), 1);

    // The straight edge runs down from the tip (the mirror of the ordinary arrow's
    // left edge); the slanted edge runs down and to the left.
    for (int y = 5; y <= 15; ++y) EXPECT_EQ(c.At(21, y), Px::Black) << "right edge at row " << y;
    for (int d = 1; d <= 8; ++d) EXPECT_EQ(c.At(21 - d, 5 + d), Px::Black) << "slanted edge at step " << d;
    EXPECT_EQ(c.At(18, 12), Px::White);
    EXPECT_EQ(c.At(14, 10), Px::Transparent) << "left of the slanted edge is the screen";
}

// ---- Marker bitmap and image list -------------------------------------------------

TEST(MarkerBitmap, Is72By9With16StandardColours) {
    HRSRC found =
        ::FindResourceA(Library(), MAKEINTRESOURCEA(kMarkerBitmapId), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    ASSERT_NE(found, nullptr);
    ASSERT_GE(::SizeofResource(Library(), found), sizeof(BITMAPINFOHEADER) + 16 * sizeof(RGBQUAD));
    const auto* header =
        static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(Library(), found)));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, kMarkerSize * kMarkerCount);
    EXPECT_EQ(header->biHeight, kMarkerSize);
    EXPECT_EQ(header->biBitCount, 4);
    EXPECT_EQ(header->biCompression, static_cast<DWORD>(BI_RGB));

    // The palette is the display's 16 default colours (the first and last eight of
    // the default palette), so a 4-bit image list keeps every colour as it is.
    const auto* palette =
        reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(header) + header->biSize);
    PALETTEENTRY defaults[20] = {};
    ASSERT_EQ(::GetPaletteEntries(static_cast<HPALETTE>(::GetStockObject(DEFAULT_PALETTE)), 0, 20, defaults),
              20u);
    for (int i = 0; i < 16; ++i) {
        const PALETTEENTRY& want = defaults[i < 8 ? i : i + 4];
        EXPECT_EQ(RGB(palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue),
                  RGB(want.peRed, want.peGreen, want.peBlue))
            << "palette entry " << i;
    }

    HBITMAP section = static_cast<HBITMAP>(
        ::LoadImageA(Library(), MAKEINTRESOURCEA(kMarkerBitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(section, nullptr);
    DIBSECTION dib = {};
    ASSERT_EQ(::GetObjectA(section, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 72);
    EXPECT_EQ(dib.dsBm.bmHeight, 9);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 4);
    ::DeleteObject(section);
}

// A 32-bit top-down bitmap in a memory DC whose pixels can be read directly.
class Canvas {
public:
    Canvas(int width, int height) : width_(width) {
        BITMAPINFO format = {};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = width;
        format.bmiHeader.biHeight = -height;
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        dc_ = ::CreateCompatibleDC(nullptr);
        bitmap_ =
            ::CreateDIBSection(dc_, &format, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = ::SelectObject(dc_, bitmap_);
        std::memset(bits_, 0x5A, static_cast<size_t>(width) * height * 4);  // no marker colour
    }
    ~Canvas() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const {
        ::GdiFlush();
        uint32_t p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    int width_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

// The image list exactly as the library makes its own at process attach.
class MarkerImageList : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Library(), nullptr);
        images = ::ImageList_Create(kMarkerSize, kMarkerSize, ILC_COLOR4, kMarkerCount, kMarkerCount);
        ASSERT_NE(images, nullptr);
        HBITMAP strip = ::LoadBitmapA(Library(), MAKEINTRESOURCEA(kMarkerBitmapId));
        ASSERT_NE(strip, nullptr);
        firstIndex = ::ImageList_Add(images, strip, nullptr);
        ::DeleteObject(strip);
    }
    void TearDown() override {
        if (images) ::ImageList_Destroy(images);
    }
    // Colour of pixel (x, y) of marker image `index`, drawn as the margin draws it.
    COLORREF Pixel(int index, int x, int y) {
        Canvas canvas(kMarkerSize, kMarkerSize);
        ::ImageList_Draw(images, index, canvas.dc(), 0, 0, ILD_NORMAL);
        return canvas.At(x, y);
    }

    HIMAGELIST images = nullptr;
    int firstIndex = -1;
};

TEST_F(MarkerImageList, HoldsEightNineByNineImages) {
    EXPECT_EQ(firstIndex, 0);
    EXPECT_EQ(::ImageList_GetImageCount(images), kMarkerCount);
    int cx = 0, cy = 0;
    ASSERT_TRUE(::ImageList_GetIconSize(images, &cx, &cy));
    EXPECT_EQ(cx, kMarkerSize);
    EXPECT_EQ(cy, kMarkerSize);
}

struct Probe {
    int image, x, y;
    COLORREF colour;
    const char* what;
};

TEST_F(MarkerImageList, ImagesShowTheirPictures) {
    const Probe probes[] = {
        {0, 0, 0, kBlack, "minus box: frame"},
        {0, 1, 1, kWhite, "minus box: inside"},
        {0, 4, 4, kBlack, "minus box: bar centre"},
        {0, 2, 4, kBlack, "minus box: bar end"},
        {0, 4, 2, kWhite, "minus box: no upright"},
        {1, 8, 8, kBlack, "plus box: frame"},
        {1, 2, 2, kWhite, "plus box: inside"},
        {1, 4, 4, kBlack, "plus box: centre"},
        {1, 4, 2, kBlack, "plus box: upright"},
        {1, 6, 4, kBlack, "plus box: bar"},
        {2, 0, 0, kYellow, "bookmark: corner"},
        {2, 8, 8, kYellow, "bookmark: opposite corner"},
        {2, 4, 4, kBlack, "bookmark: centre"},
        {2, 3, 5, kBlack, "bookmark: centre square"},
        {2, 2, 2, kYellow, "bookmark: around the centre"},
        {3, 4, 4, kBlack, "current bookmark: crossing"},
        {3, 2, 6, kBlack, "current bookmark: diagonal"},
        {3, 4, 0, kRed, "current bookmark: top edge"},
        {3, 0, 4, kRed, "current bookmark: left edge"},
        {4, 0, 0, kBlack, "red box: frame"},
        {4, 8, 4, kBlack, "red box: right frame"},
        {4, 4, 4, kRed, "red box: inside"},
        {4, 1, 1, kRed, "red box: inner corner"},
        {5, 0, 0, kBlue, "blue: corner"},
        {5, 4, 0, kBlue, "blue: edge"},
        {5, 4, 4, kCyan, "blue: cyan centre"},
        {6, 4, 4, kWhite, "white cross: crossing"},
        {6, 6, 6, kWhite, "white cross: diagonal"},
        {6, 4, 0, kRed, "white cross: top edge"},
        {6, 8, 4, kRed, "white cross: right edge"},
        {7, 0, 0, kGreen, "block start: corner"},
        {7, 1, 4, kBlack, "block start: arrow tail"},
        {7, 7, 4, kBlack, "block start: arrow point"},
        {7, 8, 4, kGreen, "block start: right of the point"},
        {7, 4, 1, kBlack, "block start: arrow head"},
        {7, 1, 1, kGreen, "block start: beside the head"},
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(Pixel(p.image, p.x, p.y), p.colour)
            << "image " << p.image << " pixel " << p.x << "," << p.y << " (" << p.what << ")";
    }
}

// The arrow of the block-start image points right: every column of the head is
// no taller than the column left of it.
TEST_F(MarkerImageList, BlockStartArrowNarrowsToTheRight) {
    Canvas canvas(kMarkerSize, kMarkerSize);
    ::ImageList_Draw(images, 7, canvas.dc(), 0, 0, ILD_NORMAL);
    std::array<int, kMarkerSize> blackInColumn = {};
    for (int x = 0; x < kMarkerSize; ++x)
        for (int y = 0; y < kMarkerSize; ++y) blackInColumn[x] += canvas.At(x, y) == kBlack;
    EXPECT_EQ(blackInColumn[0], 0);
    EXPECT_EQ(blackInColumn[8], 0);
    int widest = 0;
    for (int x = 1; x < kMarkerSize; ++x)
        if (blackInColumn[x] > blackInColumn[widest]) widest = x;
    EXPECT_GT(blackInColumn[widest], 3);
    for (int x = widest + 1; x < kMarkerSize; ++x) EXPECT_LE(blackInColumn[x], blackInColumn[x - 1]) << x;
    EXPECT_EQ(blackInColumn[7], 1);
}

// ---- Version record ---------------------------------------------------------------

// The version APIs live in version.dll, which the tests do not link.
class VersionRecord : public ::testing::Test {
protected:
    using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
    using InfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);

    void SetUp() override {
        ASSERT_NE(Library(), nullptr);
        char path[MAX_PATH] = {};
        ASSERT_GT(::GetModuleFileNameA(Library(), path, MAX_PATH), 0u);
        versionDll = ::LoadLibraryA("version.dll");
        ASSERT_NE(versionDll, nullptr);
        auto size = Function<SizeFn>("GetFileVersionInfoSizeA");
        auto info = Function<InfoFn>("GetFileVersionInfoA");
        query = Function<QueryFn>("VerQueryValueA");
        ASSERT_TRUE(size && info && query);
        DWORD handle = 0;
        DWORD bytes = size(path, &handle);
        ASSERT_GT(bytes, 0u) << "no version record in " << path;
        block.resize(bytes);
        ASSERT_TRUE(info(path, 0, bytes, block.data()));
    }
    void TearDown() override {
        if (versionDll) ::FreeLibrary(versionDll);
    }
    template <typename Fn>
    Fn Function(const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(versionDll, name)));
    }
    std::string String(const std::string& name) {
        struct Translation {
            WORD language, codePage;
        }* translations = nullptr;
        UINT length = 0;
        if (!query(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                   &length) ||
            length < sizeof(Translation))
            return "<no translation>";
        char key[96];
        std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\%s", translations[0].language,
                      translations[0].codePage, name.c_str());
        char* value = nullptr;
        if (!query(block.data(), key, reinterpret_cast<void**>(&value), &length) || !value)
            return "<missing>";
        return std::string(value);
    }

    HMODULE versionDll = nullptr;
    QueryFn query = nullptr;
    std::vector<uint8_t> block;
};

// The DLL carries the version the header declares (both come from the interface file).
TEST_F(VersionRecord, FixedPartIsTheHeadersVersionOfADll) {
    EXPECT_NE(::FindResourceA(Library(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16) /* RT_VERSION */),
              nullptr);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(query(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD high = MAKELONG(QUORVANE_VERSION_MINOR, QUORVANE_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, QUORVANE_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
}

TEST_F(VersionRecord, StringsNameTheProduct) {
    EXPECT_EQ(String("ProductName"), "Quorvane");
    EXPECT_EQ(String("FileDescription"), "Quorvane source-code editing control");
    EXPECT_EQ(String("OriginalFilename"), "Quorvane.dll");
    EXPECT_EQ(String("InternalName"), "Quorvane");
    EXPECT_EQ(String("CompanyName"), "Quorvane");
    EXPECT_EQ(String("FileVersion"), QUORVANE_VERSION_STRING);
    EXPECT_EQ(String("ProductVersion"), QUORVANE_VERSION_STRING);
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, "%d.%d.%d", QUORVANE_VERSION_MAJOR, QUORVANE_VERSION_MINOR,
                  QUORVANE_VERSION_PATCH);
    EXPECT_EQ(String("FileVersion"), numbers);
    // The licence the release carries (LICENSE), named where Explorer shows it.
    EXPECT_EQ(String("LegalCopyright"), "Copyright (c) 2026 The Quorvane developers. MIT License.");
}

}  // namespace
