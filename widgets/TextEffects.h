#pragma once
// Two controls that animate the text of their text-widget children by putting, for the
// time of the animation, one small widget per character exactly where the text widget
// draws it. The letters' look and motion are data: the screen's widget factories make
// them, these controls only compute names, places and delays.
//
// "control_text_vizualization" reveals the text letter by letter. Each character gets a
// letter from the factory "vizualization_letter" and a fade widget from the factory
// "transparent_widget" (a transparent or move scenario, given the letter as its "widget"),
// held back by "startdelaytime" plus "letterdelaytime" per letter before it. A click shows
// the whole text at once (event 7, as when the reveal ends by itself); a click on the
// whole text sends event 8.
//
// "control_text_shuffler" shows the letters (factory "shuffler_letter") in shuffled places;
// capitals and " .,-!?" stay where they are. With "unshuffle" (or on a click) each letter
// gets a widget of the factory "move_letter" that carries it home, in the child
// "move_group".
//
// The factories get the parameters "name", "anchor_left", "anchor_top", "width", "height"
// (the character's rectangle in the control) and "text" (empty). With one text child the
// letters are named "1", "2", ... by their character's place and the fade widgets
// "transparent_" + the child's index + the character's place; with several text children
// "C_N" and "transparent_C_N", so that no two share a name. Letters go into the child
// "letters_group", which should stay at the control's origin.
//
// Setting "init_visualization" or "InitVizualization" (any value) builds the letters and
// starts; so does a restart when the XML sets "init_visualization".

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "widgets/ControlWidget.h"
#include "widgets/TextWidget.h"

class TTextEffectControl : public TControlWidget {
 public:
  enum : uint8_t { stIdle = 0, stRunning = 1, stComplete = 2 };

  // Builds the letters and starts the animation.
  virtual void Build() = 0;

  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;
  void Restart() override;

  uint8_t GetState() const { return state_; }
  int32_t GetVisualizationTime() const { return visualizationTime_; }
  const Ref<IWidget>& GetLettersGroup() const { return lettersGroup_; }

 protected:
  const TPropertyTable& Properties() override;
  virtual void FindGroups();
  // Kills and removes every letter.
  void ClearLetters();
  using TLetterVisit =
      std::function<void(int32_t child, std::string_view character, const std::string& name,
                         const Ref<IParamCollection>& params)>;
  // Empties the letters group, then hides every text child and hands Visit each of its
  // characters that has a rectangle, with the child's index, the letter's name and its
  // factory parameters. False, and nothing done, without the letters group.
  bool BuildLetters(const TLetterVisit& visit);
  // The parameters of character N (from 1) of the text child Text, or nothing when it
  // has no rectangle.
  Ref<IParamCollection> LetterParams(ITextWidget* text, int32_t n, const std::string& name);
  // The letter's name and the place of its character: the character's place alone with
  // one text child, "C_N" with several.
  std::string LetterName(int32_t child, int32_t n) const;
  int32_t TextChildCount();

  int32_t startDelay_ = 0;
  int32_t letterDelay_ = 0;
  bool initVisualization_ = false;
  Ref<IWidget> lettersGroup_;
  uint8_t state_ = stIdle;
  int32_t visualizationTime_ = 0;
  bool severalTexts_ = false;
};

class TControlTextVizualization : public TTextEffectControl {
 public:
  void Build() override;
  // Shows the whole text and sends event 7.
  void Complete();

  void Update(int32_t dt) override;
  void Notify(int32_t code, const Variant& param) override;
  bool MouseUp(const TPoint& point, uint32_t keys, int button) override;

 protected:
  const TPropertyTable& Properties() override;
};

class TControlTextShuffler : public TTextEffectControl {
 public:
  void Build() override;
  // Swaps the places of shuffleable letters: k + 1 swaps for k letters.
  void Shuffle();
  // Sends every letter home through the "move_letter" factory.
  void Unshuffle();

  void Update(int32_t dt) override;
  void Notify(int32_t code, const Variant& param) override;
  bool MouseUp(const TPoint& point, uint32_t keys, int button) override;

  // Lower-casing leaves it as it is, and it is none of " .,-!?".
  static bool IsShuffleable(std::string_view character);

 protected:
  const TPropertyTable& Properties() override;
  void FindGroups() override;

  bool unshuffle_ = false;
  Ref<IWidget> moveGroup_;
};
