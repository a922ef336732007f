// The diary's journal: the progress's notes two to a spread, turned with next and previous.
#include <gtest/gtest.h>

#include "screens/ScreensRegistration.h"
#include "screens/Tv2Journal.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"

namespace {

// A note's page: a box named after the note (the "name" parameter).
std::string NoteFactory(const std::string& note) {
  return R"(<widgetfactory name=")" + note +
         R"(" type="WidgetFactory"><widgetstring><widget type="test_box" name="%name%" visible="yes"/></widgetstring></widgetfactory>)";
}

class Journal : public WidgetFixture {
 protected:
  Journal() { RegisterScreensClasses(); }

  TDiaryJournal* ShowJournal() {
    root = Show(R"(<widget type="diary_journal" name="page_journal" visible="yes">
        <sounds><sound name="sound_history_page_next" resourcename="leaf_next"/>
                <sound name="sound_history_page_prev" resourcename="leaf_prev"/></sounds>
        <widgetfactories>)" +
                NoteFactory("a") + NoteFactory("b") + NoteFactory("c") + NoteFactory("d") +
                NoteFactory("e") + R"(</widgetfactories>
        <widgets>
          <widget type="group_widget" name="left_page" visible="yes"/>
          <widget type="group_widget" name="right_page" visible="yes"/>
          <widget type="test_box" name="button_next" visible="yes"/>
          <widget type="test_box" name="button_prev" visible="yes"/>
        </widgets></widget>)");
    auto* journal = dynamic_cast<TDiaryJournal*>(root.get());
    EXPECT_TRUE(journal);
    return journal;
  }

  // The notes on view: "left|right", each page's children by name ("" for none).
  std::string Spread() {
    auto names = [&](const char* page) {
      std::string text;
      Ref<IWidgetCollection> children = root->FindWidget(page)->GetChildren();
      for (int i = 0; i < children->Count(); ++i)
        text += (i ? "," : "") + children->GetByIndex(i)->GetName();
      return text;
    };
    return names("left_page") + "|" + names("right_page");
  }
  // "N" and "P" for the visible next and previous buttons, "-" for hidden ones.
  std::string Buttons() {
    return std::string(root->FindWidget("button_next")->IsVisible() ? "N" : "-") +
           (root->FindWidget("button_prev")->IsVisible() ? "P" : "-");
  }

  Ref<IWidget> root;
};

}  // namespace

// The progress writes "a;b;" and earlier lists read ";a;b": empty items are no notes, so
// the first note shows and a lone note has a spread of its own.
TEST_F(Journal, SpreadsHoldTwoNotesAndOpenOnTheLast) {
  struct Case {
    const char* list;
    int pages;
    const char* last;     // the spread SetNotes opens on
    const char* buttons;  // on that spread
  };
  for (const Case& c : {
           Case{";a;b;c", 2, "c|", "-P"},
           Case{"a;b;c;", 2, "c|", "-P"},
           Case{";a", 1, "a|", "--"},
           Case{"a;", 1, "a|", "--"},
           Case{"a;b;", 1, "a|b", "--"},
           Case{";;a;;b;;", 1, "a|b", "--"},
           Case{"a;b;c;d;e;", 3, "e|", "-P"},
           Case{"", 0, "|", "--"},
           Case{";", 0, "|", "--"},
       }) {
    TDiaryJournal* journal = ShowJournal();
    journal->SetNotes(c.list);
    EXPECT_EQ(journal->GetPageCount(), c.pages) << c.list;
    EXPECT_EQ(journal->GetCurrentPage(), c.pages - 1) << c.list;
    EXPECT_EQ(Spread(), c.last) << c.list;
    EXPECT_EQ(Buttons(), c.buttons) << c.list;
  }
}

TEST_F(Journal, TurningStopsAtBothEndsAndPlaysItsSounds) {
  TDiaryJournal* journal = ShowJournal();
  journal->SetNotes("a;b;c;d;e;");
  journal->NextPage();  // already on the last spread
  EXPECT_TRUE(engine->playedSounds.empty());
  struct Step {
    bool next;
    const char* spread;
    const char* buttons;
  };
  for (const Step& s :
       {Step{false, "c|d", "NP"}, Step{false, "a|b", "N-"}, Step{false, "a|b", "N-"},
        Step{true, "c|d", "NP"}, Step{true, "e|", "-P"}}) {
    if (s.next)
      journal->NextPage();
    else
      journal->PrevPage();
    EXPECT_EQ(Spread(), s.spread);
    EXPECT_EQ(Buttons(), s.buttons) << s.spread;
  }
  EXPECT_EQ(engine->playedSounds,
            (std::vector<std::string>{"leaf_prev", "leaf_prev", "leaf_next", "leaf_next"}));
  EXPECT_EQ(engine->playedVolumePan.back().first, 100);
}

TEST_F(Journal, ANoteWithoutItsFactoryLeavesItsPageEmptyAndSaysSo) {
  WarningCapture warnings;
  TDiaryJournal* journal = ShowJournal();
  // "button_next" is a widget of the journal, but no page of it.
  journal->SetNotes("ghost;button_next;");
  EXPECT_EQ(Spread(), "|");
  ASSERT_EQ(warnings.Lines().size(), 2u);
  EXPECT_NE(warnings.Lines()[0].find("\"ghost\""), std::string::npos) << warnings.Lines()[0];
}

TEST_F(Journal, LeavingTheTreeTakesTheNotesAlong) {
  TDiaryJournal* journal = ShowJournal();
  journal->SetNotes("a;b;");
  journal->ReleaseOwner();
  EXPECT_EQ(Spread(), "|");
}
