// Loading and saving through the control's streams. EM_STREAMIN and EM_STREAMOUT
// move the text through a callback of the host in the EDITSTREAM protocol: plain
// 8-bit text, one CR per line end in the control. A file is saved with the line
// ends it had when it was loaded (CR LF, LF or CR), and with a line end after its
// last line only when it had one.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// Replaces the editor's text with what `file` holds from its current position, and
// keeps its line ends for the save. Answers 0, or the error that stopped the read
// (the editor then holds what came before it). The document is left unmodified,
// with an empty undo log.
DWORD StreamInFromFile(HWND editor, HANDLE file);

// The same from bytes in memory.
DWORD StreamInFromMemory(HWND editor, const char* bytes, size_t size);

// Makes the editor write the line ends its last loaded text had: CR LF for a text
// that had none or several kinds. A line end after the last line is written only
// when the text has one.
void KeepLineEnds(HWND editor);

// Saves the editor's text as `path`. The text goes to a new file beside it first,
// which then takes the place of the old one: a save that fails midway (a full disk,
// a lost network drive) leaves the old file whole. Answers 0 (the document is then
// unmodified) or the error.
DWORD SaveToFile(HWND editor, const std::string& path);
