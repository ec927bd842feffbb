// Message boxes: a native modal box with an OK button only and no owner window. Every box's
// text also goes to standard error as one line, so that failures show in a terminal and logs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

constexpr const char* kCaption = "Tarnwick";

void ShowMessageBox(const std::string& text, const std::string& caption = kCaption);

// Boxes shown so far, and the text of the last one: what a caller learns of a box that code it
// called has shown.
uint64_t MessageBoxesShown();
std::string LastMessageBoxText();

// Tests capture the boxes instead of showing them; an empty handler restores the native box.
using MessageBoxHandler = std::function<void(const std::string& text, const std::string& caption)>;
void SetMessageBoxHandler(MessageBoxHandler handler);

// The echo to standard error is on from the start; fuzzing, which shows hundreds of thousands
// of boxes, turns it off.
void SetMessageBoxEcho(bool echo);

// While one lives, boxes are neither shown nor echoed (code run meanwhile says what it has to
// say otherwise); the handler and echo from before it come back when it goes.
class MessageBoxesHeld {
 public:
  MessageBoxesHeld();
  ~MessageBoxesHeld();
  MessageBoxesHeld(const MessageBoxesHeld&) = delete;
  MessageBoxesHeld& operator=(const MessageBoxesHeld&) = delete;

 private:
  MessageBoxHandler handler_;
  bool echo_;
};
