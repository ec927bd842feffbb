// GameCheck: start-up's content steps on a display with no screen, every failure reported.
#include "app/GameCheck.h"

#include <stdlib.h>

#include <ostream>
#include <string>

#include "app/ContentSteps.h"
#include "board/GameEngine.h"
#include "content/ContentFindings.h"
#include "display/DisplayDevice.h"
#include "display/PlayScreen.h"
#include "platform/Errors.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/ProgramOutput.h"

namespace {

using Severity = ContentFindings::Severity;

std::string Counted(int32_t count, const char* what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

int64_t Procedure(WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam) {
  return DefWindowProc(window, message, wParam, lParam);
}

// The display the pictures load on, as start-up opens it but in a window that is never shown;
// the engine is made before the definition is read, as at start-up: it clears the background.
bool OpenDisplay() {
  // The dummy driver needs no screen, so the check runs over ssh and in CI alike.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (!InitVideo()) return false;
  const WindowHandle window = CreatePlatformWindow("Tarnwick", 0, 0, PlayScreen::kWidth,
                                                   PlayScreen::kHeight, true, Procedure);
  Display = std::make_unique<DisplayDevice>();
  Engine = std::make_unique<GameEngine>();
  return window && Display->Init(1, window, PlayScreen::kWidth, PlayScreen::kHeight, 32, 0);
}

// What the player sees when start-up ends as `outcome` says.
std::string Verdict(const ContentOutcome& outcome) {
  switch (outcome.end) {
    case ContentOutcome::End::Silent:
      return "the game shows its first error in a box and ends";
    case ContentOutcome::End::Stops:
      return "the game stops with \"" + outcome.message + "\"";
    case ContentOutcome::End::Starts:
      break;
  }
  return "the game starts with " + (outcome.characters > 0
                                        ? Counted(outcome.characters, "character")
                                        : std::string("no characters: the panel is empty"));
}

int Check(std::ostream& out, std::ostream& err) {
  if (!OpenDisplay()) {
    err << ErrorLine(std::string("cannot check: no display device") +
                     (LastError > 0 ? std::string(" (") + ErrorMessages[LastError] + ")" : ""));
    return kCheckCannotRun;
  }
  // The boxes start-up would show are part of the findings; none is shown.
  SetMessageBoxHandler([](const std::string&, const std::string&) {});
  SetMessageBoxEcho(false);
  ContentFindings findings(out);
  const ContentOutcome outcome = ContentSteps(ContentSteps::Mode::Check, findings).Run();
  const int32_t errors = findings.Count(Severity::Error);
  out << Counted(errors, "error") << ", " << Counted(findings.Count(Severity::Warning), "warning")
      << ", " << Counted(findings.Count(Severity::Note), "note") << ": "
      << Printable(Verdict(outcome)) << std::endl;
  return errors > 0 ? kCheckErrors : kCheckClean;
}

}  // namespace

int RunCheck(std::ostream& out, std::ostream& err) {
  const int result = Check(out, err);
  // Everything made for the check goes, the surfaces before the device that made them.
  SetMessageBoxHandler(nullptr);
  SetMessageBoxEcho(true);
  Engine.reset();
  Display.reset();
  ShutdownPlatform();
  return result;
}
