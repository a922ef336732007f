// The high-score grid, the track bar and the sequence control.

#include <string>
#include <vector>

#include "foundation/MultiLanguages.h"
#include "foundation/Params.h"
#include "shell/HighScores.h"
#include "tests/widgets/ControlTestSupport.h"
#include "widgets/HighScoresGridControl.h"
#include "widgets/SequenceControl.h"
#include "widgets/TrackBarControl.h"

namespace {

class GridTrackSequence : public ControlFixture {
 protected:
  ~GridTrackSequence() override { MultiLanguages()->ClearStrings(); }

  template <class T>
  static T* As(const Ref<IWidget>& widget) {
    auto* t = dynamic_cast<T*>(widget.get());
    EXPECT_TRUE(t);
    return t;
  }
};

// ---------------------------------------------------------------------------------------
// High-score grid

// A table of "Score", "Player" and "Note" with the given rows ("Score=..\Player=.."), added
// in order.
Ref<IRecordTable> Table(const std::vector<std::string>& rows) {
  Ref<TRecordTable> table = TAbstractObject::Create<TRecordTable>(
      "name=0\\max_records=10\\record_structure={param=Score\\param=Player\\param=Note}");
  for (const std::string& row : rows) table->AddScoreRecord(ParamsFromString(row));
  return Ref<IRecordTable>(table.get());
}

// A grid at (10, 10), rows 10 apart; "player" at (0, 0) and "score" at (40, 0), both
// tinted by the grid's colours.
std::string Grid() {
  return R"(<widget type="HighScoresGridControl" name="grid" anchor_left="10" anchor_top="10"
      width="90" height="40" rowheight="10" color="$FF0000FF" selectedcolor="$FFFF0000"
      column_name_with_format_number="Score" visible="yes"><columns><column name="Player" widgetname="player"/>
      <column name="Score" widgetname="score"/></columns><widgets>)" +
         ControlFixture::TextChild("player", 0, 0, 40, R"(drawmode="fillcolor")") +
         ControlFixture::TextChild("score", 40, 0, 50, R"(drawmode="fillcolor")") +
         "</widgets></widget>";
}

TEST_F(GridTrackSequence, GridPaintsTheLastAddedRowInTheSelectedColour) {
  Ref<IWidget> root = ShowScreen(Grid());
  Ref<IWidget> grid = root->FindWidget("grid");
  grid->SetProperty("recordtable",
                    Variant(Ref<IInterface>(Table({"Score=300\\Player=Ada", "Score=200\\Player=Bea",
                                                   "Score=100\\Player=Cad"})
                                                .get())));
  TSurfacePtr frame = Render(120, 60);
  // Rows 0 and 1 in the colour, row 2 (added last) in the selected colour, each column
  // where its widget stands plus the row's offset.
  EXPECT_EQ(frame->GetPixel(10, 10), 0xFF0000FFu);
  EXPECT_EQ(frame->GetPixel(50, 20), 0xFF0000FFu);
  EXPECT_EQ(frame->GetPixel(10, 30), 0xFFFF0000u);
  EXPECT_EQ(frame->GetPixel(50, 30), 0xFFFF0000u);
  EXPECT_EQ(frame->GetPixel(10, 40), 0u);
}

// Cells of the format column: integers grouped by the language's separator, anything else
// as it stands; an absent or empty value leaves the cell undrawn.
TEST_F(GridTrackSequence, GridFormatsTheNumberColumn) {
  MultiLanguages()->SetString("thousand_separator", ",");
  struct Case {
    const char* note;
    const char* shown;
  };
  const Case cases[] = {
      {"1234567", "1,234,567"},
      {"-1234567", "-1,234,567"},
      {"999", "999"},
      {"1000", "1,000"},
      {"12.5", "12.5"},
      {"n/a", "n/a"},
      {"99999999999", "99999999999"},
  };
  for (const Case& c : cases) {
    Ref<IWidget> root = ShowScreen(
        R"(<widget type="HighScoresGridControl" name="grid" width="200" height="20"
            rowheight="10" column_name_with_format_number="Note" visible="yes"><columns>
            <column name="Note" widgetname="note"/></columns><widgets>)" +
        TextChild("note", 0, 0, 200) + "</widgets></widget>");
    Ref<IWidget> grid = root->FindWidget("grid");
    grid->SetProperty(
        "recordtable",
        Variant(Ref<IInterface>(Table({std::string("Score=5\\Player=A\\Note=") + c.note}).get())));
    Render(220, 40);
    EXPECT_EQ(grid->GetProperty("note/text_utf8").ToString(), c.shown) << c.note;
  }
}

TEST_F(GridTrackSequence, GridSkipsWhatIsMissing) {
  Ref<IWidget> root = ShowScreen(Grid());
  Ref<IWidget> grid = root->FindWidget("grid");
  // Bea has no player name: her cell is left undrawn.
  grid->SetProperty("recordtable",
                    Variant(Ref<IInterface>(Table({"Score=300\\Player=Ada", "Score=200"}).get())));
  TSurfacePtr frame = Render(120, 60);
  EXPECT_NE(frame->GetPixel(10, 10), 0u);
  EXPECT_EQ(frame->GetPixel(10, 20), 0u);
  EXPECT_NE(frame->GetPixel(50, 20), 0u);
  // A column whose widget is not there is skipped; without "columns" nothing is drawn.
  Ref<IWidget> bare = ShowScreen(R"(<widget type="HighScoresGridControl" name="grid"
      width="90" height="40" visible="yes"><widgets>)" +
                                 TextChild("player", 0, 0, 40) + "</widgets></widget>");
  bare->FindWidget("grid")->SetProperty(
      "recordtable", Variant(Ref<IInterface>(Table({"Score=300\\Player=Ada"}).get())));
  TSurfacePtr empty = Render(120, 60);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 120; ++x) ASSERT_EQ(empty->GetPixel(x, y), 0u) << x << "," << y;
}

TEST_F(GridTrackSequence, GridTakesOnlyRecordTables) {
  Ref<IWidget> root = ShowScreen(Grid());
  auto* grid = As<THighScoresGridControl>(root->FindWidget("grid"));
  Ref<IRecordTable> table = Table({"Score=1\\Player=A"});
  grid->SetProperty("recordtable", Variant(Ref<IInterface>(table.get())));
  EXPECT_EQ(grid->GetRecordTable().get(), table.get());
  EXPECT_EQ(Supports<IRecordTable>(grid->GetProperty("recordtable").RawInterface()).get(),
            table.get());
  grid->SetProperty("recordtable", Variant(42));  // no interface: ignored
  EXPECT_TRUE(grid->GetRecordTable());
  grid->SetProperty("recordtable", Variant(Ref<IInterface>(root.get())));  // no table
  EXPECT_FALSE(grid->GetRecordTable());
  grid->SetProperty("recordtable", Variant(Ref<IInterface>(table.get())));
  grid->SetProperty("recordtable", Variant::Null());
  EXPECT_FALSE(grid->GetRecordTable());
}

TEST_F(GridTrackSequence, AGridThatDoesNotChangePostsNoRectangles) {
  Ref<IWidget> root = ShowScreen(Grid());
  Ref<IWidget> grid = root->FindWidget("grid");
  grid->SetProperty("recordtable", Variant(Ref<IInterface>(Table({"Score=7\\Player=A"}).get())));
  Frame(16);
  Render(120, 60);
  for (int i = 0; i < 3; ++i) {
    Frame(16);
    EXPECT_TRUE(window->dirtyRects.empty()) << i;
    Render(120, 60);
  }
  // A new table: the grid's own rectangle, nothing of its column widgets.
  grid->SetProperty("recordtable", Variant(Ref<IInterface>(Table({"Score=9\\Player=B"}).get())));
  Frame(16);
  EXPECT_EQ(window->dirtyRects, std::vector<TRect>{(TRect{10, 10, 100, 50})});
}

TEST_F(GridTrackSequence, GridCellsDrawPercentSignsAsGiven) {
  MultiLanguages()->SetString("ab", "gg");
  Ref<IWidget> root = ShowScreen(R"(<widget type="HighScoresGridControl" name="grid"
      width="200" height="20" rowheight="10" visible="yes"><columns>
      <column name="Player" widgetname="player"/></columns><widgets>)" +
                                 TextChild("player", 0, 0, 200) + "</widgets></widget>");
  // A record table reads values as it loads them; one made by a screen holds them as typed.
  Ref<IRecordTable> table = Table({"Score=5"});
  table->GetRecords()->GetItem(Variant(0))->GetParams()->SetValue("Player", Variant("%ab% 100%"));
  root->FindWidget("grid")->SetProperty("recordtable", Variant(Ref<IInterface>(table.get())));
  TSurfacePtr frame = Render(220, 40);
  Ref<IWidget> reference = ShowScreen(TextChild("t", 0, 0, 200));
  reference->FindWidget("t")->SetProperty("text", Variant("%%ab%% 100%%"));
  TSurfacePtr expected = Render(220, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 220; ++x)
      ASSERT_EQ(frame->GetPixel(x, y), expected->GetPixel(x, y)) << x << "," << y;
  EXPECT_EQ(frame->GetPixel(0, 0), FixedFontPixel(int(kMonoChars.find(U'%'))));
}

// ---------------------------------------------------------------------------------------
// Track bar

// A bar at (10, 10), 110 wide, with a 10-pixel slider: 100 pixels of travel.
std::string TrackBar(const std::string& attrs, bool slider = true) {
  std::string s = slider ? R"(<widget type="group_widget" name="image_slider" visible="yes">
      <widgets>)" + ControlFixture::Picture("image_slidernormal", "white", 10, 20) +
                               ControlFixture::Picture("image_sliderselected", "green", 10, 20,
                                                       R"(visible="no")") +
                               "</widgets></widget>"
                         : std::string();
  return R"(<widget type="TrackBarControl" name="bar" anchor_left="10" anchor_top="10"
      width="110" height="20" visible="yes" mousestop="yes" enabled="yes" tabstop="yes" )" +
         attrs + "><widgets>" + s + "</widgets></widget>";
}

TEST_F(GridTrackSequence, SetPosition) {
  struct Case {
    int32_t min, max, frequency, value, position;
  };
  const Case cases[] = {
      {0, 10, 3, 7, 6},
      {0, 10, 3, 11, 10},
      {0, 10, 3, -1, 0},
      {0, 10, 4, 2, 0},
      {0, 10, 4, 6, 8},
      {0, 100, 1, 57, 57},
      {1, 11, 4, 1, 1},
      {1, 11, 2, 11, 11},
      {0, 10, 0, 7, 7},  // frequency 0 is 1
      {5, 5, 1, 9, 5},
      {-10, 10, 5, -8, -10},
      {0, 2147483647, 1000, 2147483647, 2147483647},
      {-2147483647 - 1, 0, 7, -2147483647 - 1, -2147483646},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.min) + ".." + std::to_string(c.max) + " every " +
                 std::to_string(c.frequency) + ": " + std::to_string(c.value));
    Ref<IWidget> root =
        ShowScreen(TrackBar("min=\"" + std::to_string(c.min) + "\" max=\"" + std::to_string(c.max) +
                            "\" frequency=\"" + std::to_string(c.frequency) + "\""));
    auto* bar = As<TTrackBarControl>(root->FindWidget("bar"));
    window->events.clear();
    bar->SetPosition(c.value);
    EXPECT_EQ(bar->GetPosition(), c.position);
    EXPECT_GE(bar->GetPosition(), c.min);
    EXPECT_LE(bar->GetPosition(), c.max);
    EXPECT_EQ(window->events.size(), c.position != 0 ? 1u : 0u);
  }
}

TEST_F(GridTrackSequence, TrackBarPlacesTheSliderAndSendsEvent3OnChanges) {
  Ref<IWidget> root = ShowScreen(TrackBar(R"(min="0" max="100")"));
  Ref<IWidget> bar = root->FindWidget("bar");
  Ref<IWidget> slider = bar->FindWidget("image_slider");
  bar->SetProperty("position", Variant(25));
  EXPECT_EQ(slider->GetAnchorLeft(), 25);
  bar->SetProperty("position", Variant(25));
  bar->SetProperty("max", Variant(50));  // the range moves; the position stays
  EXPECT_EQ(bar->GetProperty("position").ToInt(), 25);
  bar->SetProperty("frequency", Variant(-3));
  EXPECT_EQ(bar->GetProperty("frequency").ToInt(), 1);
  bar->SetProperty("slidervisible", Variant(false));
  EXPECT_FALSE(slider->IsVisible());
  EXPECT_EQ(window->events, (std::vector<WidgetEvent>{{"bar", 3, 0}}));
}

TEST_F(GridTrackSequence, ADraggedSliderEndsUnderThePointer) {
  Ref<IWidget> root = ShowScreen(TrackBar(R"(min="0" max="10")"));
  auto* bar = As<TTrackBarControl>(root->FindWidget("bar"));
  Ref<IWidget> slider = bar->GetSlider();
  // A press beside the slider takes nothing.
  EXPECT_FALSE(Press(60, 15));
  EXPECT_FALSE(window->capture);
  // Taken 4 pixels into the slider; the pointer moves on, the slider with it.
  EXPECT_TRUE(Press(14, 15));
  EXPECT_EQ(VisibleChildren(slider), std::vector<std::string>{"image_sliderselected"});
  struct Step {
    int x;
    double sliderLeft;
    int32_t position;
  };
  const Step steps[] = {{47, 33, 3}, {52, 38, 4}, {-50, 0, 0}, {500, 100, 10}, {66, 52, 5}};
  for (const Step& s : steps) {
    EXPECT_TRUE(MoveTo(s.x, 15));
    EXPECT_EQ(slider->GetAnchorLeft(), s.sliderLeft) << s.x;
    EXPECT_EQ(bar->GetPosition(), s.position) << s.x;
  }
  EXPECT_TRUE(Release(66, 15));
  EXPECT_FALSE(window->capture);
  EXPECT_EQ(VisibleChildren(slider), std::vector<std::string>{"image_slidernormal"});
  // The slider stays under the pointer, between the steps.
  EXPECT_EQ(slider->GetAnchorLeft(), 52);
  EXPECT_EQ(window->events.size(), 5u);
  // Every release plays the sound, pressed or not.
  engine->playedSounds.clear();
  Release(60, 15);
  Mouse(input::kRightButtonUp, 60, 15);
  EXPECT_EQ(engine->playedSounds, (std::vector<std::string>{"snd_effect", "snd_effect"}));
}

// Every key-up but Tab's: Tab moves the focus on (the screen's work).
TEST_F(GridTrackSequence, AFocusedTrackBarTakesEveryKeyUpButTab) {
  Ref<IWidget> root = ShowScreen(TrackBar(R"(min="0" max="10" frequency="2")"));
  auto* bar = As<TTrackBarControl>(root->FindWidget("bar"));
  window->SetFocus(root->FindWidget("bar"));
  struct Step {
    uint32_t message, key;
    bool handled;
    int32_t position;
  };
  const Step steps[] = {
      {input::kKeyDown, input::kVkRight, true, 2},
      {input::kKeyDown, input::kVkEnd, true, 10},
      {input::kKeyDown, input::kVkRight, true, 10},
      {input::kKeyDown, input::kVkLeft, true, 8},
      {input::kKeyDown, input::kVkUp, true, 8},
      {input::kKeyDown, input::kVkHome, true, 0},
      {input::kKeyDown, input::kVkLeft, true, 0},
      {input::kKeyDown, input::kVkTab, false, 0},
      {input::kKeyUp, input::kVkTab, false, 0},
      {input::kKeyUp, 'A', true, 0},
      {input::kChar, 'a', true, 0},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(window->HandleKey(s.message, s.key, 0), s.handled) << s.message << " " << s.key;
    EXPECT_EQ(bar->GetPosition(), s.position) << s.message << " " << s.key;
  }
  EXPECT_EQ(window->events.size(), 4u);
  // A vertical bar steps with Up and Down.
  bar->SetProperty("vertical", Variant(true));
  KeyDown(input::kVkDown);
  KeyDown(input::kVkRight);
  EXPECT_EQ(bar->GetPosition(), 2);
}

TEST_F(GridTrackSequence, WithoutASliderOnlyTheMouseIsIgnored) {
  Ref<IWidget> root = ShowScreen(TrackBar(R"(min="0" max="10")", false));
  auto* bar = As<TTrackBarControl>(root->FindWidget("bar"));
  EXPECT_FALSE(Press(15, 15));
  EXPECT_FALSE(MoveTo(40, 15));
  bar->SetPosition(4);
  EXPECT_EQ(bar->GetPosition(), 4);
  EXPECT_EQ(bar->GetProperty("slidervisible").GetKind(), Variant::Kind::Null);
  EXPECT_EQ(window->events, (std::vector<WidgetEvent>{{"bar", 3, 0}}));
}

// ---------------------------------------------------------------------------------------
// Sequence control

std::string Sequence(const std::string& attrs, const std::vector<const char*>& pictures) {
  std::string children;
  int i = 0;
  for (const char* p : pictures)
    children += ControlFixture::Picture("p" + std::to_string(i++), p, 20, 20);
  return R"(<widget type="SequenceControl" name="seq" width="20" height="20" visible="yes"
      mousestop="yes" )" +
         attrs + "><widgets>" + children + "</widgets></widget>";
}

TEST_F(GridTrackSequence, SequenceStepsOnItsTimerSkippingEmptyPictures) {
  Ref<IWidget> root =
      ShowScreen(Sequence(R"(step_duration_time="100")", {"red", "empty", "empty", "blue"}));
  Ref<IWidget> seq = root->FindWidget("seq");
  EXPECT_TRUE(VisibleChildren(seq).empty());  // hidden until the first update
  struct Step {
    int32_t dt;
    std::vector<std::string> visible;
    size_t events;
  };
  const Step steps[] = {
      {0, {"p0"}, 0},  {99, {"p0"}, 0}, {1, {"p3"}, 0},
      {50, {"p3"}, 0}, {50, {"p3"}, 1}, {16, {"p3"}, 2},
  };
  for (const Step& s : steps) {
    Frame(s.dt);
    EXPECT_EQ(VisibleChildren(seq), s.visible);
    EXPECT_EQ(window->events.size(), s.events);
  }
  for (const WidgetEvent& e : window->events) EXPECT_EQ(e, (WidgetEvent{"seq", 10, 0}));
  EXPECT_EQ(As<TSequenceControl>(seq)->GetCurrentStep(), 3);
}

TEST_F(GridTrackSequence, SequenceWithoutDurationStepsOnClicks) {
  Ref<IWidget> root = ShowScreen(Sequence("", {"red", "green", "blue"}));
  Ref<IWidget> seq = root->FindWidget("seq");
  Frame(16);
  Frame(5000);
  EXPECT_EQ(VisibleChildren(seq), std::vector<std::string>{"p0"});
  // A press steps on and is reported as not handled.
  EXPECT_FALSE(Press(5, 5));
  Release(5, 5);
  EXPECT_EQ(VisibleChildren(seq), std::vector<std::string>{"p1"});
  Mouse(input::kRightButtonDown, 5, 5);
  EXPECT_EQ(VisibleChildren(seq), std::vector<std::string>{"p2"});
  // Past the last: event 10, and the last picture stays.
  Click(5, 5);
  Click(5, 5);
  EXPECT_EQ(VisibleChildren(seq), std::vector<std::string>{"p2"});
  EXPECT_EQ(window->events, (std::vector<WidgetEvent>{{"seq", 10, 0}, {"seq", 10, 0}}));
  EXPECT_EQ(Render(32, 32)->GetPixel(5, 5), 0xFF0000FFu);
}

TEST_F(GridTrackSequence, SequenceWithoutChildrenSendsEvent10AtEveryUpdate) {
  ShowScreen(Sequence(R"(step_duration_time="50")", {}));
  for (int i = 0; i < 3; ++i) Frame(16);
  EXPECT_EQ(window->events.size(), 3u);
}

}  // namespace
