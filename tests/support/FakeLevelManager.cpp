#include "tests/support/FakeLevelManager.h"

namespace {

std::string NameOf(const Ref<INamedObject>& object) {
  return object ? object->GetName() : std::string("-");
}

// "widget,object,location" by their names.
std::string Describe(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                     const Ref<ISceneObjectLocation>& location) {
  return NameOf(Ref<INamedObject>(widget.get())) + "," + NameOf(Ref<INamedObject>(object.get())) +
         "," + NameOf(Ref<INamedObject>(location.get()));
}

}  // namespace

void FakeLevelManager::Init(IGameManagersOwner* screen) {
  owner = screen;
  calls.push_back("Init");
}

void FakeLevelManager::Done() {
  calls.push_back("Done");
  owner = nullptr;
}

Ref<IResourceDefCollection> FakeLevelManager::LoadScene() {
  calls.push_back("LoadScene");
  return nullptr;
}

void FakeLevelManager::StartLevel() {
  calls.push_back("StartLevel");
}

bool FakeLevelManager::ObjectClicked(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                                     const Ref<ISceneObjectLocation>& location,
                                     const TPoint& point) {
  calls.push_back("ObjectClicked(" + Describe(widget, object, location) + "," +
                  std::to_string(point.X) + "," + std::to_string(point.Y) + ")");
  return false;
}

bool FakeLevelManager::ActivateAtLocation(const Ref<IWidget>& widget,
                                          const Ref<ISceneObjectDef>& object, const TPoint& point,
                                          const Ref<ISceneObjectLocation>& location) {
  calls.push_back("ActivateAtLocation(" + Describe(widget, object, location) + "," +
                  std::to_string(point.X) + "," + std::to_string(point.Y) + ")");
  return false;
}

void FakeLevelManager::OnEmptyClick() {
  calls.push_back("OnEmptyClick");
}

void FakeLevelManager::AfterActivation(const Ref<IWidget>& widget,
                                       const Ref<ISceneObjectDef>& object,
                                       const Ref<ISceneObjectLocation>& location) {
  calls.push_back("AfterActivation(" + Describe(widget, object, location) + ")");
}

void FakeLevelManager::ResetActivateSequence(const Ref<IUGDScene>& scene) {
  calls.push_back("ResetActivateSequence(" + NameOf(Ref<INamedObject>(scene.get())) + ")");
}

bool FakeLevelManager::IsWantedObject(const Ref<ISceneObjectDef>& object) {
  return object && wanted.count(object->GetName()) > 0;
}

void FakeLevelManager::BuildSceneView() {
  calls.push_back("BuildSceneView");
}

void FakeLevelManager::PlaySceneMusic() {
  calls.push_back("PlaySceneMusic");
}

void FakeLevelManager::StopSceneMusic() {
  calls.push_back("StopSceneMusic");
}

Ref<IWidget> FakeLevelManager::RunSceneAction(const std::string& name,
                                              const Ref<IParamCollection>&) {
  calls.push_back("RunSceneAction(" + name + ")");
  return nullptr;
}

void FakeLevelManager::ShowHintText(const std::string& key) {
  calls.push_back("ShowHintText(" + key + ")");
}

void FakeLevelManager::ObjectPlaced(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                                    const Ref<ISceneObjectLocation>& location) {
  calls.push_back("ObjectPlaced(" + Describe(widget, object, location) + ")");
}
