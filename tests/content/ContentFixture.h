// ContentFixture: what the content readers' tests share: a real display device on SDL's dummy
// video driver, a temporary folder with real bitmaps written by ImageMagick, captured message
// boxes, and a check that every test gives back each surface it made.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "content/DefinitionFile.h"
#include "content/TempDir.h"
#include "display/DisplayDevice.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"

class ContentFixture : public ::testing::Test {
 protected:
  // Pictures every suite finds in its folder, and their sizes.
  static constexpr const char* kStill = "still.bmp";            // 41 x 60
  static constexpr const char* kButton = "button.bmp";          // 150 x 40
  static constexpr const char* kBackground = "background.bmp";  // 432 x 432

  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_TRUE(InitVideo());
    window_ = CreatePlatformWindow("Tarnwick test", 0, 0, 640, 480, true, &Procedure);
    ASSERT_NE(window_, nullptr);
    Display = std::make_unique<DisplayDevice>();
    ASSERT_EQ(Display->Init(1, window_, 640, 480, 32, 0), 1);
    folder_ = std::make_unique<TempDir>();
    WriteBitmap(kStill, 41, 60, "red");
    WriteBitmap(kButton, 150, 40, "blue");
    WriteBitmap(kBackground, 432, 432, "white");
  }

  static void TearDownTestSuite() {
    Display.reset();
    ShutdownPlatform();
    folder_.reset();
  }

  void SetUp() override {
    boxes.clear();
    SetMessageBoxHandler([this](const std::string& text, const std::string& caption) {
      EXPECT_EQ(caption, "Tarnwick");
      boxes.push_back(text);
    });
    surfacesBefore_ = Display->surfaceCount;
  }

  void TearDown() override {
    SetMessageBoxHandler(nullptr);
    if (BackgroundSurface) {
      Display->ReleaseSurface(BackgroundSurface);
      BackgroundSurface = nullptr;
    }
    EXPECT_EQ(Display->surfaceCount, surfacesBefore_) << "a surface was not given back once";
  }

  // Writes `text` to `name` in the folder, with every "$D" replaced by the folder's path, so
  // that files can name each other by absolute path; returns the file's path.
  static std::string Write(const std::string& name, const std::string& text) {
    std::string bytes = text;
    const std::string folder = folder_->path().string();
    for (size_t at = bytes.find("$D"); at != std::string::npos; at = bytes.find("$D", at)) {
      bytes.replace(at, 2, folder);
      at += folder.size();
    }
    return folder_->Write(name, bytes);
  }

  static std::string PathOf(const std::string& name) { return folder_->PathOf(name); }

  // A BMP of one colour, 24 bits per pixel, as the game's pictures are.
  static void WriteBitmap(const std::string& name, int width, int height,
                          const std::string& colour) {
    const std::string command = "/usr/bin/convert -size " + std::to_string(width) + "x" +
                                std::to_string(height) + " xc:" + colour +
                                " -type TrueColor BMP3:'" + PathOf(name) + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

  std::vector<std::string> boxes;

 private:
  static int64_t Procedure(WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam) {
    return DefWindowProc(window, message, wParam, lParam);
  }

  static inline WindowHandle window_ = nullptr;
  static inline std::unique_ptr<TempDir> folder_;
  int32_t surfacesBefore_ = 0;
};
