#include <string>

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

TEST_F(UserProfileTest, NameMetTwiceLoadsIntoOneProfile) {
  Ref<TUserProfileCollection> profiles = Profiles();
  LoadXml(*profiles, R"(<userprofiles current_user_profile_name="Ann">)"
                     R"(<userprofile name="Ann"><params><param name="a" value="1"/></params>)"
                     R"(<datastorage>first</datastorage></userprofile>)"
                     R"(<userprofile name="Ann"><params><param name="b" value="2"/></params>)"
                     R"(</userprofile></userprofiles>)");
  ASSERT_EQ(profiles->Count(), 1);
  Ref<IUserProfile> ann = profiles->GetCurrent();
  ASSERT_TRUE(ann);
  EXPECT_EQ(ann->GetParams()->GetValue("a").ToString(), "1");
  EXPECT_EQ(ann->GetParams()->GetValue("b").ToString(), "2");
  EXPECT_EQ(ann->GetDataStorage(), "first");
  EXPECT_EQ(profiles->GetOrCreate("ANN"), ann);
  EXPECT_EQ(profiles->Count(), 1);
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
