// The main window's message routing, F12 and the close box, and Shutdown's order and report.
#include <SDL.h>

#include "ShellFixture.h"
#include "app/FrameLoop.h"
#include "board/GameEngine.h"
#include "content/Character.h"
#include "display/DisplayDevice.h"

namespace {

class MainWindowTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    Display = std::make_unique<DisplayDevice>();
    Engine = std::make_unique<GameEngine>();
    ASSERT_EQ(CreateMainWindow(), 1);
    window = MainWindow;
  }

  // Runs the frame loop over the script; returns the quit code, or -1 if it ran out of frames.
  int32_t RunScript(int64_t until = 100) {
    return RunFrameLoop(1000, [this, until] {
      if (counter.Now() > until) PostQuitMessage(-1);
    });
  }

  WindowHandle window = nullptr;
};

TEST_F(MainWindowTest, WindowedHasACaptionAndAFixedSize) {
  EXPECT_FALSE(SDL_GetWindowFlags(window->Sdl()) & SDL_WINDOW_BORDERLESS);
  EXPECT_FALSE(SDL_GetWindowFlags(window->Sdl()) & SDL_WINDOW_RESIZABLE);
}

TEST_F(MainWindowTest, FullScreenModeMakesABarePopup) {
  DestroyWindow(window);
  Display = std::make_unique<DisplayDevice>();
  Engine = std::make_unique<GameEngine>();
  DisplayMode = DisplayFullScreen;
  ASSERT_EQ(CreateMainWindow(), 1);
  EXPECT_TRUE(SDL_GetWindowFlags(MainWindow->Sdl()) & SDL_WINDOW_BORDERLESS);
}

TEST_F(MainWindowTest, F12EndsTheProgramThroughShutdown) {
  script.At(5, To(window, WM_KEYDOWN, VK_F12));
  EXPECT_EQ(RunScript(), 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(Engine, nullptr);
  EXPECT_EQ(Display, nullptr);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowTest, CloseBoxEndsTheProgramLikeF12) {
  script.At(5, To(window, WM_CLOSE));
  EXPECT_EQ(RunScript(), 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(Engine, nullptr);
}

TEST_F(MainWindowTest, NoOtherKeyEndsTheProgram) {
  const Message keys[] = {
      To(window, WM_KEYDOWN, VK_ESCAPE),  To(window, WM_KEYDOWN, VK_RETURN),
      To(window, WM_KEYDOWN, 'Q'),        To(window, WM_SYSKEYDOWN, VK_F4),
      To(window, WM_KEYDOWN, VK_F12 - 1),
  };
  for (const Message& key : keys) script.At(5, key);
  EXPECT_EQ(RunScript(), -1);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_NE(Engine, nullptr);
}

TEST_F(MainWindowTest, ActivationPausesAndResumesDrawing) {
  EXPECT_EQ(WindowProc(window, WM_ACTIVATEAPP, 0, 0), 0);
  EXPECT_EQ(AppActive, 0);
  EXPECT_EQ(WindowProc(window, WM_ACTIVATEAPP, 1, 0), 0);
  EXPECT_EQ(AppActive, 1);
}

TEST_F(MainWindowTest, MouseMessagesReachTheEngineWithTheirPosition) {
  CharacterCount = 1;
  Characters = std::make_unique<std::unique_ptr<Character>[]>(1);
  Characters[0] = std::make_unique<Character>();
  WindowProc(window, WM_LBUTTONDOWN, 0, PointerParam(500, 270));
  EXPECT_EQ(Characters[0]->pressed, 1);
  EXPECT_EQ(Engine->pressedButton, 0);
  WindowProc(window, WM_LBUTTONUP, 0, PointerParam(500, 270));
  EXPECT_EQ(Characters[0]->pressed, 0);
  EXPECT_EQ(Engine->selectedCharacter, 0);
}

TEST_F(MainWindowTest, InputWithoutAnEngineIsDropped) {
  Engine.reset();
  for (uint32_t message :
       {WM_KEYDOWN, WM_SYSKEYDOWN, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONUP}) {
    EXPECT_EQ(WindowProc(window, message, VK_F12, PointerParam(500, 270)), 0);
  }
  EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainWindowTest, ShutdownReleasesEverythingAndIsSafeToRepeat) {
  Shutdown();
  Shutdown();
  EXPECT_EQ(Engine, nullptr);
  EXPECT_EQ(Display, nullptr);
  EXPECT_EQ(Characters, nullptr);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowTest, ShutdownReportsTheLastErrorEachTime) {
  LastError = ErrorPerformanceCounter;
  Shutdown();
  Shutdown();
  EXPECT_EQ(boxes, (std::vector<std::string>{"Tarnwick: Failed to activate performance counter",
                                             "Tarnwick: Failed to activate performance counter"}));
  EXPECT_EQ(LastError, ErrorPerformanceCounter);
}

}  // namespace
