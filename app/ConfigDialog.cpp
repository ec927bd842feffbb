// ConfigDialog: the initial choices, the Start and Quit commands and the frame-rate check.
#include "app/ConfigDialog.h"

#include <cstdio>
#include <limits>

#include "app/Settings.h"
#include "platform/MessageBox.h"

namespace {

constexpr const char* kEmptyFrameRate = "Enter a number for the framerate";
constexpr const char* kFrameRateRange =
    "Enter a number beteen 1 and %d for\nthe maximum framerate.";

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void ConfigDialog::InitDialog() {
  checked_.fill(false);
  SetChecked(Depth16, true);
  SetChecked(Windowed, true);
  frameRateText_ = "60";
}

bool ConfigDialog::Command(uint16_t notification, uint16_t id) {
  if (notification != Clicked) return false;
  switch (id) {
    case QuitButton:
      result_ = ConfigQuit;
      return true;
    case StartButton:
      Start();
      return true;
    default:
      return false;
  }
}

bool ConfigDialog::IsChecked(int32_t id) const {
  if (id < Depth16 || id > FullScreen) return false;
  return checked_[id - Depth16];
}

void ConfigDialog::SetChecked(int32_t id, bool checked) {
  if (id < Depth16 || id > FullScreen) return;
  checked_[id - Depth16] = checked;
}

int32_t ConfigDialog::ParseFrameRate(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulated as a negative number, whose range reaches INT32_MIN; it stops at the limit.
  constexpr int64_t kLowest = std::numeric_limits<int32_t>::min();
  constexpr int64_t kHighest = std::numeric_limits<int32_t>::max();
  int64_t value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    value = value * 10 - (text[i] - '0');
    if (value < kLowest) value = kLowest;
  }
  if (negative) return static_cast<int32_t>(value);
  return static_cast<int32_t>(-value > kHighest ? kHighest : -value);
}

// The tests run 32, 16, 24 and Windowed, Full Screen, so a later checked button overrides an
// earlier one; with none checked the setting keeps its value.
void ConfigDialog::Start() {
  if (IsChecked(Depth32)) ColorDepth = 32;
  if (IsChecked(Depth16)) ColorDepth = 16;
  if (IsChecked(Depth24)) ColorDepth = 24;
  if (IsChecked(Windowed)) DisplayMode = DisplayWindowed;
  if (IsChecked(FullScreen)) DisplayMode = DisplayFullScreen;

  if (frameRateText_.empty()) {
    ShowMessageBox(kEmptyFrameRate);
    return;
  }
  MaxFrameRate = ParseFrameRate(frameRateText_);
  if (MaxFrameRate >= 1 && MaxFrameRate <= HighestFrameRate) {
    result_ = ConfigStart;
    return;
  }
  char text[1024];
  std::snprintf(text, sizeof text, kFrameRateRange, HighestFrameRate);
  ShowMessageBox(text);
}
