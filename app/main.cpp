// Tarnwick: the program's entry point.
#include <iostream>

#include "app/CommandLine.h"
#include "app/GameCheck.h"
#include "app/GameFolder.h"
#include "app/Settings.h"
#include "app/WinMain.h"
#include "platform/Platform.h"
#include "platform/ProgramOutput.h"
#include "platform/Sound.h"
#include "platform/StopSignals.h"

int main(int argc, char** argv) {
  RouteLibraryMessages();
  const CommandLine commandLine(argc, argv);
  const CommandLine::Action action = commandLine.action();
  if (action != CommandLine::Play && action != CommandLine::Check) {
    return commandLine.Respond(stdout, stderr);
  }
  // A check is of the folder asked for, never of the sample game standing in for a missing one.
  const auto folder = action == CommandLine::Check
                          ? commandLine.gameFolder()
                          : ChooseGameFolder(commandLine.gameFolder(), ".", ProgramPath());
  std::string error;
  if (folder && !EnterGameFolder(*folder, &error)) {
    WriteErrorLine(error);
    return 2;
  }
  if (action == CommandLine::Check) return RunCheck(std::cout, std::cerr);
  StartOptions options;
  options.settingsGiven = commandLine.ApplySettings();
  options.watch = commandLine.watch();
  WindowScale = commandLine.scale();
  FullScreenScaleMode = commandLine.scaleMode();
  WatchStopSignals();
  const int32_t exitCode = WinMain(options);
  ShutdownSound();
  ShutdownPlatform();
  return exitCode;
}
