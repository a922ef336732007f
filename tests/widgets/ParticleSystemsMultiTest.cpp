// The multi particle system over the shared widget fixture.

#include <string>
#include <vector>

#include "foundation/Params.h"
#include "foundation/XMLStorage.h"
#include "functions/FunctionRegistration.h"
#include "functions/SurfaceHandles.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/ParticleSystemsCommon.h"
#include "widgets/ParticleSystemsMulti.h"
#include "widgets/WidgetsRegistration.h"

namespace {

// Records the colour and place of every coloured draw.
class RecordingSurface : public TSurface {
 public:
  std::vector<std::pair<uint32_t, TRect>> colored;
  bool DrawColored(uint32_t color, ISurface* source, uint8_t mode, uint8_t alpha, const TRect& dst,
                   const TRect& src) override {
    colored.emplace_back(color, dst);
    return TSurface::DrawColored(color, source, mode, alpha, dst, src);
  }
};

// The particle's cells, declared alike by the particle type and its Update.
const std::string kCells = R"(
      <paramdef name="age" col="1" row="0" static="yes"/>
      <paramdef name="v" col="1" row="1" static="yes"/>
      <paramdef name="dead" col="0" row="0" static="yes"/>
      <paramdef name="x" col="0" row="1" static="yes"/>
      <paramdef name="y" col="0" row="2" static="yes"/>
      <paramdef name="image" col="0" row="3" static="yes"/>
      <paramdef name="r" col="0" row="4" static="yes" value="255"/>
      <paramdef name="g" col="0" row="5" static="yes" value="255"/>
      <paramdef name="b" col="0" row="6" static="yes" value="255"/>
      <paramdef name="a" col="0" row="7" static="yes" value="255"/>
      <paramdef name="dx" col="0" row="8" static="yes"/>
      <paramdef name="dy" col="0" row="9" static="yes"/>
      <paramdef name="density" col="0" row="10" static="yes"/>
    )";

// A particle type: cells (1, 0) age, (1, 1) v; (0, 0) dead, (0, 1) x, (0, 2) y,
// (0, 3) picture, (0, 4..7) colour and alpha, (0, 8..10) trail. Its function has "count"
// per second; Create sets v from its expression ("speed" is a cell Notify can feed),
// Update the looks. Inner holds the child types' elements.
std::string Type(const std::string& name, const std::string& attributes, const std::string& count,
                 const std::string& create, const std::string& update,
                 const std::string& inner = "") {
  return R"(<particle_type name=")" + name + "\" " + attributes + R"(><paramspace><paramdefs>
)" + kCells + R"(    </paramdefs></paramspace>
    <function type="function_complex"><paramspace><paramdefs>
      <paramdef name="time" col="1" row="0" static="yes"/>
      <paramdef name="count" col="2" row="0" static="yes" value=")" +
         count + R"("/>
      <paramdef name="index" col="2" row="1" static="yes"/>
      <paramdef name="total_index" col="2" row="2" static="yes"/>
      <paramdef name="speed" col="2" row="3" static="yes"/>
    </paramdefs></paramspace><functions>
      <function type="function_eval" name="Create"><paramspace><paramdefs>
        <paramdef name="age0" col="0" row="0" static="yes"/>
        <paramdef name="v" col="0" row="1" static="yes"/>
        <paramdef name="count" col="2"/><paramdef name="index" col="2"/>
        <paramdef name="speed" col="2"/>
      </paramdefs></paramspace><expression>)" +
         create + R"(</expression></function>
      <function type="function_eval" name="Update"><paramspace><paramdefs>
)" + kCells + R"(      </paramdefs></paramspace><expression>)" +
         update + R"(</expression></function>
    </functions></function>)" +
         (inner.empty() ? "" : "<particle_types>" + inner + "</particle_types>") +
         "</particle_type>";
}

class MultiParticles : public WidgetFixture {
 protected:
  MultiParticles() {
    RegisterFunctionsClasses();
    RegisterWidgetsClasses();
    engine->resources["dot"] = MakeImage(Ref<ISurface>(NewAlphaSurface(1, 1, 0xFFFFFFFF).get()));
  }

  // The system with a 1 x 1 white dot as picture 0 and the given top-level types.
  Ref<IWidget> ShowSystem(const std::string& attributes, const std::string& types) {
    system_ = Show(R"(<widget type="multi_particle_system" name="mps" visible="yes" )" +
                   attributes + R"(><widgets><widget type="image_widget" name="dot"
                   resourcename="dot" width="1" height="1" visible="yes"/></widgets>
                   <particle_types>)" +
                   types + "</particle_types></widget>");
    return system_;
  }
  TMultiParticleSystem* System() {
    auto* system = dynamic_cast<TMultiParticleSystem*>(system_.get());
    EXPECT_TRUE(system);
    return system;
  }
  int32_t Count() { return system_->GetProperty("count").ToInt(-1); }
  std::vector<TMultiParticle*>& TopLevel() { return System()->RootParticle()->children; }
  static float Cell(const TMultiParticle* particle, int32_t col, int32_t row) {
    return particle->type->Cell(*particle, col, row);
  }
  static Ref<IParamCollection> Params(std::initializer_list<std::pair<const char*, Variant>> list) {
    auto params = TAbstractObject::Create<TParamCollection>();
    for (const auto& [name, value] : list) params->SetValue(name, value);
    return Ref<IParamCollection>(params.get());
  }
  void Request(std::initializer_list<std::pair<const char*, Variant>> list) {
    system_->Notify(1, Variant(Ref<IInterface>(Params(list).get())));
  }

  Ref<IWidget> system_;
};

// A trail of g + 1 copies, g = [max(|dx|, |dy|) * density]: from the particle's alpha at
// the particle to 0 at the end of the trail.
TEST_F(MultiParticles, AfterglowFadesAlongTheTrail) {
  ShowSystem("", Type("trail", R"(particlestyle="afterglow")", "0", "v := 0",
                      "x := 20\ny := 10\ndx := 10\ndy := 0\ndensity := 0.5"));
  Request({});
  Frame(0);
  Ref<RecordingSurface> frame(new RecordingSurface());
  frame->SetSize(64, 64);
  system_->Draw(frame.get(), 0, 0);
  std::vector<uint32_t> alphas;
  std::vector<int32_t> lefts;
  for (const auto& [color, dst] : frame->colored) {
    alphas.push_back(color >> 24);
    lefts.push_back(dst.Left);
    EXPECT_EQ(dst.Top, 10);
  }
  EXPECT_EQ(alphas, (std::vector<uint32_t>{255, 204, 153, 102, 51, 0}));
  EXPECT_EQ(lefts, (std::vector<int32_t>{20, 22, 24, 26, 28, 30}));
  // The rectangle reaches over the trail.
  EXPECT_EQ(system_->GetRect(), (TRect{20, 10, 31, 11}));
}

// A runaway density would draw millions of copies a frame: the trail stops at 1024.
TEST_F(MultiParticles, AfterglowCopiesAreCapped) {
  ShowSystem("", Type("trail", R"(particlestyle="afterglow")", "0", "v := 0",
                      "x := 1\ny := 1\ndx := 40\ndy := 0 - 30\ndensity := 100000000"));
  Request({});
  Frame(0);
  Ref<RecordingSurface> frame(new RecordingSurface());
  frame->SetSize(64, 64);
  system_->Draw(frame.get(), 0, 0);
  ASSERT_EQ(frame->colored.size(), 1025u);
  EXPECT_EQ(frame->colored.front(), std::make_pair(0xFFFFFFFFu, TRect{1, 1, 2, 2}));
  EXPECT_EQ(frame->colored.back().second, (TRect{41, -29, 42, -28}));
  EXPECT_EQ(system_->GetRect(), (TRect{1, -29, 42, 2}));
}

// A full system's trails share what a frame may draw: every particle is drawn, the first
// ones with their whole trails (41 copies), the last with a copy on the particle and one
// at the end of the trail; the next frame starts whole again.
TEST_F(MultiParticles, TrailsShareWhatAFullFrameMayDraw) {
  ShowSystem("", Type("trail", R"(particlestyle="afterglow")", "0", "v := 0",
                      "x := 1\ny := 1\ndx := 40\ndy := 0\ndensity := 1"));
  Request({{"particles_count", Variant(2 * kMaxLiveParticles)}});
  Frame(0);
  const int32_t live = Count();
  ASSERT_GE(live, kMaxLiveParticles - 1);
  ASSERT_LE(live, kMaxLiveParticles);
  for (int round = 0; round < 2; ++round) {
    Ref<RecordingSurface> frame(new RecordingSurface());
    frame->SetSize(64, 64);
    system_->Draw(frame.get(), 0, 0);
    const auto& drawn = frame->colored;
    ASSERT_LE(drawn.size(), size_t(kMaxDrawnCopies + live));
    ASSERT_GE(drawn.size(), size_t(2 * live));
    for (int32_t i = 0; i <= 40; ++i) EXPECT_EQ(drawn[size_t(i)].second.Left, 1 + i);
    EXPECT_EQ(drawn[drawn.size() - 2].second.Left, 1);
    EXPECT_EQ(drawn.back().second.Left, 41);
  }
}

// A rocket dies at 100 ms but stays until its sparks (300 ms each) are gone, emitting no
// new ones meanwhile; "count" counts the sparks too.
TEST_F(MultiParticles, ParentWithLiveChildrenStays) {
  std::string spark = Type("spark", "", "100", "v := 0", "dead := age >= 300\nx := 5\ny := 5");
  ShowSystem("", Type("rocket", "", "0", "v := 0", "dead := age >= 100\nx := 5\ny := 5", spark));
  Request({});
  ASSERT_EQ(TopLevel().size(), 1u);
  std::vector<int32_t> counts;
  for (int i = 0; i < 8; ++i) {
    Frame(50);
    counts.push_back(Count());
  }
  // 5 sparks at 50 ms, none after the rocket died at 100; all gone at 350 with it.
  EXPECT_EQ(counts, (std::vector<int32_t>{6, 6, 6, 6, 6, 6, 0, 0}));
  EXPECT_TRUE(TopLevel().empty());
}

TEST_F(MultiParticles, CountIncludesGrandchildren) {
  std::string ember = Type("ember", "", "100", "v := 0", "x := 1");
  std::string spark = Type("spark", "", "100", "v := 0", "x := 1", ember);
  ShowSystem("", Type("rocket", "", "0", "v := 0", "x := 1", spark));
  Request({});
  Frame(50);  // 5 sparks
  Frame(50);  // 5 more sparks, 5 embers under each of the first five
  EXPECT_EQ(Count(), 1 + 10 + 25);
}

// Notify 1: particles of the named child type (the first type for an unknown name), the
// first one made with the other parameters fed to Create.
TEST_F(MultiParticles, RequestByTypeAndCount) {
  ShowSystem("", Type("rocket", "", "0", "v := 1", "x := 1") +
                     Type("flare", "", "0", "v := speed\nspeed := 0", "x := 1"));
  Request({{"particle_type", Variant("flare")},
           {"particles_count", Variant(3)},
           {"speed", Variant(7)}});
  ASSERT_EQ(TopLevel().size(), 3u);
  std::vector<float> vs;
  for (TMultiParticle* p : TopLevel()) {
    EXPECT_EQ(p->type->GetName(), "flare");
    vs.push_back(Cell(p, 1, 1));
  }
  EXPECT_EQ(vs, (std::vector<float>{7, 0, 0}));
  Request({{"particle_type", Variant("nothing")}});
  ASSERT_EQ(TopLevel().size(), 4u);
  EXPECT_EQ(TopLevel().back()->type->GetName(), "rocket");
  system_->Notify(2, Variant());
  EXPECT_EQ(Count(), 0);
}

// Column 0 of one cell: dead at once. Short columns and pictures past the list read 0
// and draw nothing.
TEST_F(MultiParticles, ShortColumnsAndMissingPictures) {
  auto blip = [](const char* extraCell) {
    return std::string(R"(<particle_type name="blip"><paramspace><paramdefs>
        <paramdef name="dead" col="0" static="yes"/>)") +
           extraCell + R"(</paramdefs></paramspace>
        <function type="function_complex"><paramspace><paramdefs>
          <paramdef name="count" col="2" static="yes" value="1000"/></paramdefs></paramspace>
          <functions><function type="function_eval" name="Create"><paramspace><paramdefs>
            <paramdef name="count" col="2"/></paramdefs></paramspace></function></functions>
        </function></particle_type>)";
  };
  ShowSystem("", blip(R"(<paramdef name="x" col="0" static="yes"/>)"));
  Frame(16);
  EXPECT_EQ(Count(), 16) << "with two cells they live";
  ShowSystem("", blip(""));
  for (int i = 0; i < 3; ++i) {
    Frame(16);
    EXPECT_EQ(Count(), 0);
  }
  ShowSystem("", Type("far", "", "0", "v := 0", "x := 3\nimage := 7"));
  Request({{"particles_count", Variant(2)}});
  Frame(16);
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(Cell(TopLevel()[0], 0, 11), 0);
  TSurfacePtr frame = Render();
  for (int32_t y = 0; y < 64; ++y)
    for (int32_t x = 0; x < 64; ++x) ASSERT_EQ(frame->GetPixel(x, y), 0u);
}

// The system's place is its anchors plus where its particles are.
TEST_F(MultiParticles, RectangleFromAnchorsAndParticles) {
  ShowSystem(R"(anchor_left="100" anchor_top="50")",
             Type("dot", "", "0", "v := 0", "x := 20\ny := 10"));
  Request({});
  Frame(16);
  EXPECT_EQ(system_->GetRect(), (TRect{120, 60, 121, 61}));
  EXPECT_EQ(system_->GetLeft(), 120);
  EXPECT_EQ(system_->GetWidth(), 1);
  Frame(16);
  EXPECT_EQ(system_->GetRect(), (TRect{120, 60, 121, 61})) << "no drift";
}

// Saved and loaded again, the system is still a multi particle system with its types.
TEST_F(MultiParticles, SavedSystemLoadsAgain) {
  ShowSystem(R"(delta_step="16")", Type("rocket", "", "0", "v := 0", "x := 20\ny := 10"));
  Ref<IHierStorageRoot> saved = CreateXmlStorage("widget");
  System()->SaveToXml(Ref<IHierStorage>(saved.get()));
  EXPECT_EQ(saved->GetAttr("type").ToString(), "multi_particle_system");
  Ref<IWidget> copy = Show(saved->GetXmlText());
  auto* system = dynamic_cast<TMultiParticleSystem*>(copy.get());
  ASSERT_TRUE(system);
  system_ = copy;
  Request({});
  Frame(16);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(system_->GetRect(), (TRect{20, 10, 21, 11}));
}

// "alignToAnchor" centres a picture on a widget's anchor only where the widget lies left
// of and above it; an ordinary widget gives its plain picture.
TEST_F(MultiParticles, AlignToAnchorFallsBackToThePlainPicture) {
  ShowSystem("", Type("own", R"(use_local_images="yes" alignToAnchor="yes")", "0", "v := 0",
                      "x := 3\ny := 3"));
  // The type's own widgets: none here, so the list is empty and nothing is drawn.
  auto* type = dynamic_cast<TParticleType*>(
      System()->RootType()->GetChildTypes()->GetByKey(Variant("own")).get());
  ASSERT_TRUE(type);
  EXPECT_EQ(type->GetLocalImages()->Count(), 0);
  std::string withWidget =
      Type("own", R"(use_local_images="yes" alignToAnchor="yes")", "0", "v := 0", "x := 3\ny := 3");
  withWidget.insert(withWidget.rfind("</particle_type>"),
                    R"(<widgets><widget type="image_widget" name="w" resourcename="dot"
                       width="1" height="1" anchor_left="9" anchor_top="9"/></widgets>)");
  ShowSystem("", withWidget);
  type = dynamic_cast<TParticleType*>(
      System()->RootType()->GetChildTypes()->GetByKey(Variant("own")).get());
  ASSERT_EQ(type->GetLocalImages()->Count(), 1);
  ASSERT_NE(type->GetLocalImages()->At(0), nullptr);
  EXPECT_EQ(type->GetLocalImages()->At(0)->GetWidth(), 1);
  Request({});
  Frame(16);
  EXPECT_EQ(Render()->GetPixel(3, 3), 0xFFFFFFFFu);
}

TEST_F(MultiParticles, SurfaceHandleIsReleased) {
  int32_t before = SurfaceHandleCount();
  auto surface = [] { return Variant(Ref<IInterface>(NewAlphaSurface(4, 4).get())); };
  std::string root = R"(<function type="function_complex"><paramspace><paramdefs>
      <paramdef name="surface" col="2" static="yes"/></paramdefs></paramspace></function>)";
  ShowSystem("", "");
  system_ = Show(R"(<widget type="multi_particle_system" name="mps" visible="yes">)" + root +
                 "</widget>");
  system_->SetProperty("surface", surface());
  EXPECT_EQ(SurfaceHandleCount(), before + 1);
  system_->SetProperty("surface", surface());
  EXPECT_EQ(SurfaceHandleCount(), before + 1);
  window->SetRoot(nullptr);
  EXPECT_EQ(SurfaceHandleCount(), before);
}

}  // namespace
