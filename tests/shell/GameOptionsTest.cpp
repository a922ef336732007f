// The game's options: mirrored into the engine and, for the stored ones, into the options
// store; the Alt shortcuts.

#include "foundation/GlobalOptions.h"
#include "platform/InputConstants.h"
#include "tests/support/GameFixture.h"

namespace {

class GameOptions : public GameFixture {
 protected:
  static std::string Params() {
    return R"(<params>
      <param name="FullScreenMode" value="no"/>
      <param name="MusicVolume" value="40"/>
      <param name="ShowHints" value="yes"/>
    </params>)";
  }
  static std::string Stored(const std::string& name) {
    std::string value = "<none>";
    GetGlobalOption(name, value);
    return value;
  }
  void StartGame() {
    engine->options = {{"FullScreenMode", Variant("no")},
                       {"MusicVolume", Variant("40")},
                       {"ShowFPS", Variant("no")},
                       {"ShowRects", Variant("NO")}};
    Start(GameXml({}, {}, Params()));
  }
};

TEST_F(GameOptions, TheStoreWinsOverTheGameFileAndLearnsWhatItLacks) {
  ASSERT_TRUE(SetGlobalOption("FullScreenMode", "yes"));
  ASSERT_TRUE(SetGlobalOption("MusicVolume", ""));  // empty counts as missing
  GlobalOptions().Unload();
  StartGame();
  EXPECT_EQ(game->GetParamValue("FullScreenMode").ToString(), "yes");
  EXPECT_EQ(engine->GetOption("FullScreenMode").ToString(), "yes") << "passed to the engine";
  EXPECT_EQ(Stored("MusicVolume"), "40") << "the game file's value, stored";
  EXPECT_EQ(Stored("ShowHints"), "") << "not a stored option";
  EXPECT_EQ(engine->applies, 0) << "options are applied by the engine's own start";
}

TEST_F(GameOptions, AltShortcutsToggleEngineOptions) {
  StartGame();
  struct Case {
    uintptr_t key;
    intptr_t data;
    const char* option;  // nullptr: not a shortcut
    const char* before;
    const char* after;
  } cases[] = {
      {input::kVkReturn, input::kAltBit, "FullScreenMode", "no", "yes"},
      {input::kVkReturn, input::kAltBit, "FullScreenMode", "yes", "no"},
      {'f', input::kAltBit, "ShowFPS", "no", "yes"},
      {'F', input::kAltBit | 1, "ShowFPS", "yes", "no"},
      {'r', input::kAltBit, "ShowRects", "NO", "yes"},
      {'R', input::kAltBit, "ShowRects", "yes", "no"},
      {input::kVkReturn, 0, nullptr, nullptr, nullptr},  // no Alt
      {'x', input::kAltBit, nullptr, nullptr, nullptr},
  };
  int applies = 0;
  for (const Case& c : cases) {
    bool handled = game->HandleKey(input::kChar, c.key, c.data);
    EXPECT_EQ(handled, c.option != nullptr) << c.key;
    if (!c.option) continue;
    ++applies;
    EXPECT_EQ(game->GetParamValue(c.option).ToString(), c.after)
        << c.option << " from " << c.before;
    EXPECT_EQ(engine->GetOption(c.option).ToString(), c.after) << c.option;
    EXPECT_EQ(engine->applies, applies) << "applied at once";
  }
  EXPECT_EQ(Stored("FullScreenMode"), "no") << "kept in the store at every change";
  EXPECT_EQ(Stored("ShowFPS"), "") << "not a stored option";
  EXPECT_FALSE(game->HandleKey(input::kKeyDown, input::kVkReturn, input::kAltBit));
}

TEST_F(GameOptions, TheEngineTakesOnlyOptionsItHasAndRefusalsAreIgnored) {
  StartGame();
  engine->refusedOptions.insert("MusicVolume");
  game->SetOption("MusicVolume", "70");
  EXPECT_EQ(game->GetParamValue("MusicVolume").ToString(), "70");
  EXPECT_EQ(Stored("MusicVolume"), "70");
  EXPECT_EQ(engine->applies, 0);

  game->SetOption("Unknown", "1");  // the engine has no such option
  EXPECT_EQ(game->GetParamValue("Unknown").ToString(), "1");
  EXPECT_TRUE(engine->GetOption("Unknown").IsClear());
  game->SetOption("FullScreenMode", "no");  // unchanged for the engine
  EXPECT_EQ(engine->applies, 0);

  // A parameter set by a screen reaches the engine without being applied yet.
  game->SetParamValue("FullScreenMode", Variant("yes"));
  EXPECT_EQ(engine->GetOption("FullScreenMode").ToString(), "yes");
  EXPECT_EQ(engine->applies, 0);
  EXPECT_EQ(Stored("FullScreenMode"), "no");
}

}  // namespace
