// Character: button pictures, reading the character package, and placing cells.
#include "content/Character.h"

#include <string>

#include "content/CharacterCell.h"
#include "content/ContentReport.h"
#include "content/SectionScanner.h"
#include "display/DisplayDevice.h"

namespace {

// Section literals of a character package, in the order they are tested.
enum Section : size_t { kHeader, kCell };

constexpr int32_t kBadCell = -1;
constexpr int32_t kNoFile = -11;
constexpr int32_t kCountMismatch = -12;

// Replaces an owned button picture with the one at `path` (null when it fails to load).
Surface* ReplacePicture(Surface*& surface, const char* path, ContentReport::Picture which) {
  if (surface) Display->ReleaseSurface(surface);
  surface = Display ? Display->LoadBitmap(0, path) : nullptr;
  ContentReport::ReportPicture(which, path, surface);
  return surface;
}

}  // namespace

std::unique_ptr<std::unique_ptr<Character>[]> Characters;
int32_t CharacterCount = 0;

Character::Character() = default;

Character::~Character() {
  ReleaseCells();
  if (buttonUpSurface) Display->ReleaseSurface(buttonUpSurface);
  if (buttonDownSurface) Display->ReleaseSurface(buttonDownSurface);
  if (stream_.IsOpen()) stream_.Close();
}

Surface* Character::SetButtonUp(const char* path) {
  return ReplacePicture(buttonUpSurface, path, ContentReport::Picture::ButtonUp);
}

Surface* Character::SetButtonDown(const char* path) {
  return ReplacePicture(buttonDownSurface, path, ContentReport::Picture::ButtonDown);
}

int32_t Character::LoadPackage(const char* path) {
  if (stream_.IsOpen()) stream_.Close();
  stream_.Open(path);
  if (!stream_.IsOpen()) {
    ContentReport::ReportFailure(kNoFile, "character package '" + std::string(path) + "' " +
                                              ContentReport::OpenTrouble(path));
    return kNoFile;
  }
  const ContentReport::Scope reported(ContentReport::Kind::CharacterPackage, path);

  int32_t loadedPackages = 0;
  SectionScanner scanner(stream_);
  int32_t cellsLine = 0;

  // CELLS=: the first one sets the count and makes the cells; later ones change nothing.
  const auto onHeaderLine = [this, &scanner, &cellsLine](size_t key, const char* value) -> int {
    if (key != 0) return 0;
    if (cellsDeclared_) {
      ContentReport::ReportRepeated("CELLS=");
      return 0;
    }
    const int32_t count = SectionScanner::ReadNumber(value);
    if (count > kMaxCells) {
      ContentReport::ReportFailure(kCountMismatch,
                                   SectionScanner::NumberAsWritten("CELLS=", value) +
                                       " makes the character longer than the " + "board (" +
                                       std::to_string(kMaxCells) + " squares)");
      stream_.Close();
      return kCountMismatch;
    }
    cellsDeclared_ = true;
    cellsLine = scanner.LineNumber();
    cellCount = count;
    if (count > 0) {
      cells = std::make_unique<std::unique_ptr<CharacterCell>[]>(count);
      for (int32_t i = 0; i < count; ++i) cells[i] = std::make_unique<CharacterCell>();
    }
    return 0;
  };

  // A CELL section: each PACKAGE= line loads the cell's package; a failure ends the cells.
  const auto onCellSection = [&](const char* rest) -> int {
    const int32_t index = SectionScanner::ReadNumber(rest);
    if (!cells || index < 0 || index >= cellCount) {
      const std::string count = std::to_string(cellCount);
      ContentReport::ReportFailure(
          kBadCell, "section 'CELL " + std::to_string(index) + "' " +
                        (!cellsDeclared_ ? "comes before any CELLS= line"
                         : cellCount > 0 ? "is outside CELLS=" + count + " (cells 0 to " +
                                               std::to_string(cellCount - 1) + ")"
                                         : "is outside CELLS=" + count + " (no cells)"));
      stream_.Close();
      return kBadCell;
    }
    return scanner.Body({"PACKAGE="}, [&](size_t key, const char* value) -> int {
      if (key != 0) return 0;
      const int32_t result = cells[index]->Load(value);
      if (result < 0) {
        ReleaseCells();
        stream_.Close();
        return result;
      }
      ++loadedPackages;
      return 0;
    });
  };

  const int result = scanner.Scan({"HEADER", "CELL"}, [&](size_t literal, const char* rest) -> int {
    if (literal == kHeader) return scanner.Body({"CELLS="}, onHeaderLine);
    return onCellSection(rest);
  });
  if (result != 0) return result;

  stream_.Close();
  if (loadedPackages != cellCount) {
    ContentReport::ReportFailure(kCountMismatch,
                                 "CELLS=" + std::to_string(cellCount) + " but " +
                                     std::to_string(loadedPackages) + " cell packages loaded",
                                 cellsLine);
    return kCountMismatch;
  }
  return 0;
}

void Character::SetPosition(int32_t column, int32_t row) {
  if (!cells) return;
  const CellRun run{column, row, orientation};
  for (int32_t i = 0; i < cellCount; ++i) {
    if (!cells[i]) continue;
    const CellRun cell = run.From(i);
    cells[i]->column = cell.column;
    cells[i]->row = cell.row;
  }
}

void Character::SetShown(uint8_t flag) {
  if (!cells) return;
  for (int32_t i = 0; i < cellCount; ++i) {
    if (cells[i]) cells[i]->shown = flag;
  }
}

void Character::ReleaseCells() {
  if (!cells) return;
  for (int32_t i = 0; i < cellCount; ++i) cells[i].reset();
  cells.reset();
}
