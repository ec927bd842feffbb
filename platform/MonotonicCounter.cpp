// MonotonicCounter: CLOCK_MONOTONIC in nanoseconds.
#include "platform/MonotonicCounter.h"

#include <time.h>

bool MonotonicCounter::Frequency(int64_t& ticksPerSecond) {
  timespec resolution{};
  if (clock_getres(CLOCK_MONOTONIC, &resolution) != 0) return false;
  ticksPerSecond = kTicksPerSecond;
  return true;
}

int64_t MonotonicCounter::Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * kTicksPerSecond + now.tv_nsec;
}
