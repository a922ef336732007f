#include "screens/Tv2Journal.h"

#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"
#include "screens/Tv2DiaryPages.h"

namespace {

const char* const kButtonNext = "button_next";
const char* const kButtonPrev = "button_prev";

}  // namespace

void TDiaryJournal::LoadFromXml(const Ref<IHierStorage>& node) {
  TVisualGroupWidget::LoadFromXml(node);
  dataFile_ = StorageDataFile(node);
}

void TDiaryJournal::SetOwner(IWidgetOwner* owner) {
  TVisualGroupWidget::SetOwner(owner);
  leftPage_ = FindWidget("left_page");
  rightPage_ = FindWidget("right_page");
}

void TDiaryJournal::ReleaseOwner() {
  ClearPage();
  TVisualGroupWidget::ReleaseOwner();
}

void TDiaryJournal::SetNotes(const std::string& notes) {
  notes_ = SplitListNames(notes);
  pageCount_ = int32_t((notes_.size() + 1) / 2);
  currentPage_ = pageCount_ - 1;
  ShowSpread(currentPage_);
}

void TDiaryJournal::ClearPage() {
  RemoveAllChildren(leftPage_.get());
  RemoveAllChildren(rightPage_.get());
}

void TDiaryJournal::ShowSpread(int32_t page) {
  ClearPage();
  Ref<IParamCollection> params = NewParamCollection();
  if (page >= 0) {
    ShowNote(leftPage_.get(), size_t(page) * 2, params);
    ShowNote(rightPage_.get(), size_t(page) * 2 + 1, params);
  }
  if (pageCount_ <= 1) {
    SetButtonVisible(kButtonNext, false);
    SetButtonVisible(kButtonPrev, false);
  } else if (page == 0) {
    SetButtonVisible(kButtonNext, true);
    SetButtonVisible(kButtonPrev, false);
  } else if (page == pageCount_ - 1) {
    SetButtonVisible(kButtonNext, false);
    SetButtonVisible(kButtonPrev, true);
  }
}

void TDiaryJournal::ShowNote(IWidget* page, size_t index, const Ref<IParamCollection>& params) {
  if (!page || index >= notes_.size()) return;
  const std::string& note = notes_[index];
  params->SetValue("name", Variant(note));
  // Only the journal's own factories: a note names a page of the journal, never another
  // widget of the diary.
  Ref<IWidgetFactory> factory = factories_ ? factories_->GetItem(Variant(note)) : nullptr;
  Ref<IWidget> widget = factory ? factory->CreateWidget(params) : nullptr;
  if (!widget) {
    Warn(dataFile_,
         "journal \"" + GetName() + "\": note \"" + note + "\": no widget factory of that name");
    return;
  }
  if (Ref<IWidgetCollection> children = page->GetChildren()) children->Add(widget);
}

void TDiaryJournal::SetButtonVisible(const char* name, bool visible) {
  if (Ref<IWidget> button = FindWidget(name)) button->SetVisible(visible);
}

void TDiaryJournal::NextPage() {
  if (currentPage_ >= pageCount_ - 1) return;
  ++currentPage_;
  ShowSpread(currentPage_);
  PlaySound("sound_history_page_next", true, 100);
  if (currentPage_ == pageCount_ - 1) SetButtonVisible(kButtonNext, false);
  if (currentPage_ != 0) SetButtonVisible(kButtonPrev, true);
}

void TDiaryJournal::PrevPage() {
  if (currentPage_ <= 0) return;
  --currentPage_;
  ShowSpread(currentPage_);
  PlaySound("sound_history_page_prev", true, 100);
  if (currentPage_ == 0) SetButtonVisible(kButtonPrev, false);
  if (pageCount_ > 1) SetButtonVisible(kButtonNext, true);
}
