// Hit testing, the placement rule and the mouse handlers, without any display.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "board/GameEngine.h"
#include "board/GridSquare.h"
#include "board/KeyMapping.h"
#include "content/Character.h"
#include "content/CharacterCell.h"
#include "content/ContentFixture.h"
#include "content/DefinitionFile.h"
#include "platform/Sound.h"

namespace {

struct Square {
  int32_t column;
  int32_t row;
  bool operator==(const Square&) const = default;
};

class BoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (GridSquare& square : Grid) square = GridSquare();
    GameEngine::LayOutBoard();
    SetSoundHandler([this](const std::string& path) { sounds.push_back(path); });
  }

  void TearDown() override {
    SetSoundHandler(nullptr);
    Characters.reset();
    CharacterCount = 0;
    for (GridSquare& square : Grid) square = GridSquare();
  }

  // Characters of the given lengths, all vertical, hidden and off the board.
  void MakeCharacters(std::vector<int32_t> lengths) {
    CharacterCount = static_cast<int32_t>(lengths.size());
    Characters = std::make_unique<std::unique_ptr<Character>[]>(lengths.size());
    for (size_t i = 0; i < lengths.size(); ++i) {
      auto character = std::make_unique<Character>();
      character->cellCount = lengths[i];
      character->cells = std::make_unique<std::unique_ptr<CharacterCell>[]>(lengths[i]);
      for (int32_t j = 0; j < lengths[i]; ++j) {
        character->cells[j] = std::make_unique<CharacterCell>();
      }
      Characters[i] = std::move(character);
    }
  }

  static std::vector<Square> CellsOf(int index) {
    std::vector<Square> cells;
    const Character& character = *Characters[index];
    for (int32_t i = 0; i < character.cellCount; ++i) {
      cells.push_back({character.cells[i]->column, character.cells[i]->row});
    }
    return cells;
  }

  static bool Shown(int index) {
    const Character& character = *Characters[index];
    for (int32_t i = 0; i < character.cellCount; ++i) {
      if (!character.cells[i]->shown) return false;
    }
    return true;
  }

  static std::vector<Square> SquaresHeldBy(int index) {
    std::vector<Square> held;
    for (int32_t c = 0; c < BoardSize; ++c) {
      for (int32_t r = 0; r < BoardSize; ++r) {
        const GridSquare& square = Grid[c * BoardSize + r];
        if (square.occupant == Characters[index].get() && square.occupied) held.push_back({c, r});
      }
    }
    return held;
  }

  // Pixel at the middle of a board square, and of a panel button.
  static int32_t SquareX(int32_t column) { return 17 + 43 * column + 20; }
  static int32_t SquareY(int32_t row) { return 35 + 43 * row + 20; }
  static constexpr int32_t kButtonX = 555;
  static int32_t ButtonY(int32_t index) { return 280 + 40 * index; }

  void Select(int32_t index) {
    engine.OnLButtonDown(kButtonX, ButtonY(index));
    engine.OnLButtonUp(kButtonX, ButtonY(index));
  }
  void PlaceAt(int32_t column, int32_t row) {
    engine.OnMouseMove(SquareX(column), SquareY(row));
    engine.OnLButtonUp(SquareX(column), SquareY(row));
  }

  GameEngine engine;
  std::vector<std::string> sounds;
};

TEST_F(BoardTest, InitLaysOutTheSquaresColumnByColumn) {
  EXPECT_EQ(Grid[0].x, 17);
  EXPECT_EQ(Grid[0].y, 35);
  EXPECT_EQ(Grid[9].x, 17);
  EXPECT_EQ(Grid[9].y, 422);
  EXPECT_EQ(Grid[10].x, 60);
  EXPECT_EQ(Grid[10].y, 35);
  EXPECT_EQ(Grid[99].x, 404);
  EXPECT_EQ(Grid[99].y, 422);
  for (const GridSquare& square : Grid) EXPECT_FALSE(square.occupied);
}

TEST_F(BoardTest, NoOtherEngineOrReleaseTakesAGenerationAgain) {
  const uint64_t made = engine.generation;
  engine.Release();
  const GameEngine other;
  EXPECT_NE(engine.generation, made);
  EXPECT_NE(other.generation, made);
  EXPECT_NE(other.generation, engine.generation);
}

TEST_F(BoardTest, HitTestMapsPointsToButtonsSquaresOrNothing) {
  MakeCharacters({2, 2});
  struct Case {
    int32_t x, y, kind, column, row;
  };
  const Case cases[] = {
      {480, 260, HitButton, 0, 0}, {630, 300, HitButton, 0, 0}, {555, 301, HitButton, 0, 1},
      {555, 340, HitButton, 0, 1}, {555, 341, HitNone, 0, 0},   {479, 280, HitNone, 0, 0},
      {631, 280, HitNone, 0, 0},   {17, 35, HitSquare, 0, 0},   {58, 76, HitSquare, 0, 0},
      {59, 50, HitNone, 0, 0},     {60, 50, HitSquare, 1, 0},   {100, 77, HitNone, 0, 0},
      {100, 78, HitSquare, 1, 1},  {445, 463, HitSquare, 9, 9}, {446, 100, HitNone, 0, 0},
      {16, 100, HitNone, 0, 0},    {100, 34, HitNone, 0, 0},    {100, 464, HitNone, 0, 0},
  };
  for (const Case& c : cases) {
    BoardPosition position{-7, -7};
    EXPECT_EQ(GameEngine::HitTest(c.x, c.y, position), c.kind) << c.x << "," << c.y;
    if (c.kind == HitNone) {
      EXPECT_EQ(position.column, -7);
      EXPECT_EQ(position.row, -7);
    } else {
      EXPECT_EQ(position.column, c.column) << c.x << "," << c.y;
      EXPECT_EQ(position.row, c.row) << c.x << "," << c.y;
    }
  }
}

TEST_F(BoardTest, NoButtonAnswersWithoutCharacters) {
  BoardPosition position;
  EXPECT_EQ(GameEngine::HitTest(555, 280, position), HitNone);
}

TEST_F(BoardTest, IsBlockedAtTheEdgesAndOnOccupiedSquares) {
  Character standing;
  Grid[3 * BoardSize + 3].SetOccupant(&standing);
  struct Case {
    int32_t column, row, length, orientation;
    bool blocked;
  };
  const Case cases[] = {
      {6, 0, 4, Horizontal, false}, {7, 0, 4, Horizontal, true}, {0, 6, 4, Vertical, false},
      {0, 7, 4, Vertical, true},    {3, 0, 4, Vertical, true},   {0, 3, 4, Horizontal, true},
      {3, 4, 4, Vertical, false},   {9, 9, 0, Vertical, false},  {5, 5, -2, Horizontal, false},
      {0, 0, 11, Vertical, true},   {-1, 0, 11, Vertical, true}, {0, -1, 11, Vertical, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GameEngine::IsBlocked(c.column, c.row, c.length, c.orientation), c.blocked)
        << c.column << "," << c.row << " length " << c.length << " orientation " << c.orientation;
  }
  Grid[3 * BoardSize + 3].SetOccupant(nullptr);
  EXPECT_FALSE(Grid[3 * BoardSize + 3].occupied);
  EXPECT_FALSE(GameEngine::IsBlocked(3, 0, 4, Vertical));
}

TEST_F(BoardTest, PressAndReleaseOnAButtonSelectsWithoutShowing) {
  MakeCharacters({2, 3, 3});
  engine.OnLButtonDown(kButtonX, ButtonY(2));
  EXPECT_EQ(Characters[2]->pressed, 1);
  EXPECT_EQ(engine.pressedButton, 2);
  engine.OnLButtonUp(kButtonX, ButtonY(2));
  EXPECT_EQ(engine.selectedCharacter, 2);
  EXPECT_EQ(engine.pressedButton, -1);
  EXPECT_EQ(Characters[2]->pressed, 0);
  EXPECT_FALSE(Shown(2));
}

TEST_F(BoardTest, ReleaseOnAnotherButtonSelectsNothing) {
  MakeCharacters({2, 3});
  engine.OnLButtonDown(kButtonX, ButtonY(0));
  engine.OnLButtonUp(kButtonX, ButtonY(1));
  EXPECT_EQ(engine.selectedCharacter, -1);
  EXPECT_EQ(engine.pressedButton, -1);
  EXPECT_EQ(Characters[0]->pressed, 0);
}

TEST_F(BoardTest, PreviewFollowsThePointerAndStaysOnTheBoard) {
  MakeCharacters({3});
  Select(0);
  engine.OnMouseMove(SquareX(4), SquareY(9));
  EXPECT_EQ(CellsOf(0), (std::vector<Square>{{4, 7}, {4, 8}, {4, 9}}));
  EXPECT_TRUE(Shown(0));
  engine.OnMouseMove(SquareX(9), SquareY(9));
  EXPECT_EQ(CellsOf(0), (std::vector<Square>{{9, 7}, {9, 8}, {9, 9}}));
  // Off the board and on the line between squares the preview stays where it was.
  engine.OnMouseMove(600, 100);
  engine.OnMouseMove(59, 50);
  EXPECT_EQ(CellsOf(0), (std::vector<Square>{{9, 7}, {9, 8}, {9, 9}}));
  EXPECT_TRUE(Shown(0));
  EXPECT_TRUE(SquaresHeldBy(0).empty());
}

TEST_F(BoardTest, RightReleaseTurnsTheSelectedCharacter) {
  MakeCharacters({3});
  Select(0);
  engine.OnRButtonUp(SquareX(9), SquareY(2));
  EXPECT_EQ(Characters[0]->orientation, Horizontal);
  EXPECT_EQ(CellsOf(0), (std::vector<Square>{{7, 2}, {8, 2}, {9, 2}}));
  engine.OnRButtonUp(SquareX(9), SquareY(2));
  EXPECT_EQ(Characters[0]->orientation, Vertical);
  EXPECT_EQ(CellsOf(0), (std::vector<Square>{{9, 2}, {9, 3}, {9, 4}}));
  EXPECT_TRUE(sounds.empty());
}

TEST_F(BoardTest, PlacingOccupiesTheSquaresAndEndsTheSelection) {
  MakeCharacters({3, 2});
  Select(0);
  PlaceAt(2, 5);
  EXPECT_EQ(Characters[0]->placed, 1);
  EXPECT_EQ(engine.selectedCharacter, -1);
  EXPECT_EQ(SquaresHeldBy(0), (std::vector<Square>{{2, 5}, {2, 6}, {2, 7}}));
  EXPECT_TRUE(Shown(0));
  EXPECT_TRUE(sounds.empty());
}

TEST_F(BoardTest, ABlockedPlacementOnlySoundsTheWarning) {
  MakeCharacters({3, 2});
  Select(0);
  PlaceAt(2, 5);
  Select(1);
  engine.OnRButtonUp(SquareX(1), SquareY(6));  // horizontal over (1,6) and (2,6)
  engine.OnLButtonUp(SquareX(1), SquareY(6));
  EXPECT_EQ(sounds, (std::vector<std::string>{"sounds/bleep14.wav"}));
  EXPECT_EQ(engine.selectedCharacter, 1);
  EXPECT_EQ(Characters[1]->placed, 0);
  EXPECT_EQ(CellsOf(1), (std::vector<Square>{{1, 6}, {2, 6}}));
  EXPECT_TRUE(SquaresHeldBy(1).empty());
}

TEST_F(BoardTest, SelectingAPlacedCharacterLiftsIt) {
  MakeCharacters({3, 2});
  Select(0);
  engine.OnRButtonUp(SquareX(4), SquareY(4));
  PlaceAt(4, 4);
  ASSERT_EQ(SquaresHeldBy(0), (std::vector<Square>{{4, 4}, {5, 4}, {6, 4}}));
  Select(0);
  EXPECT_TRUE(SquaresHeldBy(0).empty());
  EXPECT_FALSE(Shown(0));
  EXPECT_EQ(Characters[0]->orientation, Vertical);
  EXPECT_EQ(Characters[0]->placed, 0);
  EXPECT_EQ(engine.selectedCharacter, 0);
  // Another character can take the freed squares, and the lifted one can be placed again.
  Select(1);
  engine.OnRButtonUp(SquareX(4), SquareY(4));
  PlaceAt(4, 4);
  EXPECT_EQ(SquaresHeldBy(1), (std::vector<Square>{{4, 4}, {5, 4}}));
  Select(0);
  PlaceAt(6, 4);
  EXPECT_EQ(SquaresHeldBy(0), (std::vector<Square>{{6, 4}, {6, 5}, {6, 6}}));
  EXPECT_TRUE(sounds.empty());
}

TEST_F(BoardTest, SelectingAnotherCharacterHidesAnUnplacedPreview) {
  MakeCharacters({3, 2});
  Select(0);
  engine.OnMouseMove(SquareX(1), SquareY(1));
  ASSERT_TRUE(Shown(0));
  Select(1);
  EXPECT_FALSE(Shown(0));
  EXPECT_EQ(engine.selectedCharacter, 1);
}

TEST_F(BoardTest, DraggingFromAButtonOntoTheBoardPlacesTheSelectedCharacter) {
  MakeCharacters({3, 2});
  Select(0);
  engine.OnMouseMove(SquareX(0), SquareY(0));
  engine.OnLButtonDown(kButtonX, ButtonY(1));
  engine.OnLButtonUp(SquareX(0), SquareY(0));
  EXPECT_EQ(Characters[1]->pressed, 0);
  EXPECT_EQ(engine.pressedButton, -1);
  EXPECT_EQ(Characters[0]->placed, 1);
  EXPECT_EQ(engine.selectedCharacter, -1);
}

TEST_F(BoardTest, ReleasesWithNothingSelectedChangeNothing) {
  MakeCharacters({3});
  engine.OnLButtonUp(SquareX(3), SquareY(3));
  engine.OnRButtonUp(SquareX(3), SquareY(3));
  engine.OnMouseMove(SquareX(3), SquareY(3));
  EXPECT_FALSE(Shown(0));
  EXPECT_EQ(Characters[0]->orientation, Vertical);
  for (const GridSquare& square : Grid) EXPECT_FALSE(square.occupied);
}

TEST_F(BoardTest, ACharacterWithoutCellsIsPlacedAtOnce) {
  MakeCharacters({0});
  Select(0);
  engine.OnLButtonUp(SquareX(5), SquareY(5));
  EXPECT_EQ(Characters[0]->placed, 1);
  EXPECT_EQ(engine.selectedCharacter, -1);
  for (const GridSquare& square : Grid) EXPECT_FALSE(square.occupied);
}

TEST_F(BoardTest, ACharacterLongerThanTheBoardNeverReachesOutsideIt) {
  MakeCharacters({11});
  Select(0);
  engine.OnMouseMove(SquareX(5), SquareY(5));
  engine.OnRButtonUp(SquareX(5), SquareY(5));
  engine.OnLButtonUp(SquareX(5), SquareY(5));
  EXPECT_EQ(sounds.size(), 1u);
  EXPECT_EQ(Characters[0]->placed, 0);
  for (const GridSquare& square : Grid) EXPECT_FALSE(square.occupied);
}

TEST_F(BoardTest, PlacementClampsBeforeItTestsForABlock) {
  MakeCharacters({3});
  Select(0);
  engine.OnLButtonUp(SquareX(4), SquareY(9));
  EXPECT_TRUE(sounds.empty());
  EXPECT_EQ(SquaresHeldBy(0), (std::vector<Square>{{4, 7}, {4, 8}, {4, 9}}));
}

// Each key, and each controller button as the key it arrives as, against the handler calls it
// makes at the cursor's square or a panel button, and the key state it leaves. Three
// characters, the middle one placed, unless a line says otherwise.
TEST_F(BoardTest, KeysMakeTheHandlerCallsOfTheMouse) {
  const auto at = [](uint32_t message, int32_t column, int32_t row) {
    return PointerEvent{message, SquareX(column), SquareY(row)};
  };
  const auto click = [](int32_t button, BoardPosition back) {
    return std::vector<PointerEvent>{{WM_LBUTTONDOWN, kButtonX, ButtonY(button)},
                                     {WM_LBUTTONUP, kButtonX, ButtonY(button)},
                                     {WM_MOUSEMOVE, SquareX(back.column), SquareY(back.row)}};
  };
  const std::vector<uint8_t> middle{0, 1, 0}, all{1, 1, 1};
  constexpr int64_t pad = KeyFromController;
  struct Case {
    int32_t key;
    int64_t flags;
    KeyState before;
    bool known;
    KeyState after;
    std::vector<PointerEvent> events;
    const std::vector<uint8_t>* placed = nullptr;
  };
  const Case cases[] = {
      {VK_LEFT, 0, {{3, 3}}, true, {{2, 3}}, {at(WM_MOUSEMOVE, 2, 3)}},
      {VK_RIGHT, 0, {{3, 3}}, true, {{4, 3}}, {at(WM_MOUSEMOVE, 4, 3)}},
      {VK_UP, 0, {{3, 3}}, true, {{3, 2}}, {at(WM_MOUSEMOVE, 3, 2)}},
      {VK_DOWN, pad, {{3, 3}}, true, {{3, 4}}, {at(WM_MOUSEMOVE, 3, 4)}},
      {VK_RIGHT, 0, {{9, 9}}, true, {{9, 9}}, {at(WM_MOUSEMOVE, 9, 9)}},
      {VK_UP, 0, {{0, 0}}, true, {{0, 0}}, {at(WM_MOUSEMOVE, 0, 0)}},
      {'1', 0, {{1, 2}}, true, {{1, 2}}, click(0, {1, 2})},
      {'3', KeyShift, {{1, 2}}, true, {{1, 2}}, click(2, {1, 2})},
      {'4', 0, {{1, 2}}, true, {{1, 2}}, {}},
      {'6', 0, {{1, 2}}, false, {{1, 2}}, {}},
      {VK_TAB, 0, {{4, 4}, -1}, true, {{4, 4}, -1}, click(0, {4, 4})},
      {VK_TAB, 0, {{4, 4}, 0}, true, {{4, 4}, 0}, click(2, {4, 4})},
      {VK_TAB, pad, {{4, 4}, 2}, true, {{4, 4}, 2}, click(0, {4, 4})},
      {VK_TAB, KeyShift, {{4, 4}, -1}, true, {{4, 4}, -1}, click(2, {4, 4})},
      {VK_TAB, KeyShift | pad, {{4, 4}, 2}, true, {{4, 4}, 2}, click(0, {4, 4})},
      {VK_TAB, 0, {{4, 4}, 0}, true, {{4, 4}, 0}, {}, &all},
      {VK_SPACE, pad, {{3, 4}}, true, {{3, 4}}, {at(WM_MOUSEMOVE, 3, 4), at(WM_RBUTTONUP, 3, 4)}},
      {'R', 0, {{3, 4}}, true, {{3, 4}}, {at(WM_MOUSEMOVE, 3, 4), at(WM_RBUTTONUP, 3, 4)}},
      {VK_RETURN, pad, {{3, 4}}, true, {{3, 4}}, {at(WM_MOUSEMOVE, 3, 4), at(WM_LBUTTONUP, 3, 4)}},
      {VK_F1, pad, {{3, 4}}, true, {{3, 4}, -1, true}, {}},
      {VK_F1, 0, {{3, 4}, -1, true}, true, {{3, 4}}, {}},
      {VK_ESCAPE, pad, {{3, 4}, -1, true}, true, {{3, 4}}, {}},
      {VK_F12, pad, {{3, 4}}, false, {{3, 4}}, {}},
  };
  for (const Case& c : cases) {
    const KeyMapping::Action action =
        KeyMapping::Of(c.key, c.flags, c.before, c.placed ? *c.placed : middle);
    const auto line = ::testing::Message() << "key " << c.key << " flags " << c.flags;
    EXPECT_EQ(action.known, c.known) << line;
    EXPECT_TRUE(action.after == c.after) << line;
    EXPECT_TRUE(action.events == c.events) << line;
  }
}

// The real pointer takes the cursor to its square and hides the marks; the keys' moves do not.
TEST_F(BoardTest, ThePointerTakesTheCursorAlongAndHidesTheMarks) {
  MakeCharacters({2});
  engine.OnPlayKey('1', 0);
  engine.OnPointerMove(SquareX(6), SquareY(7));
  EXPECT_FALSE(engine.aids.marksShown);
  engine.OnPointerMove(kButtonX, ButtonY(0));
  engine.OnPlayKey(VK_DOWN, 0);
  EXPECT_EQ(CellsOf(0), (std::vector<Square>{{6, 8}, {6, 9}}));
  EXPECT_TRUE(engine.aids.marksShown);
}

// One row of the selection states' transition table: a state set up by the operations, one
// event at a place, and the state it leaves.
struct Transition {
  const char* name;
  int32_t pressed, selected;  // the state before: -1 for none
  enum Event { LeftDown, LeftUp, RightUp, Move } event;
  int32_t button;  // where: a panel button, or -1 for square (2, 2), -2 for nothing
  int32_t pressedAfter, selectedAfter;
  std::vector<uint8_t> pressedFlags;  // each character's pressed flag after
  bool firstShown;                    // character 0's preview after
};
void PrintTo(const Transition& t, std::ostream* out) { *out << t.name; }

const Transition kTransitions[] = {
    {"IdlePressOnAButton", -1, -1, Transition::LeftDown, 1, 1, -1, {0, 1, 0}, false},
    {"IdleReleaseOnAButton", -1, -1, Transition::LeftUp, 1, -1, -1, {0, 0, 0}, false},
    {"PressedReleasedOnItself", 1, -1, Transition::LeftUp, 1, -1, 1, {0, 0, 0}, false},
    {"PressedReleasedOnAnother", 1, -1, Transition::LeftUp, 2, -1, -1, {0, 0, 0}, false},
    {"PressedReleasedOnNothing", 1, -1, Transition::LeftUp, -2, -1, -1, {0, 0, 0}, false},
    {"PressedThenAnotherPressedKeepsTheFirstDown",
     1,
     -1,
     Transition::LeftDown,
     2,
     2,
     -1,
     {0, 1, 1},
     false},
    {"PressedMovedOverTheBoard", 1, -1, Transition::Move, -1, 1, -1, {0, 1, 0}, false},
    {"SelectedPressesAButton", -1, 0, Transition::LeftDown, 1, 1, 0, {0, 1, 0}, true},
    {"SelectedReleasedOnNothing", -1, 0, Transition::LeftUp, -2, -1, 0, {0, 0, 0}, true},
    {"SelectedPlaced", -1, 0, Transition::LeftUp, -1, -1, -1, {0, 0, 0}, true},
    {"PressedAndSelectedReleasedOnThePressed",
     1,
     0,
     Transition::LeftUp,
     1,
     -1,
     1,
     {0, 0, 0},
     false},
    {"PressedAndSelectedReleasedOnAnother", 1, 0, Transition::LeftUp, 2, -1, 0, {0, 0, 0}, true},
    {"PressedAndSelectedReleasedOnNothing", 1, 0, Transition::LeftUp, -2, -1, 0, {0, 0, 0}, true},
    {"PressedAndSelectedReleasedOnTheSelectedsOwn",
     0,
     0,
     Transition::LeftUp,
     0,
     -1,
     0,
     {0, 0, 0},
     false},
    {"PressedAndSelectedReleasedOnASquarePlaces",
     1,
     0,
     Transition::LeftUp,
     -1,
     -1,
     -1,
     {0, 0, 0},
     true},
    {"PressedAndSelectedPressesAThird", 1, 0, Transition::LeftDown, 2, 2, 0, {0, 1, 1}, true},
    {"PressedAndSelectedTurnsOnTheBoard", 1, 0, Transition::RightUp, -1, 1, 0, {0, 1, 0}, true},
};

class TransitionTest : public BoardTest, public ::testing::WithParamInterface<Transition> {};

TEST_P(TransitionTest, LeavesTheStateItsRowGives) {
  const Transition& t = GetParam();
  MakeCharacters({3, 2, 2});
  if (t.selected >= 0) {
    engine.Select(t.selected);
    engine.Preview(BoardPosition{6, 0});
  }
  if (t.pressed >= 0) engine.PressButton(t.pressed);
  const int32_t x = t.button >= 0 ? kButtonX : t.button == -1 ? SquareX(2) : 460;
  const int32_t y = t.button >= 0 ? ButtonY(t.button) : SquareY(2);
  switch (t.event) {
    case Transition::LeftDown:
      engine.OnLButtonDown(x, y);
      break;
    case Transition::LeftUp:
      engine.OnLButtonUp(x, y);
      break;
    case Transition::RightUp:
      engine.OnRButtonUp(x, y);
      break;
    case Transition::Move:
      engine.OnMouseMove(x, y);
      break;
  }
  EXPECT_EQ(engine.pressedButton, t.pressedAfter);
  EXPECT_EQ(engine.selectedCharacter, t.selectedAfter);
  for (size_t i = 0; i < t.pressedFlags.size(); ++i) {
    EXPECT_EQ(Characters[i]->pressed, t.pressedFlags[i]) << "character " << i;
  }
  EXPECT_EQ(Shown(0), t.firstShown);
}

INSTANTIATE_TEST_SUITE_P(Rows, TransitionTest, ::testing::ValuesIn(kTransitions),
                         [](const auto& test) { return std::string(test.param.name); });

// Init and Release against real pictures: which overlays exist decides, and whatever was
// loaded goes back to the display.
struct InitCase {
  const char* name;
  bool shaded, grid;
  int32_t result;
};
void PrintTo(const InitCase& c, std::ostream* out) { *out << c.name; }

class EngineInitTest : public ContentFixture, public ::testing::WithParamInterface<InitCase> {
 protected:
  void SetUp() override {
    ContentFixture::SetUp();
    for (GridSquare& square : Grid) square = GridSquare();
    ASSERT_EQ(::getcwd(home, sizeof home), home);
  }
  void TearDown() override {
    ASSERT_EQ(::chdir(home), 0);
    for (GridSquare& square : Grid) square = GridSquare();
    ContentFixture::TearDown();
  }
  char home[4096] = {};
};

TEST_P(EngineInitTest, NeedsBothOverlaysAndGivesEverythingBack) {
  const InitCase& c = GetParam();
  const std::string folder = std::string("init-") + c.name;
  Write(folder + "/images/.keep", "");
  if (c.shaded) WriteBitmap(folder + "/images/ShadedOverlay.bmp", 432, 432, "gray");
  if (c.grid) WriteBitmap(folder + "/images/GridOverlay.bmp", 432, 432, "lime");
  ASSERT_EQ(::chdir(PathOf(folder).c_str()), 0);
  const int32_t before = Display->surfaceCount;
  {
    GameEngine engine;
    BackgroundSurface = Display->LoadBitmap(0, PathOf(kBackground).c_str());
    ASSERT_NE(BackgroundSurface, nullptr);
    EXPECT_EQ(engine.Init(), c.result);
    EXPECT_EQ(Grid[99].x, c.result ? 404 : 0);
    EXPECT_EQ(Grid[99].y, c.result ? 422 : 0);
    EXPECT_EQ(Display->surfaceCount, c.result ? before + 3 : before);
    EXPECT_EQ(BackgroundSurface == nullptr, c.result == 0);
    engine.Release();
    engine.Release();
    EXPECT_EQ(Display->surfaceCount, before);
    EXPECT_EQ(engine.gridOverlay, nullptr);
    EXPECT_EQ(engine.shadedOverlay, nullptr);
  }
  EXPECT_EQ(Display->surfaceCount, before);
}

INSTANTIATE_TEST_SUITE_P(Overlays, EngineInitTest,
                         ::testing::Values(InitCase{"Both", true, true, 1},
                                           InitCase{"ShadedMissing", false, true, 0},
                                           InitCase{"GridMissing", true, false, 0},
                                           InitCase{"Neither", false, false, 0}),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
