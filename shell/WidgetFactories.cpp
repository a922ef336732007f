#include "shell/WidgetFactories.h"

#include "foundation/Exceptions.h"
#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"

// ---------------------------------------------------------------------------------------
// Paths

void SplitWidgetPath(std::string_view path, std::string_view& head, std::string_view& rest) {
  head = rest = {};
  if (path.empty()) return;
  if (path.front() == '/') {
    head = path.substr(0, 1);
    rest = path.substr(1);
    return;
  }
  size_t at = path.find('/');
  if (at == std::string_view::npos) {
    head = path;
    return;
  }
  head = path.substr(0, at);
  rest = path.substr(at + 1);
}

TPoint LocalToScreen(IWidget* widget, const TPoint& point) {
  if (!widget) return TPoint{};
  TPoint origin = widget->ScreenToLocalPoint(TPoint{});
  return TPoint{platform::Saturate32(int64_t(point.X) - origin.X),
                platform::Saturate32(int64_t(point.Y) - origin.Y)};
}

// ---------------------------------------------------------------------------------------
// TWidgetFactory

void TWidgetFactory::Init() {
  TPersistObject::Init();
  elementName_ = "widgetfactory";
  useMacros_ = true;
}

void TWidgetFactory::SetWidgetString(const std::string& text) {
  template_ = text;
  hasMacros_ = template_.find('%') != std::string::npos;
  parsed_ = nullptr;
  parsedMadeWidget_ = false;
}

std::string TWidgetFactory::Expand(const Ref<IParamCollection>& params, bool escape) {
  std::string text = template_;
  if (!params) return text;
  for (int i = 0; i < params->Count(); ++i) {
    Ref<IParam> param = params->FindParam(Variant(i));
    if (!param) continue;
    std::string macro(1, '%');
    macro.append(param->GetName()).append(1, '%');
    std::string value = param->GetValue().ToString();
    if (escape) value = EscapeXml(value);
    // Replaced left to right; a value is never searched again, so a value holding its own
    // macro cannot grow the text without end.
    for (size_t at = text.find(macro); at != std::string::npos; at = text.find(macro, at)) {
      text.replace(at, macro.size(), value);
      at += value.size();
    }
  }
  return text;
}

std::string TWidgetFactory::ExpandMacros(const Ref<IParamCollection>& params) {
  return Expand(params, false);
}

Ref<IWidget> TWidgetFactory::CreateWidget(const Ref<IParamCollection>& params) {
  try {
    // A text without "%" expands to itself: once it has made a widget its parse serves
    // again (a text that failed is read anew, so each failure is reported).
    bool reuse = !hasMacros_ && parsed_ && parsedMadeWidget_;
    if (useMacros_ && params && !reuse) {
      parsed_ = nullptr;
      // The values go into attribute texts: quotes, "<" and "&" in them must not end the
      // attribute or the element.
      parsed_ = LoadXmlStorageFromText(Expand(params, true), dataFile_);
    } else if (!parsed_) {
      parsed_ = LoadXmlStorageFromText(template_, dataFile_);
    }
  } catch (const std::exception& error) {
    Warn(dataFile_, "widget factory \"" + name_ + "\": its widget string does not parse (" +
                        error.what() + "); no widget is made");
    parsed_ = nullptr;
  }
  parsedMadeWidget_ = false;
  if (!parsed_) return nullptr;
  Ref<IWidget> widget;
  try {
    widget = Supports<IWidget>(CreateNamedObjectOf(parsed_));
    if (!widget) return nullptr;
    LoadObject(widget, parsed_);
    parsedMadeWidget_ = true;
  } catch (const std::exception& error) {
    Warn(dataFile_, "widget factory \"" + name_ + "\": its widget does not load (" + error.what() +
                        "); no widget is made");
    return nullptr;
  }
  if (!useMacros_ && !redefinedParams_.empty()) {
    for (const TNameValuePair& pair : SplitNameValuePairs(redefinedParams_, '\\', '=')) {
      if (pair.Name.empty()) continue;
      try {
        Ref<IParam> param = params ? params->FindParam(Variant(pair.Value)) : nullptr;
        widget->SetProperty(pair.Name, param ? param->GetValue() : Variant::Null());
      } catch (const std::exception&) {
      }
    }
  }
  if (Ref<IPersistObjectEx> persist = Supports<IPersistObjectEx>(widget)) persist->SetStored(false);
  return widget;
}

const TPropertyTable& TWidgetFactory::Properties() {
  using F = TWidgetFactory;
  static const TPropertyTable table(TPersistObject::Properties(),
                                    {
                                        Attr("usemacros", &F::useMacros_).Bool(true),
                                        Attr("redefinedparams", &F::redefinedParams_).Str(),
                                    });
  return table;
}

void TWidgetFactory::LoadFromXml(const Ref<IHierStorage>& node) {
  TPersistObject::LoadFromXml(node);
  dataFile_ = StorageDataFile(node);
  std::string text;
  if (node && node->GetChildCount("widgetstring") > 0)
    text = node->GetChildContent("widgetstring").ToString();
  SetWidgetString(text);
}

void TWidgetFactory::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistObject::SaveToXml(node);
  if (node) node->SetChildContent("widgetstring", Variant(template_));
}

// ---------------------------------------------------------------------------------------
// TWidgetFactoryCollection

void TWidgetFactoryCollection::Init() {
  TTypedCreationPersistItemCollection::Init();
  elementName_ = "widgetfactories";
  itemElementName_ = "widgetfactory";
}

Ref<IWidgetFactory> TWidgetFactoryCollection::GetItem(const Variant& address) {
  return items_->GetAs<IWidgetFactory>(address);
}

void TWidgetFactoryCollection::AddItem(const Ref<IWidgetFactory>& factory) {
  if (factory) items_->Add(factory, factory->GetName());
}

void TWidgetFactoryCollection::ItemLoaded(const Ref<IInterface>& item) {
  AddItem(Supports<IWidgetFactory>(item));
}
