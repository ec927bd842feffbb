// Frame composition read back from the back buffer: the panel, the board, the cells, the
// frame-rate line, the clean picture around them, and presenting.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "board/GameEngine.h"
#include "board/GridSquare.h"
#include "composition/FrameComposition.h"
#include "content/Character.h"
#include "content/CharacterCell.h"
#include "content/ContentFixture.h"
#include "platform/Platform.h"
#include "support/FakeCounter.h"

namespace {

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "rgb(" << int{c.r} << ", " << int{c.g} << ", " << int{c.b} << ")";
}

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kMagenta{255, 0, 255};

class CompositionTest : public ContentFixture {
 protected:
  static void SetUpTestSuite() {
    ContentFixture::SetUpTestSuite();
    GameEngine::LayOutBoard();
    WriteBitmap("up.bmp", 150, 40, "blue");
    WriteBitmap("down.bmp", 150, 40, "yellow");
    // Red with a pure green band along the top that the colour key leaves out; and a grid
    // overlay that is pure green but for one red row, 100 pixels down.
    Magick("-size 41x60 xc:red -fill '#00FF00' -draw 'rectangle 0,0 40,9'", "keyed.bmp");
    Magick("-size 432x432 xc:'#00FF00' -fill red -draw 'rectangle 0,100 431,100'", "grid.bmp");
  }

  static void Magick(const std::string& arguments, const std::string& name) {
    const std::string command =
        "/usr/bin/convert " + arguments + " +antialias -type TrueColor BMP3:'" + PathOf(name) + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

  void SetUp() override {
    ContentFixture::SetUp();
    engine = std::make_unique<GameEngine>();
    engine->gridOverlay = Display->LoadBitmap(0, PathOf("grid.bmp").c_str());
    Display->SetColorKeyMode(KeyGreen);
    Display->ApplyColorKey(engine->gridOverlay);
    BackgroundSurface = Display->LoadBitmap(0, PathOf(kBackground).c_str());
    ShowFps = 0;
    Fill(kMagenta);
  }

  void TearDown() override {
    Characters.reset();
    CharacterCount = 0;
    engine.reset();
    ShowFps = 1;
    FramesPerSecond = 0;
    ContentFixture::TearDown();
  }

  // Characters with buttons and `cells` cells each, every cell shown on square (i, i + j).
  void MakeCharacters(int32_t count, int32_t cells = 0) {
    CharacterCount = count;
    Characters = std::make_unique<std::unique_ptr<Character>[]>(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
      auto character = std::make_unique<Character>();
      character->SetButtonUp(PathOf("up.bmp").c_str());
      character->SetButtonDown(PathOf("down.bmp").c_str());
      character->cellCount = cells;
      character->cells = std::make_unique<std::unique_ptr<CharacterCell>[]>(cells);
      for (int32_t j = 0; j < cells; ++j) {
        character->cells[j] = std::make_unique<CharacterCell>();
        ASSERT_EQ(
            character->cells[j]->Load(Write("cell.cpk", "[HEADER]\nSTILL=$D/keyed.bmp\n").c_str()),
            0);
      }
      character->SetPosition(i, i);
      character->SetShown(1);
      Characters[i] = std::move(character);
    }
  }

  static void Fill(Rgb c) {
    SDL_Surface* buffer = Display->ActiveBackBuffer()->Sdl();
    SDL_FillRect(buffer, nullptr, SDL_MapRGB(buffer->format, c.r, c.g, c.b));
  }

  static Rgb At(SDL_Surface* surface, int x, int y) {
    uint32_t value = 0;
    const auto* at = static_cast<const uint8_t*>(surface->pixels) + ptrdiff_t{y} * surface->pitch +
                     ptrdiff_t{x} * surface->format->BytesPerPixel;
    std::memcpy(&value, at, surface->format->BytesPerPixel);
    Rgb c{};
    SDL_GetRGB(value, surface->format, &c.r, &c.g, &c.b);
    return c;
  }
  static Rgb At(int x, int y) { return At(Display->ActiveBackBuffer()->Sdl(), x, y); }

  struct Probe {
    int x, y;
    Rgb expected;
  };
  static void ExpectProbes(std::initializer_list<Probe> probes) {
    for (const Probe& p : probes) {
      EXPECT_EQ(At(p.x, p.y), p.expected) << "at (" << p.x << ", " << p.y << ")";
    }
  }

  void Render(int32_t noPresent = 1) { engine->RenderFrame(nullptr, noPresent); }

  // The suite's window, and its own surface where presented frames land.
  static WindowHandle Window() { return FindWindowById(SDL_GetWindowID(SDL_GetWindowFromID(1))); }
  static SDL_Surface* Screen() { return SDL_GetWindowSurface(Window()->Sdl()); }

  std::unique_ptr<GameEngine> engine;
};

TEST_F(CompositionTest, ButtonsStackDownThePanelAPressedOneDown) {
  MakeCharacters(3);
  Characters[1]->pressed = 1;
  Render();
  ExpectProbes({{480, 260, kBlue},
                {629, 299, kBlue},
                {555, 300, kYellow},
                {555, 339, kYellow},
                {555, 340, kBlue},
                {629, 379, kBlue},
                {555, 380, kBlack},
                {479, 280, kBlack},
                {630, 280, kBlack},
                {555, 259, kBlack}});
}

TEST_F(CompositionTest, TheBoardIsTheBackgroundWithTheOverlayKeyedOverIt) {
  Render();
  ExpectProbes({{15, 33, kWhite},
                {446, 464, kWhite},
                {100, 132, kWhite},
                {100, 133, kRed},
                {446, 133, kRed},
                {14, 100, kBlack},
                {447, 100, kBlack},
                {100, 32, kBlack},
                {100, 465, kBlack},
                {0, 0, kBlack},
                {639, 479, kBlack}});
}

TEST_F(CompositionTest, WithoutABackgroundTheBoardIsClearedUnderTheOverlay) {
  Display->ReleaseSurface(BackgroundSurface);
  BackgroundSurface = nullptr;
  Render();
  ExpectProbes({{15, 33, kBlack}, {100, 100, kBlack}, {100, 133, kRed}, {446, 464, kBlack}});
}

TEST_F(CompositionTest, APictureSmallerThanItsPlaceIsNotDrawnAndItsPlaceCleared) {
  MakeCharacters(1);
  Display->ReleaseSurface(Characters[0]->buttonUpSurface);
  Characters[0]->buttonUpSurface = Display->LoadBitmap(0, PathOf(kStill).c_str());
  Render();
  ExpectProbes({{480, 260, kBlack}, {500, 270, kBlack}, {629, 299, kBlack}});
}

TEST_F(CompositionTest, CellsOfTheFirstSixCharactersOnly) {
  MakeCharacters(7, 1);
  Render();
  // Character i stands on square (i, i): its red lands 10 to 60 pixels below y + (-19).
  for (int32_t i = 0; i < 7; ++i) {
    const GridSquare& square = Square(i, i);
    EXPECT_EQ(At(square.x + 20, square.y), i < 6 ? kRed : kWhite) << "character " << i;
  }
  // Five buttons fit the 480 pixels; the sixth would end at 500.
  ExpectProbes({{555, 459, kBlue}, {555, 465, kBlack}});
}

TEST_F(CompositionTest, APreviewAboveTheBoardLeavesNoTrail) {
  MakeCharacters(1, 1);
  Characters[0]->SetPosition(0, 0);
  Render();
  ExpectProbes({{17, 26, kRed}, {57, 32, kRed}, {17, 25, kBlack}});
  Characters[0]->SetShown(0);
  Render();
  ExpectProbes({{17, 26, kBlack}, {57, 32, kBlack}, {17, 40, kWhite}});
}

TEST_F(CompositionTest, EachFullScreenBufferLosesItsOwnTrail) {
  ASSERT_EQ(Display->Init(FullScreenFlag, Window(), 640, 480, 32, 0), 1);
  MakeCharacters(1, 1);
  Characters[0]->SetPosition(0, 0);
  engine->RenderFrame(Window(), 0);
  engine->RenderFrame(Window(), 0);
  Characters[0]->SetShown(0);
  for (int buffer = 0; buffer < 2; ++buffer) {
    engine->RenderFrame(Window(), 1);
    ExpectProbes({{17, 26, kBlack}, {57, 32, kBlack}, {17, 40, kWhite}});
    engine->RenderFrame(Window(), 0);
  }
  Characters.reset();
  CharacterCount = 0;
  ASSERT_EQ(Display->Init(1, Window(), 640, 480, 32, 0), 1);
}

TEST_F(CompositionTest, FrameRateLineIsAzureOnBlackFromRowFive) {
  const auto azureRows = [] {
    std::vector<int> rows;
    for (int y = 0; y < 33; ++y) {
      for (int x = 0; x < 200; ++x) {
        const Rgb c = At(x, y);
        if (c.r == 0 && c.g == 127 && c.b == 255) {
          rows.push_back(y);
          break;
        }
      }
    }
    return rows;
  };
  Render();
  EXPECT_TRUE(azureRows().empty());
  ShowFps = 1;
  FramesPerSecond = 60;
  Render();
  const std::vector<int> rows = azureRows();
  ASSERT_FALSE(rows.empty());
  EXPECT_GE(rows.front(), 5);
  EXPECT_LE(rows.back(), 22);
  EXPECT_LT(At(1, 6).r + At(1, 6).g + At(1, 6).b, 30) << "no opaque black behind the line";
  std::vector<Rgb> sixty;
  for (int x = 0; x < 200; ++x) sixty.push_back(At(x, 12));
  FramesPerSecond = 7;
  Render();
  std::vector<Rgb> seven;
  for (int x = 0; x < 200; ++x) seven.push_back(At(x, 12));
  EXPECT_NE(sixty, seven);
}

TEST_F(CompositionTest, NoPresentLeavesTheWindowAsItWas) {
  SDL_Surface* screen = Screen();
  SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 255, 0, 255));
  engine->RenderFrame(Window(), 1);
  EXPECT_EQ(At(screen, 100, 100), kMagenta);
  engine->RenderFrame(Window(), 0);
  EXPECT_EQ(At(screen, 100, 100), kWhite);
}

TEST_F(CompositionTest, AFrameLikeTheOneOnScreenIsPresentedAgainOnlyOnceTheWindowIsSpoiled) {
  engine->RenderFrame(Window(), 0);
  SDL_FillRect(Screen(), nullptr, SDL_MapRGB(Screen()->format, 255, 0, 255));
  engine->RenderFrame(Window(), 0);
  EXPECT_EQ(At(Screen(), 100, 100), kMagenta) << "an unchanged frame was presented again";
  Window()->Spoil();
  engine->RenderFrame(Window(), 0);
  EXPECT_EQ(At(Screen(), 100, 100), kWhite);
  // New buffers have shown nothing yet.
  SDL_FillRect(Screen(), nullptr, SDL_MapRGB(Screen()->format, 255, 0, 255));
  ASSERT_EQ(Display->Init(1, Window(), 640, 480, 32, 0), 1);
  engine->RenderFrame(Window(), 0);
  EXPECT_EQ(At(Screen(), 100, 100), kWhite);
}

struct ChangeCase {
  const char* name;
  void (*change)();
};
void PrintTo(const ChangeCase& c, std::ostream* out) { *out << c.name; }

const ChangeCase kChanges[] = {
    {"CellMovesOneSquare", [] { Characters[0]->SetPosition(1, 4); }},
    {"CellHidden", [] { Characters[0]->SetShown(0); }},
    {"ButtonPressed", [] { Characters[0]->pressed = 1; }},
    {"FrameRateShown", [] { ShowFps = 1; }},
    {"FrameRateChanges", [] { FramesPerSecond = 7; }},
    {"CharacterGone", [] { CharacterCount = 0; }},
};

class ChangeTest : public CompositionTest, public ::testing::WithParamInterface<ChangeCase> {
 protected:
  static std::vector<Rgb> Picture(SDL_Surface* surface) {
    std::vector<Rgb> picture;
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) picture.push_back(At(surface, x, y));
    }
    return picture;
  }
};

TEST_P(ChangeTest, ShowsOnTheVeryNextFrameExactlyAsComposed) {
  MakeCharacters(1, 1);
  Characters[0]->SetPosition(0, 4);
  ShowFps = GetParam().change == kChanges[3].change ? 0 : 1;
  FramesPerSecond = 60;
  engine->RenderFrame(Window(), 0);
  const std::vector<Rgb> before = Picture(Screen());
  GetParam().change();
  engine->RenderFrame(Window(), 0);
  const std::vector<Rgb> shown = Picture(Screen());
  EXPECT_NE(shown, before);
  // The same frame composed whole into new buffers, with nothing drawn before it.
  ASSERT_EQ(Display->Init(1, Window(), 640, 480, 32, 0), 1);
  engine->RenderFrame(Window(), 1);
  EXPECT_TRUE(shown == Picture(Display->ActiveBackBuffer()->Sdl()));
}

// A refused placement's squares are chequered until the counter has passed half a second,
// which leaves the frame as it was; the keys' marks ring the cursor's square, and F1's
// controls stand in a box.
TEST_F(ChangeTest, TheRefusalSignGoesAfterHalfASecondLeavingTheFrameAsBefore) {
  FakeCounter counter(1000);
  SetCounter(&counter);
  MakeCharacters(1, 1);
  Characters[0]->SetPosition(2, 4);
  engine->aids.marksShown = true;
  engine->aids.keys.cursor = BoardPosition{2, 3};
  engine->RenderFrame(Window(), 0);
  ExpectProbes({{100, 180, kWhite}, {101, 180, kBlack}, {102, 180, kBlack}, {145, 180, kBlack}});
  const std::vector<Rgb> before = Picture(Screen());
  engine->aids.Refused(CellRun{2, 4, Vertical}, 2);
  counter.Set(499);
  engine->RenderFrame(Window(), 0);
  ExpectProbes({{103, 207, kBlack}, {108, 207, kWhite}, {103, 212, kWhite}, {143, 290, kBlack}});
  counter.Set(500);
  engine->RenderFrame(Window(), 0);
  EXPECT_TRUE(Picture(Screen()) == before);
  engine->aids.keys.controlsShown = true;
  engine->RenderFrame(Window(), 0);
  ExpectProbes({{16, 28, kWhite}, {20, 290, kBlack}, {623, 299, kWhite}});
  SetCounter(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Changes, ChangeTest, ::testing::ValuesIn(kChanges),
                         [](const auto& test) { return std::string(test.param.name); });

struct DrawCase {
  const char* name;
  int32_t column;
  int32_t row;
  uint8_t shown;
  int32_t left;  // where the picture's top-left corner lands; -1 when nothing is drawn
  int32_t top;
};
void PrintTo(const DrawCase& c, std::ostream* out) { *out << c.name; }

const DrawCase kDrawCases[] = {
    {"FirstSquare", 0, 0, 1, 17, 16},     {"LastSquare", 9, 9, 1, 404, 403},
    {"Hidden", 3, 4, 0, -1, -1},          {"ColumnOffTheBoard", 10, 0, 1, -1, -1},
    {"RowOffTheBoard", 0, -1, 1, -1, -1},
};

class CellDrawTest : public CompositionTest, public ::testing::WithParamInterface<DrawCase> {};

TEST_P(CellDrawTest, CopiesTheWholeStillAboveItsSquare) {
  const DrawCase& c = GetParam();
  CharacterCell cell;
  ASSERT_EQ(cell.Load(Write("cell.cpk", "[HEADER]\nSTILL=$D/keyed.bmp\n").c_str()), 0);
  cell.column = c.column;
  cell.row = c.row;
  cell.shown = c.shown;
  Surface* frame = Display->ActiveBackBuffer();
  std::vector<uint32_t> before;
  for (int32_t y = 0; y < 480; ++y) {
    for (int32_t x = 0; x < 640; ++x) before.push_back(frame->Pixel(x, y));
  }
  cell.Draw();
  // The picture's red lands below its keyed band; everything else stays as it was.
  const uint32_t red = cell.stillSurface->Pixel(20, 30);
  int32_t wrong = 0;
  for (int32_t y = 0; y < 480; ++y) {
    for (int32_t x = 0; x < 640; ++x) {
      const bool redHere =
          c.left >= 0 && x >= c.left && x < c.left + 41 && y >= c.top + 10 && y < c.top + 60;
      const uint32_t expected = redHere ? red : before[static_cast<size_t>(y * 640 + x)];
      if (frame->Pixel(x, y) != expected && ++wrong <= 5) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
      }
    }
  }
  EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(Squares, CellDrawTest, ::testing::ValuesIn(kDrawCases),
                         [](const auto& test) { return std::string(test.param.name); });

struct UncoveredCase {
  const char* name;
  std::vector<SurfaceRect> covered;
  size_t rectangles;  // the gaps, merged where the covering allows
};
void PrintTo(const UncoveredCase& c, std::ostream* out) { *out << c.name; }

class UncoveredTest : public ::testing::TestWithParam<UncoveredCase> {};

TEST_P(UncoveredTest, GapsAndCoveringTileTheScreenExactly) {
  const UncoveredCase& c = GetParam();
  const SurfaceRect screen{0, 0, 640, 480};
  const std::vector<SurfaceRect> gaps = FrameComposition::Uncovered(screen, c.covered);
  EXPECT_EQ(gaps.size(), c.rectangles);
  // Every pixel lies in exactly one gap or in a covered rectangle, never both.
  for (int y = 0; y < 480; y += 1) {
    for (int x = 0; x < 640; x += 1) {
      const auto in = [x, y](const SurfaceRect& r) {
        return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
      };
      const auto inGaps = std::count_if(gaps.begin(), gaps.end(), in);
      const bool inCovered = std::any_of(c.covered.begin(), c.covered.end(), in);
      if (inGaps + (inCovered ? 1 : 0) != 1) {
        FAIL() << "pixel (" << x << ", " << y << ") in " << inGaps << " gaps, covered "
               << inCovered;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Screens, UncoveredTest,
    ::testing::Values(
        UncoveredCase{"Nothing", {}, 1}, UncoveredCase{"Board", {{15, 33, 447, 465}}, 4},
        UncoveredCase{"BoardAndTwoButtons",
                      {{15, 33, 447, 465}, {480, 260, 630, 300}, {480, 300, 630, 340}},
                      7},
        UncoveredCase{"OverlappingAndOutside", {{-10, -10, 100, 100}, {50, 50, 700, 200}}, 3},
        UncoveredCase{"WholeScreen", {{0, 0, 640, 480}}, 0}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
