// GridSquare: occupancy, and the board itself.
#include "board/GridSquare.h"

GridSquare Grid[BoardSize * BoardSize];

void GridSquare::SetOccupant(Character* character) {
  occupant = character;
  occupied = character ? 1 : 0;
}
