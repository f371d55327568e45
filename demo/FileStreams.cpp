#include "FileStreams.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "quorvane.h"

namespace {

// EM_STREAMIN's callback: the control asks for up to `size` bytes; 0 delivered ends
// the stream, a nonzero answer stops it and lands in EDITSTREAM.dwError.
DWORD CALLBACK ReadFromFile(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* delivered) {
    DWORD read = 0;
    const BOOL ok =
        ReadFile(reinterpret_cast<HANDLE>(cookie), buffer, static_cast<DWORD>(size), &read, nullptr);
    *delivered = static_cast<LONG>(read);
    return ok ? 0 : GetLastError();
}

struct MemoryReader {
    const char* next;
    size_t left;
};

DWORD CALLBACK ReadFromMemory(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* delivered) {
    MemoryReader* reader = reinterpret_cast<MemoryReader*>(cookie);
    const size_t count = std::min(reader->left, static_cast<size_t>(size));
    std::memcpy(buffer, reader->next, count);
    reader->next += count;
    reader->left -= count;
    *delivered = static_cast<LONG>(count);
    return 0;
}

// EM_STREAMOUT's callback: the control hands over a line at a time, line ends as
// the editor's line-end setting says. A short write makes the control stop with
// ERROR_WRITE_FAULT.
DWORD CALLBACK WriteToFile(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* taken) {
    DWORD written = 0;
    const BOOL ok =
        WriteFile(reinterpret_cast<HANDLE>(cookie), buffer, static_cast<DWORD>(size), &written, nullptr);
    *taken = static_cast<LONG>(written);
    return ok ? 0 : GetLastError();
}

DWORD StreamIn(HWND editor, EDITSTREAMCALLBACK callback, DWORD_PTR cookie) {
    // Stream-in inserts in front of the text the control holds: empty it first.
    SendMessageA(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    EDITSTREAM stream = {cookie, 0, callback};
    SendMessageA(editor, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
    KeepLineEnds(editor);
    // Both messages emptied the undo log; the fresh text is not a change.
    SendMessageA(editor, EM_SETMODIFY, FALSE, 0);
    return stream.dwError;
}

// The folder of `path`, for the new file of a save.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    return slash == 0 || path[slash - 1] == ':' ? path.substr(0, slash + 1) : path.substr(0, slash);
}

}  // namespace

void KeepLineEnds(HWND editor) {
    LRESULT found = SendMessageA(editor, EMX_GETLOADEDLINEENDS, 0, 0);
    const bool oneKind = found == QV_LINEENDS_CRLF || found == QV_LINEENDS_LF || found == QV_LINEENDS_CR;
    if (!oneKind) found = QV_LINEENDS_CRLF;
    SendMessageA(editor, EMX_SETLINEENDS, static_cast<WPARAM>(found) | QV_LINEENDS_NOFINAL, 0);
}

DWORD StreamInFromFile(HWND editor, HANDLE file) {
    return StreamIn(editor, ReadFromFile, reinterpret_cast<DWORD_PTR>(file));
}

DWORD StreamInFromMemory(HWND editor, const char* bytes, size_t size) {
    MemoryReader reader = {bytes, size};
    return StreamIn(editor, ReadFromMemory, reinterpret_cast<DWORD_PTR>(&reader));
}

DWORD SaveToFile(HWND editor, const std::string& path) {
    char temporary[MAX_PATH];
    if (!GetTempFileNameA(FolderOf(path).c_str(), "qvd", 0, temporary)) return GetLastError();
    HANDLE file =
        CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        DeleteFileA(temporary);
        return error;
    }
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(file), 0, WriteToFile};
    SendMessageA(editor, EM_STREAMOUT, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
    DWORD error = stream.dwError;
    if (!FlushFileBuffers(file) && error == 0) error = GetLastError();
    if (!CloseHandle(file) && error == 0) error = GetLastError();
    if (error == 0 &&
        !MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != 0) {
        DeleteFileA(temporary);
        return error;
    }
    SendMessageA(editor, EM_SETMODIFY, FALSE, 0);
    return 0;
}
