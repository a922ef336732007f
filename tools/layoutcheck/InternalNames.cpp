#include "tools/layoutcheck/InternalNames.h"

#include "foundation/XmlAttributes.h"
#include "gameplay/Tv2DataFiles.h"
#include "gameplay/Tv2Declarations.h"

namespace {

// The "param" of Name under Node's "params".
std::string Param(const Ref<IHierStorage>& node, const std::string& name) {
  Ref<IHierStorage> params = node->GetChild("params", 0);
  if (!params) return {};
  for (int i = 0; i < params->GetChildCount("param"); ++i) {
    Ref<IHierStorage> param = params->GetChild("param", i);
    if (ReadXmlStr(param, "name") == name) return ReadXmlStr(param, "value");
  }
  return {};
}

// The children Element of Node, or of its Group element when it has one.
std::vector<Ref<IHierStorage>> Children(const Ref<IHierStorage>& node, const char* group,
                                        const char* element) {
  std::vector<Ref<IHierStorage>> found;
  Ref<IHierStorage> parent = group ? node->GetChild(group, 0) : node;
  if (!parent) return found;
  for (int i = 0; i < parent->GetChildCount(element); ++i)
    if (Ref<IHierStorage> child = parent->GetChild(element, i)) found.push_back(child);
  return found;
}

void AddName(StoryNames& story, const std::string& name) {
  if (!name.empty()) story.names.insert(name);
}

}  // namespace

StoryNames ReadStoryNames() {
  StoryNames story;
  if (Ref<IHierStorage> scenes = LoadDataDocument(ScenesFileName, false))
    for (const Ref<IHierStorage>& scene : Children(scenes, nullptr, "scene_def"))
      AddName(story, ReadXmlStr(scene, "name"));
  Ref<IHierStorage> scenario = LoadDataDocument(DefaultScenarioFileName, false);
  if (!scenario) return story;
  for (const Ref<IHierStorage>& one : Children(scenario, nullptr, "case")) {
    const std::string caseName = ReadXmlStr(one, "name");
    AddName(story, caseName);
    if (std::string offer = Param(one, "select_case_names"); !offer.empty())
      story.caseOffers.push_back(offer);
    for (const Ref<IHierStorage>& stage : Children(one, "stages", "stage")) {
      const std::string stageName = ReadXmlStr(stage, "name");
      AddName(story, stageName);
      for (const Ref<IHierStorage>& task : Children(stage, "tasks", "task")) {
        TaskToPlay play{caseName,
                        stageName,
                        ReadXmlStr(task, "name"),
                        Param(task, "participant"),
                        {},
                        Param(task, "select_scene_names")};
        AddName(story, play.taskName);
        for (const char* key : {"scenename", "scenename2"})
          if (std::string scene = Param(task, key); !scene.empty()) play.scenes.push_back(scene);
        story.tasks.push_back(play);
      }
    }
  }
  return story;
}
