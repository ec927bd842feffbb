// GameEngine: overlays, hit testing, placement, and the mouse handlers with their operations.
#include "board/GameEngine.h"

#include <vector>

#include "board/BoardLayout.h"
#include "board/GridSquare.h"
#include "board/KeyMapping.h"
#include "content/Character.h"
#include "content/CharacterCell.h"
#include "content/ContentReport.h"
#include "content/DefinitionFile.h"
#include "content/GameFiles.h"
#include "display/DisplayDevice.h"
#include "platform/Platform.h"
#include "platform/Sound.h"

using namespace BoardLayout;

std::unique_ptr<GameEngine> Engine;

namespace {

uint64_t NextGeneration() {
  static uint64_t generations = 0;
  return ++generations;
}

}  // namespace

GameEngine::GameEngine() : generation(NextGeneration()) { BackgroundSurface = nullptr; }

GameEngine::~GameEngine() { Release(); }

int32_t GameEngine::Init() {
  shadedOverlay = Display->LoadBitmap(0, kShadedOverlayPath);
  ContentReport::ReportPicture(ContentReport::Picture::Overlay, kShadedOverlayPath, shadedOverlay);
  gridOverlay = Display->LoadBitmap(0, kGridOverlayPath);
  ContentReport::ReportPicture(ContentReport::Picture::Overlay, kGridOverlayPath, gridOverlay);
  Display->SetColorKeyMode(KeyGreen);
  Display->ApplyColorKey(shadedOverlay);
  Display->ApplyColorKey(gridOverlay);
  if (!shadedOverlay || !gridOverlay) {
    Release();
    return 0;
  }
  LayOutBoard();
  return 1;
}

void GameEngine::LayOutBoard() {
  for (int32_t x = kFirstSquareX; x < kBoardArea.right; x += kSquareStep) {
    for (int32_t y = kFirstSquareY; y < kBoardArea.bottom; y += kSquareStep) {
      GridSquare& square =
          Square((x - kFirstSquareX) / kSquareStep, (y - kFirstSquareY) / kSquareStep);
      square.x = x;
      square.y = y;
    }
  }
}

void GameEngine::Release() {
  generation = NextGeneration();
  if (!Display) return;
  if (BackgroundSurface) Display->ReleaseSurface(BackgroundSurface);
  BackgroundSurface = nullptr;
  if (shadedOverlay) Display->ReleaseSurface(shadedOverlay);
  shadedOverlay = nullptr;
  if (gridOverlay) Display->ReleaseSurface(gridOverlay);
  gridOverlay = nullptr;
}

int32_t GameEngine::HitTest(int32_t x, int32_t y, BoardPosition& position) {
  for (int32_t i = 0; i < CharacterCount; ++i) {
    const int32_t top = kPanelTop + kButtonHeight * i;
    if (top > y) break;
    if (x >= kPanelLeft && x <= kPanelRight && y <= top + kButtonHeight) {
      position = BoardPosition{0, i};
      return HitButton;
    }
  }
  constexpr int32_t boardRight = kFirstSquareX + kSquareStep * (BoardSize - 1) + kSquareReach;
  constexpr int32_t boardBottom = kFirstSquareY + kSquareStep * (BoardSize - 1) + kSquareReach;
  if (x < kFirstSquareX || x > boardRight || y < kFirstSquareY || y > boardBottom) return HitNone;
  for (int32_t c = 0; c < BoardSize; ++c) {
    const GridSquare& first = Square(c, 0);
    if (x < first.x || x > first.x + kSquareReach) continue;
    for (int32_t r = 0; r < BoardSize; ++r) {
      const GridSquare& square = Square(c, r);
      if (y >= square.y && y <= square.y + kSquareReach) {
        position = BoardPosition{c, r};
        return HitSquare;
      }
    }
  }
  return HitNone;
}

bool GameEngine::IsBlocked(int32_t column, int32_t row, int32_t length, int32_t orientation) {
  if (length <= 0) return false;
  // The edges first, so that no square beyond them is looked at. A start off the board (a
  // character longer than the board) can never stand anywhere.
  const CellRun run{column, row, orientation};
  if (!OnBoard(run, length)) return true;
  for (int32_t i = 0; i < length; ++i) {
    const CellRun cell = run.From(i);
    if (Square(cell.column, cell.row).occupied) return true;
  }
  return false;
}

void GameEngine::Clamp(BoardPosition& position, int32_t length, int32_t orientation) {
  CellRun run{position.column, position.row, orientation};
  if (run.End(length) > BoardSize) run.Along() = BoardSize - length;
  position = BoardPosition{run.column, run.row};
}

// Placing and lifting read the squares from the cells themselves: the character has put them
// there by its own orientation rule, so the engine need not apply that rule a second time.
void GameEngine::Occupy(const Character& character, Character* occupant) {
  if (!character.cells) return;
  for (int32_t i = 0; i < character.cellCount; ++i) {
    const CharacterCell* cell = character.cells[i].get();
    if (cell && OnBoard(cell->column, cell->row)) {
      Square(cell->column, cell->row).SetOccupant(occupant);
    }
  }
}

Character* GameEngine::Selected() const {
  if (selectedCharacter < 0 || selectedCharacter >= CharacterCount || !Characters) return nullptr;
  return Characters[selectedCharacter].get();
}

void GameEngine::PressButton(int32_t button) {
  if (button < 0 || button >= CharacterCount || !Characters) return;
  if (Characters[button]) Characters[button]->pressed = 1;
  pressedButton = button;
  aids.keys.lastButton = button;
}

void GameEngine::ReleasePressedButton() {
  if (pressedButton < 0) return;
  if (pressedButton < CharacterCount && Characters && Characters[pressedButton]) {
    Characters[pressedButton]->pressed = 0;
  }
  pressedButton = -1;
}

void GameEngine::Select(int32_t index) {
  if (Character* previous = Selected()) previous->SetShown(0);
  selectedCharacter = index;
  Character* character = Selected();
  if (character && character->placed) Lift(*character);
}

void GameEngine::Lift(Character& character) {
  Occupy(character, nullptr);
  character.SetShown(0);
  character.orientation = Vertical;
  character.placed = 0;
}

void GameEngine::Preview(BoardPosition square) {
  Character* character = Selected();
  if (!character) return;
  Clamp(square, character->cellCount, character->orientation);
  character->SetPosition(square.column, square.row);
  character->SetShown(1);
}

void GameEngine::Turn(BoardPosition square) {
  Character* character = Selected();
  if (!character) return;
  character->orientation = character->orientation == Vertical ? Horizontal : Vertical;
  Clamp(square, character->cellCount, character->orientation);
  character->SetPosition(square.column, square.row);
}

bool GameEngine::TryPlace(BoardPosition square) {
  Character* character = Selected();
  if (!character) return false;
  Clamp(square, character->cellCount, character->orientation);
  if (IsBlocked(square.column, square.row, character->cellCount, character->orientation)) {
    PlaySoundFile(kWarningSound);
    aids.Refused(CellRun{square.column, square.row, character->orientation}, character->cellCount);
    return false;
  }
  character->SetPosition(square.column, square.row);
  Occupy(*character, character);
  character->placed = 1;
  selectedCharacter = -1;
  return true;
}

void GameEngine::OnLButtonDown(int32_t x, int32_t y) {
  BoardPosition position;
  if (HitTest(x, y, position) == HitButton) PressButton(position.row);
}

void GameEngine::OnLButtonUp(int32_t x, int32_t y) {
  BoardPosition position;
  const int32_t hit = HitTest(x, y, position);
  if (pressedButton >= 0) {
    if (hit == HitButton && position.row == pressedButton) Select(position.row);
    ReleasePressedButton();
  }
  if (hit == HitSquare) TryPlace(position);
}

void GameEngine::OnRButtonUp(int32_t x, int32_t y) {
  BoardPosition position;
  if (HitTest(x, y, position) == HitSquare) Turn(position);
}

void GameEngine::OnMouseMove(int32_t x, int32_t y) {
  BoardPosition position;
  if (HitTest(x, y, position) == HitSquare) Preview(position);
}

// F12 destroys the engine under this handler: DestroyWindow sends WM_DESTROY, whose Shutdown
// releases the engine and the display before DestroyWindow returns. That is safe only because
// the handler is static and touches nothing after the call.
void GameEngine::OnKeyDown(int32_t key) {
  if (key == VK_F12) DestroyWindow(MainWindow);
}

void GameEngine::OnSysKey() {}

void GameEngine::OnPlayKey(int32_t key, int64_t flags) {
  std::vector<uint8_t> placed;
  for (int32_t i = 0; i < CharacterCount && Characters; ++i) {
    placed.push_back(Characters[i] && Characters[i]->placed);
  }
  const KeyMapping::Action action = KeyMapping::Of(key, flags, aids.keys, placed);
  if (!action.known) return;
  aids.KeyTaken(action.after, flags);
  for (const PointerEvent& event : action.events) {
    switch (event.message) {
      case WM_MOUSEMOVE:
        OnMouseMove(event.x, event.y);
        break;
      case WM_LBUTTONDOWN:
        OnLButtonDown(event.x, event.y);
        break;
      case WM_LBUTTONUP:
        OnLButtonUp(event.x, event.y);
        break;
      case WM_RBUTTONUP:
        OnRButtonUp(event.x, event.y);
        break;
    }
  }
}

void GameEngine::OnPointerMove(int32_t x, int32_t y) {
  BoardPosition square;
  aids.PointerMoved(HitTest(x, y, square) == HitSquare ? &square : nullptr);
  OnMouseMove(x, y);
}
