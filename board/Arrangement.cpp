// Arrangement: taking the placements from the characters, and the rule of what stays.
#include "board/Arrangement.h"

#include "board/GridSquare.h"
#include "content/Character.h"
#include "content/CharacterCell.h"

Arrangement Arrangement::Take(const GameEngine& engine) {
  Arrangement arrangement;
  arrangement.selected = engine.selectedCharacter;
  arrangement.aids = engine.aids;
  for (int32_t i = 0; i < CharacterCount && Characters; ++i) {
    const Character* character = Characters[i].get();
    if (!character || !character->placed) continue;
    Placement placement{i, {}, character->orientation};
    // The start square is where the first cell there is stands, less its place in the row.
    for (int32_t j = 0; character->cells && j < character->cellCount; ++j) {
      const CharacterCell* cell = character->cells[j].get();
      if (!cell) continue;
      const CellRun start = CellRun{cell->column, cell->row, character->orientation}.From(-j);
      placement.start = BoardPosition{start.column, start.row};
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
    const CellRun run{placement.start.column, placement.start.row, placement.orientation};
    if (!OnBoard(run, length)) continue;
    const auto square = [&run](int32_t i) {
      const CellRun cell = run.From(i);
      return static_cast<size_t>(cell.column * BoardSize + cell.row);
    };
    bool free = true;
    for (int32_t i = 0; i < length && free; ++i) free = !taken[square(i)];
    if (!free) continue;
    for (int32_t i = 0; i < length; ++i) taken[square(i)] = true;
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
  engine.aids = aids;
}
