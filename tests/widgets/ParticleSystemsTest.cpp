// The stochastic and Monte Carlo particle systems over the shared widget fixture.

#include <string>
#include <vector>

#include "foundation/Random.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/ParticleSystems.h"
#include "widgets/WidgetsRegistration.h"

namespace {

class StochasticParticles : public WidgetFixture {
 protected:
  StochasticParticles() {
    RegisterWidgetsClasses();
    SetRandomSeed(7);
    engine->resources["spark"] = MakeImage(Ref<ISurface>(NewAlphaSurface(2, 2, 0xFFFFFFFF).get()));
  }

  // A system with a 2 x 2 white spark as its first child; Attributes go on its element.
  Ref<IWidget> ShowSystem(const std::string& attributes, bool withSpark = true,
                          const std::string& type = "stochastic_particle_system") {
    std::string xml =
        "<widget type=\"" + type + "\" name=\"ps\" visible=\"yes\" " + attributes + ">";
    if (withSpark)
      xml += R"(<widgets><widget type="image_widget" name="spark" resourcename="spark"
                width="2" height="2" visible="yes"/></widgets>)";
    xml += "</widget>";
    system_ = Show(xml);
    return system_;
  }
  TStochasticParticleSystem* System() {
    auto* system = dynamic_cast<TStochasticParticleSystem*>(system_.get());
    EXPECT_TRUE(system);
    return system;
  }
  const TStochasticParticle& Particle(int index) {
    return *static_cast<const TStochasticParticle*>(System()->Particles().at(size_t(index)));
  }
  int32_t Count() { return system_->GetProperty("count").ToInt(-1); }
  // One particle, made in a frame of 1 ms at 1000 per second; emission stops after it.
  void EmitOne() {
    system_->SetProperty("emission_count", Variant(1000));
    Frame(1);
    system_->SetProperty("emission_count", Variant(0));
    ASSERT_EQ(Count(), 1);
  }

  Ref<IWidget> system_;
};

// Rounded emission without a carried fraction: rates that give less than half a particle
// per frame emit nothing unless "delta_step" gathers whole steps.
TEST_F(StochasticParticles, EmissionPerFrameAndPerStep) {
  struct Case {
    const char* attributes;
    int frames;
    int expected;
  } cases[] = {
      {R"(emission_count="0")", 10, 0},
      {R"(emission_count="10")", 20, 0},  // 0.16 per frame, rounded away each time
      {R"(emission_count="10" delta_step="100")", 6, 0},
      {R"(emission_count="10" delta_step="100")", 7, 1},  // 112 ms: one whole step
      {R"(emission_count="10" delta_step="100")", 13, 2},
      {R"(emission_count="40" delta_step="100")", 7, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.attributes);
    ShowSystem(std::string(c.attributes) + R"( lifetime_min="100000" lifetime_max="100000")");
    for (int i = 0; i < c.frames; ++i) Frame(16);
    EXPECT_EQ(Count(), c.expected);
  }
  ShowSystem(R"(emission_count="1000")");
  Frame(0);
  EXPECT_EQ(Count(), 0) << "a zero dt emits nothing";
}

// The widget's clock keeps the elapsed time; only emission runs in whole steps. Setting
// the clock back by a frame and forward by a step would read 196 after 112 ms, and
// "timetolive" would end the system early.
TEST_F(StochasticParticles, DeltaStepLeavesTheClockAtTheElapsedTime) {
  ShowSystem(R"(emission_count="10" delta_step="100" timetolive="200")");
  for (int i = 0; i < 7; ++i) Frame(16);
  EXPECT_EQ(system_->GetProperty("currenttime").ToInt(), 112);
  EXPECT_FALSE(system_->IsDead());
  for (int i = 0; i < 5; ++i) Frame(16);
  EXPECT_EQ(system_->GetProperty("currenttime").ToInt(), 192);
  EXPECT_FALSE(system_->IsDead());
  Frame(16);
  EXPECT_TRUE(system_->IsDead());
}

// A negative start time holds nothing back here (only the function and multi systems
// wait for 0): the steps -150 .. -50 and -50 .. 50 end in frames 7 and 13 and emit.
TEST_F(StochasticParticles, DeltaStepEmitsWhileTheClockIsNegative) {
  ShowSystem(R"(emission_count="10" delta_step="100" currenttime="-150" lifetime_min="100000"
                lifetime_max="100000")");
  for (int i = 0; i < 6; ++i) Frame(16);
  EXPECT_EQ(Count(), 0);
  Frame(16);
  EXPECT_EQ(Count(), 1);
  EXPECT_LT(system_->GetProperty("currenttime").ToInt(), 0);
  for (int i = 0; i < 6; ++i) Frame(16);
  EXPECT_EQ(Count(), 2);
}

TEST_F(StochasticParticles, MotionGravityAndColourRampWithoutSpread) {
  ShowSystem(R"(direction="0" spread="0" speed_min="100" speed_max="100" lifetime_min="1000"
                lifetime_max="1000" gravity_min="100" gravity_max="100"
                color_start="$FFFF0000" color_end="$FF0000FF" alfa_start="200" alfa_end="0"
                emission_x="10" emission_y="20")");
  EmitOne();
  const TStochasticParticle& p = Particle(0);
  EXPECT_EQ(p.angle, 0);
  EXPECT_EQ(p.color, 0xC8FF0000u);  // alfa_start decides the alpha
  Frame(500);
  EXPECT_EQ(p.age, 500);
  EXPECT_DOUBLE_EQ(p.x, 60);       // 10 + 100 px/s for 0.5 s
  EXPECT_DOUBLE_EQ(p.y, 20 + 12);  // [500 * 500 * 100 / 10^6 / 2] = [12.5] = 12
  // Half way: red 255 + [-127.5] = 127, blue [127.5] = 128, alpha 200 + [-100] = 100.
  EXPECT_EQ(p.color, 0x647F0080u);
  Frame(500);
  EXPECT_EQ(p.color, 0x000000FFu);
}

TEST_F(StochasticParticles, DirectionSpreadAndRangesStayInTheirBounds) {
  ShowSystem(R"(direction="0" spread="360" speed_min="10" speed_max="20" lifetime_min="500"
                lifetime_max="600" gravity_min="5" gravity_max="-5" emission_count="100000")");
  Frame(10);
  ASSERT_EQ(Count(), 1000);
  int minAngle = 1000, maxAngle = -1000;
  for (int i = 0; i < Count(); ++i) {
    const TStochasticParticle& p = Particle(i);
    minAngle = std::min(minAngle, p.angle);
    maxAngle = std::max(maxAngle, p.angle);
    EXPECT_TRUE(p.speed >= 10 && p.speed < 20);
    EXPECT_TRUE(p.lifetime >= 500 && p.lifetime < 600);
    EXPECT_TRUE(p.gravity >= -5 && p.gravity < 5);
  }
  EXPECT_EQ(minAngle, -180);
  EXPECT_EQ(maxAngle, 179);
}

TEST_F(StochasticParticles, DrawnWhileAgeEqualsLifetimeGoneAfter) {
  ShowSystem(R"(spread="0" speed_min="0" speed_max="0" lifetime_min="100" lifetime_max="100"
                color_end="$FFFFFFFF" anchor_left="4" anchor_top="5")");
  EmitOne();
  Frame(100);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(Render()->GetPixel(4, 5), 0xFFFFFFFFu);
  EXPECT_EQ(window->dirtyRects.back(), (TRect{4, 5, 6, 7}));
  Frame(1);
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(Render()->GetPixel(4, 5), 0u);
  ASSERT_FALSE(window->dirtyRects.empty());
  EXPECT_EQ(window->dirtyRects.front(), (TRect{4, 5, 6, 7})) << "the old place redrawn";
  Frame(1);
  EXPECT_TRUE(window->dirtyRects.empty()) << "an empty system posts nothing";
}

// A lifetime of 0 has run out at once: the end colour, never age / 0. Variations past
// 100 % and alphas outside 0..255 stay inside the byte channels.
TEST_F(StochasticParticles, ZeroLifetimeAndOutOfRangeColoursAreHeld) {
  ShowSystem(R"(lifetime_min="0" lifetime_max="1" color_start="$FF000000"
                color_end="$FF204060" alfa_start="300" alfa_end="-20" color_variation="900"
                alfa_variation="500" emission_count="100000")");
  Frame(1);
  ASSERT_EQ(Count(), 100);
  for (int i = 0; i < Count(); ++i) {
    const TStochasticParticle& p = Particle(i);
    EXPECT_LE((p.startColor >> 16) & 0xFF, 0x20u);
    EXPECT_LE((p.startColor >> 8) & 0xFF, 0x40u);
    EXPECT_LE(p.startColor & 0xFF, 0x60u);
  }
  system_->SetProperty("emission_count", Variant(0));
  Frame(0);
  for (int i = 0; i < Count(); ++i) EXPECT_EQ(Particle(i).color, 0x00204060u);
  Frame(1);
  EXPECT_EQ(Count(), 0);
}

TEST_F(StochasticParticles, WithoutAChildParticlesLiveButNothingIsDrawn) {
  ShowSystem(R"(lifetime_min="10" lifetime_max="10")", false);
  EmitOne();
  EXPECT_EQ(system_->GetRect(), (TRect{-1, -1, -1, -1}));
  TSurfacePtr frame = Render();
  for (int32_t y = 0; y < 64; ++y)
    for (int32_t x = 0; x < 64; ++x) ASSERT_EQ(frame->GetPixel(x, y), 0u);
  Frame(11);
  EXPECT_EQ(Count(), 0);
}

TEST_F(StochasticParticles, PropertiesReadAndWrite) {
  ShowSystem(R"(direction="45" emission_radius="3" delta_step="20")");
  EXPECT_EQ(system_->GetProperty("direction").ToInt(), 45);
  EXPECT_EQ(system_->GetProperty("spread").ToInt(), 360);
  EXPECT_EQ(system_->GetProperty("speed_max").ToInt(), 100);
  EXPECT_EQ(system_->GetProperty("lifetime_min").ToInt(), 1000);
  EXPECT_EQ(system_->GetProperty("emission_radius").ToInt(), 3);
  EXPECT_EQ(system_->GetProperty("delta_step").ToInt(), 20);
  system_->SetProperty("gravity_max", Variant(9));
  EXPECT_EQ(system_->GetProperty("gravity_max").ToInt(), 9);
  system_->SetProperty("count", Variant(5));  // read only
  EXPECT_EQ(Count(), 0);
  EXPECT_FALSE(system_->GetChildren()->GetByIndex(0)->IsVisible()) << "children only lend pictures";
}

// ---------------------------------------------------------------------------------------
// Monte Carlo

class MonteCarloParticles : public StochasticParticles {
 protected:
  // An image widget over Picture, at (Left, Top).
  Ref<IWidget> Source(const Ref<TSurface>& picture, int32_t left, int32_t top) {
    std::string name = "source" + std::to_string(++sources_);
    engine->resources[name] = MakeImage(Ref<ISurface>(picture.get()));
    Ref<IWidget> source =
        Load("<widget type=\"image_widget\" name=\"src\" resourcename=\"" + name +
             "\" visible=\"yes\" width=\"" + std::to_string(picture->GetWidth()) + "\" height=\"" +
             std::to_string(picture->GetHeight()) + "\" anchor_left=\"" + std::to_string(left) +
             "\" anchor_top=\"" + std::to_string(top) + "\"/>");
    source->SetOwner(window.get());
    return source;
  }
  int sources_ = 0;
  void SetSource(const Ref<IWidget>& source) {
    system_->SetProperty("widget", Variant(Ref<IInterface>(source.get())));
  }

  static constexpr const char* kStill =
      R"(spread="0" speed_min="0" speed_max="0" lifetime_min="100000" lifetime_max="100000"
         emission_count="1000")";
};

TEST_F(MonteCarloParticles, WithoutASourceNothingIsEmitted) {
  ShowSystem(kStill, true, "montecarlo_particle_system");
  Frame(50);
  EXPECT_EQ(Count(), 0);
  system_->SetProperty("widget", Variant(5));  // no widget: ignored
  Frame(50);
  EXPECT_EQ(Count(), 0);
}

TEST_F(MonteCarloParticles, TransparentSourceYieldsNothing) {
  ShowSystem(kStill, true, "montecarlo_particle_system");
  SetSource(Source(NewAlphaSurface(8, 8, 0x13FFFFFF), 0, 0));  // alpha 19: below the threshold
  Frame(100);
  EXPECT_EQ(Count(), 0);
}

TEST_F(MonteCarloParticles, OnePixelSourceBearsEveryParticleThere) {
  ShowSystem(std::string(kStill) + R"( alfa_variation="0")", true, "montecarlo_particle_system");
  SetSource(Source(NewAlphaSurface(1, 1, 0x80FFFFFF), 30, 40));
  Frame(20);
  ASSERT_EQ(Count(), 20);
  for (int i = 0; i < Count(); ++i) {
    EXPECT_EQ(Particle(i).startX, 30);
    EXPECT_EQ(Particle(i).startY, 40);
    EXPECT_EQ(Particle(i).startColor >> 24, 0x80u) << "alpha from the pixel";
  }
}

TEST_F(MonteCarloParticles, MostlyTransparentSourceYieldsFewerOnTheOpaquePart) {
  ShowSystem(kStill, true, "montecarlo_particle_system");
  // Only the top-left 8 x 8 is opaque: 1/64 of the picture.
  Ref<TSurface> partly = NewAlphaSurface(64, 64, 0);
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 8; ++x) partly->SetPixel(x, y, 0xFFFFFFFF);
  SetSource(Source(partly, 100, 0));
  Frame(1000);
  // Eight tries at 1/64 each: about 12 % of the emissions find the opaque corner.
  EXPECT_GT(Count(), 50);
  EXPECT_LT(Count(), 250);
  for (int i = 0; i < Count(); ++i) {
    EXPECT_TRUE(Particle(i).startX >= 100 && Particle(i).startX < 108);
    EXPECT_TRUE(Particle(i).startY >= 0 && Particle(i).startY < 8);
  }
}

}  // namespace
