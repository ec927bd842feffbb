// DefinitionFile: the game definition, the root of all content. ReadHeader reads the game's
// name, description, character count and background; ReadCharacter then builds one fully
// loaded Character per CHARACTER section, rescanning the same open file each time.
//
// The file holds HEADER sections (NAME=, DESCRIPTION=, CHARACTERS=, BACKGROUND=) and one
// CHARACTER n section per character (Button_Up=, Button_Down=, Package=). The first NAME=,
// DESCRIPTION= and BACKGROUND= count, the last CHARACTERS= wins, and only the first Package=
// line of a CHARACTER section is loaded: later ones are ignored.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "content/SectionStream.h"

class Character;
class Surface;

// What the header of a game definition says. The record owns its two texts: they go with it,
// or when ReadHeader fills it again.
struct DefinitionHeader {
  DefinitionHeader() = default;
  ~DefinitionHeader();
  DefinitionHeader(const DefinitionHeader&) = delete;
  DefinitionHeader& operator=(const DefinitionHeader&) = delete;

  char* name = nullptr;
  char* description = nullptr;
  int32_t characterCount = 0;
  int32_t complete = 0;
};

class DefinitionFile {
 public:
  DefinitionFile();
  virtual ~DefinitionFile();
  DefinitionFile(const DefinitionFile&) = delete;
  DefinitionFile& operator=(const DefinitionFile&) = delete;

  // The header: the character count, or -3 (no record), -1 (no file), -2 (no background).
  int32_t ReadHeader(const char* path, DefinitionHeader* header);
  // A new character for the section numbered `index`, or null (a failed package has been
  // reported in a message box).
  std::unique_ptr<Character> ReadCharacter(int32_t index);
  void Close();

  // The text a character that fails with `code` is shown with.
  static std::string PackageFailureMessage(int32_t code);

  uint8_t isOpen = 0;

 private:
  SectionStream stream_;
  // The file ReadHeader opened, for the reports of later passes over it.
  std::string path_;
};

// The board background named by the definition's BACKGROUND= line. The game engine clears it
// when it is made and gives the surface back when it is released.
extern Surface* BackgroundSurface;
