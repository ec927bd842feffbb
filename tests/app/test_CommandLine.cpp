// The command line: options anywhere, "--", the game folder and every refusal, one case a line.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Settings.h"

namespace {

struct Case {
  std::vector<std::string> arguments;
  CommandLine::Action action;
  std::optional<std::string> folder;
  std::string error;
};

std::ostream& operator<<(std::ostream& out, const Case& c) {
  out << "arguments:";
  for (const std::string& argument : c.arguments) out << " '" << argument << "'";
  return out;
}

constexpr CommandLine::Action Play = CommandLine::Play;
constexpr CommandLine::Action Check = CommandLine::Check;
constexpr CommandLine::Action Help = CommandLine::ShowHelp;
constexpr CommandLine::Action Version = CommandLine::ShowVersion;
constexpr CommandLine::Action Refuse = CommandLine::Refuse;
constexpr std::nullopt_t none = std::nullopt;

std::string Extra(const std::string& operand) {
  return "extra operand '" + operand + "': give one GAME_FOLDER at most";
}

TEST(CommandLineTest, ReadsOptionsAnywhereAndOneGameFolder) {
  const Case cases[] = {
      // Playing, with or without a folder; after "--" a folder may start with '-'.
      {{}, Play, none, ""},
      {{"games/x"}, Play, "games/x", ""},
      {{"-"}, Play, "-", ""},
      {{""}, Play, "", ""},
      {{"--"}, Play, none, ""},
      {{"--", "--help"}, Play, "--help", ""},
      {{"--", "-x"}, Play, "-x", ""},
      // Checking instead of playing.
      {{"--check"}, Check, none, ""},
      {{"x", "--check"}, Check, "x", ""},
      {{"--check=x"}, Refuse, none, "option '--check' doesn't allow an argument"},
      // The first option that asks for a text wins, wherever it stands.
      {{"--help"}, Help, none, ""},
      {{"x", "--version"}, Version, none, ""},
      {{"--version", "--help"}, Version, none, ""},
      {{"--help", "--bogus"}, Help, none, ""},
      {{"--check", "--help"}, Help, none, ""},
      {{"a", "b", "--help"}, Help, none, ""},
      // Refusals.
      {{"--bogus", "--help"}, Refuse, none, "unrecognized option '--bogus'"},
      {{"--hel"}, Refuse, none, "unrecognized option '--hel'"},
      {{"---help"}, Refuse, none, "unrecognized option '---help'"},
      {{"--help=yes"}, Refuse, none, "option '--help' doesn't allow an argument"},
      {{"--version="}, Refuse, none, "option '--version' doesn't allow an argument"},
      {{"-h"}, Refuse, none, "invalid option -- 'h'"},
      {{"a", "b"}, Refuse, none, Extra("b")},
      // Options with a value, joined by '=' or in the next argument.
      {{"--scale", "3", "x"}, Play, "x", ""},
      {{"--scale-mode=nearest", "--check"}, Check, none, ""},
      {{"--scale=9"}, Refuse, none, "invalid scale '9': give a whole number from 1 to 8"},
      {{"--scale", "--help"},
       Refuse,
       none,
       "invalid scale '--help': give a whole number from 1 to 8"},
      {{"--scale"}, Refuse, none, "option '--scale' requires an argument"},
      {{"--scale-mode", "blurry"},
       Refuse,
       none,
       "invalid scale mode 'blurry': give sharp-bilinear, integer or nearest"},
      {{"--scales"}, Refuse, none, "unrecognized option '--scales'"},
      {{"a", "--", "-b", "c"}, Refuse, none, Extra("-b")},
  };
  for (const Case& c : cases) {
    const CommandLine line(c.arguments);
    EXPECT_EQ(line.action(), c.action) << c;
    EXPECT_EQ(line.gameFolder(), c.folder) << c;
    EXPECT_EQ(line.error(), c.error) << c;
  }
}

struct SettingsCase {
  std::vector<std::string> arguments;
  std::optional<int32_t> mode, depth, rate;
  std::string error;
  int scale = 0;
  ScaleMode scaleMode = ScaleMode::SharpBilinear;
};

std::string Rate(const std::string& given) {
  return given + " for --fps: give a number between 1 and 60";
}

TEST(CommandLineTest, AnswersTheDialogAsTheDialogWould) {
  constexpr int32_t W = DisplayWindowed, F = DisplayFullScreen;
  constexpr ScaleMode Nearest = ScaleMode::Nearest;
  const SettingsCase cases[] = {
      {{"--fullscreen", "--depth", "24", "--fps=30"}, F, 24, 30, ""},
      {{"--windowed", "--windowed"}, W, none, none, ""},
      {{"--depth=32", "--fps", "1"}, none, 32, 1, ""},
      {{"--fps", "61"}, none, none, none, Rate("frame rate '61'")},
      {{"--fps=0"}, none, none, none, Rate("frame rate '0'")},
      {{"--fps="}, none, none, none, Rate("no frame rate")},
      {{"--fps", "12x"}, none, none, none, Rate("frame rate '12x'")},
      {{"--fps", "99999999999"}, none, none, none, Rate("frame rate '99999999999'")},
      {{"--fps"}, none, none, none, "option '--fps' requires an argument"},
      {{"--depth", "8"}, none, none, none, "colour depth '8' for --depth: give 16, 24 or 32"},
      {{"--windowed", "--fullscreen"},
       none,
       none,
       none,
       "--windowed and --fullscreen cannot both be given"},
      {{"--watch=yes"}, none, none, none, "option '--watch' doesn't allow an argument"},
      {{"--scale=2", "--scale-mode", "integer"}, none, none, none, "", 2, ScaleMode::Integer},
      {{"--scale-mode=integer", "--scale-mode=nearest"}, none, none, none, "", 0, Nearest},
  };
  for (const SettingsCase& c : cases) {
    const CommandLine line(c.arguments);
    EXPECT_EQ(line.action(), c.error.empty() ? Play : Refuse) << c.arguments[0];
    EXPECT_EQ(line.error(), c.error) << c.arguments[0];
    if (!c.error.empty()) continue;
    EXPECT_EQ(line.displayMode(), c.mode) << c.arguments[0];
    EXPECT_EQ(line.colorDepth(), c.depth) << c.arguments[0];
    EXPECT_EQ(line.frameRate(), c.rate) << c.arguments[0];
    EXPECT_EQ(line.scale(), c.scale) << c.arguments[0];
    EXPECT_EQ(line.scaleMode(), c.scaleMode) << c.arguments[0];
  }
}

TEST(CommandLineTest, ShowsTheDialogUnlessASettingIsGiven) {
  EXPECT_FALSE(CommandLine(std::vector<std::string>{"--watch"}).ApplySettings());
  MaxFrameRate = 5;
  ASSERT_TRUE(CommandLine(std::vector<std::string>{"--depth=24"}).ApplySettings());
  EXPECT_EQ(ColorDepth, 24);
  EXPECT_EQ(DisplayMode, DisplayWindowed);
  EXPECT_EQ(MaxFrameRate, 60);
  ColorDepth = 16;
}

TEST(CommandLineTest, SkipsTheProgramsName) {
  const char* argv[] = {"tarnwick", "folder"};
  EXPECT_EQ(CommandLine(2, argv).gameFolder(), "folder");
  EXPECT_EQ(CommandLine(0, argv).action(), CommandLine::Play);
}

}  // namespace
