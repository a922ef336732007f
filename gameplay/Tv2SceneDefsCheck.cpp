// What a scene's author gets wrong that its readers would otherwise pass over in silence:
// objects that are never seen or never found, object and action types that mean nothing,
// actions naming a factory or an approach the scene does not have, pictures that no
// resource gives. Said once, naming the scene's file; the scene is used as it is.

#include <string>

#include "foundation/Warnings.h"
#include "gameplay/Tv2SceneDefs.h"

namespace {

constexpr uint8_t kLastObjectType = 7;
constexpr uint8_t kLastActionType = 12;

// Objects the player must find: a level waits for them.
bool IsFound(uint8_t type) {
  return type == otHiddenObject || type == otIdentical || type == otHiddenPart ||
         type == otDisposable || type == otVoodooDoll;
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

void WarnAboutSize(const std::string& file, const std::string& element, uint8_t type,
                   const char* dimension, int32_t value) {
  const bool found = IsFound(type);
  if (value > 0 || (value == 0 && !found)) return;
  std::string what = element + ": " + dimension + " " + std::to_string(value);
  what += value < 0 ? " is below 0: it is never seen" : ": it is never seen";
  if (found) what += " and never found, so its level cannot be won";
  Warn(file, what);
}

}  // namespace

void TSceneDef::WarnAboutActions(const Ref<ISceneObjectActionCollection>& actions,
                                 const std::string& owner, const char* kind) const {
  for (int i = 0; actions && i < actions->Count(); ++i) {
    Ref<ISceneObjectAction> action = actions->GetItem(Variant(i));
    if (!action) continue;
    const uint8_t type = action->GetActionType();
    const std::string argument = action->GetActionString();
    const std::string what = owner + ": " + kind + " " + Quoted(argument) + ": ";
    if (type > kLastActionType)
      Warn(dataFile_, what + "action_type " + std::to_string(type) + " is no action (0 to " +
                          std::to_string(kLastActionType) + "); it does nothing");
    else if (type == 0 && !factories_->GetItem(Variant(argument)))
      Warn(dataFile_, what + "no widgetfactory of that name; it shows nothing");
    else if (type == 1 && !approaches_->GetItem(Variant(argument)))
      Warn(dataFile_, what + "no scene_approach of that name; it opens nothing");
  }
}

void TSceneDef::WarnAboutMistakes() const {
  WarnAboutActions(actions_, "scene_def", "action");
  for (int i = 0; i < objectDefs_->Count(); ++i) {
    Ref<ISceneObjectDef> object = objectDefs_->GetItem(Variant(i));
    if (!object) continue;
    const std::string element = "object_def " + Quoted(object->GetName());
    const uint8_t type = object->GetObjectType();
    if (type > kLastObjectType)
      Warn(dataFile_, element + ": objecttype " + std::to_string(type) +
                          " is no object type (0 to 7); the object is never shown");
    WarnAboutSize(dataFile_, element, type, "width", object->GetWidth());
    WarnAboutSize(dataFile_, element, type, "height", object->GetHeight());
    WarnAboutActions(object->GetActions(), element, "action");
    WarnAboutActions(object->GetMouseActions(), element, "mouse action");
    Ref<ISceneObjectLocationCollection> locations = object->GetLocations();
    for (int k = 0; locations && k < locations->Count(); ++k)
      if (Ref<ISceneObjectLocation> location = locations->GetItem(Variant(k)))
        WarnAboutActions(location->GetActions(),
                         element + " location " + Quoted(location->GetName()), "action");
  }
}

void TSceneDef::WarnAboutMissingPictures() const {
  if (!engine_) return;
  for (int i = 0; i < objectDefs_->Count(); ++i) {
    Ref<ISceneObjectDef> object = objectDefs_->GetItem(Variant(i));
    if (!object) continue;
    const std::string picture = object->GetResourceName();
    if (picture.empty() || resourceDefs_->Find(Variant(picture)) || engine_->GetResource(picture))
      continue;
    Warn(dataFile_, "object_def " + Quoted(object->GetName()) + ": resourcename " +
                        Quoted(picture) + " names no resource; the object is not seen" +
                        (IsFound(object->GetObjectType()) ? ", yet a click there finds it" : ""));
  }
}
