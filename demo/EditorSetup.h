// The look of the demo's editor: its fonts, keyword groups for assembly sources,
// line numbers and automatic indentation.
#pragma once

#include <windows.h>

// The fonts the editor draws with. They belong to the host: the control never
// deletes them, so they must outlive it.
struct EditorFonts {
    HFONT text = nullptr;
    HFONT bold = nullptr;
    HFONT italic = nullptr;
    HFONT numbers = nullptr;

    void Create();
    ~EditorFonts();
};

// Gives the control its fonts (first: they measure everything), the keyword
// groups and its settings.
void SetUpEditor(HWND editor, const EditorFonts& fonts);
