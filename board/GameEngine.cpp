// GameEngine: overlays, hit testing, placement, the mouse handlers and frame composition.
#include "board/GameEngine.h"

#include <cstdio>

#include "app/Registry.h"
#include "app/Settings.h"
#include "board/GridSquare.h"
#include "content/Character.h"
#include "content/CharacterCell.h"
#include "display/DisplayDevice.h"
#include "platform/Platform.h"
#include "platform/Sound.h"

namespace {

// Board layout on the play screen: the first square's corner, the step between squares, and
// the area the background and the grid overlay cover.
constexpr int32_t kBoardLeft = 17;
constexpr int32_t kBoardTop = 35;
constexpr int32_t kSquareStep = 43;
constexpr int32_t kSquareReach = 41;  // a square answers from its x to x + 41 inclusive
constexpr SurfaceRect kBoardArea{15, 33, 447, 465};
constexpr SurfaceRect kBoardPicture{0, 0, 432, 432};

// The panel: button i covers x 480 to 630 and y 260 + 40 i to 300 + 40 i.
constexpr int32_t kPanelLeft = 480;
constexpr int32_t kPanelRight = 630;
constexpr int32_t kPanelTop = 260;
constexpr int32_t kButtonHeight = 40;
constexpr int32_t kPanelBottom = 500;
constexpr SurfaceRect kButtonPicture{0, 0, 150, 40};
constexpr int32_t kMostDrawnCharacters = 6;

// The frame-rate line at the top of the screen: azure letters on black.
constexpr const char* kFpsFormat = "FPS: %d   -- Press F12 to exit";
constexpr int32_t kFpsX = 0;
constexpr int32_t kFpsY = 5;
constexpr uint32_t kFpsTextColor = 0x00FF7F00;
constexpr uint32_t kFpsBackgroundColor = 0;

}  // namespace

GameEngine::GameEngine() { BackgroundSurface = nullptr; }

GameEngine::~GameEngine() { Release(); }

int32_t GameEngine::Init() {
  shadedOverlay = Display->LoadBitmap(0, "images/ShadedOverlay.bmp");
  gridOverlay = Display->LoadBitmap(0, "images/GridOverlay.bmp");
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
  for (int32_t x = kBoardLeft; x < kBoardArea.right; x += kSquareStep) {
    for (int32_t y = kBoardTop; y < kBoardArea.bottom; y += kSquareStep) {
      GridSquare& square =
          Grid[(x - kBoardLeft) / kSquareStep * BoardSize + (y - kBoardTop) / kSquareStep];
      square.x = x;
      square.y = y;
    }
  }
}

void GameEngine::Release() {
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
  const int32_t boardRight = kBoardLeft + kSquareStep * (BoardSize - 1) + kSquareReach;
  const int32_t boardBottom = kBoardTop + kSquareStep * (BoardSize - 1) + kSquareReach;
  if (x < kBoardLeft || x > boardRight || y < kBoardTop || y > boardBottom) return HitNone;
  for (int32_t c = 0; c < BoardSize; ++c) {
    const GridSquare& first = Grid[c * BoardSize];
    if (x < first.x || x > first.x + kSquareReach) continue;
    for (int32_t r = 0; r < BoardSize; ++r) {
      const GridSquare& square = Grid[c * BoardSize + r];
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
  // A start off the board (a character longer than the board) can never stand anywhere.
  if (!OnBoard(column, row)) return true;
  const bool vertical = orientation == Vertical;
  const int64_t end = static_cast<int64_t>(vertical ? row : column) + length;
  if (end > BoardSize) return true;
  for (int32_t i = 0; i < length; ++i) {
    const int32_t c = vertical ? column : column + i;
    const int32_t r = vertical ? row + i : row;
    if (Grid[c * BoardSize + r].occupied) return true;
  }
  return false;
}

void GameEngine::Clamp(BoardPosition& position, int32_t length, int32_t orientation) {
  int32_t& along = orientation == Vertical ? position.row : position.column;
  if (static_cast<int64_t>(along) + length > BoardSize) along = BoardSize - length;
}

void GameEngine::Occupy(const Character& character, Character* occupant) {
  if (!character.cells) return;
  for (int32_t i = 0; i < character.cellCount; ++i) {
    const CharacterCell* cell = character.cells[i].get();
    if (cell && OnBoard(cell->column, cell->row)) {
      Grid[cell->column * BoardSize + cell->row].SetOccupant(occupant);
    }
  }
}

Character* GameEngine::Selected() const {
  if (selectedCharacter < 0 || selectedCharacter >= CharacterCount || !Characters) return nullptr;
  return Characters[selectedCharacter].get();
}

void GameEngine::OnLButtonDown(int32_t x, int32_t y) {
  BoardPosition position;
  if (HitTest(x, y, position) != HitButton) return;
  if (Characters && Characters[position.row]) Characters[position.row]->pressed = 1;
  pressedButton = position.row;
}

void GameEngine::OnLButtonUp(int32_t x, int32_t y) {
  BoardPosition position;
  const int32_t hit = HitTest(x, y, position);
  if (pressedButton >= 0) {
    if (hit == HitButton && position.row == pressedButton) {
      if (Character* previous = Selected()) previous->SetShown(0);
      selectedCharacter = position.row;
      Character* character = Selected();
      if (character && character->placed) {
        Occupy(*character, nullptr);
        character->SetShown(0);
        character->orientation = Vertical;
        character->placed = 0;
      }
    }
    if (pressedButton < CharacterCount && Characters && Characters[pressedButton]) {
      Characters[pressedButton]->pressed = 0;
    }
    pressedButton = -1;
  }
  Character* character = Selected();
  if (!character || hit != HitSquare) return;
  Clamp(position, character->cellCount, character->orientation);
  if (IsBlocked(position.column, position.row, character->cellCount, character->orientation)) {
    PlaySoundFile(kWarningSound);
    return;
  }
  character->SetPosition(position.column, position.row);
  Occupy(*character, character);
  character->placed = 1;
  selectedCharacter = -1;
}

void GameEngine::OnRButtonUp(int32_t x, int32_t y) {
  BoardPosition position;
  Character* character = Selected();
  if (!character || HitTest(x, y, position) != HitSquare) return;
  character->orientation = character->orientation == Vertical ? Horizontal : Vertical;
  Clamp(position, character->cellCount, character->orientation);
  character->SetPosition(position.column, position.row);
}

void GameEngine::OnMouseMove(int32_t x, int32_t y) {
  BoardPosition position;
  Character* character = Selected();
  if (!character || HitTest(x, y, position) != HitSquare) return;
  Clamp(position, character->cellCount, character->orientation);
  character->SetPosition(position.column, position.row);
  character->SetShown(1);
}

void GameEngine::OnKeyDown(int32_t key) {
  if (key == VK_F12) DestroyWindow(MainWindow);
}

void GameEngine::OnSysKey() {}

void GameEngine::RenderFrame(WindowHandle window, int32_t noPresent) {
  DisplayDevice& display = *Display;
  for (int32_t i = 0; i < CharacterCount && Characters; ++i) {
    const int32_t bottom = kPanelTop + kButtonHeight * (i + 1);
    if (bottom > kPanelBottom) break;
    const Character* character = Characters[i].get();
    if (!character) continue;
    Surface* button =
        character->pressed ? character->buttonDownSurface : character->buttonUpSurface;
    if (button) {
      display.Blit(SurfaceRect{kPanelLeft, bottom - kButtonHeight, kPanelRight, bottom}, button,
                   kButtonPicture, BlitWait);
    }
  }
  if (BackgroundSurface) display.Blit(kBoardArea, BackgroundSurface, kBoardPicture, BlitWait);
  if (gridOverlay) display.Blit(kBoardArea, gridOverlay, kBoardPicture, BlitWait | BlitKeySource);
  for (int32_t i = 0; i < CharacterCount && i < kMostDrawnCharacters && Characters; ++i) {
    if (Characters[i]) Characters[i]->Draw();
  }
  if (ShowFps) {
    char line[64];
    std::snprintf(line, sizeof line, kFpsFormat, FramesPerSecond);
    display.DrawText(kFpsX, kFpsY, line, kFpsTextColor, kFpsBackgroundColor);
  }
  if (!noPresent) display.Present(window);
}
