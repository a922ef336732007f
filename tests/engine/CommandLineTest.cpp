// The command line: what each form asks for, and the usage it prints.
#include <gtest/gtest.h>

#include "engine/CommandLine.h"

namespace {

using A = TCommandLineAction;

}  // namespace

TEST(CommandLine, EachFormAsksForItsAction) {
  struct Case {
    std::vector<std::string> arguments;
    A action;
    const char* problem;  // a part of the refusal's line
  } cases[] = {
      {{}, A::Run, ""},
      {{"-changepath", "demo"}, A::Run, ""},
      {{"-CHANGEPATH", "Demo\\"}, A::Run, ""},
      {{"dd"}, A::Run, ""},
      {{"d3d", "dd"}, A::Run, ""},
      {{"--help"}, A::Help, ""},
      {{"-h"}, A::Help, ""},
      {{"-changepath", "demo", "--help"}, A::Help, ""},
      {{"--bogus", "--version"}, A::Version, ""},
      {{"--version"}, A::Version, ""},
      {{"--bogus"}, A::Refuse, "unknown option \"--bogus\""},
      {{"-x"}, A::Refuse, "unknown option \"-x\""},
      {{"dd", "-fullscreen"}, A::Refuse, "unknown option \"-fullscreen\""},
      {{"help"}, A::Refuse, "unexpected argument \"help\""},
      {{"-changepath"}, A::Refuse, "-changepath takes one folder name"},
      {{"-changepath", ""}, A::Refuse, "-changepath takes one folder name"},
      {{"-changepath", "a", "b"}, A::Refuse, "-changepath takes one folder name"},
      {{"dd", "-changepath", "a"}, A::Refuse, "-changepath takes one folder name"},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& a : c.arguments) shown += "[" + a + "]";
    TCommandLine line = ReadCommandLine(c.arguments);
    EXPECT_EQ(line.action, c.action) << shown;
    EXPECT_NE(line.problem.find(c.problem), std::string::npos) << shown << ": " << line.problem;
    if (c.action != A::Refuse) EXPECT_EQ(line.problem, "") << shown;
  }
}

TEST(CommandLine, UsageNamesTheSwitchesTheEnvironmentAndTheFolders) {
  std::string usage = UsageText("/opt/game/", "/home/ann/.local/share/Maker/Game/");
  for (const char* part : {"-changepath NAME", "--help", "--version", "GAME_PLATFORM",
                           "GAME_SCRIPT", "GAME_RANDOM_SEED", "GAME_PREFERENCE_DIR",
                           "XDG_DATA_HOME", "/opt/game/", "/home/ann/.local/share/Maker/Game/"})
    EXPECT_NE(usage.find(part), std::string::npos) << part;
  EXPECT_NE(UsageText("/opt/game/", "").find("no folder"), std::string::npos)
      << "a preference folder that cannot be had is said so, not printed empty";
}
