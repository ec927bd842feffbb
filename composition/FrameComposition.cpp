// FrameComposition: the steps of a frame, the board picture, the buffers' memories, and the
// entry points of the classes below that hand their drawing to the composition.
#include "composition/FrameComposition.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "board/BoardLayout.h"
#include "board/GameEngine.h"
#include "board/GridSquare.h"
#include "content/Character.h"
#include "content/CharacterCell.h"
#include "content/DefinitionFile.h"
#include "display/DisplayDevice.h"

using namespace BoardLayout;

int32_t ShowFps = 1;
int32_t FramesPerSecond = 0;

namespace {

// The frame-rate line at the top of the screen: azure letters on black.
constexpr const char* kFpsFormat = "FPS: %d   -- Press F12 to exit";
constexpr int32_t kFpsX = 0;
constexpr int32_t kFpsY = 5;
constexpr uint32_t kFpsTextColor = 0x00FF7F00;
constexpr uint32_t kFpsBackgroundColor = 0;

// The marks of play without a pointer and the sign of a refused placement: black and white,
// so that they show on any picture and without colour vision.
constexpr uint32_t kMarkBlack = 0x00000000;
constexpr uint32_t kMarkWhite = 0x00FFFFFF;
// A ring: a black frame around a white one, each this wide.
constexpr int32_t kRingWidth = 2;
// A placed character's button: a box left of it, in the gap between board and panel, black
// around white around black, so that the button's picture stays whole.
constexpr int32_t kPlacedBoxSide = 20;
constexpr int32_t kPlacedBoxGap = 6;
// A refused square: a chequer of black and white cells of this side.
constexpr int32_t kCheckSide = 5;

// The controls, in a black box with a white ring over the play screen: a title line in the
// frame-rate line's azure, then each control's keys and what they do in two columns.
constexpr SurfaceRect kControlsBox{16, 28, 624, 300};
constexpr int32_t kControlsInset = 14;
constexpr int32_t kControlsLine = 18;
constexpr int32_t kControlsWhatX = 190;
struct Control {
  const char* keys;
  const char* what;
};
constexpr const char* kKeyboardTitle = "Controls: keys and mouse (F1 or Escape hides them)";
constexpr Control kKeyboardControls[] = {
    {"Arrow keys", "move the board cursor; the character follows"},
    {"1 to 5", "select that character, or lift it off the board"},
    {"Tab, Shift+Tab", "select the next / previous character to place"},
    {"Space or R", "turn the selected character"},
    {"Enter", "place it (blocked: its squares are chequered)"},
    {"F1", "show or hide these controls"},
    {"F12", "end the game"},
    {"Left button", "on a character's button: select or lift it"},
    {"Pointer", "over the board: the character follows it"},
    {"Right button", "over the board: turn the character"},
    {"Left button", "over the board: place it"},
};
constexpr const char* kControllerTitle = "Controls: controller (Menu or B hides them)";
constexpr Control kControllerControls[] = {
    {"D-pad, left stick", "move the board cursor; the character follows"},
    {"LB, RB", "select the previous / next character to place"},
    {"A", "place it (blocked: its squares are chequered)"},
    {"X, Y", "turn the selected character"},
    {"Menu", "show or hide these controls"},
    {"B", "hide these controls"},
    {"View", "end the game"},
    {"", "A placed character is lifted by the keys 1 to 5"},
    {"", "or by the mouse on its button."},
};

// The overlay's lines: one below the other from under the frame-rate line to the bottom.
constexpr int32_t kOverlayTop = 24;
constexpr int32_t kOverlayLeft = 4;
constexpr uint32_t kOverlayTextColor = 0x00FFFFFF;
constexpr uint32_t kOverlayBackgroundColor = 0x00000090;

// The left and right edges of the covered rectangles that span the band [top, bottom), in
// order and merged where they touch.
std::vector<std::pair<int32_t, int32_t>> CoveredSpans(std::span<const SurfaceRect> covered,
                                                      int32_t top, int32_t bottom) {
  std::vector<std::pair<int32_t, int32_t>> spans;
  for (const SurfaceRect& rect : covered) {
    if (rect.top <= top && rect.bottom >= bottom && rect.left < rect.right) {
      spans.emplace_back(rect.left, rect.right);
    }
  }
  std::sort(spans.begin(), spans.end());
  std::vector<std::pair<int32_t, int32_t>> merged;
  for (const auto& span : spans) {
    if (!merged.empty() && span.first <= merged.back().second) {
      merged.back().second = std::max(merged.back().second, span.second);
    } else {
      merged.push_back(span);
    }
  }
  return merged;
}

SurfaceRect Inset(const SurfaceRect& area, int32_t by) {
  return SurfaceRect{area.left + by, area.top + by, area.right - by, area.bottom - by};
}

// A frame `width` pixels wide just inside `area`.
void Outline(DisplayDevice& display, const SurfaceRect& area, int32_t width, uint32_t color) {
  display.Fill({area.left, area.top, area.right, area.top + width}, color);
  display.Fill({area.left, area.bottom - width, area.right, area.bottom}, color);
  display.Fill({area.left, area.top + width, area.left + width, area.bottom - width}, color);
  display.Fill({area.right - width, area.top + width, area.right, area.bottom - width}, color);
}

void Ring(DisplayDevice& display, const SurfaceRect& area, std::vector<SurfaceRect>& drawn) {
  Outline(display, area, kRingWidth, kMarkBlack);
  Outline(display, Inset(area, kRingWidth), kRingWidth, kMarkWhite);
  drawn.push_back(area);
}

// A board square's own 41 by 41 pixels.
SurfaceRect SquareArea(int32_t column, int32_t row) {
  const GridSquare& square = Square(column, row);
  return SurfaceRect{square.x, square.y, square.x + square.width, square.y + square.height};
}

// Where a shown cell's still picture goes: from its square's corner by its offsets, at its size.
SurfaceRect CellArea(const CharacterCell& cell) {
  const GridSquare& square = Square(cell.column, cell.row);
  const int32_t left = square.x + cell.xOffset;
  const int32_t top = square.y + cell.yOffset;
  return SurfaceRect{left, top, left + cell.width, top + cell.height};
}

// The part of `area` inside `bounds`; empty (right at left) when they do not meet.
SurfaceRect Within(const SurfaceRect& area, const SurfaceRect& bounds) {
  const SurfaceRect part{std::max(area.left, bounds.left), std::max(area.top, bounds.top),
                         std::min(area.right, bounds.right), std::min(area.bottom, bounds.bottom)};
  if (part.right <= part.left || part.bottom <= part.top) return SurfaceRect{};
  return part;
}

}  // namespace

std::vector<SurfaceRect> FrameComposition::Uncovered(const SurfaceRect& screen,
                                                     std::span<const SurfaceRect> covered) {
  // The screen is cut into horizontal bands at every covered rectangle's top and bottom; within
  // a band every covered rectangle spans it whole, so its gaps are plain intervals. A gap that
  // continues one of the band above grows that rectangle instead of starting a new one.
  std::vector<int32_t> edges{screen.top, screen.bottom};
  for (const SurfaceRect& rect : covered) {
    edges.push_back(std::clamp(rect.top, screen.top, screen.bottom));
    edges.push_back(std::clamp(rect.bottom, screen.top, screen.bottom));
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

  std::vector<SurfaceRect> gaps;
  std::vector<size_t> open;  // rectangles that end at the current band's top
  for (size_t band = 0; band + 1 < edges.size(); ++band) {
    const int32_t top = edges[band];
    const int32_t bottom = edges[band + 1];
    std::vector<size_t> next;
    int32_t left = screen.left;
    const auto addGap = [&](int32_t right) {
      if (right <= left) return;
      const auto same = std::find_if(open.begin(), open.end(), [&](size_t i) {
        return gaps[i].left == left && gaps[i].right == right;
      });
      if (same != open.end()) {
        gaps[*same].bottom = bottom;
        next.push_back(*same);
      } else {
        gaps.push_back(SurfaceRect{left, top, right, bottom});
        next.push_back(gaps.size() - 1);
      }
    };
    for (const auto& [spanLeft, spanRight] : CoveredSpans(covered, top, bottom)) {
      addGap(std::min(spanLeft, screen.right));
      left = std::max(left, spanRight);
    }
    addGap(screen.right);
    open = std::move(next);
  }
  return gaps;
}

FrameComposition& FrameComposition::The() {
  static FrameComposition composition;
  return composition;
}

void FrameComposition::Compose(const GameEngine& engine, WindowHandle window, int32_t noPresent) {
  The().ComposeFrame(engine, window, noPresent);
}

void FrameComposition::SetOverlayLines(std::vector<std::string> lines) {
  FrameComposition& composition = The();
  if (lines == composition.overlayLines_) return;
  composition.overlayLines_ = std::move(lines);
  ++composition.overlayGeneration_;
}

const std::vector<std::string>& FrameComposition::OverlayLines() { return The().overlayLines_; }

void FrameComposition::Release() {
  FrameComposition& composition = The();
  composition.engineGeneration_ = 0;
  composition.displayGeneration_ = 0;
  composition.boardPicture_.reset();
  composition.boardBackground_ = nullptr;
  composition.boardOverlay_ = nullptr;
  for (BufferMemory& memory : composition.bufferMemory_) memory = BufferMemory{};
}

void FrameComposition::FrameKey(const GameEngine& engine, std::vector<int64_t>& key) {
  const auto address = [](const void* pointer) {
    return static_cast<int64_t>(reinterpret_cast<intptr_t>(pointer));
  };
  key.assign({ShowFps ? FramesPerSecond : INT64_MIN, CharacterCount, address(BackgroundSurface),
              address(engine.gridOverlay), The().overlayGeneration_});
  for (int32_t i = 0; i < CharacterCount && i < kMostDrawnCharacters && Characters; ++i) {
    const Character* character = Characters[i].get();
    if (!character) {
      key.push_back(-1);
      continue;
    }
    key.push_back(
        address(character->pressed ? character->buttonDownSurface : character->buttonUpSurface));
    key.push_back(character->cells ? character->cellCount : 0);
    for (int32_t j = 0; character->cells && j < character->cellCount; ++j) {
      const CharacterCell* cell = character->cells[j].get();
      if (!cell || !cell->shown || !OnBoard(cell->column, cell->row)) {
        key.push_back(-1);
        continue;
      }
      const GridSquare& square = Square(cell->column, cell->row);
      key.insert(key.end(), {address(cell->stillSurface), square.x + cell->xOffset,
                             square.y + cell->yOffset, cell->width, cell->height});
    }
  }
  // The aids add to the key only while they are drawn, so that a frame without them has the
  // key it always had; the tag before each part tells them apart.
  const PlayAids& aids = engine.aids;
  if (aids.marksShown) {
    key.insert(key.end(),
               {1, aids.keys.cursor.column, aids.keys.cursor.row, engine.selectedCharacter});
    for (int32_t i = 0; i < CharacterCount && Characters; ++i) {
      key.push_back(Characters[i] && Characters[i]->placed);
    }
  }
  if (aids.SignShown()) {
    key.insert(key.end(), {2, aids.refusedRun.column, aids.refusedRun.row,
                           aids.refusedRun.orientation, aids.refusedLength});
  }
  if (aids.keys.controlsShown) key.insert(key.end(), {3, aids.fromController});
}

void FrameComposition::ComposeFrame(const GameEngine& engine, WindowHandle window,
                                    int32_t noPresent) {
  DisplayDevice& display = *Display;
  const Surface* target = display.ActiveBackBuffer();
  if (!target) return;
  // A frame equal to the one on screen is neither composed nor presented: the picture stays
  // exactly what composing would give, at no cost while nothing moves.
  FrameKey(engine, key_);
  if (!noPresent && display.IsShowing(key_)) return;

  Follow(engine, display);
  std::vector<SurfaceRect> covered;
  DrawButtons(display, covered);
  DrawBoard(engine, display, covered);
  BufferMemory& memory = MemoryOf(target);
  ClearUncovered(display, *target, memory, std::move(covered));
  DrawGridOverlay(engine, display, memory);
  DrawCells(memory);
  DrawRefusal(engine, display, memory);
  DrawMarks(engine, display, memory);
  DrawFrameRate(display, memory);
  DrawFindings(display, *target, memory);
  DrawControls(engine, display, memory);
  if (!noPresent) {
    display.Present(window);
    display.RememberShown(key_);
  }
}

void FrameComposition::Follow(const GameEngine& engine, const DisplayDevice& display) {
  if (engine.generation == engineGeneration_ && display.generation == displayGeneration_) return;
  Release();
  engineGeneration_ = engine.generation;
  displayGeneration_ = display.generation;
}

// Buttons and background cover their areas whole; they are drawn first so that what they
// leave uncovered can be cleared before anything is drawn over it.
void FrameComposition::DrawButtons(DisplayDevice& display, std::vector<SurfaceRect>& covered) {
  for (int32_t i = 0; i < CharacterCount && Characters; ++i) {
    const SurfaceRect area = ButtonArea(i);
    if (area.bottom > kPanelBottom) break;
    const Character* character = Characters[i].get();
    if (!character) continue;
    Surface* button =
        character->pressed ? character->buttonDownSurface : character->buttonUpSurface;
    if (button && display.Blit(area, button, kButtonPicture, BlitWait)) covered.push_back(area);
  }
}

void FrameComposition::DrawBoard(const GameEngine& engine, DisplayDevice& display,
                                 std::vector<SurfaceRect>& covered) {
  if (Surface* board = BoardPicture(engine, display)) {
    if (display.Blit(kBoardArea, board, kBoardPicture, BlitWait)) covered.push_back(kBoardArea);
  } else if (BackgroundSurface &&
             display.Blit(kBoardArea, BackgroundSurface, kBoardPicture, BlitWait)) {
    covered.push_back(kBoardArea);
  }
}

// The rest is cleared: all of it in a buffer's first frame and whenever the covering changed,
// otherwise just what the buffer's last frame drew there.
void FrameComposition::ClearUncovered(DisplayDevice& display, const Surface& target,
                                      BufferMemory& memory, std::vector<SurfaceRect> covered) {
  const SurfaceRect screen{0, 0, target.Width(), target.Height()};
  if (memory.covered == covered) {
    for (const SurfaceRect& drawn : memory.drawn) {
      const SurfaceRect part = Within(drawn, screen);
      const bool hidden = std::any_of(covered.begin(), covered.end(),
                                      [&part](const auto& c) { return Within(part, c) == part; });
      if (part.right == part.left || hidden) continue;
      for (const SurfaceRect& gap : Uncovered(part, covered)) display.Clear(gap);
    }
  } else {
    for (const SurfaceRect& gap : Uncovered(screen, covered)) display.Clear(gap);
  }
  memory.covered = std::move(covered);
  memory.drawn.clear();
}

void FrameComposition::DrawGridOverlay(const GameEngine& engine, DisplayDevice& display,
                                       BufferMemory& memory) {
  if (!boardPicture_ && engine.gridOverlay &&
      display.Blit(kBoardArea, engine.gridOverlay, kBoardPicture, BlitWait | BlitKeySource)) {
    memory.drawn.push_back(kBoardArea);
  }
}

void FrameComposition::DrawCells(BufferMemory& memory) {
  for (int32_t i = 0; i < CharacterCount && i < kMostDrawnCharacters && Characters; ++i) {
    const Character* character = Characters[i].get();
    if (!character) continue;
    Draw(*character);
    for (int32_t j = 0; character->cells && j < character->cellCount; ++j) {
      const CharacterCell* cell = character->cells[j].get();
      if (cell && cell->shown && cell->stillSurface && OnBoard(cell->column, cell->row)) {
        memory.drawn.push_back(CellArea(*cell));
      }
    }
  }
}

// The squares the refused character would have covered, each chequered whole.
void FrameComposition::DrawRefusal(const GameEngine& engine, DisplayDevice& display,
                                   BufferMemory& memory) {
  const PlayAids& aids = engine.aids;
  if (!aids.SignShown()) return;
  for (int32_t i = 0; i < aids.refusedLength; ++i) {
    const CellRun cell = aids.refusedRun.From(i);
    if (!OnBoard(cell.column, cell.row)) continue;
    const SurfaceRect area = SquareArea(cell.column, cell.row);
    display.Fill(area, kMarkWhite);
    for (int32_t y = area.top, band = 0; y < area.bottom; y += kCheckSide, ++band) {
      for (int32_t x = area.left + band % 2 * kCheckSide; x < area.right; x += 2 * kCheckSide) {
        display.Fill(
            {x, y, std::min(x + kCheckSide, area.right), std::min(y + kCheckSide, area.bottom)},
            kMarkBlack);
      }
    }
    memory.drawn.push_back(area);
  }
}

// While the last input was a key: a ring around the cursor's square (in the gaps around it and
// on its edge), a ring inside the selected character's button, and a box beside each placed
// one's.
void FrameComposition::DrawMarks(const GameEngine& engine, DisplayDevice& display,
                                 BufferMemory& memory) {
  const PlayAids& aids = engine.aids;
  if (!aids.marksShown) return;
  Ring(display, Inset(SquareArea(aids.keys.cursor.column, aids.keys.cursor.row), -kRingWidth),
       memory.drawn);
  for (int32_t i = 0; i < CharacterCount && Characters; ++i) {
    const SurfaceRect area = ButtonArea(i);
    if (area.bottom > kPanelBottom) break;
    if (i == engine.selectedCharacter) Ring(display, area, memory.drawn);
    if (!Characters[i] || !Characters[i]->placed) continue;
    const int32_t top = (area.top + area.bottom - kPlacedBoxSide) / 2;
    const SurfaceRect box{area.left - kPlacedBoxGap - kPlacedBoxSide, top,
                          area.left - kPlacedBoxGap, top + kPlacedBoxSide};
    display.Fill(box, kMarkBlack);
    display.Fill(Inset(box, kRingWidth), kMarkWhite);
    display.Fill(Inset(box, 3 * kRingWidth), kMarkBlack);
    memory.drawn.push_back(box);
  }
}

void FrameComposition::DrawFrameRate(DisplayDevice& display, BufferMemory& memory) {
  if (!ShowFps) return;
  char line[64];
  std::snprintf(line, sizeof line, kFpsFormat, FramesPerSecond);
  memory.drawn.push_back(display.DrawText(kFpsX, kFpsY, line, kFpsTextColor, kFpsBackgroundColor));
}

void FrameComposition::DrawFindings(DisplayDevice& display, const Surface& target,
                                    BufferMemory& memory) const {
  int32_t overlayY = kOverlayTop;
  for (const std::string& line : overlayLines_) {
    const SurfaceRect drawn =
        display.DrawText(kOverlayLeft, overlayY, line, kOverlayTextColor, kOverlayBackgroundColor);
    if (drawn.bottom <= drawn.top) continue;
    memory.drawn.push_back(drawn);
    overlayY = drawn.bottom + 1;
    if (overlayY >= target.Height()) break;
  }
}

// The controls of the input in use, in the font of the frame-rate line, which stays readable on
// every screen the play screen is fitted to.
void FrameComposition::DrawControls(const GameEngine& engine, DisplayDevice& display,
                                    BufferMemory& memory) {
  const PlayAids& aids = engine.aids;
  if (!aids.keys.controlsShown) return;
  const std::span<const Control> controls =
      aids.fromController ? std::span<const Control>(kControllerControls) : kKeyboardControls;
  display.Fill(kControlsBox, kMarkBlack);
  Outline(display, kControlsBox, kRingWidth, kMarkWhite);
  memory.drawn.push_back(kControlsBox);
  const int32_t left = kControlsBox.left + kControlsInset;
  int32_t y = kControlsBox.top + kControlsInset;
  display.DrawText(left, y, aids.fromController ? kControllerTitle : kKeyboardTitle, kFpsTextColor,
                   kMarkBlack);
  for (const Control& control : controls) {
    y += kControlsLine;
    if (*control.keys) display.DrawText(left, y, control.keys, kMarkWhite, kMarkBlack);
    display.DrawText(left + kControlsWhatX, y, control.what, kMarkWhite, kMarkBlack);
  }
}

// The board area shows the background with the grid overlay keyed over it, or the overlay over
// black without a background. Neither picture changes once loaded, so the two are composed
// once into a picture of the board and each frame copies that whole: the same pixels, without
// a keyed copy of the overlay in every frame.
Surface* FrameComposition::BoardPicture(const GameEngine& engine, DisplayDevice& display) {
  const Surface* target = display.ActiveBackBuffer();
  const bool current = boardPicture_ && boardBackground_ == BackgroundSurface &&
                       boardOverlay_ == engine.gridOverlay &&
                       boardPicture_->Format() == target->Format();
  if (current) return boardPicture_.get();
  boardPicture_ = display.NewPicture(kBoardPicture.right, kBoardPicture.bottom);
  if (!boardPicture_) return nullptr;
  // Making the picture has registered the exit check of surfaces (display/Surface.cpp), if
  // nothing had before; what is registered after it runs before it.
  [[maybe_unused]] static const bool releasedAtExit = std::atexit([] { Release(); }) == 0;
  boardBackground_ = BackgroundSurface;
  boardOverlay_ = engine.gridOverlay;
  if (BackgroundSurface)
    display.BlitInto(*boardPicture_, kBoardPicture, BackgroundSurface, kBoardPicture, BlitWait);
  if (engine.gridOverlay)
    display.BlitInto(*boardPicture_, kBoardPicture, engine.gridOverlay, kBoardPicture,
                     BlitWait | BlitKeySource);
  return boardPicture_.get();
}

FrameComposition::BufferMemory& FrameComposition::MemoryOf(const Surface* buffer) {
  for (BufferMemory& memory : bufferMemory_) {
    if (memory.buffer == buffer) return memory;
  }
  // The memories are of one opening of the display, whose buffers stay the same throughout:
  // the second one is a flip chain's other buffer.
  BufferMemory& memory = bufferMemory_[0].buffer ? bufferMemory_[1] : bufferMemory_[0];
  memory = BufferMemory{buffer, {}, {}};
  return memory;
}

void FrameComposition::Draw(const Character& character) {
  if (!character.cells) return;
  for (int32_t i = 0; i < character.cellCount; ++i) {
    if (character.cells[i]) Draw(*character.cells[i]);
  }
}

void FrameComposition::Draw(const CharacterCell& cell) {
  if (!cell.shown || !cell.stillSurface || !Display) return;
  // A cell off the board has no square to stand on.
  if (!OnBoard(cell.column, cell.row)) return;
  Display->Blit(CellArea(cell), cell.stillSurface, SurfaceRect{0, 0, cell.width, cell.height},
                BlitWait | BlitKeySource);
}

// The design names rendering a frame and drawing a character or a cell as operations of the
// engine, the character and the cell; the work is the composition's, which reads all three and
// so lives in a layer above them. These are the operations' definitions.
void GameEngine::RenderFrame(WindowHandle window, int32_t noPresent) {
  FrameComposition::Compose(*this, window, noPresent);
}

void Character::Draw() { FrameComposition::Draw(*this); }

void CharacterCell::Draw() { FrameComposition::Draw(*this); }
