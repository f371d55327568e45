// The library's entry point. Loading the library registers the window classes and
// loads the shared resources; unloading releases the image list and the keyword
// storage, and, when the host frees the library (not at process end), the classes
// too. Thread attach and detach do nothing.
#include <windows.h>

#include "shell/win/Library.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) qv::AttachLibrary(instance);
    else if (reason == DLL_PROCESS_DETACH) qv::DetachLibrary(reserved == nullptr);
    return TRUE;
}
