// Settings from a host that reach the platform's drawing and measuring: every
// number is brought into a range the platform takes (a tab width of 0x80000000
// once made DrawTextExA divide by zero), the value in effect is the one a host
// reads back, and measuring and painting with the extremes neither crash nor stall.
#include <string>

#include "base/EditorInstance.h"
#include "win/support/Hostile.h"
#include "win/support/TestHost.h"

namespace qvtest {
namespace {

const qv::EditorInstance& Record(HWND control) {
    return *reinterpret_cast<const qv::EditorInstance*>(GetWindowLongPtrA(control, 0));
}

const uint32_t kHostile[] = {0, 1, 2, 3, 255, 256, 257, 4096, 4097, 65535, 65536,
                             0x3FFFFFFF, 0x40000000, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};

class HostileSettingsTest : public ControlTest {
protected:
    CaseReporter reporter{60};  // a crash ends the program at once, naming no case
    void Repaint() { RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); }
};

// The tab width is 1 to 256 characters, with fonts of every average width (odd and
// even: the product of the width and 0x80000000 is 0 for an even one), measured by
// the fonts, the longest line and the painter.
TEST_F(HostileSettingsTest, TabWidthsAreBroughtIntoRangeAndMeasureSafely) {
    ASSERT_TRUE(MakeControl(500, 300));
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("\ta\tb\r\n\t\t\tlonger line with tabs\tx\r\nend"));
    for (int height = -8; height >= -24; height -= 1) {
        HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0,
                                 VARIABLE_PITCH | FF_SWISS, "Arial");
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(font));
        for (uint32_t width : kHostile) {
            reporter.Name("font height %d, EMX_SETTABWIDTH %u", height, width);
            Send(EMX_SETTABWIDTH, width);
            const uint32_t expected = width < 1 ? 1 : width > 256 ? 256 : width;
            ASSERT_EQ(Record(control).tabWidth, expected) << "EMX_SETTABWIDTH " << width;
            reporter.Name("font height %d, tab width %u, a tab typed", height, width);
            Send(EM_REPLACESEL, 1, reinterpret_cast<LPARAM>("\t"));  // the current line measured
            reporter.Name("font height %d, tab width %u, painted", height, width);
            Repaint();
        }
        Send(WM_SETFONT, 0);
        DeleteObject(font);
    }
    EXPECT_EQ(DocumentFault(control), "");
}

// Both margins are at most 4096 pixels: the text area's edge, the caret's x and
// the painter's sums stay far inside 32 bits. The line numbers shown and hidden
// with the widest setting move the caret by exactly that width.
TEST_F(HostileSettingsTest, MarginWidthsAreAtMost4096Pixels) {
    ASSERT_TRUE(MakeControl(500, 300));
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc\r\ndef"));
    // The numbers' own width: a narrower setting is widened to it.
    Send(EMX_SETLINENUMBERWIDTH, 0);
    Send(EMX_TOGGLELINENUMBERS);
    const uint32_t numbers = Record(control).lineNumberWidth;
    Send(EMX_TOGGLELINENUMBERS);
    ASSERT_GT(numbers, 7u);
    for (uint32_t width : kHostile) {
        const uint32_t expected = width > 4096 ? 4096 : width;
        Send(EMX_SETMARKERMARGIN, width);
        EXPECT_EQ(Record(control).selMarginWidth, expected) << width;
        Send(EMX_SETLINENUMBERWIDTH, width);
        EXPECT_EQ(Record(control).lineNumberWidthSetting, expected) << width;
        Send(EMX_TOGGLELINENUMBERS);
        EXPECT_EQ(Record(control).lineNumberWidth, expected > numbers ? expected : numbers) << width;
        Repaint();
        Send(EMX_TOGGLELINENUMBERS);
        EXPECT_EQ(Record(control).lineNumberWidth, 0u);
    }
    Send(EMX_SETMARKERMARGIN, 10);
    EXPECT_EQ(DocumentFault(control), "");
}

// Every setting a host sets it can read back, from creation on, with every hostile
// value: the getter answers what the control uses (brought into range where the
// setter does that), also when it comes as a WM_COMMAND identifier. The toggles
// answer their state, flipped by each toggle.
uint32_t Clamp(uint32_t v, uint32_t lo, uint32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

TEST_F(HostileSettingsTest, EverySettingReadsBackAsItIsInEffect) {
    ASSERT_TRUE(MakeControl(500, 300));
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("\ta\r\nb"));
    struct Setting {
        const char* name;
        UINT set, get;
        uint32_t atCreation;
        uint32_t (*inEffect)(uint32_t set, uint32_t before);
    } settings[] = {
        {"tab width", EMX_SETTABWIDTH, EMX_GETTABWIDTH, 3, [](uint32_t v, uint32_t) { return Clamp(v, 1, 256); }},
        {"marker margin", EMX_SETMARKERMARGIN, EMX_GETMARKERMARGIN, 10,
         [](uint32_t v, uint32_t) { return Clamp(v, 0, 4096); }},
        {"line-number width", EMX_SETLINENUMBERWIDTH, EMX_GETLINENUMBERWIDTH, 37,
         [](uint32_t v, uint32_t) { return Clamp(v, 0, 4096); }},
        {"wheel lines", EMX_SETWHEELLINES, EMX_GETWHEELLINES, 3, [](uint32_t v, uint32_t) { return v; }},
        {"auto-indent", EMX_SETAUTOINDENT, EMX_GETAUTOINDENT, 0, [](uint32_t v, uint32_t) { return v; }},
        {"lines per page", EMX_SETPAGELINES, EMX_GETPAGELINES, 0, [](uint32_t v, uint32_t) { return v; }},
        {"split ratio", EMX_SETSPLIT, EMX_GETSPLIT, 0, [](uint32_t v, uint32_t) { return v & QV_SPLIT_MASK; }},
        {"view flags", EMX_TOGGLEVIEWFLAGS, EMX_GETVIEWFLAGS, 0, [](uint32_t v, uint32_t was) { return was ^ v; }},
        {"view flags", EMX_FLIPVIEWFLAGS, EMX_GETVIEWFLAGS, 0, [](uint32_t v, uint32_t was) { return was ^ v; }},
        {"zero-padded numbers", EMX_TOGGLEPADLINENUMBERS, EMX_GETPADLINENUMBERS, 1,
         [](uint32_t, uint32_t was) { return was ^ 1u; }},
    };
    for (const Setting& s : settings) {
        EXPECT_EQ(static_cast<uint32_t>(Send(s.get)), s.atCreation) << s.name;
        EXPECT_EQ(static_cast<uint32_t>(Send(WM_COMMAND, s.get)), s.atCreation) << s.name;
    }
    for (const Setting& s : settings) {
        SCOPED_TRACE(s.name);
        for (uint32_t value : kHostile) {
            const uint32_t before = static_cast<uint32_t>(Send(s.get));
            Send(s.set, value);
            EXPECT_EQ(static_cast<uint32_t>(Send(s.get)), s.inEffect(value, before)) << value;
        }
        Repaint();
    }
    // The view flags and the tab width as the painter and the measuring use them.
    EXPECT_EQ(static_cast<uint32_t>(Send(EMX_GETVIEWFLAGS)), Record(control).viewFlags);
    EXPECT_EQ(static_cast<uint32_t>(Send(EMX_GETTABWIDTH)), Record(control).tabWidth);
    EXPECT_EQ(DocumentFault(control), "");
}

// The automatic scrolling's pause is at most a second's worth of spins; what is
// kept is what EMX_GETSCROLLDELAY answers.
TEST_F(HostileSettingsTest, ScrollDelaysAreAtMostASecond) {
    ASSERT_TRUE(MakeControl());
    const LRESULT before = Send(EMX_GETSCROLLDELAY);
    Send(EMX_SETSCROLLDELAY, 0, 0xFFFFFFFF);
    const uint32_t most = static_cast<uint32_t>(Send(EMX_GETSCROLLDELAY));
    EXPECT_LT(most, 0xFFFFFFFFu);
    EXPECT_GE(most, 1000000000u);  // a clock of at least 1000 MHz is assumed
    Send(EMX_SETSCROLLDELAY, 0, most - 1);
    EXPECT_EQ(static_cast<uint32_t>(Send(EMX_GETSCROLLDELAY)), most - 1);
    Send(EMX_SETSCROLLDELAY, 0, before);
}

// A WM_CREATE sent to a pane that exists already changes nothing: no second closing
// CR, and the modified flag and the padding of the line numbers stay.
TEST_F(HostileSettingsTest, ASecondWmCreateToAPaneChangesNothing) {
    ASSERT_TRUE(MakeControl());
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
    Send(EMX_TOGGLEPADLINENUMBERS);
    ASSERT_EQ(Record(control).padLineNumbers, 0u);
    ASSERT_EQ(Send(EM_GETMODIFY), 1);
    const std::string text = StoredText(control);
    for (HWND pane = GetWindow(control, GW_CHILD); pane; pane = GetWindow(pane, GW_HWNDNEXT)) {
        CREATESTRUCTA create = {};
        SendMessageA(pane, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create));
    }
    EXPECT_EQ(StoredText(control), text);
    EXPECT_EQ(Send(EM_GETMODIFY), 1);
    EXPECT_EQ(Record(control).padLineNumbers, 0u);
    EXPECT_EQ(DocumentFault(control), "");
}

}  // namespace
}  // namespace qvtest
