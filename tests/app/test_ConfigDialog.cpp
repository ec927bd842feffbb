// Tests of the configuration dialog's logic: initial choices, Start and Quit, the frame-rate check.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "app/ConfigDialog.h"
#include "app/Settings.h"
#include "platform/MessageBox.h"

namespace {

const std::string kRangeText = "Enter a number beteen 1 and 60 for\nthe maximum framerate.";
const std::string kEmptyText = "Enter a number for the framerate";

class ConfigDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Values the dialog never produces, so that every write shows.
    ColorDepth = 8;
    DisplayMode = 0;
    MaxFrameRate = -7;
    SetMessageBoxHandler([this](const std::string& text, const std::string& caption) {
      boxes.push_back(text);
      EXPECT_EQ(caption, "Tarnwick");
    });
    dialog.InitDialog();
  }
  void TearDown() override { SetMessageBoxHandler(nullptr); }

  // Presses Start with the given frame-rate text.
  void StartWith(const std::string& text) {
    dialog.SetFrameRateText(text);
    EXPECT_TRUE(dialog.Command(ConfigDialog::Clicked, ConfigDialog::StartButton));
  }
  void Choose(int32_t depthId, int32_t modeId) {
    for (int32_t id : {ConfigDialog::Depth16, ConfigDialog::Depth32, ConfigDialog::Depth24})
      dialog.SetChecked(id, id == depthId);
    for (int32_t id : {ConfigDialog::Windowed, ConfigDialog::FullScreen})
      dialog.SetChecked(id, id == modeId);
  }

  ConfigDialog dialog;
  std::vector<std::string> boxes;
};

TEST_F(ConfigDialogTest, OpensWith16WindowedAnd60WhateverTheSettings) {
  ColorDepth = 32;
  DisplayMode = DisplayFullScreen;
  MaxFrameRate = 5;
  ConfigDialog fresh;
  fresh.InitDialog();
  EXPECT_TRUE(fresh.IsChecked(ConfigDialog::Depth16));
  EXPECT_FALSE(fresh.IsChecked(ConfigDialog::Depth24));
  EXPECT_FALSE(fresh.IsChecked(ConfigDialog::Depth32));
  EXPECT_TRUE(fresh.IsChecked(ConfigDialog::Windowed));
  EXPECT_FALSE(fresh.IsChecked(ConfigDialog::FullScreen));
  EXPECT_EQ(fresh.FrameRateText(), "60");
  EXPECT_EQ(fresh.Result(), 0);
}

TEST_F(ConfigDialogTest, StartWithInitialChoices) {
  EXPECT_TRUE(dialog.Command(ConfigDialog::Clicked, ConfigDialog::StartButton));
  EXPECT_EQ(dialog.Result(), ConfigStart);
  EXPECT_EQ(ColorDepth, 16);
  EXPECT_EQ(DisplayMode, DisplayWindowed);
  EXPECT_EQ(MaxFrameRate, 60);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ConfigDialogTest, QuitEndsWithoutWritingSettings) {
  EXPECT_TRUE(dialog.Command(ConfigDialog::Clicked, ConfigDialog::QuitButton));
  EXPECT_EQ(dialog.Result(), ConfigQuit);
  EXPECT_EQ(ColorDepth, 8);
  EXPECT_EQ(DisplayMode, 0);
  EXPECT_EQ(MaxFrameRate, -7);
}

// Escape and the close box send the cancel command (2); other notifications than a click, and
// clicks on radio buttons, do nothing either.
TEST_F(ConfigDialogTest, OtherCommandsLeaveTheDialogOpen) {
  struct Case {
    uint16_t notification, id;
  };
  for (Case c : {Case{0, 2}, Case{0, 1}, Case{0, 1002}, Case{0, 1007}, Case{1, 1001}, Case{5, 1000},
                 Case{0, 0xFFFF}}) {
    EXPECT_FALSE(dialog.Command(c.notification, c.id)) << c.notification << " " << c.id;
    EXPECT_EQ(dialog.Result(), 0);
  }
  EXPECT_EQ(MaxFrameRate, -7);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ConfigDialogTest, FrameRateTexts) {
  struct Case {
    const char* text;
    int32_t stored;
    bool accepted;
  };
  const Case cases[] = {
      {"0", 0, false},
      {"61", 61, false},
      {"1", 1, true},
      {"60", 60, true},
      {"12abc", 12, true},
      {"abc", 0, false},
      {" \t\n 7", 7, true},
      {"+30", 30, true},
      {"-5", -5, false},
      {"0060", 60, true},
      {"6 0", 6, true},
      {"-", 0, false},
      {"+-3", 0, false},
      {"1e2", 1, true},
      {"  ", 0, false},
      {"60\n", 60, true},
      {"2147483647", INT32_MAX, false},
      {"2147483648", INT32_MAX, false},
      {"99999999999999999999999", INT32_MAX, false},
      {"-2147483648", INT32_MIN, false},
      {"-99999999999999999999", INT32_MIN, false},
      {"00000000000000000000045", 45, true},
  };
  for (const Case& c : cases) {
    ConfigDialog fresh;
    fresh.InitDialog();
    boxes.clear();
    fresh.SetFrameRateText(c.text);
    EXPECT_TRUE(fresh.Command(ConfigDialog::Clicked, ConfigDialog::StartButton));
    EXPECT_EQ(MaxFrameRate, c.stored) << '"' << c.text << '"';
    if (c.accepted) {
      EXPECT_EQ(fresh.Result(), ConfigStart) << '"' << c.text << '"';
      EXPECT_TRUE(boxes.empty()) << '"' << c.text << '"';
    } else {
      EXPECT_EQ(fresh.Result(), 0) << '"' << c.text << '"';
      EXPECT_EQ(boxes, std::vector<std::string>{kRangeText}) << '"' << c.text << '"';
    }
  }
}

TEST_F(ConfigDialogTest, EmptyFieldAsksForANumberAndKeepsTheFrameRate) {
  StartWith("");
  EXPECT_EQ(boxes, std::vector<std::string>{kEmptyText});
  EXPECT_EQ(dialog.Result(), 0);
  EXPECT_EQ(MaxFrameRate, -7);
  // Depth and mode are written on every press, also when the frame rate is refused.
  EXPECT_EQ(ColorDepth, 16);
  EXPECT_EQ(DisplayMode, DisplayWindowed);
}

TEST_F(ConfigDialogTest, RefusedPressStillWritesAndTheDialogCanBePressedAgain) {
  Choose(ConfigDialog::Depth32, ConfigDialog::FullScreen);
  StartWith("0");
  EXPECT_EQ(dialog.Result(), 0);
  EXPECT_EQ(ColorDepth, 32);
  EXPECT_EQ(DisplayMode, DisplayFullScreen);
  EXPECT_EQ(MaxFrameRate, 0);
  EXPECT_EQ(dialog.FrameRateText(), "0");

  Choose(ConfigDialog::Depth24, ConfigDialog::Windowed);
  StartWith("25");
  EXPECT_EQ(dialog.Result(), ConfigStart);
  EXPECT_EQ(ColorDepth, 24);
  EXPECT_EQ(DisplayMode, DisplayWindowed);
  EXPECT_EQ(MaxFrameRate, 25);
  EXPECT_EQ(boxes, std::vector<std::string>{kRangeText});
}

TEST_F(ConfigDialogTest, RadioChoices) {
  using D = ConfigDialog;
  struct Case {
    std::vector<int32_t> checked;
    int32_t depth, mode;
  };
  const Case cases[] = {
      {{D::Depth24, D::FullScreen}, 24, DisplayFullScreen},
      {{D::Depth32, D::Windowed}, 32, DisplayWindowed},
      {{D::Depth16, D::Windowed}, 16, DisplayWindowed},
      // Several checked: 24 over 16 over 32, Full Screen over Windowed.
      {{D::Depth16, D::Depth32, D::Windowed}, 16, DisplayWindowed},
      {{D::Depth24, D::Depth32, D::Windowed}, 24, DisplayWindowed},
      {{D::Depth16, D::Depth24, D::Windowed}, 24, DisplayWindowed},
      {{D::Depth16, D::Depth24, D::Depth32, D::Windowed, D::FullScreen}, 24, DisplayFullScreen},
      // None checked: the setting keeps its value.
      {{D::Windowed}, 8, DisplayWindowed},
      {{D::Depth32}, 32, 0},
      {{}, 8, 0},
  };
  for (const Case& c : cases) {
    ColorDepth = 8;
    DisplayMode = 0;
    ConfigDialog fresh;
    fresh.InitDialog();
    fresh.SetChecked(D::Depth16, false);
    fresh.SetChecked(D::Windowed, false);
    for (int32_t id : c.checked) fresh.SetChecked(id, true);
    fresh.Command(D::Clicked, D::StartButton);
    EXPECT_EQ(ColorDepth, c.depth) << ::testing::PrintToString(c.checked);
    EXPECT_EQ(DisplayMode, c.mode) << ::testing::PrintToString(c.checked);
    EXPECT_EQ(fresh.Result(), ConfigStart);
  }
}

TEST_F(ConfigDialogTest, OnlyRadioIdsHoldACheck) {
  for (int32_t id : {999, 1000, 1001, 1007, 1008, -1}) {
    dialog.SetChecked(id, true);
    EXPECT_FALSE(dialog.IsChecked(id)) << id;
  }
}

}  // namespace
