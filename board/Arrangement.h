// Arrangement: where the placed characters stand and which one is selected, with what play
// beside the mouse keeps (the board cursor, the marks, the controls shown), taken from the
// running game so that it can be given to the characters of the same game read anew. Which
// placements stay is a pure rule, apart from the characters, so that it is tested alone.
#pragma once

#include <cstdint>
#include <vector>

#include "board/GameEngine.h"
#include "content/Character.h"

class Arrangement {
 public:
  struct Placement {
    int32_t index = 0;
    BoardPosition start;
    int32_t orientation = Vertical;
  };

  // The placed characters of Characters, in index order, the engine's selection and aids.
  static Arrangement Take(const GameEngine& engine);

  // The placements that stay with characters of `lengths` (cells by index, below 0 for an
  // index that has no character): one stays when its index still has a character, which still
  // lies on the board from its start square in its orientation and covers no square of a
  // placement kept before it. The others go back to the panel.
  static std::vector<Placement> Kept(const std::vector<Placement>& placed,
                                     const std::vector<int32_t>& lengths);

  // Gives the arrangement to the characters now in Characters, through `engine`'s own
  // placing: the placements that stay stand on their squares again, the selection stays when
  // its character is still there, and the aids stay as they were. The board is freed first: its
  // squares may still name the characters that were replaced.
  void Restore(GameEngine& engine) const;

  std::vector<Placement> placed;
  int32_t selected = -1;
  PlayAids aids;
};
