// ScriptedMessageSource: messages that arrive at given counter readings. Its waits move the
// fake counter forward to the next message or to the deadline, so the frame loop runs
// through a script in no real time.
#pragma once

#include <gtest/gtest.h>

#include <deque>

#include "platform/MessageSource.h"
#include "platform/Platform.h"
#include "support/FakeCounter.h"

class ScriptedMessageSource : public MessageSource {
 public:
  explicit ScriptedMessageSource(FakeCounter& counter) : counter_(counter) {}

  void At(int64_t time, Message message) { script_.push_back({time, message}); }

  bool Poll(Message& message) override {
    if (script_.empty() || script_.front().time > counter_.Now()) return false;
    message = script_.front().message;
    script_.pop_front();
    // A message scripted for no window goes to the main window, made after the script was.
    if (!message.window) message.window = MainWindow;
    return true;
  }

  void Wait() override {
    ++waits;
    if (script_.empty()) {
      ADD_FAILURE() << "the program waited for a message after the script ended";
      PostQuitMessage(0);
      return;
    }
    if (script_.front().time > counter_.Now()) counter_.Set(script_.front().time);
  }

  void WaitUntil(int64_t deadline) override {
    ++timedWaits;
    if (!script_.empty() && script_.front().time <= deadline) {
      if (script_.front().time > counter_.Now()) counter_.Set(script_.front().time);
    } else {
      // A wait can end with the clock reading the deadline itself; the next wait passes it.
      counter_.Set(counter_.Now() < deadline ? deadline : deadline + 1);
    }
  }

  int waits = 0;
  int timedWaits = 0;

 private:
  struct Entry {
    int64_t time;
    Message message;
  };
  FakeCounter& counter_;
  std::deque<Entry> script_;
};
