// DefinitionFile: reading the game definition's header and building its characters.
#include "content/DefinitionFile.h"

#include <cstdio>
#include <cstring>

#include "content/Character.h"
#include "content/ContentReport.h"
#include "content/SectionScanner.h"
#include "display/DisplayDevice.h"
#include "platform/MessageBox.h"

namespace {

// Section literals, HEADER keys and CHARACTER keys, in the order they are tested. Every pass
// tests both literals, so that a content report hears the file's whole vocabulary; each pass
// reads the bodies of its own sections only, which leaves the other ones skipped as before.
enum Section : size_t { kHeader, kCharacter };
enum HeaderKey : size_t { kName, kDescription, kCharacters, kBackground };
enum CharacterKey : size_t { kButtonUp, kButtonDown, kPackage };

constexpr int32_t kNoFile = -1;
constexpr int32_t kNoBackground = -2;
constexpr int32_t kNoHeader = -3;

// A heap copy of `text` exactly as long as it, for the header to own.
char* CopyText(const char* text) {
  const size_t length = std::strlen(text);
  char* copy = new char[length + 1];
  std::memcpy(copy, text, length + 1);
  return copy;
}

}  // namespace

Surface* BackgroundSurface = nullptr;

DefinitionHeader::~DefinitionHeader() {
  delete[] name;
  delete[] description;
}

DefinitionFile::DefinitionFile() = default;

DefinitionFile::~DefinitionFile() {
  if (isOpen) Close();
}

int32_t DefinitionFile::ReadHeader(const char* path, DefinitionHeader* header) {
  if (!header) return kNoHeader;
  delete[] header->name;
  delete[] header->description;
  header->name = nullptr;
  header->description = nullptr;
  header->characterCount = 0;
  header->complete = 0;

  if (isOpen) Close();
  path_ = path;
  const ContentReport::Scope reported(ContentReport::Kind::Definition, path);
  stream_.Open(path);
  if (!stream_.IsOpen()) {
    ContentReport::ReportFailure(kNoFile,
                                 "the game definition " + ContentReport::OpenTrouble(path));
    return kNoFile;
  }
  isOpen = 1;

  SectionScanner scanner(stream_);
  // Keeps the first value of a text; a later one is reported and ignored.
  const auto keepFirst = [](char*& text, const char* value, const char* key) {
    if (text) {
      ContentReport::ReportRepeated(key);
    } else {
      text = CopyText(value);
    }
  };
  const auto onLine = [header, &keepFirst](size_t key, const char* value) -> int {
    switch (key) {
      case kName:
        keepFirst(header->name, value, "NAME=");
        break;
      case kDescription:
        keepFirst(header->description, value, "DESCRIPTION=");
        break;
      case kCharacters:
        header->characterCount = SectionScanner::ReadNumber(value);
        break;
      case kBackground:
        if (BackgroundSurface) {
          ContentReport::ReportRepeated("BACKGROUND=");
          break;
        }
        BackgroundSurface = Display ? Display->LoadBitmap(0, value) : nullptr;
        if (!BackgroundSurface) {
          ContentReport::ReportFailure(kNoBackground, "background picture '" + std::string(value) +
                                                          "' " +
                                                          ContentReport::PictureTrouble(value));
          return kNoBackground;
        }
        ContentReport::ReportPicture(ContentReport::Picture::Background, value, BackgroundSurface);
        break;
      default:
        break;
    }
    if (header->characterCount != 0 && header->description && header->name) header->complete = 1;
    return 0;
  };
  const int result = scanner.Scan({"HEADER", "CHARACTER"}, [&](size_t literal, const char*) -> int {
    if (literal != kHeader) return 0;
    return scanner.Body({"NAME=", "DESCRIPTION=", "CHARACTERS=", "BACKGROUND="}, onLine);
  });
  return result != 0 ? result : header->characterCount;
}

std::unique_ptr<Character> DefinitionFile::ReadCharacter(int32_t index) {
  if (!isOpen) return nullptr;
  const ContentReport::Scope reported(ContentReport::Kind::Definition, path_.c_str());
  stream_.Rewind();

  std::unique_ptr<Character> character;
  bool packageRead = false;
  SectionScanner scanner(stream_);
  const auto onLine = [&character, &packageRead](size_t key, const char* value) -> int {
    switch (key) {
      case kButtonUp:
        character->SetButtonUp(value);
        return 0;
      case kButtonDown:
        character->SetButtonDown(value);
        return 0;
      case kPackage:
        break;
      default:
        return 0;
    }
    // A second package would load over the cells of the first.
    if (packageRead) {
      ContentReport::ReportRepeated("Package=");
      return 0;
    }
    packageRead = true;
    const int32_t result = character->LoadPackage(value);
    if (result < 0) {
      ShowMessageBox(PackageFailureMessage(result));
      character.reset();
      return result;
    }
    return 0;
  };
  const int found = scanner.Scan({"HEADER", "CHARACTER"}, [&](size_t literal, const char* rest) {
    if (literal != kCharacter || SectionScanner::ReadNumber(rest) != index) return 0;
    character = std::make_unique<Character>();
    scanner.Body({"Button_Up=", "Button_Down=", "Package="}, onLine);
    return 1;
  });
  if (!found) Close();
  return character;
}

void DefinitionFile::Close() {
  stream_.Close();
  isOpen = 0;
}

std::string DefinitionFile::PackageFailureMessage(int32_t code) {
  char text[1024];
  std::snprintf(text, sizeof text, "Failed to process package. Error %d", code);
  return text;
}
