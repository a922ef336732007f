// Particle systems whose data asks for more than a system may hold: each kind stays at
// its cap and says so once, naming its file, however long it is held there.

#include <gtest/gtest.h>

#include <string>

#include "foundation/XMLStorage.h"
#include "functions/FunctionRegistration.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/ParticleSystemsCommon.h"
#include "widgets/WidgetsRegistration.h"

namespace {

// Cells: (1, 0) age; (0, 0) dead, (0, 1..2) x, y, (0, 3) picture, (0, 4..7) colour.
const std::string kCells = R"(<paramspace><paramdefs>
    <paramdef name="age" col="1" static="yes"/>
    <paramdef name="dead" col="0" row="0" static="yes"/>
    <paramdef name="x" col="0" row="1" static="yes"/>
    <paramdef name="y" col="0" row="2" static="yes"/>
    <paramdef name="image" col="0" row="3" static="yes"/>
    <paramdef name="a" col="0" row="7" static="yes" value="255"/>
  </paramdefs></paramspace>)";
// A million particles a second that never die.
const std::string kFunction = R"(<function type="function_complex"><paramspace><paramdefs>
    <paramdef name="count" col="2" static="yes" value="1000000"/></paramdefs></paramspace>
    <functions><function type="function_eval" name="Create"><paramspace><paramdefs>
      <paramdef name="age0" col="0" static="yes"/><paramdef name="count" col="2"/>
    </paramdefs></paramspace></function>
    <function type="function_eval" name="Update"><paramspace><paramdefs>
      <paramdef name="age" col="1" static="yes"/>
      <paramdef name="dead" col="0" static="yes"/><paramdef name="x" col="0" static="yes"/>
    </paramdefs></paramspace><expression>x := age / 10</expression></function>
  </functions></function>)";
const std::string kDot = R"(<widgets><widget type="image_widget" name="dot" resourcename="dot"
    width="1" height="1" visible="yes"/></widgets>)";

class ParticleCap : public WidgetFixture {
 protected:
  ParticleCap() {
    RegisterFunctionsClasses();
    RegisterWidgetsClasses();
    engine->resources["dot"] = MakeImage(Ref<ISurface>(NewAlphaSurface(1, 1, 0xFFFFFFFF).get()));
  }
};

TEST_F(ParticleCap, EachKindHeldAtItsCapSaysSoOnceNamingItsFile) {
  struct Case {
    const char* type;
    std::string inner;
  } cases[] = {
      {"stochastic_particle_system",
       R"(emission_count="1000000" lifetime_min="100000" lifetime_max="100000">)" + kDot},
      {"function_particle_system", ">" + kCells + kFunction + kDot},
      {"multi_particle_system", ">" + kDot + R"(<particle_types><particle_type name="p">)" +
                                    kCells + kFunction + "</particle_type></particle_types>"},
  };
  for (const Case& c : cases) {
    WarningCapture warnings;
    const std::string xml = std::string(R"(<widget type=")") + c.type +
                            R"(" name="fountain" visible="yes" )" + c.inner + "</widget>";
    Ref<IHierStorageRoot> root = LoadXmlStorageFromText(xml, "data\\screens\\fountain.xml");
    Ref<IWidget> system = Supports<IWidget>(CreateObjectFromXml(Ref<IHierStorage>(root.get())));
    ASSERT_TRUE(system) << c.type;
    window->SetRoot(system);
    for (int i = 0; i < 10; ++i) Frame(100);
    EXPECT_GE(system->GetProperty("count").ToInt(), kMaxLiveParticles - 1) << c.type;
    EXPECT_LE(system->GetProperty("count").ToInt(), kMaxLiveParticles) << c.type;
    EXPECT_EQ(warnings.Lines(),
              std::vector<std::string>{
                  "warning: data\\screens\\fountain.xml: " + std::string(c.type) +
                  " \"fountain\": held at its cap of " + std::to_string(kMaxLiveParticles) +
                  " live particles; what it asks for beyond that is not made"})
        << c.type;
    window->SetRoot(nullptr);
  }
}

}  // namespace
