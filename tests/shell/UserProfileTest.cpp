#include <cerrno>
#include <string>
#include <vector>

#include "foundation/XMLStorage.h"
#include "shell/UserProfile.h"
#include "tests/shell/PlayerDataTestSupport.h"

namespace {

Ref<TUserProfileCollection> Profiles() {
  return TAbstractObject::Create<TUserProfileCollection>();
}

void LoadXml(TUserProfileCollection& profiles, const std::string& xml) {
  Ref<IHierStorageRoot> storage = LoadXmlStorageFromText(xml);
  ASSERT_TRUE(storage);
  storage->LoadObject(&profiles);
}

}  // namespace

class UserProfileTest : public PlayerDataTest {};

TEST_F(UserProfileTest, RoundTripUnderTheRealKeyAndWithoutOne) {
  const std::string progress = "<usergamedata level=\"3\" note='a &amp; b'/> \"quoted\" & é ✓ 日本";
  for (const std::string& key : {std::string("913064vbsw8n[571k06tyc"), std::string()}) {
    UserProfilesKey = key;
    Ref<TUserProfileCollection> profiles = Profiles();
    Ref<IUserProfile> ann = profiles->GetOrCreate("Ann");
    ann->GetParams()->SetValue("ShowHints", Variant("yes"));
    ann->SetDataStorage(progress);
    profiles->GetOrCreate("Bö");  // nothing stored yet
    profiles->SetCurrent("Ann");
    profiles->SaveToFile(engine.get());

    std::string text = preferences.Read("users.dat");
    std::string xml = key.empty() ? text : Decipher(text, key);
    if (!key.empty()) {
      EXPECT_EQ(text.find_first_not_of("0123456789ABCDEF\r\n"), std::string::npos);
    }
    EXPECT_EQ(xml.find("<datastorage"), xml.rfind("<datastorage")) << "one data storage: " << xml;
    EXPECT_NE(xml.find("<userprofile name=\"Bö\"><params/></userprofile>"), std::string::npos)
        << xml;

    Ref<TUserProfileCollection> loaded = Profiles();
    loaded->LoadFromFile(engine.get());
    ASSERT_EQ(loaded->Count(), 2) << key;
    ASSERT_TRUE(loaded->GetCurrent());
    EXPECT_EQ(loaded->GetCurrent()->GetName(), "Ann");
    EXPECT_EQ(loaded->GetCurrent()->GetDataStorage(), progress);
    EXPECT_EQ(loaded->GetCurrent()->GetParams()->GetValue("ShowHints").ToString(), "yes");
    EXPECT_EQ(loaded->GetItem(Variant(1))->GetDataStorage(), "");
  }
  EXPECT_TRUE(warnings.Lines().empty());
}

TEST_F(UserProfileTest, CurrentNameThatNamesNobodyLeavesNoCurrentProfile) {
  Ref<TUserProfileCollection> profiles = Profiles();
  LoadXml(*profiles, R"(<userprofiles current_user_profile_name="Zed">)"
                     R"(<userprofile name="Ann"/></userprofiles>)");
  EXPECT_EQ(profiles->Count(), 1);
  EXPECT_FALSE(profiles->GetCurrent());
  profiles->SetCurrent("ann");
  ASSERT_TRUE(profiles->GetCurrent());
  profiles->SetCurrent("");
  EXPECT_FALSE(profiles->GetCurrent());
}

TEST_F(UserProfileTest, ANameMetAgainKeepsTheFirstProfileAndACopyOfTheFile) {
  // Ann at level 50 first, then again (in another case) at level 2, and Bo twice.
  const std::string xml =
      R"(<userprofiles current_user_profile_name="Ann">)"
      R"(<userprofile name="Ann"><params><param name="a" value="1"/></params>)"
      R"(<datastorage>level 50</datastorage></userprofile>)"
      R"(<userprofile name="Bo"/>)"
      R"(<userprofile name="ANN"><params><param name="b" value="2"/></params>)"
      R"(<datastorage>level 2</datastorage></userprofile>)"
      R"(<userprofile name="Bo"><datastorage>late</datastorage></userprofile></userprofiles>)";
  const std::string file = Encipher(xml, UserProfilesKey);
  preferences.Write("users.dat", file);
  Ref<TUserProfileCollection> profiles = Profiles();
  profiles->LoadFromFile(engine.get());

  ASSERT_EQ(profiles->Count(), 2);
  Ref<IUserProfile> ann = profiles->GetCurrent();
  ASSERT_TRUE(ann);
  EXPECT_EQ(ann->GetName(), "Ann");
  EXPECT_EQ(ann->GetParams()->GetValue("a").ToString(), "1");
  EXPECT_TRUE(ann->GetParams()->GetValue("b").IsClear());
  EXPECT_EQ(ann->GetDataStorage(), "level 50");
  EXPECT_EQ(profiles->GetItem(Variant("Bo"))->GetDataStorage(), "");
  EXPECT_EQ(profiles->DuplicateNames(), (std::vector<std::string>{"ANN", "Bo"}));

  // The file as it was stays readable beside it, and the warning says so.
  EXPECT_EQ(preferences.Read("users.dat.damaged"), file);
  ASSERT_EQ(warnings.Lines().size(), 1u);
  EXPECT_EQ(warnings.Lines()[0], "warning: " + (preferences / "users.dat") +
                                     ": players \"ANN\", \"Bo\" are named more than once: only "
                                     "the first of each name is kept; the file as it was is "
                                     "copied to " +
                                     (preferences / "users.dat.damaged"));

  // What is saved from now on is what the game plays: the first of each.
  profiles->SaveToFile(engine.get());
  EXPECT_EQ(SavedXml("users.dat", UserProfilesKey),
            R"(<userprofiles current_user_profile_name="Ann">)"
            R"(<userprofile name="Ann"><params><param name="a" value="1"/></params>)"
            R"(<datastorage>level 50</datastorage></userprofile>)"
            R"(<userprofile name="Bo"><params/></userprofile></userprofiles>)");
  EXPECT_EQ(preferences.Read("users.dat.damaged"), file);
}

TEST_F(UserProfileTest, ANameMetAgainInAFileThatCannotBeCopiedIsNotSavedOver) {
  const std::string file = Encipher(R"(<userprofiles><userprofile name="Ann"/>)"
                                    R"(<userprofile name="Ann"/></userprofiles>)",
                                    UserProfilesKey);
  preferences.Write("users.dat", file);
  SetMoveAsideFaultHook([](const std::string&) { return ENOSPC; });
  Ref<TUserProfileCollection> profiles = Profiles();
  profiles->LoadFromFile(engine.get());
  EXPECT_EQ(profiles->Count(), 1);
  ASSERT_EQ(warnings.Lines().size(), 1u);
  EXPECT_NE(warnings.Lines()[0].find("could not be copied aside (No space left on device), so "
                                     "it is not saved over in this run"),
            std::string::npos)
      << warnings.Lines()[0];
  profiles->SaveToFile(engine.get());
  EXPECT_EQ(engine->preferenceSaves, 0);
  EXPECT_EQ(preferences.Read("users.dat"), file);
}

TEST_F(UserProfileTest, DeletingTheCurrentProfileLeavesNone) {
  Ref<TUserProfileCollection> profiles = Profiles();
  profiles->GetOrCreate("Ann");
  profiles->GetOrCreate("Bob");
  profiles->SetCurrent("Bob");
  profiles->Delete(Variant("Ann"));
  ASSERT_TRUE(profiles->GetCurrent());
  EXPECT_EQ(profiles->GetCurrent()->GetName(), "Bob");
  profiles->Delete(Variant(0));
  EXPECT_FALSE(profiles->GetCurrent());
  EXPECT_EQ(profiles->Count(), 0);
  // Without a current profile the file has no attribute for it.
  profiles->GetOrCreate("Cid");
  profiles->SaveToFile(engine.get());
  EXPECT_EQ(SavedXml("users.dat", UserProfilesKey),
            "<userprofiles><userprofile name=\"Cid\"><params/></userprofile></userprofiles>");
}

TEST_F(UserProfileTest, NoFileNoPlayersAndNoFallbackToTheProgramFolder) {
  program.Write("users.dat", Encipher(R"(<userprofiles><userprofile name="Ann"/></userprofiles>)",
                                      UserProfilesKey));
  Ref<TUserProfileCollection> profiles = Profiles();
  profiles->LoadFromFile(engine.get());
  EXPECT_EQ(profiles->Count(), 0);
  EXPECT_TRUE(warnings.Lines().empty());
}
