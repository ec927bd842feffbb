// MessageSource: where window messages come from. The real source translates the window
// system's events; tests script one.
#pragma once

#include <cstdint>

#include "platform/Message.h"

class MessageSource {
 public:
  virtual ~MessageSource() = default;
  // Takes the next message at once; false when none is queued.
  virtual bool Poll(Message& message) = 0;
  // Blocks until a message is queued.
  virtual void Wait() = 0;
  // Blocks until a message is queued or the counter has passed `deadline`, whichever is first.
  virtual void WaitUntil(int64_t deadline) = 0;
};
