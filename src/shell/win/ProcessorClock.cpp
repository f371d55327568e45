#include "shell/win/ProcessorClock.h"

#include <windows.h>

namespace qv {
namespace {

bool ReadRegistryClock(uint32_t& mhz) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    char cls[] = "REG_SZ";
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0, cls, 0,
                          KEY_READ | KEY_WRITE, nullptr, &key, &disposition) != ERROR_SUCCESS)
        return false;
    DWORD value = 0, size = sizeof value, type = 0;
    LONG result = ::RegQueryValueExA(key, "~MHz", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS || size != sizeof value) return false;
    mhz = value;
    return true;
}

uint32_t TimeStampLow() {
    uint32_t low, high;
    __asm__ __volatile__("rdtsc" : "=a"(low), "=d"(high));
    return low;
}

}  // namespace

uint32_t MeasureProcessorClock() {
    uint32_t mhz = 0;
    if (ReadRegistryClock(mhz)) return mhz;
    // Counts per microsecond over 100 ms (100000 microseconds).
    uint32_t first = TimeStampLow();
    ::Sleep(100);
    uint32_t second = TimeStampLow();
    return (second - first) / 100000u;
}

}  // namespace qv
