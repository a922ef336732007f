// A text that changes every frame (a timer, a score), and animations and blinks playing,
// must allocate nothing once warmed up.
// This file replaces the global allocation functions of the widgets test binary to count
// every allocation made while counting is on.
#include <gtest/gtest.h>

#include "tests/support/CountingAllocator.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/WidgetsRegistration.h"

using allocation_count::allocations;
using allocation_count::counting;

namespace {

class TextAllocation : public WidgetFixture {
 protected:
  TextAllocation() { RegisterWidgetsClasses(); }
};

TEST_F(TextAllocation, ScoreChangingEveryFrameAllocatesNothing) {
  engine->resources->Put("digits", MakeFixedFont(U"0123456789 :SCORE", 14, 20));
  Ref<IWidget> w = Show(R"(<widget type="text_widget" resourcename="digits" visible="yes"
                           width="200" height="24" textalign="right" drawmode="fillcolor"
                           fillcolor="$FFFFFF00"/>)");
  TSurfacePtr frame = NewSurface(256, 64);
  const std::string property = "text";
  char text[16];
  auto step = [&](int i) {
    std::snprintf(text, sizeof text, "SCORE %06d", i);
    w->SetProperty(property, Variant(text));
    w->Process(16);
    DirtyPass();  // the fake window's records keep their room
    w->Draw(frame.get(), 0, 0);
  };
  for (int i = 0; i < 10; ++i) step(i);
  allocations = 0;
  counting = true;
  for (int i = 10; i < 200; ++i) step(i * 7);
  counting = false;
  EXPECT_EQ(allocations, 0);
}

TEST_F(TextAllocation, AnimationsAndBlinksAllocateNothing) {
  Ref<TSurface> strip = NewAlphaSurface(40, 20, 0xFF808080);
  engine->resources->Put("strip", MakeImage(Ref<ISurface>(strip.get())));
  Show(R"(<widget type="group_widget" visible="yes"><widgets>
      <widget type="animation_widget" name="a" resourcename="strip" visible="yes" framescount="8"
              resourcewidth="40" width="10" height="10" animationtime="400" loop="yes"
              cycledelaytime="30"/>
      <widget type="sequence_animation_widget" name="s" resourcename="strip" visible="yes"
              resourcewidth="40" width="10" height="10" default_duration="40" loop="yes">
        <frame subimage_index="1"/><frame subimage_index="5" duration="90"/></widget>
      <widget type="blink_widget" name="b" resourcename="strip" visible="yes" width="20"
              height="20" firstperiod="70" peak_transparentlevel="255" loop="yes"/>
    </widgets></widget>)");
  TSurfacePtr frame = NewSurface(64, 64);
  auto step = [&] {
    Frame(16);
    window->root->Draw(frame.get(), 0, 0);
  };
  for (int i = 0; i < 10; ++i) step();
  allocations = 0;
  counting = true;
  for (int i = 0; i < 200; ++i) step();
  counting = false;
  EXPECT_EQ(allocations, 0);
}

}  // namespace
