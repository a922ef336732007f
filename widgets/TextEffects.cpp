#include "widgets/TextEffects.h"

#include <vector>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/TextConvert.h"
#include "foundation/XmlAttributes.h"

namespace {

// Calls Visit(character, n) for every character of Text, n counted from 1.
template <class F>
void ForEachCharacter(const std::string& text, F visit) {
  const char* p = text.data();
  const char* end = p + text.size();
  int32_t n = 0;
  while (p < end) {
    uint32_t code = 0;
    int length = DecodeUtf8(p, end, code);
    if (length <= 0) length = 1;  // a stray byte still takes a place
    visit(std::string_view(p, size_t(length)), ++n);
    p += length;
  }
}

// The lower case of Code where a capital has one: Latin, Greek and Cyrillic capitals.
uint32_t LowerCase(uint32_t code) {
  if (code >= 'A' && code <= 'Z') return code + 32;
  if ((code >= 0xC0 && code <= 0xDE && code != 0xD7)) return code + 32;
  if (code >= 0x100 && code <= 0x17F && code != 0x130 && code != 0x138 && code != 0x149 &&
      code != 0x17F) {
    // Latin Extended-A pairs capitals and small letters as even and odd, but for the run
    // from 0x139 to 0x148 and from 0x179 to 0x17E, where the capitals are odd.
    bool oddCapitals = (code >= 0x139 && code <= 0x148) || (code >= 0x179 && code <= 0x17E);
    return (code % 2 == (oddCapitals ? 1u : 0u)) ? code + 1 : code;
  }
  if (code >= 0x391 && code <= 0x3AB && code != 0x3A2) return code + 32;
  if (code >= 0x410 && code <= 0x42F) return code + 32;
  if (code >= 0x400 && code <= 0x40F) return code + 80;
  return code;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// What both controls share

const TPropertyTable& TTextEffectControl::Properties() {
  using T = TTextEffectControl;
  static const TPropertyTable table(
      TControlWidget::Properties(),
      {
          Attr("startdelaytime", &T::startDelay_).Int().Always(),
          Attr("letterdelaytime", &T::letterDelay_).Int().Always(),
          Attr("init_visualization", &T::initVisualization_).Bool().NotSaved(),
          Prop<T>("visualization_time", [](T& t) { return t.visualizationTime_; }),
          Prop<T>("visualization_state", [](T& t) { return int32_t(t.state_); }),
          Prop<T>("init_visualization", nullptr, [](T& t, const Variant&) { t.Build(); }),
          Prop<T>("InitVizualization", nullptr, [](T& t, const Variant&) { t.Build(); }),
      });
  return table;
}

void TTextEffectControl::SetOwner(IWidgetOwner* owner) {
  TControlWidget::SetOwner(owner);
  FindGroups();
}

void TTextEffectControl::FindGroups() {
  lettersGroup_ = children_->GetByName("letters_group");
}

void TTextEffectControl::ReleaseOwner() {
  lettersGroup_ = nullptr;
  TControlWidget::ReleaseOwner();
}

void TTextEffectControl::Restart() {
  TControlWidget::Restart();
  if (initVisualization_) Build();
}

void TTextEffectControl::ClearLetters() {
  Ref<IWidgetCollection> letters = lettersGroup_ ? lettersGroup_->GetChildren() : nullptr;
  if (!letters) return;
  for (int i = 0; i < letters->Count(); ++i)
    if (IWidget* letter = letters->ItemAt(i)) letter->SetDead(true);
  letters->RemoveDead();
}

int32_t TTextEffectControl::TextChildCount() {
  int32_t count = 0;
  for (IWidget* child : children_->Widgets())
    if (InterfaceCast<ITextWidget>(child)) ++count;
  return count;
}

std::string TTextEffectControl::LetterName(int32_t child, int32_t n) const {
  return severalTexts_ ? std::to_string(child) + "_" + std::to_string(n) : std::to_string(n);
}

Ref<IParamCollection> TTextEffectControl::LetterParams(ITextWidget* text, int32_t n,
                                                       const std::string& name) {
  TRect rect;
  if (!text->GetCharRect(n, rect)) return nullptr;
  Ref<IParamCollection> params(TAbstractObject::Create<TParamCollection>().get());
  params->SetValue("name", Variant(name));
  params->SetValue("anchor_left", Variant(rect.Left));
  params->SetValue("anchor_top", Variant(rect.Top));
  params->SetValue("width", Variant(SaturateInt32(int64_t(rect.Right) - rect.Left)));
  params->SetValue("height", Variant(SaturateInt32(int64_t(rect.Bottom) - rect.Top)));
  params->SetValue("text", Variant(std::string()));
  return params;
}

bool TTextEffectControl::BuildLetters(const TLetterVisit& visit) {
  Ref<IWidgetCollection> letters = lettersGroup_ ? lettersGroup_->GetChildren() : nullptr;
  if (!letters) return false;
  ClearLetters();
  severalTexts_ = TextChildCount() > 1;
  for (int c = 0; c < children_->WidgetCount(); ++c) {
    Ref<IWidget> child = children_->GetByIndex(c);
    auto* text = InterfaceCast<ITextWidget>(child.get());
    if (!text) continue;
    lettersGroup_->SetVisible(true);
    state_ = stRunning;
    child->SetVisible(false);
    ForEachCharacter(child->GetProperty("text").ToString(), [&](std::string_view ch, int32_t n) {
      std::string name = LetterName(c, n);
      if (Ref<IParamCollection> params = LetterParams(text, n, name)) visit(c, ch, name, params);
    });
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// Letter by letter

const TPropertyTable& TControlTextVizualization::Properties() {
  static const TPropertyTable table(TTextEffectControl::Properties(), {});
  return table;
}

void TControlTextVizualization::Build() {
  Ref<IWidget> keep(this);
  int64_t time = startDelay_;
  bool built = BuildLetters([&](int32_t c, std::string_view character, const std::string& name,
                                const Ref<IParamCollection>& params) {
    Ref<IWidget> letter = CreateWidgetFromFactory("vizualization_letter", params);
    if (!letter) return;
    letter->SetProperty("text_utf8", Variant(character));
    params->SetValue("name", Variant(severalTexts_ ? "transparent_" + name
                                                   : "transparent_" + std::to_string(c) + name));
    IWidgetCollection* letters = lettersGroup_->GetChildren().get();
    if (Ref<IWidget> fade = CreateWidgetFromFactory("transparent_widget", params)) {
      letters->Add(fade);
      fade->SetProperty("widget", Variant(Ref<IInterface>(letter.get())));
      fade->SetProperty("currenttime", Variant(SaturateInt32(-time)));
      time += letterDelay_;
    }
    letters->Add(letter);
  });
  if (built) visualizationTime_ = SaturateInt32(time + currentTime_);
}

void TControlTextVizualization::Complete() {
  if (!lettersGroup_) return;
  Ref<IWidget> keep(this);
  state_ = stComplete;
  lettersGroup_->SetVisible(false);
  ClearLetters();
  for (IWidget* child : children_->Widgets())
    if (InterfaceCast<ITextWidget>(child)) child->SetVisible(true);
  SendEvent(control_event::kTextRevealed);
}

void TControlTextVizualization::Update(int32_t dt) {
  Ref<IWidget> keep(this);
  TTextEffectControl::Update(dt);
  if (state_ == stRunning && visualizationTime_ < currentTime_) Complete();
}

void TControlTextVizualization::Notify(int32_t code, const Variant& param) {
  TTextEffectControl::Notify(code, param);
  if (code == 3) Complete();
}

bool TControlTextVizualization::MouseUp(const TPoint&, uint32_t, int) {
  if (state_ == stRunning) {
    Complete();
    return true;
  }
  if (state_ == stComplete) {
    SendEvent(control_event::kTextClicked);
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------------------
// Shuffled letters

const TPropertyTable& TControlTextShuffler::Properties() {
  using T = TControlTextShuffler;
  static const TPropertyTable table(
      TTextEffectControl::Properties(),
      {
          Attr("unshuffle", &T::unshuffle_).Bool().NotSaved(),
          Prop<T>("unshuffle", nullptr, [](T& t, const Variant&) { t.Unshuffle(); }),
      });
  return table;
}

void TControlTextShuffler::FindGroups() {
  TTextEffectControl::FindGroups();
  moveGroup_ = children_->GetByName("move_group");
}

bool TControlTextShuffler::IsShuffleable(std::string_view character) {
  uint32_t code = 0;
  if (character.empty() ||
      DecodeUtf8(character.data(), character.data() + character.size(), code) <= 0)
    return false;
  if (code == ' ' || code == '.' || code == ',' || code == '-' || code == '!' || code == '?')
    return false;
  return LowerCase(code) == code;
}

void TControlTextShuffler::Build() {
  Ref<IWidget> keep(this);
  bool built = BuildLetters([&](int32_t, std::string_view character, const std::string&,
                                const Ref<IParamCollection>& params) {
    if (Ref<IWidget> letter = CreateWidgetFromFactory("shuffler_letter", params)) {
      letter->SetProperty("text_utf8", Variant(character));
      lettersGroup_->GetChildren()->Add(letter);
    }
  });
  if (!built) return;
  Shuffle();
  visualizationTime_ = SaturateInt32(int64_t(startDelay_) + currentTime_);
}

void TControlTextShuffler::Shuffle() {
  Ref<IWidgetCollection> letters = lettersGroup_ ? lettersGroup_->GetChildren() : nullptr;
  if (!letters) return;
  // Drawn among the letters that may move: a letter that is missing (no glyph) or stays in
  // place is never drawn, so the draw always ends.
  std::vector<Ref<IWidget>> movable;
  for (int i = 0; i < letters->Count(); ++i) {
    IWidget* letter = letters->ItemAt(i);
    if (InterfaceCast<ITextWidget>(letter) && IsShuffleable(letter->GetProperty("text").ToString()))
      movable.emplace_back(letter);
  }
  int32_t count = int32_t(movable.size());
  if (count < 2) return;
  for (int swap = 0; swap <= letters->Count(); ++swap) {
    int32_t a = Random(count);
    int32_t b = Random(count - 1);
    if (b >= a) ++b;
    IWidget* first = movable[size_t(a)].get();
    IWidget* second = movable[size_t(b)].get();
    double left = first->GetAnchorLeft(), top = first->GetAnchorTop();
    first->SetAnchorLeft(second->GetAnchorLeft());
    first->SetAnchorTop(second->GetAnchorTop());
    second->SetAnchorLeft(left);
    second->SetAnchorTop(top);
  }
}

void TControlTextShuffler::Unshuffle() {
  if (!lettersGroup_ || !moveGroup_) return;
  Ref<IWidget> keep(this);
  state_ = stComplete;
  Ref<IWidgetCollection> letters = lettersGroup_->GetChildren();
  Ref<IWidgetCollection> moves = moveGroup_->GetChildren();
  if (!letters || !moves) return;
  for (int c = 0; c < children_->WidgetCount(); ++c) {
    Ref<IWidget> child = children_->GetByIndex(c);
    auto* text = InterfaceCast<ITextWidget>(child.get());
    if (!text) continue;
    std::string prefix = severalTexts_ ? std::to_string(c) + "_" : std::string();
    for (int i = 0; i < letters->Count(); ++i) {
      Ref<IWidget> letter = letters->GetByIndex(i);
      if (!letter) continue;
      std::string name = letter->GetName();
      if (name.compare(0, prefix.size(), prefix) != 0) continue;
      int32_t n = 0;
      TRect rect;
      if (!TryTextToInt(std::string_view(name).substr(prefix.size()), n) ||
          !text->GetCharRect(n, rect))
        continue;
      Ref<IParamCollection> params(TAbstractObject::Create<TParamCollection>().get());
      params->SetValue("name", Variant(name));
      params->SetValue("anchor_left", Variant(rect.Left));
      params->SetValue("anchor_top", Variant(rect.Top));
      if (Ref<IWidget> move = CreateWidgetFromFactory("move_letter", params)) moves->Add(move);
    }
  }
}

void TControlTextShuffler::Update(int32_t dt) {
  Ref<IWidget> keep(this);
  TTextEffectControl::Update(dt);
  if (state_ == stRunning && unshuffle_) Unshuffle();
}

void TControlTextShuffler::Notify(int32_t code, const Variant& param) {
  TTextEffectControl::Notify(code, param);
  if (code == 3) Unshuffle();
}

bool TControlTextShuffler::MouseUp(const TPoint&, uint32_t, int) {
  if (state_ == stRunning) {
    Unshuffle();
    return true;
  }
  return state_ == stComplete;
}
