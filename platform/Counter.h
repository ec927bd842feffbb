// Counter: the high-resolution tick counter that paces frames, replaceable by a fake in tests.
#pragma once

#include <cstdint>

class Counter {
 public:
  virtual ~Counter() = default;
  // Ticks per second; false when there is no high-resolution counter.
  virtual bool Frequency(int64_t& ticksPerSecond) = 0;
  virtual int64_t Now() = 0;
};
