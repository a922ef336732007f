#pragma once
// The diary as its pages see it (IGameScreenSelectTask): it hands out the participants and
// the progress it is given and records the calls it gets. A matched client is added to the
// progress, as the diary does; onClientMatched runs inside that call.

#include <functional>
#include <string>
#include <vector>

#include "screens/Tv2ScreenInterfaces.h"

class FakeDiary : public TAbstractObject, public virtual IGameScreenSelectTask {
 public:
  std::vector<std::string> calls;
  Ref<IParticipantCollection> participants;
  Ref<IUserGameData> data;
  std::function<void()> onClientMatched;

  void StartTask() override { calls.push_back("StartTask"); }
  void SelectNextTask() override { calls.push_back("SelectNextTask"); }
  void ResetGameData() override { calls.push_back("ResetGameData"); }
  void OnTaskFinished() override { calls.push_back("OnTaskFinished"); }
  void ClientMatched(const std::string& clients) override {
    calls.push_back("ClientMatched(" + clients + ")");
    if (data) data->AddMatchedClient(clients);
    if (onClientMatched) onClientMatched();
  }
  Ref<IParticipantCollection> GetParticipants() override { return participants; }
  Ref<IUserGameData> GetUserGameData() override { return data; }
};
