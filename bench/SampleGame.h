// SampleGame: the part of start-up the benchmarks share: with the display open and the engine
// made, the sample game's definition, its characters and the engine's overlays, read from the
// working directory (game/) as the program reads them.
#pragma once

#include <memory>

#include "board/GameEngine.h"
#include "content/Character.h"
#include "content/DefinitionFile.h"

inline bool LoadSampleGame() {
  DefinitionFile definition;
  DefinitionHeader header;
  definition.ReadHeader("packages/morrels.pkg", &header);
  if (!header.complete || header.characterCount <= 0) return false;
  Characters = std::make_unique<std::unique_ptr<Character>[]>(header.characterCount);
  for (int32_t i = 0; i < header.characterCount; ++i) {
    Characters[i] = definition.ReadCharacter(i);
    if (!Characters[i]) return false;
  }
  CharacterCount = header.characterCount;
  return Engine->Init() == 1;
}
