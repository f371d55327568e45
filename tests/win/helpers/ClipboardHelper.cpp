// A second process for the clipboard tests: it writes, reads and holds CF_TEXT as
// another program would.
//
//   ClipboardHelper put HEX [SIZE]   puts a CF_TEXT block holding exactly the bytes
//                                    HEX (no NUL added), SIZE bytes large (at least
//                                    the bytes; the rest zero)
//   ClipboardHelper get              writes the CF_TEXT to stdout as HEX: the bytes
//                                    before the first NUL, never past the block's size;
//                                    "-" when there is none
//   ClipboardHelper hold READY DONE  opens the clipboard and keeps it open: sets the
//                                    named event READY, waits for the named event DONE
//                                    (ten seconds at most), then closes it
//
// The exit code is 0 when the request was done, 1 when the clipboard refused it.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string FromHex(const char* hex) {
    std::string bytes;
    for (; hex[0] && hex[1]; hex += 2) bytes += static_cast<char>(Hex(hex[0]) * 16 + Hex(hex[1]));
    return bytes;
}

// The clipboard is owned by a window of this process, as a program's would be.
HWND OwnerWindow() {
    return CreateWindowExA(0, "STATIC", "clipboard helper", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

bool Open(HWND owner) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(20);
    }
    return false;
}

int Put(const std::string& bytes, size_t size) {
    HWND owner = OwnerWindow();
    if (size < bytes.size()) size = bytes.size();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size ? size : 1);
    if (!block) return 1;
    char* p = static_cast<char*>(GlobalLock(block));
    std::memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(block);
    if (!Open(owner)) return 1;
    EmptyClipboard();
    const bool set = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    return set ? 0 : 1;
}

int Get() {
    if (!Open(nullptr)) return 1;
    HANDLE block = GetClipboardData(CF_TEXT);
    if (!block) {
        std::printf("-");
    } else {
        const SIZE_T size = GlobalSize(block);
        const unsigned char* p = static_cast<const unsigned char*>(GlobalLock(block));
        for (SIZE_T i = 0; p && i < size && p[i]; ++i) std::printf("%02x", p[i]);
        GlobalUnlock(block);
    }
    CloseClipboard();
    std::fflush(stdout);
    return 0;
}

int Hold(const char* ready, const char* done) {
    HWND owner = OwnerWindow();
    HANDLE readyEvent = OpenEventA(EVENT_MODIFY_STATE, FALSE, ready);
    HANDLE doneEvent = OpenEventA(SYNCHRONIZE, FALSE, done);
    if (!readyEvent || !doneEvent || !Open(owner)) return 1;
    SetEvent(readyEvent);
    WaitForSingleObject(doneEvent, 10000);
    CloseClipboard();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "put") == 0)
        return Put(FromHex(argv[2]), argc >= 4 ? std::strtoul(argv[3], nullptr, 10) : 0);
    if (argc >= 2 && std::strcmp(argv[1], "get") == 0) return Get();
    if (argc >= 4 && std::strcmp(argv[1], "hold") == 0) return Hold(argv[2], argv[3]);
    std::fprintf(stderr, "usage: ClipboardHelper put HEX [SIZE] | get | hold READY DONE\n");
    return 2;
}
