// CommandLine: a small loop over the arguments with a table of the long options.
#include "app/CommandLine.h"

#include "app/BuildInfo.h"

namespace {

struct Option {
  const char* name;
  CommandLine::Action action;
};

constexpr Option kOptions[] = {
    {"--check", CommandLine::Check},
    {"--help", CommandLine::ShowHelp},
    {"--version", CommandLine::ShowVersion},
};

constexpr const char* kHelp =
    "Usage: tarnwick [OPTIONS] [GAME_FOLDER]\n"
    "Tarnwick, a board set-up game: arrange your characters on a board of 10 by 10 squares.\n"
    "\n"
    "The game reads all its content from GAME_FOLDER, the folder that holds\n"
    "packages/morrels.pkg. Without GAME_FOLDER it plays the game in the working directory,\n"
    "or, when there is none, the sample game installed with the program.\n"
    "\n"
    "Options:\n"
    "      --check    check the game in GAME_FOLDER (or in the working directory) instead\n"
    "                 of playing it: print every problem of its content, one a line, and\n"
    "                 how start-up would end\n"
    "      --help     show this help and exit\n"
    "      --scale N  show the play window at N times its 640x480 pixels (1 to 8; by\n"
    "                 default the desktop's scale), or the largest scale that fits\n"
    "      --scale-mode MODE\n"
    "                 how full screen scales the play screen: sharp-bilinear (the default:\n"
    "                 fitted, every pixel the same size), integer (the largest whole\n"
    "                 multiple, wider bars) or nearest (fitted, nearest pixel)\n"
    "      --version  show the version and exit\n"
    "\n"
    "Controls: press and release a character's button to select it, move the pointer over\n"
    "the board to preview it there, release the right mouse button to turn it and the left\n"
    "one to place it; select a placed character to lift it off the board again. F12 ends\n"
    "the game.\n"
    "\n"
    "Exit status: 0 when the game has ended, or the check found no error; 1 when the check\n"
    "found errors; 2 when the command line or the game folder cannot be used.\n";

}  // namespace

CommandLine::CommandLine(int argc, const char* const* argv)
    : CommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc)) {}

CommandLine::CommandLine(const std::vector<std::string>& arguments) {
  std::vector<std::string> folders;
  bool optionsEnded = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && argument.starts_with("--scale")) {
      if (!ReadValueOption(arguments, i)) return;
    } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
      if (!ReadOption(argument) || (action_ != Play && action_ != Check)) return;
    } else {
      folders.push_back(argument);
    }
  }
  if (folders.size() > 1) {
    action_ = Refuse;
    error_ = "extra operand '" + folders[1] + "': give one GAME_FOLDER at most";
    return;
  }
  if (!folders.empty()) gameFolder_ = folders[0];
}

// One argument that starts with '-': an option of the table, or a refusal.
bool CommandLine::ReadOption(const std::string& argument) {
  const size_t equals = argument.find('=');
  const std::string name = argument.substr(0, equals);
  for (const Option& option : kOptions) {
    if (name != option.name) continue;
    if (equals != std::string::npos) {
      action_ = Refuse;
      error_ = "option '" + name + "' doesn't allow an argument";
      return false;
    }
    action_ = option.action;
    return true;
  }
  action_ = Refuse;
  error_ = argument[1] == '-' ? "unrecognized option '" + argument + "'"
                              : "invalid option -- '" + argument.substr(1, 1) + "'";
  return false;
}

bool CommandLine::ReadValueOption(const std::vector<std::string>& arguments, size_t& index) {
  const std::string& argument = arguments[index];
  const size_t equals = argument.find('=');
  const std::string name = argument.substr(0, equals);
  if (name != "--scale" && name != "--scale-mode") return ReadOption(argument);
  std::string value;
  if (equals != std::string::npos) {
    value = argument.substr(equals + 1);
  } else if (index + 1 < arguments.size()) {
    value = arguments[++index];
  } else {
    action_ = Refuse;
    error_ = "option '" + name + "' requires an argument";
    return false;
  }
  if (name == "--scale") {
    if (value.size() == 1 && value[0] >= '1' && value[0] <= '8') {
      scale_ = value[0] - '0';
      return true;
    }
    action_ = Refuse;
    error_ = "invalid scale '" + value + "': give a whole number from 1 to 8";
    return false;
  }
  if (value == "sharp-bilinear" || value == "integer" || value == "nearest") {
    scaleMode_ = value == "integer"   ? ScaleMode::Integer
                 : value == "nearest" ? ScaleMode::Nearest
                                      : ScaleMode::SharpBilinear;
    return true;
  }
  action_ = Refuse;
  error_ = "invalid scale mode '" + value + "': give sharp-bilinear, integer or nearest";
  return false;
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
      std::fprintf(err, "tarnwick: %s\nTry 'tarnwick --help' for more information.\n",
                   error_.c_str());
      return 2;
  }
}
