// A minimal PNG writer for the demo's screenshots: 24-bit RGB, stored (uncompressed)
// deflate blocks, no dependencies.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `rgb` holds height rows of width * 3 bytes, top row first.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);
