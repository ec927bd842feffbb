// CommandLine: the program's arguments, `tarnwick [OPTIONS] [GAME_FOLDER]`, read in the GNU
// style.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "display/FramePresenter.h"

class CommandLine {
 public:
  // What the arguments ask the program to do.
  enum Action { Play, Check, ShowHelp, ShowVersion, Refuse };

  // Reads the arguments that follow the program's name. Options may stand anywhere and "--"
  // ends them; the first option that asks for help or the version wins, also over --check. An
  // unknown option, an option given a value it does not take or missing one it needs, a value
  // the configuration dialog would refuse, or a second game folder refuses the whole line.
  explicit CommandLine(const std::vector<std::string>& arguments);
  CommandLine(int argc, const char* const* argv);

  // The result of reading.
  Action action() const { return action_; }
  const std::optional<std::string>& gameFolder() const { return gameFolder_; }
  // Why the line was refused, without the program's name; empty otherwise.
  const std::string& error() const { return error_; }

  // The answers to the configuration dialog given as options (--windowed or --fullscreen,
  // --depth, --fps); ApplySettings writes them into the settings and returns whether any was
  // given, in which case the dialog is not shown and the others keep the dialog's first values.
  const std::optional<int32_t>& displayMode() const { return displayMode_; }
  const std::optional<int32_t>& colorDepth() const { return colorDepth_; }
  const std::optional<int32_t>& frameRate() const { return frameRate_; }
  bool ApplySettings() const;
  // --watch: the game reloads its content whenever a file of it is saved.
  bool watch() const { return watch_; }
  // The window's scale from --scale, 0 when the desktop's is to be used; full screen's scale
  // mode from --scale-mode.
  int scale() const { return scale_; }
  ScaleMode scaleMode() const { return scaleMode_; }

  // For every action but Play and Check: writes the help or version text to `out`, or the refusal
  // with a pointer to --help to `err`, and returns the exit code (0, or 2 for a refusal).
  int Respond(std::FILE* out, std::FILE* err) const;

 private:
  // Reads the option at arguments[at]; an option that takes a value may take the next argument,
  // and moves `at` past it.
  bool ReadOption(const std::vector<std::string>& arguments, size_t& at);
  bool ReadSetting(const std::string& name, const std::string& value);
  bool RefuseLine(std::string error, bool pointToHelp = true);

  Action action_ = Play;
  std::optional<std::string> gameFolder_;
  std::string error_;
  // A refused value says what is accepted itself; a refused line points to --help.
  bool pointToHelp_ = true;
  std::optional<int32_t> displayMode_;
  std::optional<int32_t> colorDepth_;
  std::optional<int32_t> frameRate_;
  bool watch_ = false;
  int scale_ = 0;
  ScaleMode scaleMode_ = ScaleMode::SharpBilinear;
};
