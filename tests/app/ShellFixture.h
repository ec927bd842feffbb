// ShellFixture: the program shell on SDL's dummy video driver, with scripted messages, a fake
// counter and captured message boxes, and the globals put back after each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/Settings.h"
#include "app/Shutdown.h"
#include "composition/FrameComposition.h"
#include "content/Character.h"
#include "platform/Errors.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/Sound.h"
#include "support/FakeCounter.h"
#include "support/ScriptedMessageSource.h"

class ShellFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SetCounter(&counter);
    SetSoundHandler([this](const std::string& path) { sounds.push_back(path); });
    SetMessageSource(&script);
    SetMessageBoxHandler([this](const std::string& text, const std::string& caption) {
      boxes.push_back(caption + ": " + text);
    });
    LastError = 0;
    AppActive = 1;
    MaxFrameRate = 60;
    ColorDepth = 16;
    DisplayMode = DisplayWindowed;
    FramesPerSecond = 0;
    CharacterCount = 0;
  }

  void TearDown() override {
    Shutdown();
    ShutdownPlatform();
    SetMessageSource(nullptr);
    SetCounter(nullptr);
    SetMessageBoxHandler(nullptr);
    SetSoundHandler(nullptr);
    LastError = 0;
    MainWindow = nullptr;
  }

  Message To(WindowHandle window, uint32_t message, uint64_t wParam = 0, int64_t lParam = 0) {
    return Message{window, message, wParam, lParam};
  }

  FakeCounter counter{1000};
  ScriptedMessageSource script{counter};
  std::vector<std::string> boxes;
  std::vector<std::string> sounds;
};
