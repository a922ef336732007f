#pragma once
// Stand-ins for the diary's pages in the diary's tests: group widgets that implement the
// page interfaces and record what the diary asks of them. Registered as
// "test_participant_page", "test_journal_page" and "test_voodoo_page".

#include <map>
#include <string>
#include <vector>

#include "foundation/GeneralClasses.h"
#include "screens/Tv2ScreenInterfaces.h"
#include "shell/WidgetClasses.h"

class TestParticipantPage : public TVisualGroupWidget, public virtual IDiaryPageParticipant {
 public:
  // What every page answers: set by the test before the page is made.
  static inline bool matchReady = false;
  static inline bool empty = false;
  static inline std::map<std::string, std::string> taskParticipants;
  // "SetPageName(page1)", "ShowParticipants(c1)", "ShowCandidates(s1)", "MatchClient",
  // "IsMatchReady(list)", "RemoveMatchedTwain" of every page, in call order.
  static inline std::vector<std::string> calls;

  IGameScreenSelectTask* selectTask = nullptr;
  std::string pageName;

  void SetSelectTask(IGameScreenSelectTask* value) override { selectTask = value; }
  void ShowParticipants(const Ref<IUGDCase>& gameCase) override {
    calls.push_back("ShowParticipants(" + (gameCase ? gameCase->GetName() : "") + ")");
  }
  void ShowCandidates(const Ref<IUGDStage>& stage, const Ref<IUserGameData>&) override {
    calls.push_back("ShowCandidates(" + (stage ? stage->GetName() : "") + ")");
  }
  bool IsMatchReady(const std::string& matched) override {
    calls.push_back("IsMatchReady(" + matched + ")");
    return matchReady;
  }
  void MatchClient() override { calls.push_back("MatchClient"); }
  bool IsEmpty() override { return empty; }
  std::string GetTaskParticipant(const std::string& taskName) override {
    auto found = taskParticipants.find(taskName);
    return found == taskParticipants.end() ? std::string() : found->second;
  }
  void RemoveMatchedTwain() override {}
  std::string GetPageName() override { return pageName; }
  void SetPageName(const std::string& value) override {
    pageName = value;
    calls.push_back("SetPageName(" + value + ")");
  }
};

class TestJournalPage : public TVisualGroupWidget, public virtual IDiaryJournal {
 public:
  // "SetNotes(list)", "NextPage", "PrevPage" of every journal, in call order.
  static inline std::vector<std::string> calls;

  void SetNotes(const std::string& notes) override { calls.push_back("SetNotes(" + notes + ")"); }
  void ClearPage() override {}
  void NextPage() override { calls.push_back("NextPage"); }
  void PrevPage() override { calls.push_back("PrevPage"); }
};

class TestVoodooPage : public TVisualGroupWidget, public virtual IDiaryPageVoodoo {
 public:
  static inline std::vector<std::string> counted;

  void UpdateCounter(const std::string& found) override { counted.push_back(found); }
};

inline void RegisterDiaryPageDoubles() {
  static const bool registered = [] {
    RegisterClassName<TestParticipantPage>("test_participant_page");
    RegisterClassName<TestJournalPage>("test_journal_page");
    RegisterClassName<TestVoodooPage>("test_voodoo_page");
    return true;
  }();
  (void)registered;
}

inline void ResetDiaryPageDoubles() {
  TestParticipantPage::matchReady = false;
  TestParticipantPage::empty = false;
  TestParticipantPage::taskParticipants.clear();
  TestParticipantPage::calls.clear();
  TestJournalPage::calls.clear();
  TestVoodooPage::counted.clear();
}
