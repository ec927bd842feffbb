// The command line: options anywhere, "--", the game folder and every refusal, one case a line.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"

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

TEST(CommandLineTest, KeepsTheScaleAndTheLastScaleMode) {
  const CommandLine line({"--scale=2", "--scale-mode", "integer", "--scale-mode=nearest"});
  EXPECT_EQ(line.scale(), 2);
  EXPECT_EQ(line.scaleMode(), ScaleMode::Nearest);
  EXPECT_EQ(CommandLine({"--scale-mode", "integer"}).scaleMode(), ScaleMode::Integer);
  EXPECT_EQ(CommandLine(std::vector<std::string>{}).scale(), 0);
}

TEST(CommandLineTest, SkipsTheProgramsName) {
  const char* argv[] = {"tarnwick", "folder"};
  EXPECT_EQ(CommandLine(2, argv).gameFolder(), "folder");
  EXPECT_EQ(CommandLine(0, argv).action(), CommandLine::Play);
}

}  // namespace
