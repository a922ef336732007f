#include "engine/CommandLine.h"

#include "foundation/EngineDeclarations.h"
#include "platform/AsciiCase.h"

// GAME_VERSION comes from the build (the project's version).

namespace {

bool IsChangePath(const std::string& argument) {
  return platform::SameText(argument, "-changepath");
}

// Switches of the displays of other systems: accepted, without meaning here.
bool IsIgnoredSwitch(const std::string& argument) {
  return platform::SameText(argument, "dd") || platform::SameText(argument, "d3d");
}

TCommandLine Refused(std::string problem) {
  return {TCommandLineAction::Refuse, std::move(problem)};
}

}  // namespace

TCommandLine ReadCommandLine(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h") return {TCommandLineAction::Help, {}};
    if (argument == "--version") return {TCommandLineAction::Version, {}};
  }
  if (!arguments.empty() && IsChangePath(arguments[0])) {
    if (arguments.size() == 2 && !arguments[1].empty()) return {};
    return Refused("-changepath takes one folder name and no other argument");
  }
  for (const std::string& argument : arguments) {
    if (IsIgnoredSwitch(argument)) continue;
    if (IsChangePath(argument))
      return Refused("-changepath takes one folder name and no other argument");
    if (!argument.empty() && argument[0] == '-') return Refused("unknown option \"" + argument + "\"");
    return Refused("unexpected argument \"" + argument + "\"");
  }
  return {};
}

std::string UsageText(const std::string& programFolder, const std::string& preferenceFolder) {
  const std::string& name = DefaultApplicationCaption;
  std::string text;
  text += "Usage: " + name + " [-changepath NAME]\n";
  text += "       " + name + " --help | --version\n";
  text +=
      "\n"
      "Plays the hidden-object game whose data lies in the program folder.\n"
      "\n"
      "  -changepath NAME   plays the game data in the sub-folder NAME of the program\n"
      "                     folder instead (found without regard to case)\n"
      "  -h, --help         prints this text and ends\n"
      "  --version          prints the version and ends\n"
      "  dd, d3d            accepted; they choose nothing on this system\n"
      "\n"
      "Environment:\n"
      "  GAME_PLATFORM=sdl|headless   sdl (the default) plays in a window; headless\n"
      "                               runs without a display, on a virtual clock\n"
      "  GAME_SCRIPT=FILE             runs a script of input and checks; a failed\n"
      "                               check ends the program with status 1\n"
      "  GAME_RANDOM_SEED=N           seeds the random numbers with N, not the clock\n"
      "  GAME_PREFERENCE_DIR=FOLDER   keeps the player's files in FOLDER\n"
      "  XDG_DATA_HOME                the base of the preference folder (~/.local/share)\n"
      "  XDG_CONFIG_HOME              the base of the game's settings (~/.config)\n"
      "\n";
  text += "The game's data: " + programFolder + "\n";
  text += "The player's files (options, players, high scores, records):\n  " +
          (preferenceFolder.empty() ? std::string("(no folder can be had)") : preferenceFolder) +
          "\n";
  text += "\nExit status: 0 after a normal end, 1 when the game cannot start or a script\n"
          "check fails, 2 for a command line it does not understand.\n";
  return text;
}

std::string VersionText() {
  return DefaultApplicationCaption + " " GAME_VERSION "\n";
}
