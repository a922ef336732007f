// The check box, the edit field and the list box.

#include <string>
#include <vector>

#include "foundation/CheckedMath.h"
#include "foundation/MultiLanguages.h"
#include "tests/widgets/ControlTestSupport.h"
#include "widgets/CheckBoxControl.h"
#include "widgets/EditControl.h"
#include "widgets/ListBoxControl.h"

namespace {

// Pixel columns of the I-th glyph of the mono font in a text drawn from X at row Y: true
// when every pixel of the cell shows that glyph.
bool GlyphAt(const TSurfacePtr& frame, int x, int y, char32_t c) {
  size_t index = ControlFixture::kMonoChars.find(c);
  if (index == std::u32string_view::npos) return false;
  for (int dy = 0; dy < 6; ++dy)
    for (int dx = 0; dx < 4; ++dx)
      if (frame->GetPixel(x + dx, y + dy) != FixedFontPixel(int(index))) return false;
  return true;
}

// Every pixel of Frame and Reference within Rect is the same.
bool SamePixels(const TSurfacePtr& frame, const TSurfacePtr& reference, const TRect& rect) {
  for (int y = rect.Top; y < rect.Bottom; ++y)
    for (int x = rect.Left; x < rect.Right; ++x)
      if (frame->GetPixel(x, y) != reference->GetPixel(x, y)) return false;
  return true;
}

class InputControls : public ControlFixture {
 protected:
  ~InputControls() override { MultiLanguages()->ClearStrings(); }

  // A frame of a plain text widget at (X, Y) given Text, to compare a control's pixels
  // with.
  TSurfacePtr ReferenceText(const std::string& text, int x, int y) {
    Ref<IWidget> saved = window->root;
    Ref<IWidget> reference = Show(TextChild("t", x, y, 200));
    reference->SetProperty("text", Variant(text));
    TSurfacePtr frame = Render(200, 100);
    window->SetRoot(saved);
    return frame;
  }

  template <class T>
  static T* As(const Ref<IWidget>& widget) {
    auto* t = dynamic_cast<T*>(widget.get());
    EXPECT_TRUE(t);
    return t;
  }
};

// ---------------------------------------------------------------------------------------
// Check box

std::string CheckBox(const std::string& attrs, const std::string& pictures) {
  return R"(<widget type="CheckBoxControl" name="cb" anchor_left="10" anchor_top="10" width="20"
      height="20" visible="yes" mousestop="yes" )" +
         attrs + "><widgets>" + pictures + "</widgets></widget>";
}

TEST_F(InputControls, CheckBoxPicturesAndTheirFallbacks) {
  std::string six;
  for (const char* name :
       {"image_check_normal", "image_check_selected", "image_check_disabled",
        "image_uncheck_normal", "image_uncheck_selected", "image_uncheck_disabled"})
    six += ControlFixture::Picture(name, "red", 20, 20);
  const std::string normals = ControlFixture::Picture("image_check_normal", "red", 20, 20) +
                              ControlFixture::Picture("image_uncheck_normal", "red", 20, 20);
  struct Case {
    const std::string* pictures;
    bool enabled, hovered, checked;
    const char* shown;
  };
  const Case cases[] = {
      {&six, true, false, false, "image_uncheck_normal"},
      {&six, true, false, true, "image_check_normal"},
      {&six, true, true, false, "image_uncheck_selected"},
      {&six, true, true, true, "image_check_selected"},
      {&six, false, false, false, "image_uncheck_disabled"},
      {&six, false, true, true, "image_check_disabled"},
      {&normals, true, true, false, "image_uncheck_normal"},
      {&normals, true, true, true, "image_check_normal"},
      {&normals, false, false, false, "image_uncheck_normal"},
      {&normals, false, false, true, "image_check_normal"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.shown) + (c.enabled ? " enabled" : "") +
                 (c.hovered ? " hovered" : "") + (c.checked ? " checked" : ""));
    Ref<IWidget> root = ShowScreen(CheckBox(c.enabled ? R"(enabled="yes")" : "", *c.pictures));
    Ref<IWidget> box = root->FindWidget("cb");
    box->SetProperty("CheckBoxState", Variant(c.checked));
    engine->cursor = c.hovered ? TPoint{15, 15} : TPoint{100, 100};
    Frame(16);
    EXPECT_EQ(VisibleChildren(box), std::vector<std::string>{c.shown});
  }
  // Setting the state sends nothing.
  EXPECT_TRUE(window->events.empty());
}

TEST_F(InputControls, CheckBoxClickTogglesSendsEvent2AndPlaysTheSound) {
  const std::string pictures = Picture("image_check_normal", "green", 20, 20) +
                               Picture("image_uncheck_normal", "red", 20, 20);
  Ref<IWidget> root = ShowScreen(CheckBox(R"(enabled="yes")", pictures));
  Ref<IWidget> box = root->FindWidget("cb");
  Click(15, 15);
  EXPECT_TRUE(box->GetProperty("CheckBoxState").ToBool());
  EXPECT_EQ(VisibleChildren(box), std::vector<std::string>{"image_check_normal"});
  EXPECT_EQ(Render(64, 64)->GetPixel(15, 15), 0xFF00FF00u);
  EXPECT_EQ(window->events, (std::vector<WidgetEvent>{{"cb", 2, 0}}));
  EXPECT_EQ(engine->playedSounds, std::vector<std::string>{"snd_effect"});
  // A release outside keeps the state; the right button does nothing.
  Press(15, 15);
  Release(60, 60);
  Mouse(input::kRightButtonDown, 15, 15);
  Mouse(input::kRightButtonUp, 15, 15);
  EXPECT_TRUE(box->GetProperty("CheckBoxState").ToBool());
  EXPECT_EQ(window->events.size(), 1u);
  EXPECT_FALSE(window->capture);
  Click(15, 15);
  EXPECT_FALSE(As<TCheckBoxControl>(box)->IsChecked());
  EXPECT_FALSE(window->focus);
}

// ---------------------------------------------------------------------------------------
// Edit field

std::string Edit(const std::string& attrs) {
  return R"(<widget type="EditControl" name="edit" anchor_left="10" anchor_top="10" width="80"
      height="10" visible="yes" mousestop="yes" enabled="yes" tabstop="yes" )" +
         attrs + "><widgets>" + ControlFixture::TextChild("text", 2, 2, 70) +
         ControlFixture::Picture("cursor", "white", 1, 6, R"(anchor_left="2" anchor_top="2")") +
         "</widgets></widget>";
}

TEST_F(InputControls, EditTyping) {
  constexpr char32_t kBack = 8;
  struct Case {
    const char* what;
    const char* attrs;
    std::u32string keys;  // characters; \1, \2, \3 stand for Left, Home, End key presses
    const char* text;
    int32_t cursor;
    size_t events;
  };
  const Case cases[] = {
      {"the first character replaces the placeholder", R"(value="Name")", U"ab", "ab", 2, 2},
      {"Backspace first clears the placeholder", R"(value="Name")", {kBack}, "", 0, 1},
      {"Backspace removes the character before the caret", "", U"abc\x1\b", "ac", 1, 4},
      {"at the length limit characters are refused but still sent", R"(max="3")", U"abcde", "abc",
       3, 5},
      {"a character without a glyph is refused", "", U"azb", "ab", 2, 3},
      {"capitalize follows Unicode", R"(capitalize="yes")", U"a\u00E9b", "A\u00C9B", 3, 3},
      {"typing at the caret", "",
       U"abc\x1\x1"
       U"d\x2"
       U"e\x3\b",
       "eadb", 4, 6},
      {"Backspace at the start does nothing", "", U"ab\x2\b", "ab", 0, 3},
      {"a text with percent signs", "", U"1%0%", "1%0%", 4, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    window->events.clear();
    Ref<IWidget> root = ShowScreen(Edit(c.attrs));
    Ref<IWidget> edit = root->FindWidget("edit");
    window->SetFocus(edit);
    size_t keys = 0;
    for (char32_t k : c.keys) {
      if (k == U'\x1' || k == U'\x2' || k == U'\x3') {
        EXPECT_TRUE(KeyDown(k == U'\x1'   ? input::kVkLeft
                            : k == U'\x2' ? input::kVkHome
                                          : input::kVkEnd));
        continue;
      }
      Type(std::u32string(1, k));
      ++keys;
    }
    EXPECT_EQ(edit->GetProperty("value").ToString(), c.text);
    EXPECT_EQ(As<TEditControl>(edit)->GetCursorIndex(), c.cursor);
    EXPECT_EQ(window->events.size(), c.events);
    for (const WidgetEvent& e : window->events) EXPECT_EQ(e, (WidgetEvent{"edit", 4, 0}));
  }
}

TEST_F(InputControls, EditCaretFollowsTheGlyphBeforeItAndTheFocus) {
  Ref<IWidget> root = ShowScreen(Edit(R"(value="ab")"));
  Ref<IWidget> edit = root->FindWidget("edit");
  Ref<IWidget> caret = edit->FindWidget("cursor");
  EXPECT_FALSE(caret->IsVisible());
  window->SetFocus(edit);
  EXPECT_TRUE(caret->IsVisible());
  // After "ab" at 2: the second glyph's right edge.
  EXPECT_EQ(caret->GetAnchorLeft(), 10);
  KeyDown(input::kVkHome);
  EXPECT_EQ(caret->GetAnchorLeft(), 2);
  KeyDown(input::kVkRight);
  EXPECT_EQ(caret->GetAnchorLeft(), 6);
  // A shorter text than the caret's place puts the caret at the start.
  edit->SetProperty("value", Variant("abc"));
  KeyDown(input::kVkEnd);
  edit->SetProperty("value", Variant("a"));
  EXPECT_EQ(As<TEditControl>(edit)->GetCursorIndex(), 0);
  EXPECT_EQ(caret->GetAnchorLeft(), 2);
  window->ClearFocus();
  EXPECT_FALSE(caret->IsVisible());
  // "default_value" puts the caret at the end.
  edit->SetProperty("default_value", Variant(true));
  EXPECT_EQ(As<TEditControl>(edit)->GetCursorIndex(), 1);
}

TEST_F(InputControls, UpperCaseByUnicodeRules) {
  struct Case {
    char32_t lower, upper;
  };
  const Case cases[] = {{U'a', U'A'},
                        {U'\u00E9', U'\u00C9'},
                        {U'\u00FF', U'\u0178'},
                        {U'\u0101', U'\u0100'},
                        {U'\u0131', U'I'},
                        {U'\u03C2', U'\u03A3'},
                        {U'\u0436', U'\u0416'},
                        {U'\u0451', U'\u0401'},
                        {U'\u1E9B', U'\u1E60'},
                        {U'\uFF41', U'\uFF21'},
                        {U'\U00010428', U'\U00010400'},
                        // Unchanged: upper case, no simple mapping, not a letter.
                        {U'Z', U'Z'},
                        {U'\u00DF', U'\u00DF'},
                        {U'5', U'5'},
                        {U'\u3042', U'\u3042'}};
  for (const Case& c : cases)
    EXPECT_EQ(uint32_t(UpperCaseChar(c.lower)), uint32_t(c.upper)) << uint32_t(c.lower);
}

// "%" reaches the screen as typed: the field draws what a text widget draws for the text
// with "%" doubled, and a language key between percent signs is not looked up.
TEST_F(InputControls, EditDrawsPercentSignsAsTyped) {
  MultiLanguages()->SetString("ab", "gg");
  Ref<IWidget> root = ShowScreen(Edit(""));
  Ref<IWidget> edit = root->FindWidget("edit");
  window->SetFocus(edit);
  Type(U"10%a%ab%");
  window->ClearFocus();  // no caret in the picture
  TSurfacePtr frame = Render(200, 100);
  EXPECT_TRUE(GlyphAt(frame, 12 + 2 * 4, 12, U'%'));
  EXPECT_TRUE(GlyphAt(frame, 12 + 4 * 4, 12, U'%'));
  EXPECT_TRUE(SamePixels(frame, ReferenceText("10%%a%%ab%%", 12, 12), TRect{0, 0, 200, 100}));
}

// ---------------------------------------------------------------------------------------
// List box

// A list at (10, 10), 100 x 90, rows 20 high inside a content box at (5, 5) of 90 x 80:
// four rows in view.
std::string ListBox(const std::string& attrs = R"(rowheight="20")", const std::string& more = {}) {
  return R"(<widget type="ListBoxControl" name="list" anchor_left="10" anchor_top="10"
      width="100" height="90" visible="yes" mousestop="yes" enabled="yes" tabstop="yes"
      color="$FF0000FF" selectedcolor="$FFFF0000" )" +
         attrs + "><widgets>" +
         ControlFixture::Picture("image_contentbox", "grey", 90, 80,
                                 R"(anchor_left="5" anchor_top="5")") +
         ControlFixture::TextChild("text", 0, 0, 90, R"(drawmode="fillcolor" z="2")") + more +
         "</widgets></widget>";
}

class ListBoxes : public InputControls {
 protected:
  Ref<IWidget> ShowList(int rows, const std::string& attrs = R"(rowheight="20")",
                        const std::string& more = {}) {
    Ref<IWidget> root = ShowScreen(ListBox(attrs, more));
    list = As<TListBoxControl>(root->FindWidget("list"));
    for (int i = 0; i < rows; ++i) list->AddRow("row" + std::to_string(i), "");
    return root;
  }
  TListBoxControl* list = nullptr;
};

TEST_F(ListBoxes, RowAtAPoint) {
  ShowList(2);
  struct Case {
    TPoint point;
    int32_t row;
  };
  const Case cases[] = {
      {{15, 15}, 0},  {{100, 34}, 0}, {{15, 35}, 1},  {{15, 75}, 3},  // past the rows: kept
      {{14, 20}, -1}, {{20, 14}, -1}, {{20, 95}, -1}, {{20, 94}, 3},
  };
  for (const Case& c : cases)
    EXPECT_EQ(list->RowAt(c.point), c.row) << c.point.X << "," << c.point.Y;
}

TEST_F(ListBoxes, ClicksSelectRowsAndSendEvents) {
  ShowList(2);
  Click(20, 40);
  EXPECT_EQ(list->GetSelected(), 1);
  // Below the last row: the event, but the selection stays.
  Click(20, 70);
  EXPECT_EQ(list->GetSelected(), 1);
  EXPECT_TRUE(Mouse(input::kLeftButtonDoubleClick, 20, 20));
  EXPECT_EQ(list->GetSelected(), 1);
  // Outside the rows nothing is handled.
  EXPECT_FALSE(Mouse(input::kLeftButtonUp, 12, 12));
  EXPECT_EQ(window->events,
            (std::vector<WidgetEvent>{{"list", 5, 0}, {"list", 5, 0}, {"list", 6, 0}}));
  // A left press gives the list the focus; it takes no capture.
  EXPECT_EQ(window->focus.get(), static_cast<IWidget*>(list));
  EXPECT_FALSE(window->capture);
}

TEST_F(ListBoxes, KeysMoveTheSelectionAndScroll) {
  ShowList(10);
  window->SetFocus(Ref<IWidget>(list));
  struct Step {
    uint32_t key;
    bool handled;
    int32_t selected, top;
  };
  const Step steps[] = {
      {input::kVkUp, false, 0, 0},   {input::kVkDown, true, 1, 0},  {input::kVkDown, true, 2, 0},
      {input::kVkDown, true, 3, 0},  {input::kVkDown, true, 4, 1},  {input::kVkEnd, true, 9, 6},
      {input::kVkDown, false, 9, 6}, {input::kVkEnd, false, 9, 6},  {input::kVkUp, true, 8, 6},
      {input::kVkUp, true, 7, 6},    {input::kVkUp, true, 6, 6},    {input::kVkUp, true, 5, 5},
      {input::kVkHome, true, 0, 0},  {input::kVkHome, false, 0, 0}, {input::kVkLeft, false, 0, 0},
  };
  size_t moves = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.key);
    EXPECT_EQ(KeyDown(s.key), s.handled);
    EXPECT_EQ(list->GetSelected(), s.selected);
    EXPECT_EQ(list->GetTopRow(), s.top);
    if (s.handled) ++moves;
  }
  EXPECT_EQ(window->events.size(), moves);
  // Only key presses, and only while focused.
  EXPECT_FALSE(KeyUp(input::kVkDown));
  window->ClearFocus();
  EXPECT_FALSE(list->HandleKey(input::kKeyDown, input::kVkDown, 0));
}

TEST_F(ListBoxes, ScrollButtonsReportToTheList) {
  const std::string buttons =
      ControlFixture::Button("button_up", 100, 0, R"(enabled="yes" z="3")") +
      ControlFixture::Button("button_down", 100, 50, R"(enabled="yes" z="3")");
  ShowList(6, R"(rowheight="20")", buttons);
  Ref<IWidget> up = list->FindWidget("button_up");
  Ref<IWidget> down = list->FindWidget("button_down");
  EXPECT_FALSE(up->IsEnabled());
  EXPECT_TRUE(down->IsEnabled());
  Click(120, 70);  // button_down
  Click(120, 70);
  EXPECT_EQ(list->GetTopRow(), 2);
  EXPECT_TRUE(up->IsEnabled());
  EXPECT_FALSE(down->IsEnabled());
  Click(120, 20);  // button_up
  EXPECT_EQ(list->GetTopRow(), 1);
  // The buttons' clicks went to the list, not to the screen.
  EXPECT_TRUE(window->events.empty());
  // Deleting rows brings the top row back.
  list->DeleteRow(Variant(5));
  list->DeleteRow(Variant(4));
  EXPECT_EQ(list->GetTopRow(), 0);
  EXPECT_FALSE(up->IsEnabled());
  EXPECT_FALSE(down->IsEnabled());
}

TEST_F(ListBoxes, RowsByKeyAndDeletingWhatIsNotThere) {
  ShowList(0);
  list->DeleteRow(Variant(0));  // an empty list
  list->AddRow("Ada", "a");
  list->AddRow("Bea", "b");
  list->AddRow("Other", "A");  // a key already there, in any case
  list->AddRow("Cy", "");
  EXPECT_EQ(list->GetRowCount(), 3);
  EXPECT_EQ(list->GetRow(Variant("B")), "Bea");
  EXPECT_EQ(list->GetRow(Variant(2)), "Cy");
  EXPECT_EQ(list->GetRow(Variant(7)), "");
  // Absent keys, positions past the rows and before them delete nothing.
  for (const Variant& key : {Variant("zz"), Variant(3), Variant(-1), Variant(99)}) {
    list->DeleteRow(key);
    EXPECT_EQ(list->GetRowCount(), 3);
  }
  struct Case {
    int32_t selected;
    Variant key;
    int32_t selectedAfter;
    const char* firstAfter;
  };
  // Rows [Ada, Bea, Cy] each time.
  const Case cases[] = {
      {1, Variant("b"), 1, "Ada"},   // the selected row: the next one takes its place
      {2, Variant(2), 1, "Ada"},     // the selected last row: the one before
      {2, Variant(0), 1, "Bea"},     // a row above the selection: it stays on its row
      {0, Variant(2), 0, "Ada"},     // below the selection: nothing moves
      {0, Variant(true), 0, "Bea"},  // any other key is position 0
  };
  for (const Case& c : cases) {
    list->ClearRows();
    EXPECT_EQ(list->GetSelected(), -1);
    for (const char* name : {"Ada", "Bea", "Cy"}) list->AddRow(name, "");
    list->SetSelected(c.selected);
    std::string selectedText = list->GetRow(Variant(c.selected));
    list->DeleteRow(c.key);
    EXPECT_EQ(list->GetSelected(), c.selectedAfter);
    EXPECT_EQ(list->GetRow(Variant(0)), c.firstAfter);
  }
  // The last row deleted: no selection.
  list->ClearRows();
  list->AddRow("only", "");
  list->SetSelected(0);
  list->DeleteRow(Variant(0));
  EXPECT_EQ(list->GetSelected(), -1);
  // Only rows, or -1 for an empty list, can be selected.
  list->SetSelected(0);
  EXPECT_EQ(list->GetSelected(), -1);
  list->AddRow("x", "");
  list->SetSelected(1);
  list->SetSelected(-1);
  EXPECT_EQ(list->GetSelected(), -1);
}

TEST_F(ListBoxes, RowHeightIsAtLeastOne) {
  struct Case {
    const char* attrs;
    int32_t rowHeight, visible;
  };
  // Without a content box the rows fill the control's own height.
  const Case cases[] = {
      {R"(height="5")", 1, 5},
      {R"(height="35")", 3, 11},
      {R"(height="30" rowheight="-4")", 1, 30},
      {R"(height="30" rowheight="10")", 10, 3},
      // Sizes from data at the integer limits are kept within the limit of coordinates.
      {R"(height="2147483647")", kDataCoordinateLimit / 10, 10},
      {R"(height="2147483647" rowheight="-2147483648")", 1, kDataCoordinateLimit},
      {R"(height="2147483647" rowheight="2147483647")", kDataCoordinateLimit, 1},
  };
  for (const Case& c : cases) {
    Ref<IWidget> root = ShowScreen(R"(<widget type="ListBoxControl" name="l" width="50" )" +
                                   std::string(c.attrs) + R"( visible="yes"/>)");
    auto* l = As<TListBoxControl>(root->FindWidget("l"));
    EXPECT_EQ(l->GetRowHeight(), c.rowHeight) << c.attrs;
    EXPECT_EQ(l->GetVisibleRows(), c.visible) << c.attrs;
    l->AddRow("a", "");
    Render(64, 64);  // draws without dividing by zero
  }
}

TEST_F(ListBoxes, DrawsTheRowsInViewWithTheSelection) {
  ShowList(6, R"(rowheight="20")",
           ControlFixture::Picture("image_selectedbackground", "white", 90, 20,
                                   R"(visible="no" z="1")"));
  list->SetSelected(1);
  TSurfacePtr frame = Render(200, 120);
  // Row 0 in the colour, row 1 in the selected colour over its background, rows past the
  // fourth not at all; the text child never draws on its own.
  EXPECT_EQ(frame->GetPixel(15, 15), 0xFF0000FFu);
  EXPECT_EQ(frame->GetPixel(15, 35), 0xFFFF0000u);
  EXPECT_EQ(frame->GetPixel(40, 35), 0xFFFFFFFFu);
  EXPECT_EQ(frame->GetPixel(40, 15), 0xFF808080u);
  EXPECT_EQ(frame->GetPixel(15, 75), 0xFF0000FFu);
  EXPECT_EQ(frame->GetPixel(15, 95), 0u);
  EXPECT_FALSE(list->FindWidget("text")->IsVisible());
  EXPECT_FALSE(list->FindWidget("image_selectedbackground")->IsVisible());
}

TEST_F(ListBoxes, ARowDrawsPercentSignsAsGiven) {
  MultiLanguages()->SetString("ab", "gg");
  Ref<IWidget> root = ShowScreen(R"(<widget type="ListBoxControl" name="list" width="100"
      height="20" rowheight="10" visible="yes"><widgets>)" +
                                 TextChild("text", 0, 0, 100) + "</widgets></widget>");
  auto* l = As<TListBoxControl>(root->FindWidget("list"));
  l->AddRow("a%b%c %ab%", "");
  TSurfacePtr frame = Render(200, 100);
  EXPECT_TRUE(GlyphAt(frame, 4, 0, U'%'));
  EXPECT_TRUE(SamePixels(frame, ReferenceText("a%%b%%c %%ab%%", 0, 0), TRect{0, 0, 200, 100}));
}

}  // namespace
