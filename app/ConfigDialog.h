// ConfigDialog: what the configuration dialog does with its controls, kept apart from any widgets.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// Results of the dialog: Quit ends the program, Start goes on with the chosen settings.
constexpr int32_t ConfigQuit = 4000;
constexpr int32_t ConfigStart = 4001;

// The dialog's procedure over the state of its controls: which radio buttons are checked and
// what the frame-rate field holds. A window shows this state after InitDialog, copies the
// player's changes into it before each command, and closes once Result is no longer 0.
class ConfigDialog {
 public:
  // Control ids. The colour-depth buttons are numbered 16, 32, 24 although shown 16, 24, 32.
  static constexpr int32_t QuitButton = 1000;
  static constexpr int32_t StartButton = 1001;
  static constexpr int32_t Depth16 = 1002;
  static constexpr int32_t Depth32 = 1003;
  static constexpr int32_t Depth24 = 1004;
  static constexpr int32_t Windowed = 1005;
  static constexpr int32_t FullScreen = 1006;
  static constexpr int32_t FrameRateField = 1007;

  // The notification code of a button click; commands with any other code are ignored.
  static constexpr uint16_t Clicked = 0;
  static constexpr int32_t HighestFrameRate = 60;

  // The dialog's opening: 16 bits, windowed and "60" every time, whatever Settings hold.
  void InitDialog();
  // A command from control id with its notification code. Start and Quit clicks are handled
  // (true); everything else, the cancel command of Escape and the close box included, is
  // ignored (false) and leaves the dialog open.
  bool Command(uint16_t notification, uint16_t id);
  // 0 while the dialog is open, then ConfigQuit or ConfigStart.
  int32_t Result() const { return result_; }

  // The controls' state. Checking a radio button here does not clear the others of its group:
  // the window's buttons keep one checked, this state holds whatever it is given.
  bool IsChecked(int32_t id) const;
  void SetChecked(int32_t id, bool checked);
  const std::string& FrameRateText() const { return frameRateText_; }
  void SetFrameRateText(std::string text) { frameRateText_ = std::move(text); }

  // Decimal conversion of the frame-rate text: leading white space, an optional sign, the
  // digits up to the first non-digit, 0 when there are none. A value beyond 32 bits stops at
  // INT32_MAX or INT32_MIN, which the range check then refuses.
  static int32_t ParseFrameRate(const std::string& text);

 private:
  void Start();

  std::array<bool, FullScreen - Depth16 + 1> checked_{};
  std::string frameRateText_;
  int32_t result_ = 0;
};
