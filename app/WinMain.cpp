// WinMain: start-up in its fixed order, then the frame loop, then shutdown.
#include "app/WinMain.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

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
#include "content/SectionStream.h"
#include "display/DisplayDevice.h"
#include "display/PlayScreen.h"
#include "platform/ContentFile.h"
#include "platform/Errors.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/ProgramOutput.h"
#include "platform/StopSignals.h"

namespace {

// `text` as one word of a POSIX shell command.
std::string ShellWord(const std::string& text) {
  constexpr const char* kPlain =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_@%+=:,./-";
  if (!text.empty() && text.find_first_not_of(kPlain) == std::string::npos) return text;
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The first error, as the check words it but for what the game does about it.
std::string FirstError(const ContentFindings& findings) {
  const std::string consequence = std::string(" (") + ContentFindings::kEndsWithBox + ")";
  for (const ContentFindings::Finding& finding : findings.Findings()) {
    if (finding.severity != ContentFindings::Severity::Error) continue;
    std::string text = finding.text;
    if (text.ends_with(consequence)) text.resize(text.size() - consequence.size());
    return text;
  }
  return "";
}

// A start that ends on the content says on standard error what the check would say of it (the
// errors have been said as they were found), then how to see it all at once. A start that would
// end without any box, looking like a normal end to a player who started it from a menu, shows
// its first error and that hint in a box.
void SayWhyNotStarted(const ContentFindings& findings, const ContentOutcome& outcome) {
  std::error_code ignored;
  const std::string folder = std::filesystem::current_path(ignored).string();
  // Started from the wrong folder, the game ends without a word on screen.
  const std::string unopened =
      ContentFile::WhyNotOpened(kDefinitionPath, SectionStream::kMostBytes);
  if (outcome.end == ContentOutcome::End::Silent && !unopened.empty()) {
    const bool missing = unopened == std::strerror(ENOENT);
    WriteErrorLine(std::string("no game found: ") + kDefinitionPath +
                   (missing ? " is missing" : " is not a readable file (" + unopened + ")") +
                   " in " + folder);
  }
  for (const ContentFindings::Finding& finding : findings.Findings()) {
    if (finding.severity == ContentFindings::Severity::Warning && !finding.saidAtStart) {
      WriteErrorLine(finding.text);
    }
  }
  const std::string hint =
      "run 'tarnwick --check " + ShellWord(folder) + "' to see every problem at once";
  if (outcome.end != ContentOutcome::End::Silent) {
    WriteErrorLine(hint);
    return;
  }
  const std::string error = FirstError(findings);
  ShowMessageBox(error.empty() ? hint : error + "\n" + hint);
}

}  // namespace

int32_t WinMain(const StartOptions& options) {
  // Starting the video system takes a good part of a second on some X servers: the dialog
  // starts it once it is on screen, while the player reads it, so that the dialog shows as
  // fast as any and the play window still follows Start at once. Without the dialog, the main
  // window starts it.
  if (!options.settingsGiven && ShowConfigDialog() == ConfigQuit) return 0;
  Display = std::make_unique<DisplayDevice>();
  Display->scaleMode = FullScreenScaleMode;
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
  // Errors go to standard error as they are found, beside the box they end in.
  ContentFindings findings;
  // Holds the game definition open until start-up returns.
  ContentSteps steps(ContentSteps::Mode::Start, findings);
  // The watch takes the files start-up looked for as the ones whose saves count.
  std::vector<std::string> read;
  if (options.watch) ListResolvedPaths(&read);
  const ContentOutcome outcome = steps.Run();
  ListResolvedPaths(nullptr);
  if (outcome.end != ContentOutcome::End::Starts) {
    // A stop request cuts the reading short: what it then misses is no fault of the game.
    if (!StopRequested()) SayWhyNotStarted(findings, outcome);
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
  if (options.watch) watch = std::make_unique<ContentWatch>(read);
  const int32_t exitCode =
      watch ? RunFrameLoop(frequency, render, [&watch] { return watch->Changed(); })
            : RunFrameLoop(frequency, render);
  Shutdown();
  return exitCode;
}
