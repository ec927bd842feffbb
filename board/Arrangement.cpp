// Arrangement: taking the placements from the characters, and the rule of what stays.
#include "board/Arrangement.h"

#include "board/GridSquare.h"
#include "content/Character.h"
#include "content/CharacterCell.h"

Arrangement Arrangement::Take(const GameEngine& engine) {
  Arrangement arrangement;
  arrangement.selected = engine.selectedCharacter;
  for (int32_t i = 0; i < CharacterCount && Characters; ++i) {
    const Character* character = Characters[i].get();
    if (!character || !character->placed) continue;
    Placement placement{i, {}, character->orientation};
    // The start square is where the first cell there is stands, less its place in the row.
    for (int32_t j = 0; character->cells && j < character->cellCount; ++j) {
      const CharacterCell* cell = character->cells[j].get();
      if (!cell) continue;
      const bool horizontal = character->orientation == Horizontal;
      placement.start =
          BoardPosition{cell->column - (horizontal ? j : 0), cell->row - (horizontal ? 0 : j)};
      break;
    }
    arrangement.placed.push_back(placement);
  }
  return arrangement;
}

std::vector<Arrangement::Placement> Arrangement::Kept(const std::vector<Placement>& placed,
                                                      const std::vector<int32_t>& lengths) {
  std::vector<Placement> kept;
  bool taken[BoardSize * BoardSize] = {};
  for (const Placement& placement : placed) {
    if (placement.index < 0 || static_cast<size_t>(placement.index) >= lengths.size()) continue;
    const int32_t length = lengths[placement.index];
    if (length < 0) continue;
    const bool horizontal = placement.orientation == Horizontal;
    const int32_t column = placement.start.column;
    const int32_t row = placement.start.row;
    const int64_t end = static_cast<int64_t>(horizontal ? column : row) + length;
    if (length > 0 && (!OnBoard(column, row) || end > BoardSize)) continue;
    bool free = true;
    for (int32_t i = 0; i < length && free; ++i) {
      free = !taken[(horizontal ? column + i : column) * BoardSize + (horizontal ? row : row + i)];
    }
    if (!free) continue;
    for (int32_t i = 0; i < length; ++i) {
      taken[(horizontal ? column + i : column) * BoardSize + (horizontal ? row : row + i)] = true;
    }
    kept.push_back(placement);
  }
  return kept;
}

void Arrangement::Restore(GameEngine& engine) const {
  for (GridSquare& square : Grid) square.SetOccupant(nullptr);
  std::vector<int32_t> lengths;
  for (int32_t i = 0; i < CharacterCount && Characters; ++i) {
    lengths.push_back(Characters[i] ? Characters[i]->cellCount : -1);
  }
  for (const Placement& placement : Kept(placed, lengths)) {
    Character& character = *Characters[placement.index];
    character.orientation = placement.orientation;
    engine.selectedCharacter = placement.index;
    engine.Preview(placement.start);
    engine.TryPlace(placement.start);
  }
  const bool stays = selected >= 0 && selected < CharacterCount && Characters[selected];
  engine.selectedCharacter = stays ? selected : -1;
}
