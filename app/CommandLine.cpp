// CommandLine: a small loop over the arguments with a table of the long options.
#include "app/CommandLine.h"

#include "app/BuildInfo.h"
#include "app/ConfigDialog.h"
#include "app/Settings.h"
#include "platform/ProgramOutput.h"

namespace {

// An option either sets the action, or is a setting, which may need a value.
enum class Takes { Nothing, Value };

struct Option {
  const char* name;
  CommandLine::Action action;
  bool setting;
  Takes takes;
};

constexpr Option kOptions[] = {
    {"--check", CommandLine::Check, false, Takes::Nothing},
    {"--help", CommandLine::ShowHelp, false, Takes::Nothing},
    {"--version", CommandLine::ShowVersion, false, Takes::Nothing},
    {"--windowed", CommandLine::Play, true, Takes::Nothing},
    {"--fullscreen", CommandLine::Play, true, Takes::Nothing},
    {"--depth", CommandLine::Play, true, Takes::Value},
    {"--fps", CommandLine::Play, true, Takes::Value},
    {"--watch", CommandLine::Play, true, Takes::Nothing},
    {"--scale", CommandLine::Play, true, Takes::Value},
    {"--scale-mode", CommandLine::Play, true, Takes::Value},
};

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

constexpr const char* kHelp =
    "Usage: tarnwick [OPTIONS] [GAME_FOLDER]\n"
    "Tarnwick, a board set-up game: arrange your characters on a board of 10 by 10 squares.\n"
    "\n"
    "The game reads all its content from GAME_FOLDER, the folder that holds\n"
    "packages/morrels.pkg. Without GAME_FOLDER it plays the game in the working directory,\n"
    "or, when there is none, the sample game installed with the program.\n"
    "\n"
    "Options:\n"
    "      --check         check the game in GAME_FOLDER (or in the working directory)\n"
    "                      instead of playing it: print every problem of its content, one\n"
    "                      a line, and how start-up would end\n"
    "      --watch         reload the game's content whenever one of its files is saved,\n"
    "                      keeping the characters where they stand; a save that breaks the\n"
    "                      game shows its problems over the play screen instead\n"
    "      --scale N       show the play window at N times its 640x480 pixels (1 to 8;\n"
    "                      by default the desktop's scale), or the largest scale that fits\n"
    "      --scale-mode MODE\n"
    "                      how full screen scales the play screen: sharp-bilinear (the\n"
    "                      default: fitted, every pixel the same size), integer (the largest\n"
    "                      whole multiple, wider bars) or nearest (fitted, nearest pixel)\n"
    "      --help          show this help and exit\n"
    "      --version       show the version and exit\n"
    "\n"
    "These answer the configuration dialog, which is then not shown; what is not given\n"
    "keeps the dialog's first choice (16 bits, windowed, 60 frames a second):\n"
    "      --windowed      play in a window\n"
    "      --fullscreen    play on the whole screen\n"
    "      --depth=BITS    colour depth: 16, 24 or 32\n"
    "      --fps=N         most frames a second, 1 to 60\n"
    "\n"
    "Controls with the mouse: press and release a character's button to select it, move\n"
    "the pointer over the board to preview it there, release the right button to turn it\n"
    "and the left one to place it; select a placed character to lift it off the board.\n"
    "\n"
    "With the keys (the keypad's too: arrows with NumLock off, digits with it on):\n"
    "  arrow keys         move the board cursor; the selected character follows it\n"
    "  1 to 5             select that character (a placed one is lifted off the board)\n"
    "  Tab, Shift+Tab     select the next / previous character still to place\n"
    "  Space, R           turn the selected character\n"
    "  Enter              place it\n"
    "  F1                 show or hide these controls on the play screen; Escape hides them\n"
    "  F12                end the game\n"
    "\n"
    "With a game controller (buttons by their Xbox names):\n"
    "  D-pad, left stick  move the board cursor; the selected character follows it\n"
    "  LB, RB             select the previous / next character still to place\n"
    "  A                  place it\n"
    "  X, Y               turn it\n"
    "  Menu (Start)       show or hide the controls; B hides them\n"
    "  View (Back)        end the game\n"
    "In the configuration dialog the D-pad moves between its controls and A activates one;\n"
    "on the frame rate left and right lower or raise it by 1 (LB and RB by 10), and Menu\n"
    "presses Start.\n"
    "\n"
    "A blocked place sounds the warning and chequers the squares it would cover for half a\n"
    "second. Playing by keys or controller, the cursor's square and the selected\n"
    "character's button are ringed in black and white, and each placed character's button\n"
    "has a box beside it; the next pointer move over the window takes these marks away.\n"
    "\n"
    "Exit status: 0 when the game has ended, or the check found no error; 1 when the check\n"
    "found errors; 2 when the command line or the game folder cannot be used.\n";

}  // namespace

CommandLine::CommandLine(int argc, const char* const* argv)
    : CommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc)) {}

CommandLine::CommandLine(const std::vector<std::string>& arguments) {
  std::vector<std::string> folders;
  bool optionsEnded = false;
  for (size_t at = 0; at < arguments.size(); ++at) {
    const std::string& argument = arguments[at];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
      if (!ReadOption(arguments, at) || (action_ != Play && action_ != Check)) return;
    } else {
      folders.push_back(argument);
    }
  }
  if (folders.size() > 1) {
    RefuseLine("extra operand '" + folders[1] + "': give one GAME_FOLDER at most");
    return;
  }
  if (!folders.empty()) gameFolder_ = folders[0];
}

// One argument that starts with '-': an option of the table, or a refusal.
bool CommandLine::ReadOption(const std::vector<std::string>& arguments, size_t& at) {
  const std::string& argument = arguments[at];
  const size_t equals = argument.find('=');
  const std::string name = argument.substr(0, equals);
  for (const Option& option : kOptions) {
    if (name != option.name) continue;
    std::string value;
    if (option.takes == Takes::Nothing && equals != std::string::npos) {
      return RefuseLine("option '" + name + "' doesn't allow an argument");
    }
    if (option.takes == Takes::Value && equals != std::string::npos) {
      value = argument.substr(equals + 1);
    } else if (option.takes == Takes::Value) {
      if (at + 1 >= arguments.size())
        return RefuseLine("option '" + name + "' requires an argument");
      value = arguments[++at];
    }
    if (option.setting) return ReadSetting(name, value);
    action_ = option.action;
    return true;
  }
  return RefuseLine(argument[1] == '-' ? "unrecognized option '" + argument + "'"
                                       : "invalid option -- '" + argument.substr(1, 1) + "'");
}

// A setting is refused as the dialog refuses it: a depth it does not offer, both modes at
// once, an empty frame rate or one outside 1 to 60; on a command line, also a frame rate that
// is not a plain number.
bool CommandLine::ReadSetting(const std::string& name, const std::string& value) {
  if (name == "--watch") {
    watch_ = true;
    return true;
  }
  if (name == "--scale") {
    if (value.size() != 1 || value[0] < '1' || value[0] > '8') {
      return RefuseLine("invalid scale '" + value + "': give a whole number from 1 to 8", false);
    }
    scale_ = value[0] - '0';
    return true;
  }
  if (name == "--scale-mode") {
    if (value != "sharp-bilinear" && value != "integer" && value != "nearest") {
      return RefuseLine(
          "invalid scale mode '" + value + "': give sharp-bilinear, integer or nearest", false);
    }
    scaleMode_ = value == "integer"   ? ScaleMode::Integer
                 : value == "nearest" ? ScaleMode::Nearest
                                      : ScaleMode::SharpBilinear;
    return true;
  }
  if (name == "--windowed" || name == "--fullscreen") {
    const int32_t mode = name == "--windowed" ? DisplayWindowed : DisplayFullScreen;
    if (displayMode_ && *displayMode_ != mode) {
      return RefuseLine("--windowed and --fullscreen cannot both be given", false);
    }
    displayMode_ = mode;
    return true;
  }
  if (name == "--depth") {
    if (value != "16" && value != "24" && value != "32") {
      return RefuseLine("colour depth '" + value + "' for --depth: give 16, 24 or 32", false);
    }
    colorDepth_ = std::stoi(value);
    return true;
  }
  const int32_t rate = AllDigits(value) ? ConfigDialog::ParseFrameRate(value) : 0;
  if (rate < 1 || rate > ConfigDialog::HighestFrameRate) {
    return RefuseLine((value.empty() ? "no frame rate" : "frame rate '" + value + "'") +
                          " for --fps: give a number between 1 and " +
                          std::to_string(ConfigDialog::HighestFrameRate),
                      false);
  }
  frameRate_ = rate;
  return true;
}

bool CommandLine::RefuseLine(std::string error, bool pointToHelp) {
  action_ = Action::Refuse;
  error_ = std::move(error);
  pointToHelp_ = pointToHelp;
  return false;
}

bool CommandLine::ApplySettings() const {
  if (!displayMode_ && !colorDepth_ && !frameRate_) return false;
  ColorDepth = colorDepth_.value_or(16);
  DisplayMode = displayMode_.value_or(DisplayWindowed);
  MaxFrameRate = frameRate_.value_or(ConfigDialog::HighestFrameRate);
  return true;
}

int CommandLine::Respond(std::FILE* out, std::FILE* err) const {
  switch (action_) {
    case ShowHelp:
      std::fputs(kHelp, out);
      return 0;
    case ShowVersion:
      std::fprintf(out, "Tarnwick %s\n", kTarnwickVersion);
      return 0;
    default:
      std::fputs(ErrorLine(pointToHelp_ ? error_ + "\nTry 'tarnwick --help' for more information."
                                        : error_)
                     .c_str(),
                 err);
      return 2;
  }
}
