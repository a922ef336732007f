// Image, animation, sequence, blink and sound widgets over the shared widget fixture.

#include <string>
#include <vector>

#include "foundation/XMLStorage.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/ResourceWidgets.h"
#include "widgets/WidgetsRegistration.h"

namespace {

// Pixel (x, y) of the test image: opaque, and telling its own place.
uint32_t ImagePixel(int32_t x, int32_t y) {
  return 0xFF000000u | uint32_t(x) << 16 | uint32_t(y) << 8 | 0x01u;
}

class ResourceWidgets : public WidgetFixture {
 protected:
  ResourceWidgets() {
    RegisterWidgetsClasses();
    Ref<TSurface> image = NewAlphaSurface(kImageWidth, kImageHeight);
    for (int32_t y = 0; y < kImageHeight; ++y)
      for (int32_t x = 0; x < kImageWidth; ++x) image->SetPixel(x, y, ImagePixel(x, y));
    image->SetPixel(3, 1, 0x00FFFFFF);  // a hole: white, but transparent
    engine->resources->Put("picture", MakeImage(Ref<ISurface>(image.get())));
  }

  template <class T>
  static T* As(const Ref<IWidget>& widget) {
    auto* concrete = dynamic_cast<T*>(widget.get());
    EXPECT_TRUE(concrete);
    return concrete;
  }

  // A strip of Columns x Rows frames of W x H, frame n filled with FramePixel(n).
  void AddStrip(const std::string& name, int32_t columns, int32_t rows, int32_t w, int32_t h) {
    Ref<TSurface> strip = NewAlphaSurface(columns * w, rows * h);
    for (int32_t n = 0; n < columns * rows; ++n)
      for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
          strip->SetPixel(n % columns * w + x, n / columns * h + y, FramePixel(n));
    engine->resources->Put(name, MakeImage(Ref<ISurface>(strip.get())));
  }
  static uint32_t FramePixel(int32_t n) { return 0xFF102030u + uint32_t(n) * 0x00110000u; }

  static constexpr int32_t kImageWidth = 8;
  static constexpr int32_t kImageHeight = 4;
};

// ---------------------------------------------------------------------------------------
// Image

TEST_F(ResourceWidgets, ImageDrawsItsSourceRectangle) {
  Show(R"(<widget type="image_widget" resourcename="picture" visible="yes" anchor_left="5"
          anchor_top="6" resourceleft="2" resourcetop="1" width="3" height="2"/>)");
  TSurfacePtr frame = Render();
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 3; ++x)
      if (!(x == 1 && y == 0)) {  // the hole
        EXPECT_EQ(frame->GetPixel(5 + x, 6 + y), ImagePixel(2 + x, 1 + y)) << x << "," << y;
      }
  EXPECT_EQ(frame->GetPixel(8, 6), 0u);  // right of the widget
  EXPECT_EQ(frame->GetPixel(5, 8), 0u);  // below it
}

TEST_F(ResourceWidgets, ImageFillColorTintsTheShape) {
  Show(R"(<widget type="image_widget" resourcename="picture" visible="yes" width="8" height="4"
          drawmode="fillcolor" fillcolor="$FF00C000"/>)");
  TSurfacePtr frame = Render();
  EXPECT_EQ(frame->GetPixel(0, 0), 0xFF00C000u);
  EXPECT_EQ(frame->GetPixel(7, 3), 0xFF00C000u);
  EXPECT_EQ(frame->GetPixel(3, 1), 0u);  // the shape's hole stays clear
}

TEST_F(ResourceWidgets, ImageWithoutResourceDrawsNothing) {
  for (const char* name : {"missing", ""}) {
    Show(std::string(
             R"(<widget type="image_widget" visible="yes" width="8" height="4" resourcename=")") +
         name + R"("/>)");
    TSurfacePtr frame = Render();
    EXPECT_EQ(frame->GetPixel(0, 0), 0u) << name;
  }
}

TEST_F(ResourceWidgets, ImagePropertiesMarkRedrawOnlyWhenChanged) {
  Ref<IWidget> w = Show(R"(<widget type="image_widget" resourcename="picture" visible="yes"
                            width="3" height="2" fillcolor="$10"/>)");
  DirtyPass();
  struct Case {
    const char* name;
    Variant value;
    bool redraw;
  } cases[] = {
      {"fillcolor", Variant("$10"), false},     {"fillcolor", Variant("$FF0000FF"), true},
      {"fillcolor", Variant("nonsense"), true},  // bad text is 0
      {"drawmode", Variant(0), false},          {"drawmode", Variant(1), true},
      {"blendingmode", Variant(4), true},       {"resourcename", Variant("picture"), false},
      {"resourceleft", Variant(0), false},      {"resourceleft", Variant(2), true},
      {"resourcetop", Variant(1), true},
  };
  for (const Case& c : cases) {
    w->SetProperty(c.name, c.value);
    EXPECT_EQ(w->NeedsRedraw(), c.redraw) << c.name << " " << c.value.ToString();
    DirtyPass();
  }
  EXPECT_EQ(w->GetProperty("fillcolor").ToInt(), 0);
  EXPECT_EQ(w->GetProperty("blendingmode").ToInt(), 4);
  // The source moved to (2, 1): the widget's first pixel is the image's.
  w->SetProperty("drawmode", Variant(0));
  w->SetProperty("blendingmode", Variant(0));
  EXPECT_EQ(Render()->GetPixel(0, 0), ImagePixel(2, 1));
}

TEST_F(ResourceWidgets, ImageHitTestFollowsAlpha) {
  Ref<IWidget> w = Show(R"(<widget type="image_widget" resourcename="picture" visible="yes"
                            anchor_left="10.75" anchor_top="20" resourceleft="1" width="5" height="3"/>)");
  // Anchors truncate: local x = point.x - 10 + resourceleft.
  EXPECT_TRUE(w->ContainsPoint({11, 21}, false));
  EXPECT_FALSE(w->ContainsPoint({12, 21}, false));  // over the hole at (3, 1)
  EXPECT_FALSE(w->ContainsPoint({30, 21}, false));  // outside the rectangle
  w->SetVisible(false);
  EXPECT_FALSE(w->ContainsPoint({11, 21}, false));
  EXPECT_TRUE(w->ContainsPoint({11, 21}, true));

  // Without a resource the rectangle decides.
  Ref<IWidget> bare = Show(R"(<widget type="image_widget" resourcename="none" visible="yes"
                               width="5" height="3"/>)");
  EXPECT_TRUE(bare->ContainsPoint({2, 1}, false));
  EXPECT_FALSE(bare->ContainsPoint({6, 1}, false));
}

TEST_F(ResourceWidgets, XmlRoundTripKeepsTheKeys) {
  Ref<IWidget> w =
      Load(R"(<widget type="blink_widget" name="b" resourcename="picture" resourceleft="2"
      drawmode="fillcolor" blendingmode="addition" fillcolor="$FF112233" loop="yes"
      loops_count="3" firstperiod="100" secondperiod="50" start_transparentlevel="10"
      peak_transparentlevel="200" end_transparentlevel="30" startdelaytime="5"/>)");
  Ref<IHierStorageRoot> saved = CreateXmlStorage("widget");
  As<TPersistObject>(w)->SaveToXml(Ref<IHierStorage>(saved.get()));
  Ref<IWidget> copy = Load(saved->GetXmlText());
  for (const char* key : {"resourcename", "resourceleft", "drawmode", "blendingmode", "fillcolor",
                          "loop", "firstperiod", "secondperiod", "start_transparentlevel",
                          "peak_transparentlevel", "end_transparentlevel", "startdelaytime"})
    EXPECT_EQ(copy->GetProperty(key).ToString(), w->GetProperty(key).ToString()) << key;
  EXPECT_EQ(As<TBlinkWidget>(copy)->GetLoopsLeft(), 3);
}

// ---------------------------------------------------------------------------------------
// Animation

TEST_F(ResourceWidgets, AnimationClock) {
  struct Case {
    const char* attrs;
    std::vector<int32_t> steps;
    uint8_t state;
    int32_t time;
    int32_t frame;
    bool visible;
  } cases[] = {
      // The time past the start delay is played at once.
      {R"(loop="yes" startdelaytime="100")", {150}, 1, 50, 0, true},
      {R"(loop="yes" startdelaytime="100")", {50}, 0, 50, 0, true},
      {R"(loop="yes" startdelaytime="100")", {150, 500}, 1, 550, 2, true},
      {"", {600}, 1, 600, 2, true},
      {"", {0, 999}, 1, 999, 3, true},
      // The end without loop: the last frame, or the first with stoponfirst.
      {"", {1000}, 3, 1000, 3, true},
      {R"(stoponfirst="yes")", {600, 400}, 3, 1000, 0, true},
      {R"(hide_on_end="yes")", {1200}, 3, 1200, 3, false},
      // Reversed, frame n shows picture count - n - 1.
      {R"(reverse="yes")", {600}, 1, 600, 1, true},
      {R"(reverse="yes")", {1000}, 3, 1000, 0, true},
      {R"(reverse="yes" stoponfirst="yes")", {1000}, 3, 1000, 3, true},
      // A loop goes through the cycle delay back to the first frame.
      {R"(loop="yes" cycledelaytime="200")", {1000}, 2, 0, 0, true},
      {R"(loop="yes" cycledelaytime="200")", {1000, 150}, 2, 150, 0, true},
      {R"(loop="yes" cycledelaytime="200")", {1000, 250}, 1, 50, 0, true},
      {R"(loop="yes" cycledelaytime="200")", {1000, 250, 500}, 1, 550, 2, true},
      {R"(loop="yes")", {1300}, 2, 300, 1, true},
      {R"(loop="yes")", {1300, 0}, 1, 300, 1, true},
  };
  for (const Case& c : cases) {
    Ref<IWidget> w = Load(std::string(R"(<widget type="animation_widget" resourcename="picture"
        visible="yes" framescount="4" resourcewidth="8" width="2" height="4" animationtime="1000" )") +
                          c.attrs + "/>");
    for (int32_t dt : c.steps) w->Process(dt);
    auto* a = As<TAnimationWidget>(w);
    std::string label =
        std::string(c.attrs) + " after " + std::to_string(c.steps.size()) + " steps";
    EXPECT_EQ(a->GetState(), c.state) << label;
    EXPECT_EQ(a->GetCurrentTime(), c.time) << label;
    EXPECT_EQ(a->GetImageIndex(), c.frame) << label;
    EXPECT_EQ(w->IsVisible(), c.visible) << label;
    EXPECT_EQ(a->IsRunning(), c.state != 3) << label;
    EXPECT_EQ(w->GetProperty("playing").ToBool(), c.state == 1) << label;
  }
}

TEST_F(ResourceWidgets, AnimationRestartsAndLoopsAgainAfterTheEnd) {
  Ref<IWidget> w = Load(R"(<widget type="animation_widget" framescount="4" resourcewidth="8"
                           width="2" animationtime="1000"/>)");
  auto* a = As<TAnimationWidget>(w);
  w->Process(1000);
  ASSERT_EQ(a->GetState(), 3);
  w->Process(500);
  EXPECT_EQ(a->GetImageIndex(), 3);  // the end holds
  w->SetProperty("loop", Variant(true));
  EXPECT_EQ(a->GetState(), 0);
  EXPECT_TRUE(a->IsRunning());

  w->SetProperty("loop", Variant(false));
  w->Process(2000);
  ASSERT_EQ(a->GetState(), 3);
  w->Restart();
  EXPECT_EQ(a->GetState(), 1);  // the restart's own update leaves the start delay of 0
  EXPECT_EQ(a->GetCurrentTime(), 0);
  EXPECT_EQ(a->GetImageIndex(), 0);
}

TEST_F(ResourceWidgets, AnimationFramesComeFromAMultiRowStrip) {
  AddStrip("strip", 4, 2, 5, 3);
  Ref<IWidget> w = Show(R"(<widget type="animation_widget" resourcename="strip" visible="yes"
      framescount="8" resourcewidth="20" resourceheight="6" width="5" height="3"
      animationtime="800"/>)");
  for (int32_t n = 0; n < 8; ++n) {
    w->SetProperty("currentframe", Variant(n));
    EXPECT_EQ(w->GetProperty("currentframe").ToInt(), n);
    EXPECT_EQ(w->GetProperty("currenttime").ToInt(), n * 100);  // the clock follows the frame
    TSurfacePtr frame = Render();
    EXPECT_EQ(frame->GetPixel(0, 0), FramePixel(n)) << n;  // frame 5: row 1, column 1
    EXPECT_EQ(frame->GetPixel(4, 2), FramePixel(n)) << n;
    EXPECT_EQ(frame->GetPixel(5, 0), 0u) << n;
  }
  // Frames count 4 over the same strip: frames 10 wide, 2 columns.
  w->SetProperty("framescount", Variant(2));
  EXPECT_EQ(w->GetWidth(), 10);
  w->SetProperty("framescount", Variant(0));
  w->SetProperty("framescount", Variant(-3));
  EXPECT_EQ(w->GetWidth(), 10);  // ignored
  EXPECT_EQ(w->GetProperty("framescount").ToInt(), 2);
}

TEST_F(ResourceWidgets, AnimationStripOriginAndColumns) {
  AddStrip("strip", 4, 2, 5, 3);
  // A strip of 2 frames starting at the third frame of the picture.
  Ref<IWidget> w = Show(R"(<widget type="animation_widget" resourcename="strip" visible="yes"
      framescount="2" resourceleft="10" resourcetop="3" resourcewidth="10" width="5" height="3"
      animationtime="200"/>)");
  w->SetProperty("currentframe", Variant(1));
  EXPECT_EQ(Render()->GetPixel(0, 0), FramePixel(7));
  w->SetProperty("resourcetop", Variant(0));
  EXPECT_EQ(Render()->GetPixel(0, 0), FramePixel(3));
  EXPECT_EQ(w->GetProperty("resourcetop").ToInt(), 0);
  // A strip narrower than one frame has no columns: nothing is drawn.
  w->SetProperty("resourcewidth", Variant(4));
  EXPECT_EQ(Render()->GetPixel(0, 0), 0u);
}

TEST_F(ResourceWidgets, AnimationHitTestUsesTheShownFrame) {
  Ref<TSurface> strip = NewAlphaSurface(4, 2);
  strip->SetPixel(0, 0, 0xFF0000FFu);  // frame 0 opaque at (0, 0); frame 1 clear there
  engine->resources->Put("strip", MakeImage(Ref<ISurface>(strip.get())));
  Ref<IWidget> w = Show(R"(<widget type="animation_widget" resourcename="strip" visible="yes"
      framescount="2" resourcewidth="4" width="2" height="2" animationtime="100"/>)");
  EXPECT_TRUE(w->ContainsPoint({0, 0}, false));
  w->SetProperty("currentframe", Variant(1));
  EXPECT_FALSE(w->ContainsPoint({0, 0}, false));
  // The right edge belongs to the rectangle test, but its pixel to the next frame.
  w->SetProperty("currentframe", Variant(0));
  strip->SetPixel(2, 0, 0xFF0000FFu);
  EXPECT_FALSE(w->ContainsPoint({2, 0}, false));
}

TEST_F(ResourceWidgets, AnimationDivisionsByDataNeverTrap) {
  struct Case {
    const char* attrs;
  } cases[] = {
      {R"(framescount="0" resourcewidth="8" width="2" animationtime="1000" loop="yes")"},
      {R"(framescount="4" resourcewidth="8" width="2" animationtime="0" loop="yes")"},
      {R"(framescount="4" resourcewidth="8" width="2" animationtime="0" loop="yes" cycledelaytime="10")"},
      {R"(framescount="4" resourcewidth="8" width="0" animationtime="100")"},
      {R"(framescount="4" resourcewidth="1" width="2" animationtime="-100" loop="yes")"},
      {R"(framescount="4" resourcewidth="8" width="2" animationtime="100" currenttime="-2147483648")"},
  };
  for (const Case& c : cases) {
    Ref<IWidget> w = Show(std::string(R"(<widget type="animation_widget" resourcename="picture"
        visible="yes" height="4" )") +
                          c.attrs + "/>");
    for (int i = 0; i < 5; ++i) {
      Frame(16);
      Render();
    }
    w->SetProperty("currentframe", Variant(3));
    w->SetProperty("framescount", Variant(100));  // frames of width 0
    Render();
    w->ContainsPoint({0, 0}, false);
    auto* a = As<TAnimationWidget>(w);
    EXPECT_LE(a->GetState(), 3) << c.attrs;
  }
  // A zero-time loop shows its first frame.
  Ref<IWidget> w = Load(R"(<widget type="animation_widget" framescount="4" resourcewidth="8"
      width="2" animationtime="0" loop="yes"/>)");
  w->Process(50);
  EXPECT_EQ(As<TAnimationWidget>(w)->GetImageIndex(), 0);
}

// ---------------------------------------------------------------------------------------
// Sequence

const char* kSequence = R"(<widget type="sequence_animation_widget" resourcename="strip"
    visible="yes" resourcewidth="20" width="5" height="3" default_duration="100" %s>
    <frame subimage_index="4"/><frame subimage_index="6"/><frame subimage_index="1" duration="100"/>
  </widget>)";

std::string Sequence(const std::string& attrs) {
  std::string xml = kSequence;
  xml.replace(xml.find("%s"), 2, attrs);
  return xml;
}

TEST_F(ResourceWidgets, SequenceBoundariesBelongToTheEarlierFrame) {
  struct Case {
    bool reverse;
    int32_t t;
    int32_t index;
  } cases[] = {
      {false, 0, 0},   {false, 1, 0},   {false, 99, 0},  {false, 100, 0}, {false, 101, 1},
      {false, 200, 1}, {false, 201, 2}, {false, 299, 2}, {true, 0, 2},    {true, 100, 2},
      {true, 101, 1},  {true, 200, 1},  {true, 201, 0},  {true, 299, 0},
  };
  for (const Case& c : cases) {
    Ref<IWidget> w = Load(Sequence(c.reverse ? R"(reverse="yes")" : ""));
    auto* s = As<TSequenceAnimationWidget>(w);
    s->ShowTime(c.t);
    EXPECT_EQ(s->GetSequenceIndex(), c.index) << c.reverse << " t=" << c.t;
    const int32_t pictures[] = {4, 6, 1};
    EXPECT_EQ(s->GetImageIndex(), pictures[c.index]) << c.reverse << " t=" << c.t;
  }
  Ref<IWidget> w = Load(Sequence(""));
  EXPECT_EQ(w->GetProperty("animationtime").ToInt(), 300);
  w->SetProperty("animationtime", Variant(5));  // the sum of the durations: read only
  EXPECT_EQ(w->GetProperty("animationtime").ToInt(), 300);
}

TEST_F(ResourceWidgets, SequencePlaysItsFramesByTheClock) {
  AddStrip("strip", 4, 2, 5, 3);
  Ref<IWidget> w = Show(Sequence(""));
  auto* s = As<TSequenceAnimationWidget>(w);
  EXPECT_EQ(s->GetSequenceIndex(), 0);  // shown when it got its owner
  struct Step {
    int32_t dt;
    int32_t index;
    uint8_t state;
  } steps[] = {{0, 0, 1}, {100, 0, 1}, {50, 1, 1}, {100, 2, 1}, {50, 2, 3}, {100, 2, 3}};
  for (const Step& step : steps) {
    w->Process(step.dt);
    EXPECT_EQ(s->GetSequenceIndex(), step.index) << s->GetCurrentTime();
    EXPECT_EQ(s->GetState(), step.state) << s->GetCurrentTime();
  }
  EXPECT_EQ(Render()->GetPixel(0, 0), FramePixel(1));

  Ref<IWidget> first = Show(Sequence(R"(stoponfirst="yes")"));
  first->Process(250);
  first->Process(100);
  EXPECT_EQ(As<TSequenceAnimationWidget>(first)->GetSequenceIndex(), 0);

  // "currentframe" picks a frame of the list; outside it nothing changes.
  w->SetProperty("currentframe", Variant(1));
  EXPECT_EQ(s->GetImageIndex(), 6);
  w->SetProperty("currentframe", Variant(3));
  w->SetProperty("currentframe", Variant(-1));
  EXPECT_EQ(w->GetProperty("currentframe").ToInt(), 1);
}

TEST_F(ResourceWidgets, SequenceWithoutFramesStaysQuiet) {
  Ref<IWidget> w = Show(R"(<widget type="sequence_animation_widget" resourcename="picture"
      visible="yes" resourcewidth="8" width="2" height="2" loop="yes"/>)");
  for (int i = 0; i < 4; ++i) Frame(16);
  EXPECT_EQ(w->GetProperty("currentframe").ToInt(), -1);
  Render();
}

// ---------------------------------------------------------------------------------------
// Blink

TEST_F(ResourceWidgets, BlinkRampAndLoops) {
  struct Case {
    const char* attrs;
    std::vector<int32_t> steps;
    std::vector<int32_t> levels;  // after each step
    uint8_t state;
    bool dead;
  } cases[] = {
      // Up from 0 to 200 over 100 ms, down to 50 over 200 ms.
      {R"(loop="no")", {0, 50, 50, 100, 99, 1}, {0, 100, 200, 125, 51, 50}, 3, false},
      {R"(loop="no" stoponfirst="yes")", {150, 150}, {163, 0}, 3, false},
      // Two loops: the second's end kills the widget at its end level.
      {R"(loop="yes" loops_count="2")", {150, 150, 0, 50, 250}, {163, 0, 0, 100, 50}, 3, true},
      {R"(loop="yes" loops_count="2" stoponfirst="yes")", {300, 300}, {0, 0}, 3, true},
      // Endless: the cycle delay holds the start level.
      {R"(loop="yes" cycledelaytime="40")", {300, 30, 20, 40}, {0, 0, 20, 100}, 1, false},
      {R"(startdelaytime="100")", {60, 90}, {0, 100}, 1, false},
  };
  for (const Case& c : cases) {
    Ref<IWidget> w = Load(std::string(R"(<widget type="blink_widget" resourcename="picture"
        firstperiod="100" secondperiod="200" start_transparentlevel="0"
        peak_transparentlevel="200" end_transparentlevel="50" )") +
                          c.attrs + "/>");
    for (size_t i = 0; i < c.steps.size(); ++i) {
      w->Process(c.steps[i]);
      EXPECT_EQ(w->GetTransparentLevel(), c.levels[i]) << c.attrs << " step " << i;
    }
    EXPECT_EQ(As<TBlinkWidget>(w)->GetState(), c.state) << c.attrs;
    EXPECT_EQ(w->IsDead(), c.dead) << c.attrs;
  }
}

TEST_F(ResourceWidgets, BlinkDefaultsAndRestart) {
  // The second period defaults to the first, the end level to the start level.
  Ref<IWidget> w = Load(R"(<widget type="blink_widget" firstperiod="100" loop="yes" loops_count="1"
                           start_transparentlevel="20" peak_transparentlevel="220"/>)");
  EXPECT_EQ(w->GetProperty("secondperiod").ToInt(), 100);
  EXPECT_EQ(w->GetProperty("end_transparentlevel").ToInt(), 20);
  w->Process(150);
  EXPECT_EQ(w->GetTransparentLevel(), 120);
  w->Process(50);
  EXPECT_TRUE(w->IsDead());
  // A restart plays its loops again.
  w->SetDead(false);
  w->Restart();
  EXPECT_EQ(As<TBlinkWidget>(w)->GetLoopsLeft(), 1);
  w->Process(199);
  EXPECT_FALSE(w->IsDead());
  w->Process(1);
  EXPECT_TRUE(w->IsDead());
}

TEST_F(ResourceWidgets, BlinkZeroPeriodsNeverTrap) {
  struct Case {
    const char* attrs;
  } cases[] = {
      {R"(firstperiod="0" secondperiod="0" loop="yes")"},
      {R"(firstperiod="50" secondperiod="0" loop="yes")"},
      {R"(firstperiod="0" secondperiod="0" loop="yes" cycledelaytime="7")"},
      {R"(firstperiod="-20" secondperiod="10" loop="yes")"},
      {R"(firstperiod="0" secondperiod="0")"},
  };
  for (const Case& c : cases) {
    Ref<IWidget> w = Load(std::string(R"(<widget type="blink_widget" peak_transparentlevel="255"
        start_transparentlevel="10" )") +
                          c.attrs + "/>");
    for (int i = 0; i < 5; ++i) w->Process(16);
    // A clock before the start with a first period of 0.
    w->SetProperty("currenttime", Variant(-50));
    w->Process(0);
    int32_t level = w->GetTransparentLevel();
    EXPECT_GE(level, 0) << c.attrs;
    EXPECT_LE(level, 255) << c.attrs;
  }
}

// ---------------------------------------------------------------------------------------
// Sound

TEST_F(ResourceWidgets, SoundReplaysAfterPauseAndResume) {
  Ref<IWidget> w = Show(R"(<widget type="sound_widget" resourcename="ding">
      <sounds><sound name="ding" resourcename="ding.wav"/></sounds></widget>)");
  Frame(16);
  Frame(16);
  EXPECT_EQ(engine->playedSounds, (std::vector<std::string>{"ding.wav"}));
  w->SetPaused(true);
  EXPECT_TRUE(w->IsPaused());
  EXPECT_EQ(engine->stoppedSounds, (std::vector<std::string>{"ding.wav"}));
  Frame(16);  // paused: not updated
  w->SetPaused(false);
  Frame(16);
  Frame(16);
  EXPECT_EQ(engine->playedSounds, (std::vector<std::string>{"ding.wav", "ding.wav"}));
  // Setting the same flag again does nothing more.
  w->SetPaused(false);
  Frame(16);
  EXPECT_EQ(engine->playedSounds.size(), 2u);
}

TEST_F(ResourceWidgets, SoundStartsPausedAndRestartsOnce) {
  Ref<IWidget> w = Show(R"(<widget type="sound_widget" sound_effect_name="ding" paused="yes">
      <sounds><sound name="ding" resourcename="ding.wav"/></sounds></widget>)");
  w->Process(16);
  EXPECT_TRUE(engine->playedSounds.empty());
  // A restart before the first play starts the sound once.
  Ref<IWidget> fresh = Show(R"(<widget type="sound_widget" resourcename="ding">
      <sounds><sound name="ding" resourcename="ding.wav"/></sounds></widget>)");
  fresh->Restart();
  fresh->Process(16);
  fresh->Process(16);
  EXPECT_EQ(engine->playedSounds, (std::vector<std::string>{"ding.wav"}));
}

TEST_F(ResourceWidgets, SoundOfItsOwn) {
  struct Case {
    const char* attrs;
    const char* resource;  // played
    int32_t volume;
    int32_t pan;
    bool loop;
  } cases[] = {
      // Found nowhere: a description of its own for the named resource, with the keys.
      {R"(resourcename="bell.wav" pan="30" loop="yes" startdelaytime="5")", "bell.wav", -1, 30,
       true},
      {R"(resourcename="bell.wav" pan="-101" loop="maybe")", "bell.wav", -1, -101, false},
      // With a guid the description is the widget's element (over the guid's values); the
      // widget's own keys are not copied again.
      {R"(resourcename="bell.wav" sound_object_guid="g-1" volume="40" pan="-20" loop="yes")",
       "bell.wav", 40, -20, true},
  };
  for (const Case& c : cases) {
    engine->playedSounds.clear();
    engine->playedVolumePan.clear();
    Ref<IWidget> w = Show(std::string(R"(<widget type="sound_widget" )") + c.attrs + "/>");
    auto* s = As<TSoundWidget>(w);
    EXPECT_EQ(s->GetSoundName(), "sound") << c.attrs;
    Frame(16);
    EXPECT_EQ(engine->playedSounds, (std::vector<std::string>{c.resource})) << c.attrs;
    ASSERT_EQ(engine->playedVolumePan.size(), 1u);
    EXPECT_EQ(engine->playedVolumePan[0], (std::pair<int32_t, int32_t>{c.volume, c.pan}))
        << c.attrs;
    Ref<ISound> sound = w->FindSound("sound");
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->GetLoop(), c.loop) << c.attrs;
  }
  Ref<ISound> guided = window->root->FindSound("sound");
  EXPECT_EQ(Supports<IPropertyObject>(guided)->GetProperty("_object_guid").ToString(), "g-1");

  // Nothing named: silent.
  engine->playedSounds.clear();
  Show(R"(<widget type="sound_widget"/>)");
  Frame(16);
  EXPECT_TRUE(engine->playedSounds.empty());
}

TEST_F(ResourceWidgets, SoundPropertiesReachTheDescription) {
  Ref<IWidget> w = Show(R"(<widget type="sound_widget" resourcename="bell.wav" startdelaytime="7"
                            cycledelaytime="9"/>)");
  EXPECT_EQ(w->GetProperty("startdelaytime").ToInt(), 7);
  EXPECT_EQ(w->GetProperty("cycledelaytime").ToInt(), 9);
  EXPECT_EQ(w->GetProperty("pan").ToInt(), -101);
  w->SetProperty("pan", Variant(45));
  w->SetProperty("startdelaytime", Variant(100));
  Ref<ISound> sound = w->FindSound("sound");
  EXPECT_EQ(sound->GetPan(), 45);
  EXPECT_EQ(sound->GetStartDelayMin(), 100);
  EXPECT_EQ(sound->GetStartDelayMax(), 100);

  Ref<IWidget> silent = Show(R"(<widget type="sound_widget"/>)");
  EXPECT_EQ(silent->GetProperty("pan").ToInt(), 0);
  silent->SetProperty("pan", Variant(3));  // no description: nothing to set
}

}  // namespace
