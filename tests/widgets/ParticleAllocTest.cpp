// Particle systems that run at a steady size, with particles born and dying every frame,
// must allocate nothing per frame: records and cells come from pools, and the children's
// pictures are redrawn into kept surfaces.

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "foundation/Params.h"
#include "functions/FunctionRegistration.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/WidgetsRegistration.h"

// The counters of tests/support/CountingAllocator.h, whose replacements another file of
// this binary includes.
namespace allocation_count {
inline std::atomic<bool> counting{false};
inline std::atomic<long> allocations{0};
}  // namespace allocation_count

namespace {

using allocation_count::allocations;
using allocation_count::counting;

// Cells: (1, 0) age; (0, 0) dead, (0, 1..2) x, y, (0, 3) picture, (0, 4..7) colour.
std::string Space() {
  return R"(<paramspace><paramdefs>
      <paramdef name="age" col="1" static="yes"/>
      <paramdef name="dead" col="0" row="0" static="yes"/>
      <paramdef name="x" col="0" row="1" static="yes"/>
      <paramdef name="y" col="0" row="2" static="yes" value="20"/>
      <paramdef name="image" col="0" row="3" static="yes"/>
      <paramdef name="r" col="0" row="4" static="yes" value="255"/>
      <paramdef name="g" col="0" row="5" static="yes" value="255"/>
      <paramdef name="b" col="0" row="6" static="yes" value="255"/>
      <paramdef name="a" col="0" row="7" static="yes" value="200"/>
    </paramdefs></paramspace>)";
}

// "count" a second, each living Life ms, moving right.
std::string Function(const std::string& count, const std::string& life) {
  return R"(<function type="function_complex"><paramspace><paramdefs>
      <paramdef name="count" col="2" static="yes" value=")" +
         count + R"("/></paramdefs></paramspace><functions>
      <function type="function_eval" name="Create"><paramspace><paramdefs>
        <paramdef name="age0" col="0" static="yes"/><paramdef name="count" col="2"/>
      </paramdefs></paramspace></function>
      <function type="function_eval" name="Update"><paramspace><paramdefs>
        <paramdef name="age" col="1" static="yes"/>
        <paramdef name="dead" col="0" static="yes"/><paramdef name="x" col="0" static="yes"/>
      </paramdefs></paramspace><expression>dead := age > )" +
         life + "\nx := age / 10</expression></function></functions></function>";
}

const char* kSpark = R"(<widgets><widget type="image_widget" name="spark" resourcename="spark"
    width="4" height="4" visible="yes"/></widgets>)";

class ParticleAllocation : public WidgetFixture {
 protected:
  ParticleAllocation() {
    RegisterFunctionsClasses();
    RegisterWidgetsClasses();
    engine->resources["spark"] = MakeImage(Ref<ISurface>(NewAlphaSurface(4, 4, 0xFFFFFFFF).get()));
  }

  // Frames of 16 ms: warmed up first, then counted.
  long Allocations(const Ref<IWidget>& system) {
    TSurfacePtr frame = NewSurface(128, 128);
    auto step = [&] {
      system->Process(16);
      DirtyPass();
      system->Draw(frame.get(), 0, 0);
    };
    for (int i = 0; i < 100; ++i) step();
    EXPECT_GT(system->GetProperty("count").ToInt(), 5) << "particles live";
    allocations = 0;
    counting = true;
    for (int i = 0; i < 300; ++i) step();
    counting = false;
    return allocations;
  }
};

TEST_F(ParticleAllocation, StochasticAndMonteCarlo) {
  const char* stochastic = R"(emission_count="500" lifetime_min="100" lifetime_max="300"
      emission_x="60" emission_y="60" emission_radius="20" color_variation="50")";
  Ref<IWidget> system = Show(std::string(R"(<widget type="stochastic_particle_system" name="ps"
      visible="yes" )") + stochastic +
                             ">" + kSpark + "</widget>");
  EXPECT_EQ(Allocations(system), 0);
  system = Show(std::string(R"(<widget type="stochastic_particle_system" name="ps" visible="yes"
      delta_step="50" )") +
                stochastic + ">" + kSpark + "</widget>");
  EXPECT_EQ(Allocations(system), 0) << "with delta_step";
  system = Show(std::string(R"(<widget type="montecarlo_particle_system" name="mc"
      visible="yes" )") +
                stochastic + ">" + kSpark + "</widget>");
  Ref<IWidget> source = Load(R"(<widget type="image_widget" resourcename="spark" width="4"
      height="4" anchor_left="30" anchor_top="30" visible="yes"/>)");
  source->SetOwner(window.get());
  system->SetProperty("widget", Variant(Ref<IInterface>(source.get())));
  EXPECT_EQ(Allocations(system), 0);
}

TEST_F(ParticleAllocation, FunctionDriven) {
  for (const char* statics : {"yes", "no"}) {
    SCOPED_TRACE(statics);
    Ref<IWidget> system =
        Show(std::string(R"(<widget type="function_particle_system" name="fps"
        visible="yes" static_images=")") +
             statics + "\">" + Space() + Function("500", "300") + kSpark + "</widget>");
    EXPECT_EQ(Allocations(system), 0);
  }
}

TEST_F(ParticleAllocation, MultiTypeWithTrails) {
  std::string space = Space();
  space.insert(space.find("</paramdefs>"), R"(<paramdef name="dx" col="0" row="8" static="yes"
      value="6"/><paramdef name="dy" col="0" row="9" static="yes" value="-4"/>
      <paramdef name="density" col="0" row="10" static="yes" value="0.5"/>)");
  std::string spark = R"(<particle_type name="spark" particlestyle="afterglow">)" + space +
                      Function("100", "200") + "</particle_type>";
  std::string rocket = R"(<particle_type name="rocket">)" + Space() + Function("20", "300") +
                       "<particle_types>" + spark + "</particle_types></particle_type>";
  Ref<IWidget> system =
      Show(R"(<widget type="multi_particle_system" name="sky" visible="yes">)" +
           std::string(kSpark) + "<particle_types>" + rocket + "</particle_types></widget>");
  EXPECT_EQ(Allocations(system), 0);
}

}  // namespace
