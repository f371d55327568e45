/*
 * host.c - a complete host of the Quorvane control, in plain C.
 *
 * One window with one editor control: fonts first, then keyword groups and
 * colours, then the text, whose blocks are folded; the title bar follows the
 * notification (line, column, modified). Build it with any 32-bit Windows C
 * compiler and put Quorvane.dll beside the program:
 *
 *     i686-w64-mingw32-gcc -mwindows -I include examples/host.c -o host.exe
 *     cl /I include examples\host.c user32.lib gdi32.lib
 *
 *     host.exe            shows the editor
 *     host.exe --check    creates the control, sets a font, colours and a text,
 *                         folds it, reads everything back (and saves an LF text
 *                         as it came) and exits with 0 when everything agrees
 */
#include <windows.h>
#include <string.h>

#include "quorvane.h"

#define ID_EDITOR 100

static const char sampleText[] =
    "; a small procedure\r\n"
    "main proc\r\n"
    "    mov eax, 1      ; the answer\r\n"
    "    call ExitProcess\r\n"
    "main endp";

static HWND editor;
static HFONT textFont, boldFont, numberFont;
static ColorSet coloursSet; /* what SetColours gave the control */
static BOOL notified, notifiedAtCreation;

/* Fonts first: every measurement (row height, character width, tab stops) comes
 * from slot 0. The control never deletes them; they live as long as the window. */
static void SetFonts(HWND ed)
{
    FontSet fs;
    memset(&fs, 0, sizeof fs);
    textFont = CreateFontA(-15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
    boldFont = CreateFontA(-15, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
    numberFont = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
    fs.fonts[QV_FONT_TEXT] = textFont;
    fs.fonts[QV_FONT_STYLE1] = boldFont;
    fs.fonts[QV_FONT_STYLE2] = textFont;
    fs.fonts[QV_FONT_STYLE3] = textFont;
    fs.fonts[QV_FONT_LINENUMBERS] = numberFont;
    SendMessageA(ed, EMX_SETFONTS, 0, (LPARAM)&fs);
}

/* Keyword groups share one table in the process; the group value is the colour
 * with a style code (the font slot) in its high byte. */
static void SetColours(HWND ed)
{
    ColorSet cs;
    SendMessageA(ed, EMX_SETKEYWORDS, 0, 0);
    SendMessageA(ed, EMX_SETKEYWORDS, RGB(0, 0, 160), (LPARAM) "mov,push,pop,add,sub,ret");
    SendMessageA(ed, EMX_SETKEYWORDS, (QV_STYLE_NEXTWORD << QV_STYLE_SHIFT) | RGB(0, 0, 160), (LPARAM) "call");
    SendMessageA(ed, EMX_SETKEYWORDS, (QV_STYLE_FONT1 << QV_STYLE_SHIFT) | RGB(128, 0, 128),
                 (LPARAM) "proc,endp");
    /* Read, change, set: EMX_GETCOLORS fills all 27 entries, so the record needs no
     * clearing and carries nothing but the control's colours and these changes. */
    SendMessageA(ed, EMX_GETCOLORS, 0, (LPARAM)&cs);
    cs.colors[QV_COLOR_BACKGROUND] = RGB(255, 255, 255);
    cs.colors[QV_COLOR_COMMENT] = (QV_STYLE_TEXT << QV_STYLE_SHIFT) | RGB(0, 128, 0);
    cs.colors[QV_COLOR_LABEL] = (QV_STYLE_FONT1 << QV_STYLE_SHIFT) | RGB(128, 64, 0);
    SendMessageA(ed, EMX_SETCOLORS, 0, (LPARAM)&cs);
    coloursSet = cs;
}

/* Folding: EMX_MARKBLOCKS finds the block starts of the text ("name proc" up to
 * "name endp"), EMX_FOLDALL folds every block it found. The start and end lines
 * stay visible. */
static void FoldBlocks(HWND ed)
{
    BlockPatternPair blocks;
    blocks.start = QV_BLOCK_START_DEFAULT;
    blocks.end = QV_BLOCK_END_DEFAULT;
    SendMessageA(ed, EMX_MARKBLOCKS, 0, (LPARAM)&blocks);
    SendMessageA(ed, EMX_FOLDALL, 0, (LPARAM)&blocks);
}

/* The control tells its parent of the empty document from inside CreateWindowEx:
 * until the call returns, `editor` is NULL. */
static HWND CreateEditor(HWND parent)
{
    HWND ed;
    editor = CreateWindowExA(0, QUORVANE_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 640, 480, parent,
                             (HMENU)ID_EDITOR, GetModuleHandleA(NULL), NULL);
    ed = editor;
    if (!ed)
        return NULL;
    SetFonts(ed);
    SetColours(ed);
    SendMessageA(ed, EMX_TOGGLELINENUMBERS, 0, 0);
    SendMessageA(ed, WM_SETTEXT, 0, (LPARAM)sampleText); /* then the text */
    SendMessageA(ed, EM_SETMODIFY, FALSE, 0);
    FoldBlocks(ed);
    return ed;
}

/* Line ends: the control keeps one CR per line end. This makes it hand the text
 * out with the line ends the last loaded text had (CR LF when it had none or
 * several kinds) and add none after the last line, so that what GetWindowText (or
 * EM_STREAMOUT) gives is the file as it came. Send it after loading. */
static void KeepLineEnds(HWND ed)
{
    LRESULT found = SendMessageA(ed, EMX_GETLOADEDLINEENDS, 0, 0);
    if (found != QV_LINEENDS_CRLF && found != QV_LINEENDS_LF && found != QV_LINEENDS_CR)
        found = QV_LINEENDS_CRLF;
    SendMessageA(ed, EMX_SETLINEENDS, (WPARAM)found | QV_LINEENDS_NOFINAL, 0);
}

/* Saves the text as GetWindowText gives it. */
static BOOL SaveFile(HWND ed, const char *path)
{
    int length = GetWindowTextLengthA(ed);
    char *text = (char *)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)length + 1);
    HANDLE file;
    DWORD written = 0;
    BOOL ok;

    if (!text)
        return FALSE;
    length = GetWindowTextA(ed, text, length + 1);
    file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ok = file != INVALID_HANDLE_VALUE && WriteFile(file, text, (DWORD)length, &written, NULL) &&
         written == (DWORD)length;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    HeapFree(GetProcessHeap(), 0, text);
    return ok;
}

/* The control is hwndFrom: the first notification comes from inside CreateWindowEx,
 * before `editor` holds the handle. */
static void ShowPosition(HWND window, const SelChangeEx *sc)
{
    char title[96];
    wsprintfA(title, "Quorvane host - line %lu, column %lu%s", (unsigned long)sc->line + 1,
              (unsigned long)(sc->caret - sc->lineStart + 1),
              SendMessageA(sc->nmhdr.hwndFrom, EM_GETMODIFY, 0, 0) ? " *" : "");
    SetWindowTextA(window, title);
}

static LRESULT CALLBACK MainProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        return CreateEditor(window) ? 0 : -1;
    case WM_SIZE:
        MoveWindow(editor, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        SetFocus(editor);
        return 0;
    case WM_NOTIFY: {
        const NMHDR *nm = (const NMHDR *)lParam;
        if (nm->idFrom == ID_EDITOR && nm->code == QVN_SELCHANGE) {
            const SelChangeEx *sc = (const SelChangeEx *)lParam;
            notified = TRUE;
            if (!editor)
                notifiedAtCreation = TRUE; /* the empty document, told at creation */
            if (sc->reason == QV_REASON_CHANGE)
                ShowPosition(window, sc);
        }
        return 0;
    }
    case WM_DESTROY:
        DeleteObject(textFont);
        DeleteObject(boldFont);
        DeleteObject(numberFont);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

/* --check: an LF text is saved byte for byte as it came. */
static int CheckLineEnds(HWND ed)
{
    static const char lfText[] = "one\ntwo\n\nlast";
    char folder[MAX_PATH], path[MAX_PATH], back[64];
    HANDLE file;
    DWORD read = 0;
    int failures = 0;

    SendMessageA(ed, WM_SETTEXT, 0, (LPARAM)lfText);
    failures += SendMessageA(ed, EMX_GETLOADEDLINEENDS, 0, 0) != QV_LINEENDS_LF;
    KeepLineEnds(ed);
    failures += SendMessageA(ed, EMX_GETLINEENDS, 0, 0) != (QV_LINEENDS_LF | QV_LINEENDS_NOFINAL);
    failures += GetWindowTextLengthA(ed) != (int)strlen(lfText);
    GetTempPathA(sizeof folder, folder);
    GetTempFileNameA(folder, "qvh", 0, path);
    failures += !SaveFile(ed, path);
    file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        ReadFile(file, back, sizeof back - 1, &read, NULL);
        CloseHandle(file);
    }
    DeleteFileA(path);
    back[read] = '\0';
    failures += strcmp(back, lfText) != 0;
    SendMessageA(ed, EMX_SETLINEENDS, QV_LINEENDS_DEFAULT, 0); /* the control's first answers again */
    return failures;
}

/* --check: the text, the font and the colours come back as they were given, and the
 * folded block hides the two lines of its body. */
static int Check(HWND window)
{
    char line[64];
    char text[256];
    FontSet fs;
    ColorSet cs;
    DWORD i, hidden = 0; /* bit n: line n is hidden */
    int failures = 0;

    memset(&fs, 0, sizeof fs);
    SendMessageA(editor, EMX_GETFONTS, 0, (LPARAM)&fs);
    failures += fs.fonts[QV_FONT_TEXT] != textFont || fs.fonts[QV_FONT_LINENUMBERS] != numberFont;
    memset(&cs, 0xAB, sizeof cs); /* every entry is written over */
    SendMessageA(editor, EMX_GETCOLORS, 0, (LPARAM)&cs);
    failures += memcmp(&cs, &coloursSet, sizeof cs) != 0;
    for (i = 0; i < 5; ++i)
        hidden += SendMessageA(editor, EMX_ISLINEHIDDEN, i, 0) ? 1 << i : 0;
    failures += hidden != (1 << 2 | 1 << 3); /* the body of main proc */
    failures += SendMessageA(editor, EM_GETLINECOUNT, 0, 0) != 5;
    *(WORD *)line = sizeof line - 1;
    line[SendMessageA(editor, EM_GETLINE, 1, (LPARAM)line)] = '\0';
    failures += strcmp(line, "main proc") != 0;
    SendMessageA(editor, WM_SETTEXT, 0, (LPARAM) "ab\r\ncd");
    SendMessageA(editor, WM_GETTEXT, sizeof text, (LPARAM)text);
    failures += strcmp(text, "ab\rcd") != 0; /* line ends come back as single CRs */
    failures += SendMessageA(editor, WM_GETTEXTLENGTH, 0, 0) != 6;
    failures += !notified || !notifiedAtCreation;
    failures += CheckLineEnds(editor);
    DestroyWindow(window);
    return failures;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    WNDCLASSA wc;
    HWND window;
    MSG msg;
    BOOL check = strstr(commandLine, "--check") != NULL;
    (void)previous;

    if (!LoadLibraryA("Quorvane.dll")) { /* registers QUORVANE_CLASS */
        if (!check)
            MessageBoxA(NULL, "Quorvane.dll was not found.", "Quorvane host", MB_ICONERROR);
        return 2;
    }
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.lpszClassName = "QuorvaneHost";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, "QuorvaneHost", "Quorvane host", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, 720, 520, NULL, NULL, instance, NULL);
    if (!window)
        return 3;
    if (check)
        return Check(window);
    ShowWindow(window, show);
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}
