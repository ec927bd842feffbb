// FakeCounter: a counter that moves only when a test (or a scripted wait) moves it.
#pragma once

#include "platform/Counter.h"

class FakeCounter : public Counter {
 public:
  explicit FakeCounter(int64_t frequency = 1000, bool available = true)
      : frequency_(frequency), available_(available) {}

  bool Frequency(int64_t& ticksPerSecond) override {
    if (!available_) return false;
    ticksPerSecond = frequency_;
    return true;
  }
  int64_t Now() override { return now_; }

  void Set(int64_t now) { now_ = now; }
  void Advance(int64_t ticks) { now_ += ticks; }

 private:
  int64_t frequency_;
  bool available_;
  int64_t now_ = 0;
};
