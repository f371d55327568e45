#include "EditorSetup.h"

#include <initializer_list>

#include "quorvane.h"

namespace {

// A group value is the colour (0x00BBGGRR) with a style code in the high byte: which
// of the control's fonts draws the word.
constexpr DWORD Group(DWORD style, COLORREF colour) {
    return (style << QV_STYLE_SHIFT) | colour;
}

const DWORD kMnemonicGroup = Group(QV_STYLE_FONT1, RGB(0x00, 0x30, 0xA0));   // bold, dark blue
const DWORD kRegisterGroup = Group(QV_STYLE_TEXT, RGB(0x9A, 0x7A, 0x00));    // olive brown
const DWORD kDirectiveGroup = Group(QV_STYLE_FONT1, RGB(0x80, 0x00, 0x80));  // bold, purple
const DWORD kApiGroup = Group(QV_STYLE_TEXT, RGB(0x00, 0x60, 0x60));         // teal

const char kMnemonics[] =
    "mov,movzx,push,pop,call,ret,cmp,test,je,jne,jz,jnz,ja,jb,jmp,jecxz,inc,dec,add,sub,xor,or,and,not,"
    "lea,shl,shr,lodsb,stosb,scasb,movsb,repne,rep,invoke";
const char kRegisters[] = "eax,ebx,ecx,edx,esi,edi,esp,ebp,ax,bx,cx,dx,al,ah,bl,bh,cl,ch,dl,dh";
// "include+" colours the rest of its line as a comment: the file name.
const char kDirectives[] =
    ".386,.model,.data,.data?,.code,.const,option,include+,includelib+,proc,endp,uses,local,equ,db,dw,dd,"
    "dup,addr,offset,ptr,byte,word,dword,end,flat,stdcall,struct,ends,macro,endm";
const char kApi[] =
    "GetStdHandle,WriteFile,ReadFile,CreateFile,CloseHandle,ExitProcess,GetCommandLine,wsprintf,"
    "MessageBox,GetModuleHandle";

// The first of the faces this system has, in the order of preference.
HFONT MakeFont(int height, int weight, BOOL italic) {
    static const char* const kFaces[] = {"Consolas", "DejaVu Sans Mono", "Courier New"};
    HDC dc = GetDC(nullptr);
    HFONT font = nullptr;
    for (const char* face : kFaces) {
        font = CreateFontA(height, 0, 0, 0, weight, italic, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, face);
        char chosen[LF_FACESIZE] = "";
        HGDIOBJ old = SelectObject(dc, font);
        GetTextFaceA(dc, sizeof chosen, chosen);
        SelectObject(dc, old);
        if (lstrcmpiA(chosen, face) == 0) break;
        DeleteObject(font);
        font = nullptr;
    }
    ReleaseDC(nullptr, dc);
    // None of them: the system's own fixed-pitch font.
    if (!font)
        font = CreateFontA(height, 0, 0, 0, weight, italic, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, nullptr);
    return font;
}

}  // namespace

void EditorFonts::Create() {
    text = MakeFont(-15, FW_NORMAL, FALSE);
    bold = MakeFont(-15, FW_BOLD, FALSE);
    italic = MakeFont(-15, FW_NORMAL, TRUE);
    numbers = MakeFont(-13, FW_NORMAL, FALSE);
}

EditorFonts::~EditorFonts() {
    for (HFONT font : {text, bold, italic, numbers})
        if (font) DeleteObject(font);
}

void SetUpEditor(HWND editor, const EditorFonts& fonts) {
    FontSet set = {};
    set.fonts[QV_FONT_TEXT] = fonts.text;
    set.fonts[QV_FONT_STYLE1] = fonts.bold;
    set.fonts[QV_FONT_STYLE2] = fonts.italic;  // comments
    set.fonts[QV_FONT_STYLE3] = fonts.bold;
    set.fonts[QV_FONT_LINENUMBERS] = fonts.numbers;
    SendMessageA(editor, EMX_SETFONTS, 0, reinterpret_cast<LPARAM>(&set));

    // The keyword table is shared by every control of the process: empty, then fill.
    SendMessageA(editor, EMX_SETKEYWORDS, 0, 0);
    SendMessageA(editor, EMX_SETKEYWORDS, kMnemonicGroup, reinterpret_cast<LPARAM>(kMnemonics));
    SendMessageA(editor, EMX_SETKEYWORDS, kRegisterGroup, reinterpret_cast<LPARAM>(kRegisters));
    SendMessageA(editor, EMX_SETKEYWORDS, kDirectiveGroup, reinterpret_cast<LPARAM>(kDirectives));
    SendMessageA(editor, EMX_SETKEYWORDS, kApiGroup, reinterpret_cast<LPARAM>(kApi));

    SendMessageA(editor, EMX_SETTABWIDTH, 8, 0);
    SendMessageA(editor, EMX_SETAUTOINDENT, TRUE, 0);
    SendMessageA(editor, EMX_SETLINENUMBERWIDTH, 40, 0);
    SendMessageA(editor, EMX_TOGGLEPADLINENUMBERS, 0, 0);  // plain numbers, not 000001
    if (!SendMessageA(editor, EMX_GETLINENUMBERS, 0, 0)) SendMessageA(editor, EMX_TOGGLELINENUMBERS, 0, 0);
}
