// WinMain: start-up in its fixed order, then the frame loop, then shutdown.
#include "app/WinMain.h"

#include <cstdio>
#include <filesystem>

#include "app/ConfigWindow.h"
#include "app/FrameLoop.h"
#include "app/MainWindow.h"
#include "app/Settings.h"
#include "app/Shutdown.h"
#include "board/GameEngine.h"
#include "content/Character.h"
#include "content/DefinitionFile.h"
#include "display/DisplayDevice.h"
#include "platform/ContentFile.h"
#include "platform/Errors.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/Sound.h"

namespace {

constexpr uint32_t kScreenWidth = 640;
constexpr uint32_t kScreenHeight = 480;

// Reads every character of the definition into Characters; false when one cannot be made,
// after the ones made before it have been counted for Shutdown to release.
bool ReadCharacters(DefinitionFile& definition, int32_t count) {
  if (count <= 0) return true;
  Characters = std::make_unique<std::unique_ptr<Character>[]>(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    Characters[i] = definition.ReadCharacter(i);
    if (!Characters[i]) {
      CharacterCount = i;
      return false;
    }
  }
  return true;
}

}  // namespace

int32_t WinMain() {
  // Starting the video system takes a good part of a second on some X servers: the dialog
  // starts it once it is on screen, while the player reads it, so that the dialog shows as
  // fast as any and the play window still follows Start at once.
  if (ShowConfigDialog() == ConfigQuit) return 0;
  Display = std::make_unique<DisplayDevice>();
  Display->scaleMode = FullScreenScaleMode;
  // The engine comes before the definition: constructing it clears the background.
  Engine = std::make_unique<GameEngine>();
  if (!CreateMainWindow()) {
    Shutdown();
    return 0;
  }
  if (!Display->Init(static_cast<uint32_t>(DisplayMode), MainWindow, kScreenWidth, kScreenHeight,
                     static_cast<uint32_t>(ColorDepth), 0)) {
    Shutdown();
    return 0;
  }
  // The audio device opens while the content loads, so that the first warning plays at once.
  OpenSound(kWarningSound);

  DefinitionFile definition;
  DefinitionHeader header;
  definition.ReadHeader(kDefinitionPath, &header);
  if (!header.complete) {
    // Started from the wrong folder, the game ends without a word on screen: say why here.
    if (!definition.isOpen) {
      std::error_code ignored;
      const bool missing = ResolveContentPath(kDefinitionPath).match == PathMatch::Missing;
      std::fprintf(stderr, "Tarnwick: no game found: %s %s in %s\n", kDefinitionPath,
                   missing ? "is missing" : "is not a readable file",
                   std::filesystem::current_path(ignored).c_str());
    }
    Shutdown();
    return 0;
  }
  if (header.characterCount > kMostCharacters) {
    ShowMessageBox("Too many characters in definition file. Terminating");
    Shutdown();
    return 0;
  }
  if (!ReadCharacters(definition, header.characterCount)) {
    Shutdown();
    return 0;
  }
  definition.Close();
  CharacterCount = header.characterCount;

  if (!Engine->Init()) {
    ShowMessageBox("Failed to initialize game engine.");
    Shutdown();
    return 0;
  }
  int64_t frequency = 0;
  if (!QueryPerformanceFrequency(frequency)) {
    LastError = ErrorPerformanceCounter;
    Shutdown();
    return 0;
  }
  const int32_t exitCode = RunFrameLoop(frequency, [] {
    if (Engine && Display) Engine->RenderFrame(MainWindow, 0);
  });
  Shutdown();
  return exitCode;
}
