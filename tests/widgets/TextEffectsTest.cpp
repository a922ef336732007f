// Revealed and shuffled text: the letters made from the screen's factories, their names,
// places and delays, the events of the reveal, and the shuffle that leaves capitals and
// punctuation in place.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "foundation/Random.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/TextEffects.h"
#include "widgets/WidgetsRegistration.h"

namespace {

class TextEffects : public WidgetFixture {
 protected:
  TextEffects() {
    RegisterWidgetsClasses();
    // 4 x 6 glyphs; "z" has none.
    engine->resources["mono"] = MakeFixedFont(U"abcdefghAB .,-!?", 4, 6);
  }

  // The control Type ("viz" or "shuf") with Attributes and one text child per text of
  // Texts (named "t0", "t1", ... at x = 10, y = 20 + 10 * i), after "letters_group" and
  // "move_group", under a root group that holds the letter factories.
  void Build(const std::string& type, const std::string& attributes,
             const std::vector<std::string>& texts) {
    std::string children = R"(<widget type="group_widget" name="letters_group" visible="yes"/>
                              <widget type="group_widget" name="move_group" visible="yes"/>)";
    for (size_t i = 0; i < texts.size(); ++i)
      children += R"(<widget type="text_widget" resourcename="mono" visible="yes" width="200"
                             height="8" anchor_left="10" name="t)" +
                  std::to_string(i) + "\" anchor_top=\"" + std::to_string(20 + 10 * i) +
                  "\" text=\"" + texts[i] + "\"/>";
    const std::string letter = R"(<widget type="text_widget" name="%name%" resourcename="mono"
                                          anchor_left="%anchor_left%" anchor_top="%anchor_top%"
                                          width="%width%" height="%height%" visible="yes"/>)";
    root = Show(R"(<widget type="group_widget" name="root" visible="yes">
      <widgetfactories>
        <widgetfactory type="WidgetFactory" name="vizualization_letter"><widgetstring>)" +
                letter + R"(</widgetstring></widgetfactory>
        <widgetfactory type="WidgetFactory" name="shuffler_letter"><widgetstring>)" +
                letter + R"(</widgetstring></widgetfactory>
        <widgetfactory type="WidgetFactory" name="transparent_widget"><widgetstring>
          <widget type="transparent_scenario" name="%name%" timetolive="100"
                  start_trans_level="0" end_trans_level="255"/>
        </widgetstring></widgetfactory>
        <widgetfactory type="WidgetFactory" name="move_letter"><widgetstring>
          <widget type="test_box" name="home_%name%" anchor_left="%anchor_left%"
                  anchor_top="%anchor_top%"/>
        </widgetstring></widgetfactory>
      </widgetfactories>
      <widgets><widget type=")" +
                type + R"(" name="fx" visible="yes" )" + attributes + "><widgets>" + children +
                "</widgets></widget></widgets></widget>");
    fx = root->FindWidget("fx");
    control = dynamic_cast<TTextEffectControl*>(fx.get());
    ASSERT_TRUE(control);
    letters = fx->FindWidget("letters_group")->GetChildren();
    moves = fx->FindWidget("move_group")->GetChildren();
  }

  // The names of the letters group's children, in order.
  std::string LetterNames() const {
    std::string out;
    for (int i = 0; i < letters->Count(); ++i) {
      if (!out.empty()) out += ' ';
      out += letters->ItemAt(i)->GetName();
    }
    return out;
  }

  // "text@left,top" of every letter (fade widgets left out).
  std::map<std::string, std::string> LetterPlaces() const {
    std::map<std::string, std::string> out;
    for (int i = 0; i < letters->Count(); ++i) {
      IWidget* w = letters->ItemAt(i);
      if (!dynamic_cast<ITextWidget*>(w)) continue;
      out[w->GetName()] = w->GetProperty("text").ToString() + "@" +
                          std::to_string(int(w->GetAnchorLeft())) + "," +
                          std::to_string(int(w->GetAnchorTop()));
    }
    return out;
  }

  int EventsOf(int32_t code) const {
    int n = 0;
    for (const WidgetEvent& e : window->events) n += e.sender == "fx" && e.code == code;
    return n;
  }

  Ref<IWidget> root, fx;
  TTextEffectControl* control = nullptr;
  Ref<IWidgetCollection> letters, moves;
};

// ---------------------------------------------------------------------------------------
// Letter by letter

TEST_F(TextEffects, RevealFadesLettersInTurnAndEndsWithEvent7) {
  Build("control_text_vizualization", R"(startdelaytime="500" letterdelaytime="100")", {"abcde"});
  Frame(40);  // the control's clock is at 40 when the build starts
  fx->SetProperty("InitVizualization", Variant(1));
  EXPECT_EQ(control->GetState(), TTextEffectControl::stRunning);
  EXPECT_EQ(fx->GetProperty("visualization_time").ToInt(), 1040);
  EXPECT_FALSE(fx->FindWidget("t0")->IsVisible());
  // With one text child the letters keep the plain names, each after its fade widget
  // ("transparent_" + the child's index + the character's place).
  EXPECT_EQ(LetterNames(),
            "transparent_21 1 transparent_22 2 transparent_23 3 transparent_24 4 "
            "transparent_25 5");
  EXPECT_EQ(LetterPlaces()["3"], "c@18,20");

  // The first time each letter shows any opacity, in control time.
  std::vector<int> firstSeen(6, 0);
  int revealedAt = 0;
  for (int time = 40 + 50; time <= 1200; time += 50) {
    Frame(50);
    for (int n = 1; n <= 5 && control->GetState() == TTextEffectControl::stRunning; ++n)
      if (!firstSeen[n] &&
          fx->FindWidget("letters_group/" + std::to_string(n))->GetTransparentLevel() > 0)
        firstSeen[n] = time;
    if (!revealedAt && EventsOf(7)) revealedAt = time;
  }
  EXPECT_EQ(firstSeen, (std::vector<int>{0, 590, 690, 790, 890, 990}));
  EXPECT_EQ(revealedAt, 1090);  // the first update past 1040
  EXPECT_EQ(EventsOf(7), 1);
  EXPECT_EQ(control->GetState(), TTextEffectControl::stComplete);
  EXPECT_EQ(letters->Count(), 0);
  EXPECT_FALSE(fx->FindWidget("letters_group")->IsVisible());
  EXPECT_TRUE(fx->FindWidget("t0")->IsVisible());
}

TEST_F(TextEffects, AClickShowsTheWholeTextThenSendsEvent8) {
  Build("control_text_vizualization", R"(startdelaytime="0" letterdelaytime="100")", {"abc"});
  TPoint p{12, 22};
  EXPECT_FALSE(fx->HandleMouse(514, p, 0));  // nothing to reveal yet
  fx->SetProperty("init_visualization", Variant(true));
  Frame(16);
  EXPECT_TRUE(fx->HandleMouse(514, p, 0));
  EXPECT_EQ(EventsOf(7), 1);
  EXPECT_EQ(letters->Count(), 0);
  EXPECT_TRUE(fx->FindWidget("t0")->IsVisible());
  EXPECT_TRUE(fx->HandleMouse(517, p, 0));
  EXPECT_EQ(EventsOf(8), 1);
  Frame(1000);
  EXPECT_EQ(EventsOf(7), 1);  // the reveal's end does not come again
}

TEST_F(TextEffects, NotifyCode3CompletesAndARestartBuildsAgain) {
  Build("control_text_vizualization", R"(init_visualization="yes" letterdelaytime="10")", {"ab"});
  fx->Restart();
  EXPECT_EQ(control->GetState(), TTextEffectControl::stRunning);
  fx->Notify(3, Variant());
  EXPECT_EQ(control->GetState(), TTextEffectControl::stComplete);
  EXPECT_EQ(EventsOf(7), 1);
  fx->Restart();
  EXPECT_EQ(control->GetState(), TTextEffectControl::stRunning);
  EXPECT_EQ(LetterNames(), "transparent_21 1 transparent_22 2");
}

TEST_F(TextEffects, LettersOfSeveralTextChildrenAllHaveNamesOfTheirOwn) {
  // Child 2 letter 11 and child 11 letter 1 would both be "transparent_211" in the plain
  // form; and every child's first letter would be "1".
  Build("control_text_vizualization", "", {"abcdefghabc", "ab"});
  fx->SetProperty("InitVizualization", Variant(1));
  EXPECT_EQ(letters->Count(), 2 * (11 + 2));
  std::map<std::string, std::string> places = LetterPlaces();
  EXPECT_EQ(places.size(), 13u);
  EXPECT_EQ(places["2_11"], "c@50,20");
  EXPECT_EQ(places["3_1"], "a@10,30");
  EXPECT_TRUE(fx->FindWidget("letters_group/transparent_2_11"));
  EXPECT_TRUE(fx->FindWidget("letters_group/transparent_3_1"));
}

TEST_F(TextEffects, CharactersWithoutGlyphsGetNoLetter) {
  Build("control_text_vizualization", "", {"azb"});
  fx->SetProperty("InitVizualization", Variant(1));
  EXPECT_EQ(LetterNames(), "transparent_21 1 transparent_23 3");
}

TEST_F(TextEffects, WithoutTheLettersGroupNothingHappens) {
  root = Show(R"(<widget type="control_text_vizualization" name="fx" visible="yes"><widgets>
                   <widget type="text_widget" name="t" resourcename="mono" text="ab"
                           visible="yes"/></widgets></widget>)");
  root->SetProperty("InitVizualization", Variant(1));
  root->Notify(3, Variant());
  EXPECT_EQ(root->GetProperty("visualization_state").ToInt(), 0);
  EXPECT_TRUE(root->FindWidget("t")->IsVisible());
  EXPECT_TRUE(window->events.empty());
}

// ---------------------------------------------------------------------------------------
// Shuffled letters

TEST(TextShuffler, WhichCharactersMayMove) {
  struct Case {
    const char* character;
    bool shuffleable;
  } cases[] = {{"a", true},  {"z", true},         {"7", true},         {"\xC3\xA9", true},
               {"A", false}, {"\xC3\x89", false}, {"\xD0\x96", false}, {"\xD0\xB6", true},
               {" ", false}, {".", false},        {",", false},        {"-", false},
               {"!", false}, {"?", false},        {":", true},         {"", false}};
  for (const Case& c : cases)
    EXPECT_EQ(TControlTextShuffler::IsShuffleable(c.character), c.shuffleable) << c.character;
}

TEST_F(TextEffects, ShuffleMovesOnlySmallLettersAmongTheirOwnPlaces) {
  Build("control_text_shuffler", "", {"Abc, def!"});
  std::map<std::string, std::string> home;
  for (uint64_t seed = 1; seed <= 20; ++seed) {
    SetRandomSeed(seed);
    fx->SetProperty("InitVizualization", Variant(1));
    std::map<std::string, std::string> places = LetterPlaces();
    ASSERT_EQ(places.size(), 9u);
    // The capital, the comma, the blank and the "!" stay home.
    EXPECT_EQ(places["1"], "A@10,20");
    EXPECT_EQ(places["4"], ",@22,20");
    EXPECT_EQ(places["5"], " @26,20");
    EXPECT_EQ(places["9"], "!@42,20");
    // The small letters take one another's places.
    std::multiset<std::string> spots, expected{"14", "18", "30", "34", "38"};
    for (const char* n : {"2", "3", "6", "7", "8"}) {
      const std::string& p = places[n];
      spots.insert(p.substr(2, p.find(',') - 2));
    }
    EXPECT_EQ(spots, expected);
  }
}

TEST_F(TextEffects, ShuffleEndsWhateverLettersAreMissing) {
  // Letters without glyphs are never drawn, so the draw cannot wait for them; with fewer
  // than two letters that may move there is no swap.
  struct Case {
    const char* text;
    std::map<std::string, std::string> places;  // where nothing can move
  } cases[] = {{"zzAz", {{"3", "A@10,20"}}},
               {"Ab.", {{"1", "A@10,20"}, {"2", "b@14,20"}, {"3", ".@18,20"}}},
               {"zzzz", {}},
               {"zbzz!", {{"2", "b@10,20"}, {"5", "!@14,20"}}}};
  for (const Case& c : cases) {
    Build("control_text_shuffler", "", {c.text});
    fx->SetProperty("InitVizualization", Variant(1));
    EXPECT_EQ(LetterPlaces(), c.places) << c.text;
  }
  // Two letters among many missing ones (which take no room): they swap (k + 1 = 3 swaps,
  // an odd number) and the draw ends.
  Build("control_text_shuffler", "", {"azzzzzzzzzzzzzzzzzzzb"});
  fx->SetProperty("InitVizualization", Variant(1));
  EXPECT_EQ(LetterPlaces(),
            (std::map<std::string, std::string>{{"1", "a@14,20"}, {"21", "b@10,20"}}));
}

TEST_F(TextEffects, UnshuffleSendsEveryLetterHome) {
  Build("control_text_shuffler", "", {"Abcd"});
  SetRandomSeed(5);
  fx->SetProperty("InitVizualization", Variant(1));
  EXPECT_EQ(control->GetState(), TTextEffectControl::stRunning);
  EXPECT_TRUE(fx->HandleMouse(514, TPoint{0, 0}, 0));
  EXPECT_EQ(control->GetState(), TTextEffectControl::stComplete);
  ASSERT_EQ(moves->Count(), 4);
  for (int i = 0; i < 4; ++i) {
    IWidget* home = moves->ItemAt(i);
    EXPECT_EQ(home->GetName(), "home_" + std::to_string(i + 1));
    EXPECT_EQ(home->GetAnchorLeft(), 10 + 4 * i);
    EXPECT_EQ(home->GetAnchorTop(), 20);
  }
  EXPECT_EQ(letters->Count(), 4);  // the letters stay; the move widgets carry them
  EXPECT_TRUE(fx->HandleMouse(514, TPoint{0, 0}, 0));
  EXPECT_EQ(moves->Count(), 4);
  EXPECT_TRUE(window->events.empty());
}

TEST_F(TextEffects, UnshuffleByKeyAtTheFirstUpdateAndByProperty) {
  Build("control_text_shuffler", R"(unshuffle="yes")", {"ab", "cd"});
  fx->SetProperty("InitVizualization", Variant(1));
  EXPECT_EQ(moves->Count(), 0);
  Frame(16);
  // Two text children: every letter goes home to its own child's character.
  std::vector<std::string> names;
  for (int i = 0; i < moves->Count(); ++i)
    names.push_back(moves->ItemAt(i)->GetName() + "@" +
                    std::to_string(int(moves->ItemAt(i)->GetAnchorTop())));
  EXPECT_EQ(names,
            (std::vector<std::string>{"home_2_1@20", "home_2_2@20", "home_3_1@30", "home_3_2@30"}));

  Build("control_text_shuffler", "", {"ab"});
  fx->SetProperty("InitVizualization", Variant(1));
  Frame(16);
  EXPECT_EQ(moves->Count(), 0);
  fx->SetProperty("unshuffle", Variant(1));
  EXPECT_EQ(moves->Count(), 2);
}

}  // namespace
