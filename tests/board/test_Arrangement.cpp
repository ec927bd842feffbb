// What stays of the arrangement when the game is read anew, one case a line.
#include <gtest/gtest.h>

#include <vector>

#include "board/Arrangement.h"

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

}  // namespace
