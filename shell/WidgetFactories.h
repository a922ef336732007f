#pragma once
// Widget factories: named widget templates written in XML inside a group's
// "widgetfactories" element. A widget asks its owner chain for a factory by name and gets
// a fresh widget built from the template, the parameters either put into the template as
// "%name%" macros or copied into the new widget's properties:
//
//   <widgetfactories>
//     <widgetfactory name="label" type="WidgetFactory">
//       <widgetstring><widget type="text_widget" caption="%caption%"/></widgetstring>
//     </widgetfactory>
//   </widgetfactories>
//
// Also the two small routines on widget paths.

#include <string>
#include <string_view>

#include "shell/GameInterfaces.h"

class TWidgetFactory : public TPersistObject, public virtual IWidgetFactory {
 public:
  void Init() override;

  std::string GetWidgetString() override { return template_; }
  void SetWidgetString(const std::string& text) override;
  std::string ExpandMacros(const Ref<IParamCollection>& params) override;
  Ref<IWidget> CreateWidget(const Ref<IParamCollection>& params) override;

  bool GetUseMacros() const { return useMacros_; }
  void SetUseMacros(bool value) { useMacros_ = value; }
  const std::string& GetRedefinedParams() const { return redefinedParams_; }
  void SetRedefinedParams(const std::string& text) { redefinedParams_ = text; }

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;

 private:
  // The template with the macros replaced; values escaped for XML when Escape is set.
  std::string Expand(const Ref<IParamCollection>& params, bool escape);

  std::string template_;
  bool useMacros_ = true;
  std::string redefinedParams_;
  bool hasMacros_ = false;  // whether the template holds a "%" at all
  Ref<IHierStorage> parsed_;
  bool parsedMadeWidget_ = false;
  std::string dataFile_;  // where the factory was read from, for warnings
};

// "widgetfactories" of "widgetfactory" elements, keyed by factory name.
class TWidgetFactoryCollection : public TTypedCreationPersistItemCollection,
                                 public virtual IWidgetFactoryCollection {
 public:
  void Init() override;
  Ref<IWidgetFactory> GetItem(const Variant& address) override;
  void AddItem(const Ref<IWidgetFactory>& factory) override;

 protected:
  void ItemLoaded(const Ref<IInterface>& item) override;
};

// Splits at the first "/": "a/b/c" gives "a" and "b/c"; "/a" gives "/" and "a"; "a" gives
// "a" and ''; '' gives '' and ''. The results view Path.
void SplitWidgetPath(std::string_view path, std::string_view& head, std::string_view& rest);

// Point, in the coordinates of Widget's anchors (its owner's space), in screen
// coordinates; (0, 0) without a widget.
TPoint LocalToScreen(IWidget* widget, const TPoint& point);
