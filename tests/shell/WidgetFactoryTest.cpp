// Widget factories and widget paths.

#include "foundation/XMLStorage.h"
#include "shell/WidgetFactories.h"
#include "tests/support/WidgetFixture.h"

namespace {

class WidgetFactory : public WidgetFixture {
 protected:
  Ref<IWidget> ShowWithFactories() {
    return Show(R"(<widget type="group_widget" name="root" visible="yes">
      <widgetfactories>
        <widgetfactory name="label" type="WidgetFactory">
          <widgetstring><widget type="test_box" name="%name%" caption="%caption%" width="3"
                                visible="yes"/></widgetstring>
        </widgetfactory>
        <widgetfactory name="LABEL" type="WidgetFactory">
          <widgetstring><widget type="test_box" name="second"/></widgetstring>
        </widgetfactory>
        <widgetfactory name="titled" type="WidgetFactory" usemacros="no"
                       redefinedparams="caption=title\width=size">
          <widgetstring><widget type="test_box" name="t"/></widgetstring>
        </widgetfactory>
        <widgetfactory name="broken" type="WidgetFactory">
          <widgetstring>not xml at all</widgetstring>
        </widgetfactory>
      </widgetfactories>
      <widgets><widget type="group_widget" name="inner" visible="yes"/></widgets>
    </widget>)");
  }
  static Ref<IParamCollection> Params(
      std::initializer_list<std::pair<const char*, const char*>> values) {
    Ref<IParamCollection> params(TAbstractObject::Create<TParamCollection>().get());
    for (auto& [name, value] : values) params->SetValue(name, Variant(value));
    return params;
  }
  Ref<IWidget> Create(const Ref<IWidget>& from, const char* factory,
                      const Ref<IParamCollection>& params) {
    return dynamic_cast<IWidgetOwner*>(from.get())->CreateWidgetFromFactory(factory, params);
  }
};

TEST_F(WidgetFactory, SplitWidgetPathAtTheFirstSlash) {
  struct Case {
    const char* path;
    const char* head;
    const char* rest;
  } cases[] = {
      {"a/b/c", "a", "b/c"},
      {"/a", "/", "a"},
      {"a", "a", ""},
      {"", "", ""},
      {"a/", "a", ""},
      {"../x", "..", "x"},
      {"window:/m/p", "window:", "m/p"},
  };
  for (const Case& c : cases) {
    std::string_view head, rest;
    SplitWidgetPath(c.path, head, rest);
    EXPECT_EQ(head, c.head) << c.path;
    EXPECT_EQ(rest, c.rest) << c.path;
  }
}

TEST_F(WidgetFactory, MacrosAreReplacedByParameterValues) {
  Ref<IWidget> root = ShowWithFactories();
  Ref<IWidget> w = Create(root, "label", Params({{"name", "start"}, {"caption", "Start"}}));
  ASSERT_TRUE(w);
  EXPECT_EQ(w->GetName(), "start");
  EXPECT_EQ(w->GetProperty("caption").ToString(), "Start");

  // A macro without its parameter stays as written; asked without parameters, the factory
  // builds from the text it parsed last.
  Ref<IWidget> partial = Create(root, "label", Params({{"name", "p"}}));
  EXPECT_EQ(partial->GetProperty("caption").ToString(), "%caption%");
  Ref<IWidget> again = Create(root, "label", nullptr);
  EXPECT_EQ(again->GetName(), "p");
}

TEST_F(WidgetFactory, CaptionsWithMarkupCharactersMakeWidgets) {
  Ref<IWidget> root = ShowWithFactories();
  const char* captions[] = {R"(Say "hi")", "<b>", "Fish & Chips", "it's", R"(a"b<c>d&e'f)"};
  for (const char* caption : captions) {
    Ref<IWidget> w = Create(root, "label", Params({{"name", "x"}, {"caption", caption}}));
    ASSERT_TRUE(w) << caption;
    EXPECT_EQ(w->GetProperty("caption").ToString(), caption);
  }
  // The expansion itself hands back the values as they are.
  Ref<IWidgetFactory> factory =
      dynamic_cast<TGroupWidget*>(root.get())->GetFactories()->GetItem(Variant("label"));
  EXPECT_NE(factory->ExpandMacros(Params({{"caption", "a&b"}})).find(R"(caption="a&b")"),
            std::string::npos);
}

TEST_F(WidgetFactory, TextsWithoutMacrosMakeAFreshWidgetEachTime) {
  Ref<IWidget> root = ShowWithFactories();
  Ref<IWidgetFactory> factory =
      dynamic_cast<TGroupWidget*>(root.get())->GetFactories()->GetItem(Variant("label"));
  factory->SetWidgetString(R"(<widget type="test_box" name="plain" caption="c"/>)");
  Ref<IWidget> first = Create(root, "label", Params({{"id", "1"}}));
  Ref<IWidget> second = Create(root, "label", Params({{"id", "2"}}));
  ASSERT_TRUE(first && second);
  EXPECT_NE(first.get(), second.get());
  first->SetName("renamed");
  first->SetProperty("caption", Variant("changed"));
  EXPECT_EQ(second->GetName(), "plain");
  EXPECT_EQ(second->GetProperty("caption").ToString(), "c");
  Ref<IWidget> third = Create(root, "label", Params({{"id", "3"}}));
  ASSERT_TRUE(third);
  EXPECT_EQ(third->GetName(), "plain");
  EXPECT_EQ(third->GetProperty("caption").ToString(), "c");

  // A new text is read, with or without macros.
  factory->SetWidgetString(R"(<widget type="test_box" name="other"/>)");
  EXPECT_EQ(Create(root, "label", Params({{"id", "4"}}))->GetName(), "other");
  factory->SetWidgetString(R"(<widget type="test_box" name="n%id%"/>)");
  EXPECT_EQ(Create(root, "label", Params({{"id", "5"}}))->GetName(), "n5");
  EXPECT_EQ(Create(root, "label", Params({{"id", "6"}}))->GetName(), "n6");
  factory->SetWidgetString("not xml at all");
  EXPECT_FALSE(Create(root, "label", Params({{"id", "7"}})));
  EXPECT_FALSE(Create(root, "label", Params({{"id", "8"}})));
  factory->SetWidgetString(R"(<widget type="test_box" name="back"/>)");
  EXPECT_EQ(Create(root, "label", Params({{"id", "9"}}))->GetName(), "back");
}

TEST_F(WidgetFactory, ParametersCopiedWhenMacrosAreOff) {
  Ref<IWidget> root = ShowWithFactories();
  Ref<IWidget> w = Create(root, "titled", Params({{"title", "Hello %caption%"}, {"size", "7"}}));
  ASSERT_TRUE(w);
  EXPECT_EQ(w->GetProperty("caption").ToString(), "Hello %caption%");
  EXPECT_EQ(w->GetWidth(), 7);
}

TEST_F(WidgetFactory, RequestsClimbTheOwnerChain) {
  Ref<IWidget> root = ShowWithFactories();
  Ref<IWidget> inner = root->FindWidget("inner");
  EXPECT_TRUE(Create(inner, "label", Params({{"name", "n"}})));
  EXPECT_FALSE(Create(inner, "unknown", nullptr));
  EXPECT_FALSE(Create(root, "broken", Params({{"name", "n"}})));
  EXPECT_FALSE(Create(root, "broken", nullptr));
  // Of two factories of one name (in any case) the first is kept.
  EXPECT_EQ(dynamic_cast<TGroupWidget*>(root.get())->GetFactories()->Count(), 3);
}

TEST_F(WidgetFactory, FactoryMadeWidgetsAreNotSaved) {
  Ref<IWidget> root = ShowWithFactories();
  Ref<IWidget> inner = root->FindWidget("inner");
  ASSERT_TRUE(inner->GetChildren()->Add(Create(root, "label", Params({{"name", "made"}}))));
  ASSERT_TRUE(inner->GetChildren()->Add(Load(R"(<widget type="test_box" name="kept"/>)")));
  Ref<IHierStorageRoot> out = CreateXmlStorage("widget");
  SaveObject(inner, Ref<IHierStorage>(out.get()));
  std::string xml = out->GetXmlText();
  EXPECT_NE(xml.find(R"(name="kept")"), std::string::npos) << xml;
  EXPECT_EQ(xml.find(R"(name="made")"), std::string::npos) << xml;
}

TEST_F(WidgetFactory, FactoriesSaveAndLoadBack) {
  Ref<IWidget> root = ShowWithFactories();
  Ref<IWidgetFactoryCollection> factories = dynamic_cast<TGroupWidget*>(root.get())->GetFactories();
  Ref<IHierStorageRoot> out = CreateXmlStorage("widgetfactories");
  SaveObject(factories, Ref<IHierStorage>(out.get()));
  auto copy = TAbstractObject::Create<TWidgetFactoryCollection>();
  LoadObject(copy, LoadXmlStorageFromText(out->GetXmlText()));
  ASSERT_EQ(copy->Count(), 3);
  Ref<IWidgetFactory> titled = copy->GetItem(Variant("titled"));
  auto* f = dynamic_cast<TWidgetFactory*>(titled.get());
  ASSERT_TRUE(f);
  EXPECT_FALSE(f->GetUseMacros());
  EXPECT_EQ(f->GetRedefinedParams(), R"(caption=title\width=size)");
  EXPECT_EQ(f->GetWidgetString(),
            dynamic_cast<TWidgetFactory*>(factories->GetItem(Variant("titled")).get())
                ->GetWidgetString());
}

}  // namespace
