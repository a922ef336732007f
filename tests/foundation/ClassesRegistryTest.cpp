#include <gtest/gtest.h>

#include <string>

#include "foundation/Exceptions.h"
#include "foundation/GeneralClasses.h"

namespace {

struct TWidgetLike : TAbstractObject {
  std::string params;
  bool initialised = false;
  void Init() override { initialised = true; }
  void SetParam(const std::string& name, const Variant& value) override {
    params += name + "=" + value.ToString() + ";";
  }
};

struct TOtherLike : TAbstractObject {};
struct TNeverRegistered : TAbstractObject {};

struct TRaising : TAbstractObject {
  void SetParam(const std::string&, const Variant&) override { throw Exception("bad"); }
};

class ClassRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    registry.RegisterClassName<TWidgetLike>("image_widget");
    registry.RegisterClassName<TOtherLike>("other");
    registry.RegisterClassName<TWidgetLike>("widget_alias");
    registry.RegisterClassName<TRaising>("raising");
  }
  TClassesRegistry registry;
};

TEST_F(ClassRegistry, CreatesByNameWithoutCase) {
  struct Case {
    const char* text;
    bool made;
    const char* params;
  } cases[] = {
      {"IMAGE_WIDGET{a=1}", true, "a=1;"},
      {"image_widget", true, ""},
      {"Image_Widget{a=1\\b={x\\y}}", true, "a=1;b=x\\y;"},
      {"image_widget{}", true, ""},
      {"image_widget{", true, ""},          // nothing after the brace: nothing to drop
      {"image_widget{a=12", true, "a=1;"},  // the last character is dropped unchecked
      {"image_widget{flag}", true, "=;"},
      {"image_widget {a=1}", false, ""},  // the name is not trimmed
      {" image_widget", false, ""},
      {"image", false, ""},
      {"", false, ""},
      {"{a=1}", false, ""},
  };
  for (const Case& c : cases) {
    Ref<TAbstractObject> object = registry.CreateRegisteredObject(c.text);
    ASSERT_EQ(bool(object), c.made) << c.text;
    if (!object) continue;
    auto* widget = dynamic_cast<TWidgetLike*>(object.get());
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(widget->initialised);
    EXPECT_EQ(widget->params, c.params) << c.text;
  }
  EXPECT_NE(dynamic_cast<TOtherLike*>(registry.CreateRegisteredObject("OTHER").get()), nullptr);
}

TEST_F(ClassRegistry, FindClassNameGivesTheFirstRegistration) {
  EXPECT_EQ(registry.FindClassName(ClassOf<TWidgetLike>()), "image_widget");
  EXPECT_EQ(registry.FindClassName(ClassOf<TOtherLike>()), "other");
  EXPECT_EQ(registry.FindClassName(ClassOf<TNeverRegistered>()), "");
  EXPECT_EQ(registry.FindClass("WIDGET_ALIAS"), ClassOf<TWidgetLike>());
}

TEST_F(ClassRegistry, DuplicateNameIsRefused) {
  try {
    registry.RegisterClassName<TOtherLike>("Image_Widget");
    FAIL() << "no error";
  } catch (const EElHashListError& e) {
    EXPECT_STREQ(e.what(), "Duplicate entry.");
  }
  EXPECT_EQ(registry.Count(), 4);
  EXPECT_EQ(registry.FindClass("image_widget"), ClassOf<TWidgetLike>());
}

TEST_F(ClassRegistry, ErrorsOfSetParamPropagate) {
  EXPECT_THROW(registry.CreateRegisteredObject("raising{a=1}"), Exception);
  EXPECT_TRUE(registry.CreateRegisteredObject("raising"));  // no pairs, no call
}

TEST(ProgramRegistry, FoundationRegistrationRunsOnce) {
  int before = ClassesRegistry().Count();
  RegisterFoundationClasses();
  int after = ClassesRegistry().Count();
  RegisterFoundationClasses();
  EXPECT_EQ(ClassesRegistry().Count(), after);
  EXPECT_GE(after, before);
}

}  // namespace
