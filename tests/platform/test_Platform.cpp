// The window-system stand-in: event translation, pointer mapping, the quit message,
// synchronous destruction, and message boxes echoed to standard error.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/ProgramOutput.h"
#include "platform/SdlMessageSource.h"

namespace {

std::vector<Message> received;

int64_t Record(WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam) {
  received.push_back(Message{window, message, wParam, lParam});
  return 0;
}

class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    received.clear();
    ASSERT_TRUE(InitVideo());
    window = CreatePlatformWindow("Tarnwick", 50, 50, 640, 480, true, Record);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override { ShutdownPlatform(); }

  SDL_Event Button(Uint32 type, Uint8 button, int x, int y) {
    SDL_Event event{};
    event.type = type;
    event.button.windowID = window->Id();
    event.button.button = button;
    event.button.x = x;
    event.button.y = y;
    return event;
  }

  WindowHandle window = nullptr;
};

TEST_F(PlatformTest, PointerParamPacksUnsignedSixteenBitHalves) {
  EXPECT_EQ(PointerX(PointerParam(17, 35)), 17);
  EXPECT_EQ(PointerY(PointerParam(17, 35)), 35);
  EXPECT_EQ(PointerX(PointerParam(-1, 0)), 65535);
  EXPECT_EQ(PointerY(PointerParam(0, 65535)), 65535);
}

TEST_F(PlatformTest, MouseButtonsBecomeTheirMessages) {
  struct Case {
    Uint32 type;
    Uint8 button;
    bool makesMessage;
    uint32_t message;
  };
  const Case cases[] = {
      {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, true, WM_LBUTTONDOWN},
      {SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, true, WM_LBUTTONUP},
      {SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, true, WM_RBUTTONUP},
      {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, false, 0},
      {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, false, 0},
  };
  for (const Case& c : cases) {
    Message message;
    const SDL_Event event = Button(c.type, c.button, 17, 35);
    ASSERT_EQ(SdlMessageSource::Translate(event, message), c.makesMessage);
    if (!c.makesMessage) continue;
    EXPECT_EQ(message.message, c.message);
    EXPECT_EQ(message.window, window);
    EXPECT_EQ(PointerX(message.lParam), 17);
    EXPECT_EQ(PointerY(message.lParam), 35);
  }
}

TEST_F(PlatformTest, ADoubleClickIsAnOrdinaryPress) {
  SDL_Event event = Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 100, 100);
  event.button.clicks = 2;
  Message message;
  ASSERT_TRUE(SdlMessageSource::Translate(event, message));
  EXPECT_EQ(message.message, WM_LBUTTONDOWN);
}

TEST_F(PlatformTest, PointerOutsideThePlayScreenReachesNothing) {
  Message message;
  EXPECT_FALSE(
      SdlMessageSource::Translate(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 640, 10), message));
  EXPECT_FALSE(
      SdlMessageSource::Translate(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, -1, 10), message));
  EXPECT_TRUE(
      SdlMessageSource::Translate(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 639, 479), message));
}

TEST_F(PlatformTest, AReleaseEndsItsPressWhereverSdlReportsIt) {
  Message pending;
  while (PeekMessage(pending)) {
  }
  // Released beside the window, then in no window at all (both queued before the capture took
  // hold), then outside with no press held.
  SDL_Event events[] = {
      Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 500, 300),
      Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 700, 300),
      Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 500, 300),
      Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 639, 300),
      Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 700, 300),
  };
  events[3].button.windowID = 0;
  for (SDL_Event& event : events) SDL_PushEvent(&event);
  std::vector<Message> messages;
  Message message;
  while (PeekMessage(message)) messages.push_back(message);
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages[1].message, WM_LBUTTONUP);
  EXPECT_EQ(messages[1].window, window);
  EXPECT_EQ(PointerX(messages[1].lParam), 700);
  EXPECT_EQ(messages[3].message, WM_LBUTTONUP);
  EXPECT_EQ(messages[3].window, window);
  EXPECT_FALSE(PointerX(messages[3].lParam) < 640 && PointerY(messages[3].lParam) < 480);
}

TEST_F(PlatformTest, ScaledPlayAreaMapsBackToPlayScreenPixels) {
  // A 1024x768 screen showing the 640x480 play screen scaled 1.6 times, centred.
  window->SetPlayArea(0, 0, 1024, 768, 640, 480);
  int32_t x = 0, y = 0;
  ASSERT_TRUE(window->ToPlayScreen(27, 56, x, y));
  EXPECT_EQ(x, 16);
  EXPECT_EQ(y, 35);
  // Letterboxed at scale 2 with bars: 1600x1200 screen, 1280x960 area at (160, 120).
  window->SetPlayArea(160, 120, 1280, 960, 640, 480);
  ASSERT_TRUE(window->ToPlayScreen(160 + 34, 120 + 70, x, y));
  EXPECT_EQ(x, 17);
  EXPECT_EQ(y, 35);
  // Outside it, points map beyond the edges: a release there, captured, hits nothing.
  EXPECT_FALSE(window->ToPlayScreen(159, 500, x, y));
  EXPECT_EQ(x, -1);
  EXPECT_FALSE(window->ToPlayScreen(1440, 500, x, y));
  EXPECT_EQ(x, 640);
}

TEST_F(PlatformTest, AWindowTakesTheLargestScaleUpToTheOneAskedForThatFitsTheDesktop) {
  // Client width, height, scale asked and taken, on the dummy driver's 1024x768 display.
  const int cases[][4] = {{100, 100, 3, 3}, {100, 100, 8, 7}, {200, 100, 8, 5}, {128, 96, 8, 8},
                          {640, 480, 2, 1}, {10, 10, 9, 8},   {10, 10, 0, 1}};
  for (const auto& c : cases) {
    const WindowHandle made = CreatePlatformWindow("", 0, 0, c[0], c[1], true, Record, c[2]);
    int width = 0;
    SDL_GetWindowSize(made->Sdl(), &width, nullptr);
    EXPECT_EQ(made->Scale(), c[3]) << c[0] << "x" << c[1] << " at " << c[2];
    EXPECT_EQ(width, c[0] * c[3]) << c[0] << "x" << c[1] << " at " << c[2];
    DestroyWindow(made);
  }
  // Scale, window units and pixels across, scale in units: on a dense output.
  const int dense[][4] = {
      {3, 640, 1280, 1}, {4, 640, 1280, 2}, {1, 640, 1280, 1}, {2, 640, 960, 2}};
  for (const auto& c : dense) EXPECT_EQ(ScaleInUnits(c[0], c[1], c[2]), c[3]) << c[0] << c[2];
}

TEST_F(PlatformTest, KeysBecomeVirtualKeys) {
  struct Case {
    SDL_Keycode key;
    Uint16 mod;
    uint32_t message;
    int32_t virtualKey;
    int64_t flags = 0;
    Uint8 repeat = 0;
  };
  // Message 0: the key makes none.
  const Case cases[] = {
      {SDLK_F12, KMOD_NONE, WM_KEYDOWN, VK_F12},
      {SDLK_F1, KMOD_NONE, WM_KEYDOWN, VK_F1},
      {SDLK_a, KMOD_NONE, WM_KEYDOWN, 'A'},
      {SDLK_ESCAPE, KMOD_NONE, WM_KEYDOWN, VK_ESCAPE},
      {SDLK_F4, KMOD_LALT, WM_SYSKEYDOWN, VK_F4},
      {SDLK_F10, KMOD_NONE, WM_SYSKEYDOWN, VK_F10},
      {SDLK_TAB, KMOD_LSHIFT, WM_KEYDOWN, VK_TAB, KeyShift},
      {SDLK_TAB, KMOD_RSHIFT | KMOD_NUM, WM_KEYDOWN, VK_TAB, KeyShift},
      {SDLK_KP_8, KMOD_NONE, WM_KEYDOWN, VK_UP},
      {SDLK_KP_2, KMOD_NONE, WM_KEYDOWN, VK_DOWN},
      {SDLK_KP_4, KMOD_NONE, WM_KEYDOWN, VK_LEFT},
      {SDLK_KP_6, KMOD_NONE, WM_KEYDOWN, VK_RIGHT},
      {SDLK_KP_1, KMOD_NUM, WM_KEYDOWN, '1'},
      {SDLK_KP_5, KMOD_NUM, WM_KEYDOWN, '5'},
      {SDLK_KP_ENTER, KMOD_NUM, WM_KEYDOWN, VK_RETURN},
      {SDLK_LEFT, KMOD_NONE, WM_KEYDOWN, VK_LEFT, 0, 1},
      {SDLK_F1, KMOD_NONE, 0, VK_F1, 0, 1},
  };
  for (const Case& c : cases) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.windowID = window->Id();
    event.key.keysym.sym = c.key;
    event.key.keysym.mod = c.mod;
    event.key.repeat = c.repeat;
    Message message;
    if (c.message == 0) {
      EXPECT_FALSE(SdlMessageSource::Translate(event, message)) << c.key;
      continue;
    }
    ASSERT_TRUE(SdlMessageSource::Translate(event, message)) << c.key;
    EXPECT_EQ(message.message, c.message) << c.key;
    EXPECT_EQ(message.wParam, static_cast<uint64_t>(c.virtualKey)) << c.key;
    EXPECT_EQ(message.lParam, c.flags) << c.key;
  }
}

TEST_F(PlatformTest, WindowEventsBecomeCloseActivationAndPaint) {
  const struct {
    Uint8 event;
    uint32_t message;
    uint64_t wParam;
  } cases[] = {
      {SDL_WINDOWEVENT_CLOSE, WM_CLOSE, 0},
      {SDL_WINDOWEVENT_FOCUS_GAINED, WM_ACTIVATEAPP, 1},
      {SDL_WINDOWEVENT_FOCUS_LOST, WM_ACTIVATEAPP, 0},
      {SDL_WINDOWEVENT_EXPOSED, WM_PAINT, 0},
  };
  for (const auto& c : cases) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = window->Id();
    event.window.event = c.event;
    Message message;
    ASSERT_TRUE(SdlMessageSource::Translate(event, message));
    EXPECT_EQ(message.message, c.message);
    EXPECT_EQ(message.wParam, c.wParam);
  }
}

TEST_F(PlatformTest, EventsThatCanLeaveTheWindowStaleSpoilIt) {
  const struct {
    Uint8 event;
    bool spoils;
  } cases[] = {
      {SDL_WINDOWEVENT_EXPOSED, true},         {SDL_WINDOWEVENT_SHOWN, true},
      {SDL_WINDOWEVENT_RESTORED, true},        {SDL_WINDOWEVENT_MAXIMIZED, true},
      {SDL_WINDOWEVENT_MOVED, true},           {SDL_WINDOWEVENT_SIZE_CHANGED, true},
      {SDL_WINDOWEVENT_DISPLAY_CHANGED, true}, {SDL_WINDOWEVENT_FOCUS_GAINED, true},
      {SDL_WINDOWEVENT_FOCUS_LOST, true},      {SDL_WINDOWEVENT_ENTER, false},
      {SDL_WINDOWEVENT_LEAVE, false},          {SDL_WINDOWEVENT_HIDDEN, false},
      {SDL_WINDOWEVENT_CLOSE, false},
  };
  for (const auto& c : cases) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = window->Id();
    event.window.event = c.event;
    const uint64_t before = window->Spoiled();
    Message message;
    SdlMessageSource::Translate(event, message);
    EXPECT_EQ(window->Spoiled() != before, c.spoils) << "window event " << int{c.event};
  }
}

TEST_F(PlatformTest, DestroyDeliversDestroyBeforeReturning) {
  EXPECT_TRUE(DestroyWindow(window));
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].message, WM_DESTROY);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(DestroyWindow(window));
}

TEST_F(PlatformTest, CloseRequestDestroysThroughTheDefaultProcedure) {
  DefWindowProc(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(received.back().message, WM_DESTROY);
}

TEST_F(PlatformTest, QuitComesBeforeAnythingElseQueued) {
  SDL_Event event = Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 10);
  SDL_PushEvent(&event);
  PostQuitMessage(3);
  Message message;
  ASSERT_TRUE(PeekMessage(message));
  EXPECT_EQ(message.message, WM_QUIT);
  EXPECT_EQ(message.wParam, 3u);
  ASSERT_TRUE(PeekMessage(message));
  EXPECT_EQ(message.message, WM_LBUTTONDOWN);
}

TEST_F(PlatformTest, DeadlineWaitReturnsAtTheDeadlineOrForAnEvent) {
  Message pending;
  while (PeekMessage(pending)) {
  }
  const int64_t start = QueryPerformanceCounter();
  WaitMessageUntil(start + 3000000);
  EXPECT_GT(QueryPerformanceCounter(), start + 3000000);
  SDL_Event event = Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 10);
  SDL_PushEvent(&event);
  const int64_t beforeEvent = QueryPerformanceCounter();
  WaitMessageUntil(beforeEvent + 10 * 1000000000LL);
  EXPECT_LT(QueryPerformanceCounter(), beforeEvent + 1000000000LL);
}

TEST(MessageBoxTest, EveryBoxIsEchoedToStandardErrorOnOneLine) {
  std::vector<std::string> shown;
  SetMessageBoxHandler([&](const std::string& text, const std::string& caption) {
    shown.push_back(caption + "|" + text);
  });
  testing::internal::CaptureStderr();
  ShowMessageBox("Enter a number beteen 1 and 60 for\nthe maximum framerate.");
  ShowMessageBox("3DAlpha is on", "DEBUG");
  const std::string err = testing::internal::GetCapturedStderr();
  SetMessageBoxHandler(nullptr);
  EXPECT_EQ(err,
            "Tarnwick: Enter a number beteen 1 and 60 for the maximum framerate.\n"
            "Tarnwick: 3DAlpha is on\n");
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], "Tarnwick|Enter a number beteen 1 and 60 for\nthe maximum framerate.");
  EXPECT_EQ(shown[1], "DEBUG|3DAlpha is on");
}

// Bytes a terminal would act on are written as escapes; text of any language stays readable.
TEST(ProgramOutputTest, ControlBytesAreEscaped) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain 'text' \\ ~", "plain 'text' \\ ~"},
      {"\x1b]0;title\x07\x1b[2J", "\\x1b]0;title\\x07\\x1b[2J"},
      {std::string("mo\0rels\t\r\x7f", 10), "mo\\x00rels\\x09\\x0d\\x7f"},
      {"\xe2\x82\xac \xf0\x9f\x8d\x84 Gr\xc3\xbc\xc3\x9f",
       "\xe2\x82\xac \xf0\x9f\x8d\x84 Gr\xc3\xbc\xc3\x9f"},
      {"\xc2\x9b"
       "2J \xc0\xaf \xed\xa0\x80 \xe2\x82",
       "\\xc2\\x9b2J \\xc0\\xaf \\xed\\xa0\\x80 \\xe2\\x82"},
  };
  for (const auto& [text, printed] : cases) EXPECT_EQ(Printable(text), printed) << printed;
  EXPECT_EQ(ErrorLine("one\ntwo\x1b"), "Tarnwick: one\nTarnwick: two\\x1b\n");
}

TEST(MessageBoxTest, EchoCanBeSilencedWhileBoxesStillShow) {
  int shown = 0;
  SetMessageBoxHandler([&](const std::string&, const std::string&) { ++shown; });
  testing::internal::CaptureStderr();
  SetMessageBoxEcho(false);
  ShowMessageBox("quiet");
  SetMessageBoxEcho(true);
  ShowMessageBox("heard");
  const std::string err = testing::internal::GetCapturedStderr();
  SetMessageBoxHandler(nullptr);
  EXPECT_EQ(err, "Tarnwick: heard\n");
  EXPECT_EQ(shown, 2);
}

}  // namespace
