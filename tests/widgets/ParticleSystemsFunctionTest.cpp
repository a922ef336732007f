// The function-driven particle system over the shared widget fixture.

#include <string>
#include <vector>

#include "foundation/Params.h"
#include "functions/FunctionRegistration.h"
#include "functions/SurfaceHandles.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/ParticleSystemsFunction.h"
#include "widgets/WidgetsRegistration.h"

namespace {

// The particle's cells: age and vx are its state, the rest its looks.
const char* kParticleSpace = R"(<paramspace><paramdefs>
    <paramdef name="age" col="1" row="0" static="yes"/>
    <paramdef name="vx" col="1" row="1" static="yes"/>
    <paramdef name="dead" col="0" row="0" static="yes"/>
    <paramdef name="x" col="0" row="1" static="yes"/>
    <paramdef name="y" col="0" row="2" static="yes"/>
    <paramdef name="image" col="0" row="3" static="yes"/>
    <paramdef name="r" col="0" row="4" static="yes"/>
    <paramdef name="g" col="0" row="5" static="yes"/>
    <paramdef name="b" col="0" row="6" static="yes"/>
    <paramdef name="a" col="0" row="7" static="yes"/>
  </paramdefs></paramspace>)";

// A function with "count" per second; Create gives age 0 and vx from its expression (which
// sees "time", "index" and "total_index"), Update the looks from age and vx.
std::string ParticleFunction(const std::string& count, const std::string& createVx,
                             const std::string& update) {
  return R"(<function type="function_complex"><paramspace><paramdefs>
      <paramdef name="time" col="1" row="0" static="yes"/>
      <paramdef name="count" col="2" row="0" static="yes" value=")" +
         count + R"("/>
      <paramdef name="index" col="2" row="1" static="yes"/>
      <paramdef name="total_index" col="2" row="2" static="yes"/>
    </paramdefs></paramspace><functions>
    <function type="function_eval" name="Create"><paramspace><paramdefs>
      <paramdef name="age0" col="0" row="0" static="yes"/>
      <paramdef name="vx" col="0" row="1" static="yes"/>
      <paramdef name="time" col="1"/>
      <paramdef name="count" col="2"/>
      <paramdef name="index" col="2"/>
      <paramdef name="total_index" col="2"/>
    </paramdefs></paramspace><expression>vx := )" +
         createVx + R"(</expression></function>
    <function type="function_eval" name="Update"><paramspace><paramdefs>
      <paramdef name="age" col="1" row="0" static="yes"/>
      <paramdef name="vx" col="1" row="1" static="yes"/>
      <paramdef name="dead" col="0" row="0" static="yes"/>
      <paramdef name="x" col="0" row="1" static="yes"/>
      <paramdef name="y" col="0" row="2" static="yes"/>
      <paramdef name="image" col="0" row="3" static="yes"/>
      <paramdef name="r" col="0" row="4" static="yes"/>
      <paramdef name="g" col="0" row="5" static="yes"/>
      <paramdef name="b" col="0" row="6" static="yes"/>
      <paramdef name="a" col="0" row="7" static="yes"/>
    </paramdefs></paramspace><expression>)" +
         update + R"(</expression></function>
  </functions></function>)";
}

// Looks every test can use: a white opaque 2 x 2 at (10 + vx, 20).
const char* kLooks = "x := 10 + vx\ny := 20\nr := 255\ng := 255\nb := 255\na := 255";

class FunctionParticles : public WidgetFixture {
 protected:
  FunctionParticles() {
    RegisterFunctionsClasses();
    RegisterWidgetsClasses();
    engine->resources["dot"] = MakeImage(Ref<ISurface>(NewAlphaSurface(2, 2, 0xFFFFFFFF).get()));
  }

  Ref<IWidget> ShowSystem(const std::string& attributes, const std::string& function,
                          const std::string& space = kParticleSpace) {
    system_ = Show(R"(<widget type="function_particle_system" name="fps" visible="yes" )" +
                   attributes + ">" + space + function +
                   R"(<widgets><widget type="image_widget" name="dot" resourcename="dot"
                      width="2" height="2" visible="yes"/></widgets></widget>)");
    return system_;
  }
  TFunctionParticleSystem* System() {
    auto* system = dynamic_cast<TFunctionParticleSystem*>(system_.get());
    EXPECT_TRUE(system);
    return system;
  }
  int32_t Count() { return system_->GetProperty("count").ToInt(-1); }
  float Cell(int particle, int32_t col, int32_t row) {
    return System()->Cell(*System()->Particles().at(size_t(particle)), col, row);
  }
  static Ref<IParamCollection> Params(std::initializer_list<std::pair<const char*, Variant>> list) {
    auto params = TAbstractObject::Create<TParamCollection>();
    for (const auto& [name, value] : list) params->SetValue(name, value);
    return Ref<IParamCollection>(params.get());
  }
  void Notify(int32_t code, const Ref<IParamCollection>& params) {
    system_->Notify(code, Variant(Ref<IInterface>(params.get())));
  }

  Ref<IWidget> system_;
};

// The fraction is carried: 10 per second in 16 ms frames gives one particle in the 7th
// frame (0.16, 0.32, ... 0.96, 1.12).
TEST_F(FunctionParticles, EmissionCarriesTheFraction) {
  ShowSystem("", ParticleFunction("10", "0", kLooks));
  std::vector<int32_t> counts;
  for (int i = 0; i < 14; ++i) {
    Frame(16);
    counts.push_back(Count());
  }
  EXPECT_EQ(counts, (std::vector<int32_t>{0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 2, 2}));
}

// "delta_step" 50 in 16 ms frames: one emission per 50 ms of the step clock, each of 50
// ms, fed with the step clock's time; "currenttime" stays at the elapsed time.
TEST_F(FunctionParticles, DeltaStepEmitsInWholeStepsOnTheStepClock) {
  ShowSystem(R"(delta_step="50")", ParticleFunction("20", "time", kLooks));
  std::vector<int32_t> counts;
  for (int i = 0; i < 10; ++i) {
    Frame(16);
    counts.push_back(Count());
  }
  EXPECT_EQ(counts, (std::vector<int32_t>{0, 0, 0, 1, 1, 1, 2, 2, 2, 3}));
  EXPECT_EQ(system_->GetProperty("currenttime").ToInt(), 160);
  EXPECT_EQ(Cell(0, 1, 1), 50);
  EXPECT_EQ(Cell(1, 1, 1), 100);
  EXPECT_EQ(Cell(2, 1, 1), 150);
}

TEST_F(FunctionParticles, DeltaStepWaitsWhileTheStepClockIsNegative) {
  ShowSystem(R"(delta_step="50" currenttime="-100")", ParticleFunction("20", "time", kLooks));
  // Steps end at -50 (nothing), 0 (an emission of 0 ms: nothing) and 50.
  for (int i = 0; i < 9; ++i) Frame(16);
  EXPECT_EQ(Count(), 0);
  Frame(16);
  ASSERT_EQ(Count(), 1);
  EXPECT_EQ(Cell(0, 1, 1), 50);
}

TEST_F(FunctionParticles, InitCreationCountOnceWithIndexes) {
  ShowSystem(R"(init_creation_count="3")",
             ParticleFunction("0", "index * 10 + total_index", kLooks));
  Frame(16);
  ASSERT_EQ(Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Cell(i, 1, 1), float(i * 10 + 3));
  Frame(16);
  EXPECT_EQ(Count(), 3);
}

TEST_F(FunctionParticles, MovesAgesAndDrawsFromTheCells) {
  ShowSystem(R"(anchor_left="5" anchor_top="6" init_creation_count="1")",
             ParticleFunction("0", "4", kLooks));
  Frame(16);
  Frame(30);
  // Made before the moves of its first frame, so that frame ages it too.
  EXPECT_EQ(Cell(0, 1, 0), 46);
  EXPECT_EQ(Cell(0, 0, 1), 14);
  // Centre (14, 20) of a 2 x 2: (13, 19) .. (15, 21), moved by the anchors.
  EXPECT_EQ(system_->GetRect(), (TRect{18, 25, 20, 27}));
  TSurfacePtr frame = Render();
  EXPECT_EQ(frame->GetPixel(18, 25), 0xFFFFFFFFu);
  EXPECT_EQ(frame->GetPixel(19, 26), 0xFFFFFFFFu);
  EXPECT_EQ(frame->GetPixel(20, 26), 0u);
}

TEST_F(FunctionParticles, DeadCellRemovesInTheSameUpdate) {
  ShowSystem("", ParticleFunction("1000", "0", "dead := 1"));
  for (int i = 0; i < 3; ++i) {
    Frame(16);
    EXPECT_EQ(Count(), 0);
  }
  ShowSystem("", ParticleFunction("1000", "0", "dead := age > 40"));
  std::vector<int32_t> counts;
  for (int i = 0; i < 5; ++i) {
    Frame(16);
    counts.push_back(Count());
  }
  // 16 a frame; from the 4th frame on the oldest 16 are 48 ms old and go.
  EXPECT_EQ(counts, (std::vector<int32_t>{16, 32, 48, 48, 48}));
}

// Cells the space does not have read 0 and take no writes: a short column 0, a cell that
// is not static in a space without an owner, a picture index past the children.
TEST_F(FunctionParticles, MissingCellsAndIndexesAreHarmless) {
  struct Case {
    const char* name;
    std::string space;
    const char* update;
    int32_t zeroFrom;  // rows of column 0 from here on read 0
    bool noPicture;
  } cases[] = {
      {"column 0 of two cells",
       R"(<paramspace><paramdefs><paramdef name="age" col="1" static="yes"/>
          <paramdef name="dead" col="0" static="yes"/><paramdef name="x" col="0" static="yes"/>
          </paramdefs></paramspace>)",
       kLooks, 2, false},
      {"cells not static", R"(<paramspace><paramdefs><paramdef name="age" col="1" static="yes"/>
          <paramdef name="dead" col="0" static="yes"/><paramdef name="x" col="0"/>
          <paramdef name="y" col="0"/></paramdefs></paramspace>)",
       kLooks, 1, false},
      {"index outside the pictures", kParticleSpace, "image := 5\na := 255\nx := 10", 8, true},
      {"index below the pictures", kParticleSpace, "image := -1\na := 255\nx := 10", 8, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShowSystem(R"(init_creation_count="2")", ParticleFunction("0", "0", c.update), c.space);
    Frame(16);
    ASSERT_EQ(Count(), 2);
    for (int32_t row = c.zeroFrom; row <= 10; ++row) EXPECT_EQ(Cell(0, 0, row), 0) << row;
    if (c.noPicture) {
      EXPECT_EQ(system_->GetRect(), (TRect{-1, -1, -1, -1}));
      TSurfacePtr frame = Render();
      for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x) ASSERT_EQ(frame->GetPixel(x, y), 0u);
    }
    Notify(1, Params({{"y", Variant(3)}, {"nothing", Variant(1)}}));
    EXPECT_EQ(Count(), 3);
  }
}

TEST_F(FunctionParticles, NotifyMakesAParticleFromParametersOrEmpties) {
  ShowSystem("", ParticleFunction("0", "1", kLooks));
  Notify(1, Params({{"vx", Variant(7)}, {"unknown", Variant(3)}}));
  ASSERT_EQ(Count(), 1);
  EXPECT_EQ(Cell(0, 1, 1), 7);
  EXPECT_EQ(Cell(0, 0, 1), 17) << "moved by 0 once made";
  system_->Notify(1, Variant());  // no parameters: Create's own values
  ASSERT_EQ(Count(), 2);
  EXPECT_EQ(Cell(1, 1, 1), 1);
  Notify(2, nullptr);
  EXPECT_EQ(Count(), 0);
  // Without a Create function no particle is made.
  ShowSystem("", R"(<function type="function_complex"><functions>
      <function type="function_eval" name="Update"/></functions></function>)");
  Notify(1, Params({{"vx", Variant(7)}}));
  EXPECT_EQ(Count(), 0);
}

// Widget properties reach the function's cells of the same name.
TEST_F(FunctionParticles, PropertiesReachTheFunction) {
  ShowSystem("", ParticleFunction("0", "0", kLooks));
  Frame(100);
  EXPECT_EQ(Count(), 0);
  system_->SetProperty("count", Variant(100));
  Frame(100);
  EXPECT_EQ(Count(), 10);
  system_->SetProperty("blendingmode", Variant(4));
  EXPECT_EQ(system_->GetProperty("blendingmode").ToInt(), 4);
  system_->SetProperty("delta_step", Variant(25));
  EXPECT_EQ(system_->GetProperty("delta_step").ToInt(), 25);
}

TEST_F(FunctionParticles, ChangingPicturesAreTakenAtEveryDraw) {
  ShowSystem(R"(static_images="no" init_creation_count="1")", ParticleFunction("0", "0", kLooks));
  EXPECT_EQ(System()->Images().Count(), 0);
  Frame(16);
  EXPECT_EQ(Render()->GetPixel(9, 19), 0xFFFFFFFFu);
  EXPECT_EQ(System()->Images().Count(), 0) << "released after the draw";
  system_->SetProperty("static_images", Variant(true));
  EXPECT_EQ(System()->Images().Count(), 1);
}

// The "surface" cell holds a handle that is released when replaced, on Reset and when
// the system leaves its owner.
TEST_F(FunctionParticles, SurfaceHandleIsReleased) {
  int32_t before = SurfaceHandleCount();
  auto surface = [] { return Variant(Ref<IInterface>(NewAlphaSurface(4, 4).get())); };
  std::string function = ParticleFunction("0", "0", kLooks);
  function.insert(function.find("</paramdefs>"),
                  R"(<paramdef name="surface" col="3" static="yes"/>)");
  ShowSystem("", function);
  system_->SetProperty("surface", surface());
  EXPECT_EQ(SurfaceHandleCount(), before + 1);
  float cell = System()->GetParticleFunction()->GetParamValue("surface");
  EXPECT_NE(SurfaceFromHandle(SurfaceHandleFromCell(cell)), nullptr);
  system_->SetProperty("surface", surface());
  EXPECT_EQ(SurfaceHandleCount(), before + 1);
  system_->SetProperty("surface", Variant());
  EXPECT_EQ(SurfaceHandleCount(), before);
  system_->SetProperty("surface", surface());
  window->SetRoot(nullptr);
  EXPECT_EQ(SurfaceHandleCount(), before);
  ShowSystem("", function);
  system_->SetProperty("widget",
                       Variant(Ref<IInterface>(system_->GetChildren()->GetByIndex(0).get())));
  EXPECT_EQ(SurfaceHandleCount(), before + 1);
  System()->Reset();
  EXPECT_EQ(SurfaceHandleCount(), before);
}

}  // namespace
