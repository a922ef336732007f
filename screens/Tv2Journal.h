#pragma once
// "diary_journal": the diary's journal, a book of two facing pages ("left_page",
// "right_page") showing the player's notes two to a spread, turned with the diary's
// "button_next" and "button_prev" (children of the journal, shown and hidden here).
//
// A note is the name of one of the journal's own widget factories; its widget is made with
// the parameter "name" = the note. The journal list is the progress's (";"-separated, empty
// items ignored), and the journal opens on its last spread:
//
//   <widget type="diary_journal" name="page_journal">
//     <widgetfactories>
//       <widgetfactory name="note_lantern" type="WidgetFactory"><widgetstring>...
//     </widgetfactories>
//     <widgets><widget type="group_widget" name="left_page"/>...</widgets>
//   </widget>

#include <cstdint>
#include <string>
#include <vector>

#include "screens/Tv2ScreenInterfaces.h"
#include "shell/WidgetClasses.h"

class TDiaryJournal : public TVisualGroupWidget, public virtual IDiaryJournal {
 public:
  void LoadFromXml(const Ref<IHierStorage>& node) override;
  // Finds the two pages.
  void SetOwner(IWidgetOwner* owner) override;
  // Empties the pages first: their notes go with the journal.
  void ReleaseOwner() override;

  // Spread p shows notes 2p and 2p + 1; an odd last note stands alone on its spread.
  void SetNotes(const std::string& notes) override;
  void ClearPage() override;
  void NextPage() override;
  void PrevPage() override;

  const std::vector<std::string>& GetNotes() const { return notes_; }
  int32_t GetPageCount() const { return pageCount_; }
  int32_t GetCurrentPage() const { return currentPage_; }

 private:
  void ShowSpread(int32_t page);
  // The note's widget from the journal's own factory, added to Page.
  void ShowNote(IWidget* page, size_t index, const Ref<IParamCollection>& params);
  void SetButtonVisible(const char* name, bool visible);

  Ref<IWidget> leftPage_;
  Ref<IWidget> rightPage_;
  std::vector<std::string> notes_;
  int32_t pageCount_ = 0;
  int32_t currentPage_ = 0;
  std::string dataFile_;  // the file the journal was read from, for warnings
};
