// FrameComposition: RenderFrame and the drawing of characters and cells.
#include "display/FrameComposition.h"

#include <algorithm>
#include <climits>
#include <cstdio>

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

// The overlay's lines: one below the other from under the frame-rate line to the bottom.
constexpr int32_t kOverlayTop = 24;
constexpr int32_t kOverlayLeft = 4;
constexpr uint32_t kOverlayTextColor = 0x00FFFFFF;
constexpr uint32_t kOverlayBackgroundColor = 0x00000090;

struct Overlay {
  std::vector<std::string> lines;
  // Counts the changes of the lines, for the frame key.
  int64_t generation = 0;
};

Overlay& TheOverlay() {
  static Overlay overlay;
  return overlay;
}

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

void FrameComposition::SetOverlayLines(std::vector<std::string> lines) {
  Overlay& overlay = TheOverlay();
  if (lines == overlay.lines) return;
  overlay.lines = std::move(lines);
  ++overlay.generation;
}

const std::vector<std::string>& FrameComposition::OverlayLines() { return TheOverlay().lines; }

void FrameComposition::FrameKey(const GameEngine& engine, std::vector<int64_t>& key) {
  const auto address = [](const void* pointer) {
    return static_cast<int64_t>(reinterpret_cast<intptr_t>(pointer));
  };
  key.assign({ShowFps ? FramesPerSecond : INT64_MIN, CharacterCount, address(BackgroundSurface),
              address(engine.gridOverlay), TheOverlay().generation});
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
}

GameEngine::BufferMemory& GameEngine::MemoryOf(const Surface* buffer, uint64_t generation) {
  for (BufferMemory& memory : bufferMemory_) {
    if (memory.buffer == buffer && memory.generation == generation) return memory;
  }
  // The other buffer of a flip chain keeps its memory; anything older goes.
  BufferMemory& memory =
      bufferMemory_[0].generation == generation ? bufferMemory_[1] : bufferMemory_[0];
  memory = BufferMemory{buffer, generation, {}, {}};
  return memory;
}

void GameEngine::RenderFrame(WindowHandle window, int32_t noPresent) {
  DisplayDevice& display = *Display;
  const Surface* target = display.ActiveBackBuffer();
  if (!target) return;
  // A frame equal to the one on screen is neither composed nor presented: the picture stays
  // exactly what composing would give, at no cost while nothing moves.
  // The key's storage is kept from frame to frame, so that building it allocates nothing.
  static DisplayDevice::FrameKey key;
  FrameComposition::FrameKey(*this, key);
  if (!noPresent && display.IsShowing(key)) return;

  // Buttons and background cover their areas whole; they are drawn first so that what they
  // leave uncovered can be cleared before anything is drawn over it.
  std::vector<SurfaceRect> covered;
  for (int32_t i = 0; i < CharacterCount && Characters; ++i) {
    const SurfaceRect area = ButtonArea(i);
    if (area.bottom > kPanelBottom) break;
    const Character* character = Characters[i].get();
    if (!character) continue;
    Surface* button =
        character->pressed ? character->buttonDownSurface : character->buttonUpSurface;
    if (button && display.Blit(area, button, kButtonPicture, BlitWait)) covered.push_back(area);
  }
  if (Surface* board = BoardPicture()) {
    if (display.Blit(kBoardArea, board, kBoardPicture, BlitWait)) covered.push_back(kBoardArea);
  } else if (BackgroundSurface &&
             display.Blit(kBoardArea, BackgroundSurface, kBoardPicture, BlitWait)) {
    covered.push_back(kBoardArea);
  }

  // The rest is cleared: all of it in a buffer's first frame and whenever the covering changed,
  // otherwise just what the buffer's last frame drew there.
  BufferMemory& memory = MemoryOf(target, display.generation);
  const SurfaceRect screen{0, 0, target->Width(), target->Height()};
  if (memory.covered == covered) {
    for (const SurfaceRect& drawn : memory.drawn) {
      const SurfaceRect part = Within(drawn, screen);
      const bool hidden = std::any_of(covered.begin(), covered.end(),
                                      [&part](const auto& c) { return Within(part, c) == part; });
      if (part.right == part.left || hidden) continue;
      for (const SurfaceRect& gap : FrameComposition::Uncovered(part, covered)) display.Clear(gap);
    }
  } else {
    for (const SurfaceRect& gap : FrameComposition::Uncovered(screen, covered)) display.Clear(gap);
  }
  memory.covered = std::move(covered);
  memory.drawn.clear();

  if (!boardPicture_ && gridOverlay &&
      display.Blit(kBoardArea, gridOverlay, kBoardPicture, BlitWait | BlitKeySource)) {
    memory.drawn.push_back(kBoardArea);
  }
  for (int32_t i = 0; i < CharacterCount && i < kMostDrawnCharacters && Characters; ++i) {
    const Character* character = Characters[i].get();
    if (!character) continue;
    Characters[i]->Draw();
    for (int32_t j = 0; character->cells && j < character->cellCount; ++j) {
      const CharacterCell* cell = character->cells[j].get();
      if (cell && cell->shown && cell->stillSurface && OnBoard(cell->column, cell->row)) {
        memory.drawn.push_back(CellArea(*cell));
      }
    }
  }
  if (ShowFps) {
    char line[64];
    std::snprintf(line, sizeof line, kFpsFormat, FramesPerSecond);
    memory.drawn.push_back(
        display.DrawText(kFpsX, kFpsY, line, kFpsTextColor, kFpsBackgroundColor));
  }
  int32_t overlayY = kOverlayTop;
  for (const std::string& line : TheOverlay().lines) {
    const SurfaceRect drawn =
        display.DrawText(kOverlayLeft, overlayY, line, kOverlayTextColor, kOverlayBackgroundColor);
    if (drawn.bottom <= drawn.top) continue;
    memory.drawn.push_back(drawn);
    overlayY = drawn.bottom + 1;
    if (overlayY >= target->Height()) break;
  }
  if (!noPresent) {
    display.Present(window);
    display.RememberShown(key);
  }
}

// The board area shows the background with the grid overlay keyed over it, or the overlay over
// black without a background. Neither picture changes once loaded, so the two are composed
// once into a picture of the board and each frame copies that whole: the same pixels, without
// a keyed copy of the overlay in every frame.
Surface* GameEngine::BoardPicture() {
  DisplayDevice& display = *Display;
  const Surface* target = display.ActiveBackBuffer();
  const bool current = boardPicture_ && boardBackground_ == BackgroundSurface &&
                       boardOverlay_ == gridOverlay && boardPicture_->Format() == target->Format();
  if (current) return boardPicture_.get();
  boardPicture_ = display.NewPicture(kBoardPicture.right, kBoardPicture.bottom);
  if (!boardPicture_) return nullptr;
  boardBackground_ = BackgroundSurface;
  boardOverlay_ = gridOverlay;
  if (BackgroundSurface)
    display.BlitInto(*boardPicture_, kBoardPicture, BackgroundSurface, kBoardPicture, BlitWait);
  if (gridOverlay)
    display.BlitInto(*boardPicture_, kBoardPicture, gridOverlay, kBoardPicture,
                     BlitWait | BlitKeySource);
  return boardPicture_.get();
}

void Character::Draw() {
  if (!cells) return;
  for (int32_t i = 0; i < cellCount; ++i) {
    if (cells[i]) cells[i]->Draw();
  }
}

void CharacterCell::Draw() {
  if (!shown || !stillSurface || !Display) return;
  // A cell off the board has no square to stand on.
  if (!OnBoard(column, row)) return;
  Display->Blit(CellArea(*this), stillSurface, SurfaceRect{0, 0, width, height},
                BlitWait | BlitKeySource);
}
