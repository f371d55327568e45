#include "base/Platform.h"

namespace qv {
namespace {
Platform* gPlatform = nullptr;
}

Platform& ThePlatform() { return *gPlatform; }
void InstallPlatform(Platform* platform) { gPlatform = platform; }

}  // namespace qv
