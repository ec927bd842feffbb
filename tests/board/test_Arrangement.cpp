// The arrangement taken from the placed characters, and what stays of it when the game is read
// anew, one case a line.
#include <gtest/gtest.h>

#include <vector>

#include "board/Arrangement.h"
#include "content/CharacterCell.h"

namespace {

using Placement = Arrangement::Placement;
constexpr int32_t V = Vertical, H = Horizontal;

struct Case {
  const char* what;
  std::vector<Placement> placed;
  std::vector<int32_t> lengths;
  std::vector<int32_t> kept;
};

TEST(ArrangementTest, KeepsWhatTheNewContentStillAllows) {
  const std::vector<Placement> two = {{0, {2, 3}, V}, {1, {5, 0}, H}};
  const Case cases[] = {
      {"the same content", two, {3, 4}, {0, 1}},
      {"a character made too long for its square", two, {8, 4}, {1}},
      {"the last character removed", two, {3}, {0}},
      {"a character now without its package", two, {-1, 4}, {1}},
      {"no characters at all", two, {}, {}},
      {"two characters now overlapping", {{0, {0, 0}, H}, {1, {2, 0}, V}}, {3, 2}, {0}},
      {"touching, not overlapping", {{0, {0, 0}, H}, {1, {2, 0}, V}}, {2, 2}, {0, 1}},
      {"a character without cells", {{0, {0, 0}, V}}, {0}, {0}},
  };
  for (const Case& c : cases) {
    std::vector<int32_t> kept;
    for (const Placement& p : Arrangement::Kept(c.placed, c.lengths)) kept.push_back(p.index);
    EXPECT_EQ(kept, c.kept) << c.what;
  }
}

TEST(ArrangementTest, TakesEachStartFromTheFirstCellThereIs) {
  // A vertical and a horizontal character standing from (4, 5), neither with its cell 0.
  CharacterCount = 2;
  Characters = std::make_unique<std::unique_ptr<Character>[]>(2);
  for (int32_t i = 0; i < CharacterCount; ++i) {
    auto character = std::make_unique<Character>();
    character->cellCount = 3;
    character->cells = std::make_unique<std::unique_ptr<CharacterCell>[]>(3);
    for (int32_t j = 1; j < 3; ++j) character->cells[j] = std::make_unique<CharacterCell>();
    character->orientation = i == 0 ? V : H;
    character->SetPosition(4, 5);
    character->placed = 1;
    Characters[i] = std::move(character);
  }
  const Arrangement taken = Arrangement::Take(GameEngine());
  ASSERT_EQ(taken.placed.size(), 2u);
  for (const Placement& placement : taken.placed) {
    EXPECT_EQ(placement.start.column, 4) << placement.index;
    EXPECT_EQ(placement.start.row, 5) << placement.index;
  }
  Characters.reset();
  CharacterCount = 0;
}

}  // namespace
