// The records of a scene: actions, locations, approaches, object definitions, and their
// lists.
#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/CheckedMath.h"
#include "foundation/MultiLanguages.h"
#include "gameplay/Tv2DataFiles.h"
#include "gameplay/Tv2SceneDefs.h"

namespace {

// Integers handed to widget templates as decimal text.
void SetIntParam(const Ref<IParamCollection>& params, const std::string& name, int32_t value) {
  params->SetValue(name, Variant(std::to_string(value)));
}

bool IsBaseConditionType(uint8_t type) {
  return type < 4;
}

}  // namespace

double RoundToHundredths(double value) {
  // Beyond 2^53 / 100 a double has no hundredths to round.
  if (!std::isfinite(value) || std::fabs(value) >= 9.0e13) return value;
  return double(RoundHalfEven64(value * 100)) / 100;
}

// ---------------------------------------------------------------------------------------
// Actions

void TSceneObjectAction::Init() {
  TPersistObject::Init();
  elementName_ = "action";
}

const TPropertyTable& TSceneObjectAction::Properties() {
  using A = TSceneObjectAction;
  static const TPropertyTable table(
      TPersistObject::Properties(),
      {
          Attr("condition_type", &A::conditionType_).Int(),
          Attr("condition_string", &A::conditionString_).Str(),
          Attr("action_type", &A::actionType_).Int(2),
          Attr("action_string", &A::actionString_).Str().Always(),
          Attr("startdelaytime", &A::startDelayTime_).Int().SavedWhen([](A& a) {
            return a.startDelayTime_ > 0;
          }),
      });
  return table;
}

void TSceneObjectAction::LoadFromXml(const Ref<IHierStorage>& node) {
  Properties().Load(*this, node);
}

void TSceneObjectAction::SaveToXml(const Ref<IHierStorage>& node) {
  if (conditionString_.empty()) {
    if (conditionType_ >= 4 && conditionType_ <= 11) conditionType_ = conditionType_ % 4;
  } else if (IsBaseConditionType(conditionType_)) {
    conditionString_.clear();
  }
  Properties().Save(*this, node);
}

// ---------------------------------------------------------------------------------------
// Locations

void TSceneObjectLocation::Init() {
  TPersistObject::Init();
  elementName_ = "location";
  actions_ = Ref<ISceneObjectActionCollection>(
      TAbstractObject::Create<TSceneObjectActionCollection>().get());
}

void TSceneObjectLocation::SetZoomX(double value) {
  zoomX_ = RoundToHundredths(value);
}

void TSceneObjectLocation::SetZoomY(double value) {
  zoomY_ = RoundToHundredths(value);
}

void TSceneObjectLocation::SetAngle(double value) {
  angle_ = RoundToHundredths(value);
}

void TSceneObjectLocation::FillWidgetParams(const Ref<IParamCollection>& params) {
  if (!params) return;
  SetIntParam(params, "anchor_left", anchorLeft_);
  SetIntParam(params, "anchor_top", anchorTop_);
  SetIntParam(params, "z", z_);
  SetIntParam(params, "transparentlevel", transparentLevel_);
  params->SetValue("zoomx", Variant(zoomX_));
  params->SetValue("zoomy", Variant(zoomY_));
  params->SetValue("angle", Variant(angle_));
  params->SetValue("cursor", Variant(cursor_));
}

const TPropertyTable& TSceneObjectLocation::Properties() {
  using L = TSceneObjectLocation;
  static const TPropertyTable table(
      TPersistObject::Properties(),
      {
          Attr<L>("name", &L::name_).Str().Always(),
          Attr("approach_name", &L::approachName_).Str(),
          Attr("anchor_left", &L::anchorLeft_).Int().Always(),
          Attr("anchor_top", &L::anchorTop_).Int().Always(),
          Attr("z", &L::z_).Int(),
          Custom<L>("transparentlevel", &L::LoadTransparency, &L::SaveTransparency),
          Custom<L>("zoom", &L::LoadZoom, &L::SaveZoom),
          Attr("angle", &L::angle_).Float(),
          Attr("cursor", &L::cursor_).Str("default"),
          Attr("difficulty", &L::difficulty_).Int(1),
      });
  return table;
}

void TSceneObjectLocation::LoadTransparency(const Ref<IHierStorage>& node) {
  transparentLevel_ = ReadXmlInt(node, "transparentlevel", 255);
}

void TSceneObjectLocation::SaveTransparency(const Ref<IHierStorage>& node) {
  if (transparentLevel_ <= 5)
    WriteXmlInt(node, "transparentlevel", 2, true);
  else
    WriteXmlInt(node, "transparentlevel", transparentLevel_, transparentLevel_ != 255);
}

void TSceneObjectLocation::LoadZoom(const Ref<IHierStorage>& node) {
  double zoom = ReadXmlFloat(node, "zoom", 1);
  zoomX_ = ReadXmlFloat(node, "zoomx", zoom);
  zoomY_ = ReadXmlFloat(node, "zoomy", zoom);
}

void TSceneObjectLocation::SaveZoom(const Ref<IHierStorage>& node) {
  if (zoomX_ == zoomY_) {
    WriteXmlFloat(node, "zoom", zoomX_, zoomX_ != 1);
  } else {
    WriteXmlFloat(node, "zoomx", zoomX_, true);
    WriteXmlFloat(node, "zoomy", zoomY_, true);
  }
}

void TSceneObjectLocation::LoadFromXml(const Ref<IHierStorage>& node) {
  Properties().Load(*this, node);
  LoadObjectFromChild(Ref<IInterface>(actions_.get()), node, "actions");
}

void TSceneObjectLocation::SaveToXml(const Ref<IHierStorage>& node) {
  // Written as kept: in hundredths.
  zoomX_ = RoundToHundredths(zoomX_);
  zoomY_ = RoundToHundredths(zoomY_);
  angle_ = RoundToHundredths(angle_);
  Properties().Save(*this, node);
  SaveChildList(node, Ref<IInterface>(actions_.get()), "actions", "action");
}

// ---------------------------------------------------------------------------------------
// Approaches

void TSceneApproach::Init() {
  TPersistObject::Init();
  elementName_ = "scene_approach";
}

void TSceneApproach::FillWidgetParams(const Ref<IParamCollection>& params) {
  if (!params) return;
  params->SetValue("name", Variant(name_));
  SetIntParam(params, "anchor_left", anchorLeft_);
  SetIntParam(params, "anchor_top", anchorTop_);
  params->SetValue("resourcename", Variant(resourceName_));
  SetIntParam(params, "resourceleft", resourceLeft_);
  SetIntParam(params, "resourcetop", resourceTop_);
  SetIntParam(params, "width", width_);
  SetIntParam(params, "height", height_);
  params->SetValue("aliases", Variant(aliases_));
  params->SetValue("extraparams", Variant(extraParams_));
}

// In the order they are written.
const TPropertyTable& TSceneApproach::Properties() {
  using A = TSceneApproach;
  static const TPropertyTable table(
      TPersistObject::Properties(),
      {
          Attr<A>("name", &A::name_).Str().Always(),
          Attr("anchor_left", &A::anchorLeft_).Int(),
          Attr("anchor_top", &A::anchorTop_).Int(),
          Attr("approach_show_factories", &A::showFactories_).Str(),
          Attr("aliases", &A::aliases_).Str(),
          Attr("extraparams", &A::extraParams_).Str(),
          Attr("resourcename", &A::resourceName_).Str().Always(),
          Attr("resourceleft", &A::resourceLeft_).Int().SavedWhen([](A& a) {
            return a.resourceLeft_ > 0;
          }),
          Attr("resourcetop", &A::resourceTop_).Int().SavedWhen([](A& a) {
            return a.resourceTop_ > 0;
          }),
          Attr("width", &A::width_).Int().Always(),
          Attr("height", &A::height_).Int().Always(),
      });
  return table;
}

void TSceneApproach::LoadFromXml(const Ref<IHierStorage>& node) {
  Properties().Load(*this, node);
}

void TSceneApproach::SaveToXml(const Ref<IHierStorage>& node) {
  Properties().Save(*this, node);
}

// ---------------------------------------------------------------------------------------
// Object definitions

void TSceneObjectDef::Init() {
  TPersistObject::Init();
  elementName_ = "object_def";
  objectType_ = otInactiveProp;
  locations_ = Ref<ISceneObjectLocationCollection>(
      TAbstractObject::Create<TSceneObjectLocationCollection>().get());
  actions_ = Ref<ISceneObjectActionCollection>(
      TAbstractObject::Create<TSceneObjectActionCollection>().get());
  mouseActions_ = Ref<ISceneObjectActionCollection>(
      TAbstractObject::Create<TSceneObjectActionCollection>().get());
}

void TSceneObjectDef::SetObjectType(uint8_t value) {
  if (value == objectType_) return;
  // The flag is stored relative to its default, which is yes for type 0 only.
  if (value == otHiddenObject || objectType_ == otHiddenObject)
    hideOnActivation_ = !hideOnActivation_;
  objectType_ = value;
}

std::string TSceneObjectDef::GetCaption() {
  return TranslateText(caption_);
}

void TSceneObjectDef::SetResourceLeft(int32_t value) {
  SetWidth(SaturateInt32(int64_t(width_) + resourceLeft_ - value));
  resourceLeft_ = value;
}

void TSceneObjectDef::SetResourceTop(int32_t value) {
  SetHeight(SaturateInt32(int64_t(height_) + resourceTop_ - value));
  resourceTop_ = value;
}

void TSceneObjectDef::SetWidth(int32_t value) {
  width_ = value;
  SetCenterX(DivSafe(width_, 2));
}

void TSceneObjectDef::SetHeight(int32_t value) {
  height_ = value;
  SetCenterY(DivSafe(height_, 2));
}

// The object stays where it is on the screen: every place moves by the change of the
// centre, scaled by the place's zoom.
void TSceneObjectDef::SetCenterX(double value) {
  for (int i = 0; i < locations_->Count(); ++i) {
    Ref<ISceneObjectLocation> location = locations_->GetItem(Variant(i));
    if (!location) continue;
    int64_t moved = int64_t(location->GetAnchorLeft()) +
                    RoundHalfEven64(location->GetZoomX() * (value - centerX_));
    location->SetAnchorLeft(SaturateInt32(moved));
  }
  centerX_ = RoundToHundredths(value);
}

void TSceneObjectDef::SetCenterY(double value) {
  for (int i = 0; i < locations_->Count(); ++i) {
    Ref<ISceneObjectLocation> location = locations_->GetItem(Variant(i));
    if (!location) continue;
    int64_t moved = int64_t(location->GetAnchorTop()) +
                    RoundHalfEven64(location->GetZoomY() * (value - centerY_));
    location->SetAnchorTop(SaturateInt32(moved));
  }
  centerY_ = RoundToHundredths(value);
}

void TSceneObjectDef::FillWidgetParams(const std::string& locationName,
                                       const Ref<IParamCollection>& params) {
  if (!params) return;
  params->SetValue("name", Variant(name_));
  params->SetValue("resourcename", Variant(resourceName_));
  SetIntParam(params, "resourceleft", resourceLeft_);
  SetIntParam(params, "resourcetop", resourceTop_);
  // A size below 0 is said against the scene when it is read; the widget gets no size
  // rather than one its template cannot take.
  SetIntParam(params, "width", std::max(width_, 0));
  SetIntParam(params, "height", std::max(height_, 0));
  params->SetValue("centerx", Variant(width_ < 0 ? 0.0 : centerX_));
  params->SetValue("centery", Variant(height_ < 0 ? 0.0 : centerY_));
  Ref<ISceneObjectLocation> location = locations_->GetItem(Variant(locationName));
  if (!location) return;
  params->SetValue("name", Variant(name_ + "_" + location->GetName()));
  location->FillWidgetParams(params);
}

// Read in this order: the defaults of the flag and the centre follow the type and the
// size just read.
const TPropertyTable& TSceneObjectDef::Properties() {
  using D = TSceneObjectDef;
  static const TPropertyTable table(
      TPersistObject::Properties(),
      {
          Attr<D>("name", &D::name_).Str().Always(),
          Attr("objecttype", &D::objectType_).Int(otInactiveProp),
          Attr("caption", &D::caption_).Str().SavedWhen([](D& d) {
            return !d.caption_.empty() && d.caption_ != "%unknown_item%" &&
                   d.objectType_ != otInactiveProp;
          }),
          Attr("category", &D::category_).Str(),
          Attr("first_generation", &D::firstGeneration_).Bool(),
          Attr("locations_all_enabled", &D::locationsAllEnabled_).Bool(),
          Custom<D>("hide_on_activation", &D::LoadHideOnActivation, &D::SaveHideOnActivation),
          Attr("disabled_on_start", &D::disabledOnStart_).Bool(),
          Attr("resourcename", &D::resourceName_).Str().Always(),
          Attr("resourceleft", &D::resourceLeft_).Int().SavedWhen([](D& d) {
            return d.resourceLeft_ > 0;
          }),
          Attr("resourcetop", &D::resourceTop_).Int().SavedWhen([](D& d) {
            return d.resourceTop_ > 0;
          }),
          Attr("width", &D::width_).Int().Always(),
          Attr("height", &D::height_).Int().Always(),
          // A centre is written when its whole part is not the half size.
          Attr("centerx", &D::centerX_)
              .Float([](D& d) { return d.width_ / 2.0; })
              .SavedWhen([](D& d) { return TruncSat(d.centerX_) != DivSafe(d.width_, 2); }),
          Attr("centery", &D::centerY_)
              .Float([](D& d) { return d.height_ / 2.0; })
              .SavedWhen([](D& d) { return TruncSat(d.centerY_) != DivSafe(d.height_, 2); }),
      });
  return table;
}

void TSceneObjectDef::LoadHideOnActivation(const Ref<IHierStorage>& node) {
  hideOnActivation_ = ReadXmlBool(node, "hide_on_activation", objectType_ == otHiddenObject);
}

void TSceneObjectDef::SaveHideOnActivation(const Ref<IHierStorage>& node) {
  const bool byDefault = objectType_ == otHiddenObject;
  const bool written = objectType_ == otInactiveProp ? false : hideOnActivation_;
  WriteXmlBool(node, "hide_on_activation", written, hideOnActivation_ != byDefault);
}

void TSceneObjectDef::LoadFromXml(const Ref<IHierStorage>& node) {
  Properties().Load(*this, node);
  LoadObjectFromChild(Ref<IInterface>(actions_.get()), node, "actions");
  LoadObjectFromChild(Ref<IInterface>(mouseActions_.get()), node, "mouse_actions");
  LoadObjectFromChild(Ref<IInterface>(locations_.get()), node, "locations");
}

void TSceneObjectDef::SaveToXml(const Ref<IHierStorage>& node) {
  centerX_ = RoundToHundredths(centerX_);
  centerY_ = RoundToHundredths(centerY_);
  Properties().Save(*this, node);
  SaveChildList(node, Ref<IInterface>(actions_.get()), "actions", "action");
  SaveChildList(node, Ref<IInterface>(mouseActions_.get()), "mouse_actions", "action");
  SaveChildList(node, Ref<IInterface>(locations_.get()), "locations");
}

// ---------------------------------------------------------------------------------------
// Lists

// Actions

void TSceneObjectActionCollection::Init() {
  TNamedRecordCollection::Init();
  elementName_ = "actions";
  itemElementName_ = "action";
}

Ref<TPersistObject> TSceneObjectActionCollection::NewRecord() {
  return Ref<TPersistObject>(TAbstractObject::Create<TSceneObjectAction>().get());
}

void TSceneObjectActionCollection::ItemLoaded(const Ref<IInterface>& item) {
  Ref<INamedObject> named = Supports<INamedObject>(item);
  if (!named) return;
  named->SetName("loaded" + std::to_string(Count() + 1));
  TNamedRecordCollection::ItemLoaded(item);
}

bool TSceneObjectActionCollection::SaveItem(const Ref<IInterface>& item,
                                            const Ref<IHierStorage>& child) {
  Ref<ISceneObjectAction> action = Supports<ISceneObjectAction>(item);
  if (!action || action->GetActionString().empty()) return false;
  return TNamedRecordCollection::SaveItem(item, child);
}

Ref<ISceneObjectAction> TSceneObjectActionCollection::GetItem(const Variant& address) {
  return items_->GetAs<ISceneObjectAction>(address);
}

void TSceneObjectActionCollection::Add(const Ref<ISceneObjectAction>& item) {
  if (item) AddNamed(Ref<IInterface>(item.get()), item->GetName());
}

Ref<ISceneObjectAction> TSceneObjectActionCollection::AddAction() {
  Ref<TSceneObjectAction> action = TAbstractObject::Create<TSceneObjectAction>();
  // A name no action bears, counting on from the list's size.
  int number = Count() + 1;
  while (Contains("action" + std::to_string(number))) ++number;
  action->SetName("action" + std::to_string(number));
  Add(Ref<ISceneObjectAction>(action.get()));
  return Ref<ISceneObjectAction>(action.get());
}

// Locations

namespace {

std::string LocationName(int number) {
  return "l" + std::to_string(number);
}

}  // namespace

void TSceneObjectLocationCollection::Init() {
  TNamedRecordCollection::Init();
  elementName_ = "locations";
  itemElementName_ = "location";
}

Ref<TPersistObject> TSceneObjectLocationCollection::NewRecord() {
  return Ref<TPersistObject>(TAbstractObject::Create<TSceneObjectLocation>().get());
}

Ref<ISceneObjectLocation> TSceneObjectLocationCollection::GetItem(const Variant& address) {
  return items_->GetAs<ISceneObjectLocation>(address);
}

void TSceneObjectLocationCollection::Add(const Ref<ISceneObjectLocation>& item) {
  if (item) AddNamed(Ref<IInterface>(item.get()), item->GetName());
}

void TSceneObjectLocationCollection::Delete(const Variant& address) {
  TNamedRecordCollection::Delete(address);
  // Every place is renamed after its new position. All of them leave the list before
  // any comes back, so a new name never meets an old one that is still there.
  std::vector<Ref<ISceneObjectLocation>> locations;
  for (int i = 0; i < Count(); ++i) locations.push_back(GetItem(Variant(i)));
  items_->Clear();
  for (size_t i = 0; i < locations.size(); ++i) {
    Ref<ISceneObjectLocation>& location = locations[i];
    if (!location) continue;
    if (location->GetName() != "spec") location->SetName(LocationName(int(i) + 1));
    items_->Add(Ref<IInterface>(location.get()), location->GetName());
  }
}

Ref<ISceneObjectLocation> TSceneObjectLocationCollection::AddLocation(
    const std::string& approachName, int32_t left, int32_t top, int32_t z, int32_t transparency,
    double zoomX, double zoomY, double angle) {
  Ref<TSceneObjectLocation> location = TAbstractObject::Create<TSceneObjectLocation>();
  // The number after the list's size, or the first free one above it when places were
  // named out of order.
  int number = Count() + 1;
  while (Contains(LocationName(number))) ++number;
  location->SetName(LocationName(number));
  location->SetApproachName(approachName);
  location->SetAnchorLeft(left);
  location->SetAnchorTop(top);
  location->SetZ(z);
  location->SetTransparentLevel(transparency);
  location->SetZoomX(zoomX);
  location->SetZoomY(zoomY);
  location->SetAngle(angle);
  location->SetDifficulty(1);
  Ref<ISceneObjectLocation> result(location.get());
  Add(result);
  return result;
}

// Approaches

void TSceneApproachCollection::Init() {
  TNamedRecordCollection::Init();
  elementName_ = "scene_approaches";
  itemElementName_ = "scene_approach";
}

Ref<TPersistObject> TSceneApproachCollection::NewRecord() {
  return Ref<TPersistObject>(TAbstractObject::Create<TSceneApproach>().get());
}

Ref<ISceneApproach> TSceneApproachCollection::GetItem(const Variant& address) {
  return items_->GetAs<ISceneApproach>(address);
}

void TSceneApproachCollection::Add(const Ref<ISceneApproach>& item) {
  if (item) AddNamed(Ref<IInterface>(item.get()), item->GetName());
}

// Object definitions

void TSceneObjectDefCollection::Init() {
  TNamedRecordCollection::Init();
  elementName_ = "object_defs";
  itemElementName_ = "object_def";
}

Ref<TPersistObject> TSceneObjectDefCollection::NewRecord() {
  return Ref<TPersistObject>(TAbstractObject::Create<TSceneObjectDef>().get());
}

Ref<ISceneObjectDef> TSceneObjectDefCollection::GetItem(const Variant& address) {
  return items_->GetAs<ISceneObjectDef>(address);
}

void TSceneObjectDefCollection::Add(const Ref<ISceneObjectDef>& item) {
  if (item) AddNamed(Ref<IInterface>(item.get()), item->GetName());
}

Ref<ISceneObjectDef> TSceneObjectDefCollection::AddObjectDef(const std::string& name,
                                                             const std::string& resourceName,
                                                             int32_t left, int32_t top,
                                                             int32_t width, int32_t height) {
  std::string unique = name;
  for (int number = 1; Contains(unique); ++number) unique = name + std::to_string(number);
  Ref<TSceneObjectDef> object = TAbstractObject::Create<TSceneObjectDef>();
  object->SetName(unique);
  object->SetResourceName(resourceName);
  object->SetResourceLeft(left);
  object->SetResourceTop(top);
  object->SetWidth(width);
  object->SetHeight(height);
  Ref<ISceneObjectDef> result(object.get());
  Add(result);
  return result;
}
