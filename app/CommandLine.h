// CommandLine: the program's arguments, `tarnwick [OPTIONS] [GAME_FOLDER]`, read in the GNU
// style.
#pragma once

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
  // unknown option, an option given a value, or a second game folder refuses the whole line.
  explicit CommandLine(const std::vector<std::string>& arguments);
  CommandLine(int argc, const char* const* argv);

  // The result of reading.
  Action action() const { return action_; }
  const std::optional<std::string>& gameFolder() const { return gameFolder_; }
  // The window's scale from --scale, 0 when the desktop's is to be used; full screen's scale
  // mode from --scale-mode.
  int scale() const { return scale_; }
  ScaleMode scaleMode() const { return scaleMode_; }
  // Why the line was refused, without the program's name; empty otherwise.
  const std::string& error() const { return error_; }

  // For every action but Play and Check: writes the help or version text to `out`, or the refusal
  // with a pointer to --help to `err`, and returns the exit code (0, or 2 for a refusal).
  int Respond(std::FILE* out, std::FILE* err) const;

 private:
  bool ReadOption(const std::string& argument);
  // An option with a value, given as "--name=value" or as "--name value" (which takes the
  // next argument, moving `index` on); false, refusing the line, for a missing or bad value.
  bool ReadValueOption(const std::vector<std::string>& arguments, size_t& index);

  Action action_ = Play;
  std::optional<std::string> gameFolder_;
  std::string error_;
  int scale_ = 0;
  ScaleMode scaleMode_ = ScaleMode::SharpBilinear;
};
