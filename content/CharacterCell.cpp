// CharacterCell: reading a cell package, and giving back its picture and packages.
#include "content/CharacterCell.h"

#include <string>

#include "content/AnimationPackage.h"
#include "content/ContentReport.h"
#include "content/SectionScanner.h"
#include "display/DisplayDevice.h"

namespace {

using PackageArray = std::unique_ptr<std::unique_ptr<AnimationPackage>[]>;

// Section literals and HEADER keys of a cell package, in the order they are tested.
enum Section : size_t { kHeader, kAttack, kDie, kIdle };
enum HeaderKey : size_t { kIdlePackages, kDiePackages, kAttackPackages, kStill };

constexpr int32_t kNoFile = -21;
constexpr int32_t kNoStill = -22;
constexpr int32_t kBadSection = -23;
constexpr int32_t kCountMismatch = -24;

// Sets a kind's count from the value of its `key` and gives it a fresh array of new packages;
// kCountMismatch when the count is above the ceiling, which leaves the kind as it was.
int32_t DeclarePackages(const char* key, const char* value, int32_t& count,
                        PackageArray& packages) {
  const int32_t declared = SectionScanner::ReadNumber(value);
  if (declared > CharacterCell::kMaxPackages) {
    ContentReport::ReportFailure(kCountMismatch, SectionScanner::NumberAsWritten(key, value) +
                                                     " is more than " +
                                                     std::to_string(CharacterCell::kMaxPackages));
    return kCountMismatch;
  }
  count = declared;
  packages.reset();
  if (declared > 0) {
    packages = std::make_unique<std::unique_ptr<AnimationPackage>[]>(declared);
    for (int32_t i = 0; i < declared; ++i) packages[i] = std::make_unique<AnimationPackage>();
  }
  return 0;
}

// STILL=: loads the picture unless the cell has one already, then keys it with pure green
// and takes its size; kNoStill when the picture fails to load.
int32_t LoadStill(CharacterCell& cell, const char* path) {
  if (cell.stillSurface) {
    ContentReport::ReportRepeated("STILL=");
  } else {
    cell.stillSurface = Display ? Display->LoadBitmap(0, path) : nullptr;
    if (!cell.stillSurface) {
      ContentReport::ReportFailure(kNoStill, "still picture '" + std::string(path) + "' " +
                                                 ContentReport::PictureTrouble(path));
      return kNoStill;
    }
    ContentReport::ReportPicture(ContentReport::Picture::Still, path, cell.stillSurface);
  }
  Display->SetColorKeyMode(KeyGreen);
  Display->ApplyColorKey(cell.stillSurface);
  const SurfaceRect size = DisplayDevice::GetSurfaceSize(cell.stillSurface);
  cell.width = size.right;
  cell.height = size.bottom;
  return 0;
}

}  // namespace

CharacterCell::CharacterCell() = default;

CharacterCell::~CharacterCell() {
  Free();
  if (stream_.IsOpen()) stream_.Close();
}

int32_t CharacterCell::Load(const char* path) {
  if (stream_.IsOpen()) stream_.Close();
  stream_.Open(path);
  if (!stream_.IsOpen()) {
    ContentReport::ReportFailure(
        kNoFile, "cell package '" + std::string(path) + "' " + ContentReport::OpenTrouble(path));
    return kNoFile;
  }
  const ContentReport::Scope reported(ContentReport::Kind::CellPackage, path);

  int32_t attackSections = 0;
  int32_t dieSections = 0;
  int32_t idleSections = 0;
  SectionScanner scanner(stream_);
  // Where each count was last set, for a report of a count its sections do not match.
  int32_t attackLine = 0;
  int32_t dieLine = 0;
  int32_t idleLine = 0;

  // A HEADER line: a count of one kind of package, or the still picture.
  const auto onHeaderLine = [&](size_t key, const char* value) -> int {
    switch (key) {
      case kIdlePackages:
        idleLine = scanner.LineNumber();
        return DeclarePackages("IDLE PACKAGES=", value, idleCount, idlePackages);
      case kDiePackages:
        dieLine = scanner.LineNumber();
        return DeclarePackages("DIE PACKAGES=", value, dieCount, diePackages);
      case kAttackPackages:
        attackLine = scanner.LineNumber();
        return DeclarePackages("ATTACK PACKAGES=", value, attackCount, attackPackages);
      case kStill:
        return LoadStill(*this, value);
      default:
        return 0;
    }
  };

  // A numbered section: its PACKAGE= lines load the package it names, and it counts once.
  const auto onPackageSection = [this, &scanner](const char* kind, const char* rest, int32_t count,
                                                 PackageArray& packages, int32_t& sections) -> int {
    const int32_t index = SectionScanner::ReadNumber(rest);
    if (index < 0 || index >= count || !packages) {
      const std::string name = kind;
      ContentReport::ReportFailure(
          kBadSection, "section '" + name + " " + std::to_string(index) + "' is outside " + name +
                           " PACKAGES=" + std::to_string(count) +
                           (count > 0 ? " (sections 0 to " + std::to_string(count - 1) + ")"
                                      : " (no sections; the count must come first)"));
      return kBadSection;
    }
    const int result = scanner.Body({"PACKAGE="}, [&](size_t key, const char* value) -> int {
      if (key != 0 || !packages[index]) return 0;
      const int32_t loaded = packages[index]->Load(value);
      if (loaded < 0) {
        Free();
        return loaded;
      }
      return 0;
    });
    if (result != 0) return result;
    ++sections;
    return 0;
  };

  const int result = scanner.Scan(
      {"HEADER", "ATTACK", "DIE", "IDLE"}, [&](size_t literal, const char* rest) -> int {
        switch (literal) {
          case kHeader:
            return scanner.Body({"IDLE PACKAGES=", "DIE PACKAGES=", "ATTACK PACKAGES=", "STILL="},
                                onHeaderLine);
          case kAttack:
            return onPackageSection("ATTACK", rest, attackCount, attackPackages, attackSections);
          case kDie:
            return onPackageSection("DIE", rest, dieCount, diePackages, dieSections);
          case kIdle:
            return onPackageSection("IDLE", rest, idleCount, idlePackages, idleSections);
          default:
            return 0;
        }
      });
  if (result != 0) return result;

  stream_.Close();
  // Tells which count is off, and where it was set.
  const auto mismatch = [](const char* kind, int32_t count, int32_t sections, int32_t line) {
    ContentReport::ReportFailure(kCountMismatch,
                                 std::string(kind) + " PACKAGES=" + std::to_string(count) +
                                     " but " + std::to_string(sections) + " " + kind + " sections",
                                 line);
    return kCountMismatch;
  };
  if (attackCount != attackSections) {
    return mismatch("ATTACK", attackCount, attackSections, attackLine);
  }
  if (idleCount != idleSections) return mismatch("IDLE", idleCount, idleSections, idleLine);
  if (dieCount != dieSections) return mismatch("DIE", dieCount, dieSections, dieLine);
  return 0;
}

void CharacterCell::Free() {
  attackPackages.reset();
  diePackages.reset();
  idlePackages.reset();
  if (stillSurface) {
    Display->ReleaseSurface(stillSurface);
    stillSurface = nullptr;
  }
}
