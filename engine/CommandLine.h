#pragma once
// What the program's command line asks for, and the texts it prints for --help and
// --version, before anything opens a window or touches the player's files.

#include <string>
#include <vector>

enum class TCommandLineAction {
  Run,      // play the game
  Help,     // print the usage
  Version,  // print the version
  Refuse,   // a misuse: say why and end with status 2
};

struct TCommandLine {
  TCommandLineAction action = TCommandLineAction::Run;
  std::string problem;  // for Refuse: the one line that says what is wrong
};

// Reads the arguments after the program's name. "--help"/"-h" and "--version" win
// wherever they stand; "-changepath NAME" must be the whole command line (it names the
// program folder, see GetProgramFolder); "dd" and "d3d", switches of other displays,
// mean nothing here and are passed over. Anything else is refused.
TCommandLine ReadCommandLine(const std::vector<std::string>& arguments);

// The usage: the switches, the environment variables, and where the game reads its
// data and keeps the player's files.
std::string UsageText(const std::string& programFolder, const std::string& preferenceFolder);
// "NAME VERSION".
std::string VersionText();
