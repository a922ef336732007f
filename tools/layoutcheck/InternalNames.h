#pragma once
// The names the data gives its cases, stages, tasks and scenes: what a player should never
// read where a caption belongs. Also the tasks in order, for the check to play each one,
// and what the pickers offer.

#include <set>
#include <string>
#include <vector>

struct TaskToPlay {
  std::string caseName, stageName, taskName, participant;
  std::vector<std::string> scenes;  // "scenename", then "scenename2" when the task has two
  std::string sceneOffer;           // "select_scene_names": the places the player picks from
};

struct StoryNames {
  std::set<std::string> names;
  std::vector<TaskToPlay> tasks;
  std::vector<std::string> caseOffers;  // each case's "select_case_names"
};

// From the default scenario and the scene list of the program folder entered; a game
// without them (not every game has a story) gives no names.
StoryNames ReadStoryNames();
