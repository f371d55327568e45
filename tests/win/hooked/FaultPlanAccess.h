// The test build's fault plan, as the library exports it (by ordinal 1 only).
#pragma once

#include <windows.h>

#include "base/win/FaultPlan.h"
#include "win/support/TestHost.h"

namespace qvtest {

inline qv::FaultPlan& Plan() {
    using Get = qv::FaultPlan* (*)();
    auto get = reinterpret_cast<Get>(reinterpret_cast<void*>(GetProcAddress(LoadQuorvane(), MAKEINTRESOURCEA(1))));
    return *get();
}

}  // namespace qvtest
