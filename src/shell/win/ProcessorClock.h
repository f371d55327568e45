#pragma once

#include <cstdint>

namespace qv {

// The processor clock in MHz: the registry's "~MHz" value, else the time-stamp
// counter counted around a 100 ms sleep.
uint32_t MeasureProcessorClock();

}  // namespace qv
