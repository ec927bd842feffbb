// MonotonicCounter: the system's monotonic clock in nanoseconds. Its readings are the deadlines
// that the message wait sleeps to, so pacing uses one clock throughout.
#pragma once

#include "platform/Counter.h"

class MonotonicCounter : public Counter {
 public:
  static constexpr int64_t kTicksPerSecond = 1000000000;

  bool Frequency(int64_t& ticksPerSecond) override;
  int64_t Now() override;
};
