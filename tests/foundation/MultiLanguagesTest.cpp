#include <gtest/gtest.h>

#include <cstring>

#include "foundation/GameDeclarations.h"
#include "foundation/MultiLanguages.h"
#include "foundation/ResourceReader.h"
#include "foundation/XMLStorage.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WarningCapture.h"

namespace {

std::string LanguageFile(const std::string& id, const std::string& strings) {
  return "<language id=\"" + id + "\" name=\"" + id + "\"><strings>" + strings +
         "</strings></language>";
}

std::string Entry(const std::string& key, const std::string& text) {
  return "<string name=\"" + key + "\">" + text + "</string>";
}

TEST(Translation, PercentSignsKeysAndVariables) {
  TMultiLanguages translator;
  translator.SetString("greeting", "Hello, %player%");
  translator.SetString("NAME", "from the table");
  translator.SetString("padded", "  spaced  ");
  translator.SetString("nested", "[%greeting%]");
  translator.SetVariable("player", "Ann");
  translator.SetVariable("name", "variable");

  struct Case {
    const char* text;
    bool trim;
    std::string expected;
  } cases[] = {
      {"100%", false, "100%"},
      {"50%%", false, "50%"},
      {"%%%%", false, "%%"},
      {"a % b", false, "a % b"},
      {"%name%", false, "variable"},
      {"%NAME%", false, "from the table"},  // variables match their exact case
      {"%Greeting%", false, "Hello, Ann"},
      {"%nested%!", false, "[Hello, Ann]!"},
      {"<%unknown%>", false, "<>"},
      {"%padded%", false, "  spaced  "},
      {"%padded%", true, "spaced"},
      {"%0x0%", false, ""},
      {"%0x2%", false, std::strerror(2)},
      {"%0xabc%", false, ""},
      {"", false, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(translator.ExpandText(c.text, c.trim), c.expected) << c.text;

  translator.SetVariable("PLAYER", "Bob");  // replaces, without case
  EXPECT_EQ(translator.ExpandText("%greeting%"), "Hello, ")
      << "the variable is now named PLAYER, and the table has no \"player\"";
  EXPECT_EQ(translator.ExpandText("%PLAYER%"), "Bob");
}

TEST(Translation, KeysThatLeadBackToThemselvesEnd) {
  TMultiLanguages translator;
  translator.SetString("self", "x%self%");
  translator.SetString("a", "%b%");
  translator.SetString("b", "%a%");
  translator.SetString("wide", "%wide%%wide%%wide%%wide%%wide%%wide%%wide%%wide%");

  std::string self = translator.ExpandText("%self%");
  EXPECT_EQ(self, std::string(TMultiLanguages::kMaxExpansionDepth, 'x') + "%self%");
  EXPECT_EQ(translator.ExpandText("(%a%)"), "(%a%)");
  EXPECT_LE(translator.ExpandText("%wide%").size(), TMultiLanguages::kMaxExpandedLength + 1000);
  EXPECT_EQ(translator.GetString("self").substr(0, 3), "xxx");
}

class LanguageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    savedFile_ = LanguageFileName;
    savedFolder_ = ProgramFolder();
    savedCaption_ = NewUserCaption;
    SetProgramFolder(folder.Path().string());
    LanguageFileName = folder / "default.lng";
  }
  void TearDown() override {
    LanguageFileName = savedFile_;
    SetProgramFolder(savedFolder_);
    NewUserCaption = savedCaption_;
    MultiLanguages()->ClearStrings();
  }
  TempFolder folder;

 private:
  std::string savedFile_, savedFolder_, savedCaption_;
};

TEST_F(LanguageFiles, TheChosenLanguageOverridesTheDefaultKeyByKey) {
  folder.Write("default.lng",
               LanguageFile("en", Entry("CreateNewUser", "Create new player") +
                                      Entry("Quit", "Quit") + Entry("OnlyDefault", "kept")));
  folder.Write("Languages/de.lng",
               LanguageFile("de", Entry("Quit", "Beenden") + Entry("", "ignored")));

  NewUserCaption = "";
  ASSERT_TRUE(LoadLanguage(""));
  EXPECT_EQ(GetLanguageId(), "en");
  EXPECT_EQ(TranslateText("%Quit%"), "Quit");
  EXPECT_EQ(NewUserCaption, "Create new player");

  ASSERT_TRUE(LoadLanguage("de"));
  EXPECT_EQ(GetLanguageId(), "de");
  EXPECT_EQ(TranslateText("%Quit% / %OnlyDefault%"), "Beenden / kept");

  // A damaged file and a key no file has are said once each, naming the files.
  WarningCapture warnings;
  folder.Write("Languages/broken.lng", "<language><strings><string");
  ASSERT_TRUE(LoadLanguage("broken")) << "the default file still loads";
  EXPECT_EQ(TranslateText("%Quit% %Missing%"), "Quit ");
  EXPECT_EQ(TranslateText("%Missing%"), "");
  ASSERT_EQ(warnings.Lines().size(), 2u);
  EXPECT_EQ(warnings.Lines()[0].rfind("warning: %apppath%Languages\\broken.lng: does not parse", 0),
            0u)
      << warnings.Lines()[0];
  EXPECT_EQ(warnings.Lines()[1], "warning: " + (folder / "default.lng") +
                                     ": no text for the key \"Missing\"; it reads as nothing");
  EXPECT_TRUE(LoadLanguage("absent"));
}

TEST_F(LanguageFiles, WithoutStringsNothingLoads) {
  folder.Write("default.lng", "<language id=\"x\"/>");
  EXPECT_FALSE(LoadLanguage(""));
  LanguageFileName = folder / "missing.lng";
  EXPECT_FALSE(LoadLanguage(""));
  EXPECT_EQ(TranslateText("%anything%"), "");
}

}  // namespace
