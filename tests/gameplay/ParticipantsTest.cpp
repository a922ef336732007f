// Participants and categories: their files, the participant's caption, the engine hand-off.

#include <gtest/gtest.h>

#include "foundation/MultiLanguages.h"
#include "gameplay/Tv2Participants.h"
#include "tests/gameplay/GameplayTestSupport.h"
#include "tests/support/GameplayFixture.h"

using namespace gameplay_test;

namespace {

class Participants : public GameplayFixture {
 protected:
  Participants() { Tv2DeclarationsInit(); }
  ~Participants() override { MultiLanguages()->ClearStrings(); }
};

}  // namespace

TEST_F(Participants, TypeIsClientOrIdealMatchExactly) {
  Ref<IParticipantCollection> list = PublishParticipants(
      R"(<participants>
           <participant name="odile" type="client" categories="light;tea" open_categories="light"
                        slot="page1/client" avatar="img_av_odile" description="%desc%"/>
           <participant name="bastien" type="ideal_match"/>
           <participant name="milo" type="Client"/>
         </participants>)");
  ASSERT_TRUE(list);
  ASSERT_EQ(list->Count(), 3);
  struct Case {
    const char* name;
    bool client, idealMatch;
  };
  for (const Case& c :
       {Case{"odile", true, false}, Case{"bastien", false, true}, Case{"milo", false, false}}) {
    Ref<IParticipant> participant = list->GetItem(Variant(c.name));
    ASSERT_TRUE(participant) << c.name;
    EXPECT_EQ(participant->IsClient(), c.client) << c.name;
    EXPECT_EQ(participant->IsIdealMatch(), c.idealMatch) << c.name;
  }
  Ref<IParticipant> odile = list->GetItem(Variant("odile"));
  EXPECT_EQ(odile->GetCategories(), "light;tea");
  EXPECT_EQ(odile->GetOpenCategories(), "light");
  EXPECT_EQ(odile->GetSlot(), "page1/client");
  EXPECT_EQ(odile->GetAvatar(), "img_av_odile");
}

TEST_F(Participants, SavedParticipantsKeepTheirTypeButNotTheirSlot) {
  Ref<IParticipantCollection> list = PublishParticipants(
      R"(<participants><participant name="odile" caption="Odile" age="31" type="client"
           slot="page1/client" categories="light"/><participant name="milo" type="other"/>
         </participants>)");
  Ref<IHierStorage> saved = Saved(dynamic_cast<IPersistObject&>(*list), "participants");
  ASSERT_EQ(saved->GetChildCount("participant"), 2);
  EXPECT_EQ(Attributes(saved->GetChild("participant", 0)),
            "name=odile caption=Odile age=31 description= avatar= type=client categories=light "
            "open_categories=");
  EXPECT_EQ(Attributes(saved->GetChild("participant", 1)),
            "name=milo caption= age= description= avatar= categories= open_categories=");
  Ref<TParticipantCollection> again = TAbstractObject::Create<TParticipantCollection>();
  again->LoadFromStorage(saved);
  EXPECT_TRUE(again->GetItem(Variant("odile"))->IsClient());
  EXPECT_EQ(again->GetItem(Variant("odile"))->GetSlot(), "");
}

TEST_F(Participants, CaptionIsBuiltOnceFromThePattern) {
  MultiLanguages()->SetString("participant_caption_pattern",
                              "%participant_name%, %participant_age%");
  Ref<IParticipantCollection> list = PublishParticipants(
      R"(<participants><participant name="odile" caption="Odile Fenwarren" age="31"/>
           <participant name="milo" caption="Milo Tansey" age="29"/></participants>)");
  Ref<IParticipant> odile = list->GetItem(Variant("odile"));
  EXPECT_EQ(odile->GetCaption(), "Odile Fenwarren, 31");
  EXPECT_EQ(list->GetItem(Variant("milo"))->GetCaption(), "Milo Tansey, 29");
  MultiLanguages()->SetString("participant_caption_pattern", "%participant_age%");
  EXPECT_EQ(odile->GetCaption(), "Odile Fenwarren, 31");
}

TEST_F(Participants, CategoriesReadTheirListsAndTakeTheEngine) {
  WriteData("data\\ini\\categories.ini",
            R"(<categories>
                 <category name="light" caption="%cat_light%" description="d">
                   <resource_defs resourcegroup="categories">
                     <resource_def name="img_cat_light" type="ImageResource" file="x.png"/>
                   </resource_defs>
                   <object_defs><object_def name="lamp" objecttype="0"/></object_defs>
                 </category>
                 <category name="tea"/>
               </categories>)");
  Ref<ICategoryCollection> list = LoadCategories("data\\ini\\categories.ini");
  ASSERT_TRUE(list);
  ASSERT_EQ(list->Count(), 2);
  Ref<ICategory> light = list->GetItem(Variant("light"));
  EXPECT_EQ(light->GetCaption(), "%cat_light%");
  EXPECT_EQ(light->GetObjectDefs()->GetItem(Variant(0))->GetName(), "lamp");
  EXPECT_EQ(list->GetItem(Variant("tea"))->GetObjectDefs()->Count(), 0);

  list->SetEngine(engine.get());
  EXPECT_EQ(dynamic_cast<IResourceDefOwner*>(light->GetResourceDefs().get())->GetTarget(),
            engine.get());
  list->ReleaseEngine();
  EXPECT_EQ(dynamic_cast<IResourceDefOwner*>(light->GetResourceDefs().get())->GetTarget(), nullptr);

  list->SaveToFile(engine.get());
  std::string problem;
  Ref<IHierStorageRoot> saved =
      ParseDataText(engine->programFiles["data\\ini\\categories.ini"], problem);
  ASSERT_TRUE(saved) << problem;
  EXPECT_EQ(Attributes(saved->GetChild("category", 1)), "name=tea caption= description=");
  EXPECT_EQ(saved->GetChild("category", 1)->GetChildCount("object_defs"), 0);
  EXPECT_EQ(saved->GetChild("category", 0)->GetChildCount("resource_defs"), 1);
}
