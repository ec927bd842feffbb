// WinMain: start-up in its fixed order, then the frame loop, then shutdown.
#include "app/WinMain.h"

#include <filesystem>
#include <sstream>

#include "app/ConfigWindow.h"
#include "app/ContentSteps.h"
#include "app/ContentWatch.h"
#include "app/FrameLoop.h"
#include "app/MainWindow.h"
#include "app/Settings.h"
#include "app/Shutdown.h"
#include "board/GameEngine.h"
#include "content/ContentFindings.h"
#include "content/GameFiles.h"
#include "display/DisplayDevice.h"
#include "display/PlayScreen.h"
#include "platform/ContentFile.h"
#include "platform/Errors.h"
#include "platform/Platform.h"
#include "platform/ProgramOutput.h"

int32_t WinMain(const StartOptions& options) {
  // Starting the video system takes a good part of a second on some X servers. It is done
  // before the dialog shows, where it delays the dialog a little, so that the play window
  // follows Start at once; no window is made before Start.
  InitVideo();
  if (!options.settingsGiven && ShowConfigDialog() == ConfigQuit) return 0;
  Display = std::make_unique<DisplayDevice>();
  // The engine comes before the definition: constructing it clears the background.
  Engine = std::make_unique<GameEngine>();
  if (!CreateMainWindow()) {
    Shutdown();
    return 0;
  }
  if (!Display->Init(static_cast<uint32_t>(DisplayMode), MainWindow, PlayScreen::kWidth,
                     PlayScreen::kHeight, static_cast<uint32_t>(ColorDepth), 0)) {
    Shutdown();
    return 0;
  }
  std::ostringstream unused;
  ContentFindings findings(unused);
  // Holds the game definition open until start-up returns.
  ContentSteps steps(ContentSteps::Mode::Start, findings);
  const ContentOutcome outcome = steps.Run();
  if (outcome.end != ContentOutcome::End::Starts) {
    // Started from the wrong folder, the game ends without a word on screen: say why here.
    if (outcome.end == ContentOutcome::End::Silent && !ContentFile(kDefinitionPath).IsOpen()) {
      std::error_code ignored;
      const bool missing = ResolveContentPath(kDefinitionPath).match == PathMatch::Missing;
      WriteErrorLine(std::string("no game found: ") + kDefinitionPath +
                     (missing ? " is missing" : " is not a readable file") + " in " +
                     std::filesystem::current_path(ignored).string());
    }
    Shutdown();
    return 0;
  }
  int64_t frequency = 0;
  if (!QueryPerformanceFrequency(frequency)) {
    LastError = ErrorPerformanceCounter;
    Shutdown();
    return 0;
  }
  const auto render = [] {
    if (Engine && Display) Engine->RenderFrame(MainWindow, 0);
  };
  std::unique_ptr<ContentWatch> watch;
  if (options.watch) watch = std::make_unique<ContentWatch>();
  const int32_t exitCode =
      watch ? RunFrameLoop(frequency, render, [&watch] { return watch->Changed(); })
            : RunFrameLoop(frequency, render);
  Shutdown();
  return exitCode;
}
