// The demo's screenshot for the README: a window as it is on the screen, as a PNG.
#pragma once

#include <windows.h>

#include <string>

bool SaveWindowAsPng(HWND window, const std::string& path);
