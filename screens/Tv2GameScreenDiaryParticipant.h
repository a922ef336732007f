#pragma once
// "diary_participant_page": the diary's participant page. It shows the participants of
// the current case (clients and their candidates) on the slots of its sub-pages, their
// categories, the buttons that start the tasks attached to them, and hands a client and the
// candidates to the category-matching game of the sub-page; when that game is won it tells
// the diary and shows the matched pair.
//
// A participant's "slot" is a path on the page: sub-page name, "/", slot widget name
// ("page1/client"). The sub-page is the matching game: the participant widgets are made
// into it, at their slots' places. The page's own children "client", "candidate1",
// "candidate2", "candidate3" are the task buttons of the slots of the same names;
// "choose_hint_" + client name hints at a client still to be matched; "button_skip".
// Factories (the page's, else its owners'): "participant_client", "participant_candidate",
// "category" (made into a participant widget's group "category"; its child "open" restarts
// on open categories), "show_mached_twain" (the matched pair).
//
// The case's "participant_list" and "participant_tasks" are read side by side; a name
// missing from the tasks is no task.

#include <string>
#include <vector>

#include "screens/Tv2ScreenInterfaces.h"
#include "shell/WidgetClasses.h"

class TDiaryPageParticipant : public TVisualGroupWidget, public virtual IDiaryPageParticipant {
 public:
  struct TRecord {
    std::string participantName;
    std::string taskName;
    Ref<IParticipant> participant;
    Ref<IUGDTask> task;  // nothing when the case has no task of that name
    Ref<IWidget> widget;
  };

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  // The diary and the case go, and the page is cleared.
  void ReleaseOwner() override;

  void SetSelectTask(IGameScreenSelectTask* selectTask) override { selectTask_ = selectTask; }
  void ShowParticipants(const Ref<IUGDCase>& gameCase) override;
  void ShowCandidates(const Ref<IUGDStage>& stage, const Ref<IUserGameData>& data) override;
  // Whether the sub-page's first client not yet in the list is ready to be matched: every
  // task of the sub-page's records is completed. Shows that client's matching game alone.
  bool IsMatchReady(const std::string& matchedClients) override;
  void MatchClient() override;
  bool IsEmpty() override { return records_.empty(); }
  std::string GetTaskParticipant(const std::string& taskName) override;
  void RemoveMatchedTwain() override;
  std::string GetPageName() override { return pageName_; }
  void SetPageName(const std::string& value) override { pageName_ = value; }

  const std::vector<TRecord>& GetRecords() const { return records_; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  void Clear();
  void AddRecord(const std::string& name, const std::string& taskName,
                 const Ref<IParticipantCollection>& participants,
                 const Ref<IParamCollection>& params);
  Ref<IUGDTask> FindCaseTask(const std::string& taskName);
  bool OnCurrentPage(const TRecord& record);
  void ShowCategories(const TRecord& record);
  void ShowMatchedPair(const Ref<IUserGameData>& data);
  // The matching game's result: the client it matched.
  void ClientMatched(const std::string& client);
  void BroadcastClear();

  IGameScreenSelectTask* selectTask_ = nullptr;
  std::string matchedList_;
  std::string pageName_;
  std::vector<TRecord> records_;
  Ref<IUGDCase> case_;
  std::string dataFile_;  // the file the page was read from, for warnings
};
