#pragma once
// "flash_scenario": one step of a timeline written in screen data. While it runs, a step
// drives named properties of its linked widget from their values at its start towards
// target values over a duration, or waits (for a time, a sound, a click, or the linked
// widget's properties reaching a range). When it completes it starts its "next" steps,
// stops its "previos" steps, plays or stops sounds and music, or closes or opens a screen.
// Steps sit side by side in a group and start one another by name.
//
//   <widget type="flash_scenario" name="drop" linked_widget_name="title" duration="600"
//           properties="anchor_top;transparentlevel" value="120;inc:255"
//           next="caption;playsound:sound_page"/>
//
// Durations: MS; "waitmouseup" (until a button is released over the step); rnd:R (0 to
// R-1 ms); rnd:B:R (B+1 to B+R ms); playsound:NAME[:AFTER[:FALLBACK]] (while the sound
// plays, then AFTER ms; FALLBACK ms when it cannot play). Values: [FLAGS:]V with FLAGS
// "_"-joined words of "rnd", "inc", "float", "int", "str"; rnd and tracking values are
// ranges A:S (from A, span S), A-B or S (from 0).
//
// Completion is Pause: pausing a group pauses its children, so it completes their steps
// (and runs their next lists). A step asked to start or complete again while it is itself
// starting or completing (a next list leading back to it) does so at its next update
// instead: a cycle of steps waits one frame per turn and never recurses.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "shell/WidgetClasses.h"

// Splits Text at the first Separator when it stands at the second character or later;
// false (no split) otherwise.
bool SplitOnce(std::string_view text, char separator, std::string_view& head,
               std::string_view& rest);
// The part after the first ":" (by SplitOnce), or the whole text.
std::string_view GetCommandArgument(std::string_view text);

// A "duration" text read.
struct TFlashDuration {
  int32_t configured = -1;  // the plain duration, the random base or the sound fallback
  int32_t range = 0;        // the random range, or the delay after the sound
  bool waitMouseUp = false;
  bool soundTimed = false;
  std::string soundName;
  bool valid = true;  // false: the text was not understood (no duration)

  static TFlashDuration Parse(std::string_view text);
  // The text form; "" for no duration.
  std::string ToString() const;
};

// One entry of "value": the target and its flags.
struct TFlashValue {
  enum : int8_t { kByName = -1, kFloat = 0, kInteger = 1 };
  std::string target;  // the value with its flags removed
  int8_t numeric = kByName;
  bool inc = false;
  bool rnd = false;
  bool str = false;

  static TFlashValue Parse(std::string_view text);
  // As written back: "int" or "float" (as the property's name makes it), the flags set, ":"
  // and the target.
  std::string ToString(std::string_view property) const;
  // Interpolated as an integer for that property: all but the anchors, zooms and angle,
  // unless a flag says otherwise.
  bool IsInteger(std::string_view property) const;
};

// A range of a value form: base and span.
bool ParseFlashRange(std::string_view text, double& base, double& span);

class TFlashScenario : public TAbstractWidget {
 public:
  enum : uint8_t { atLinear = 0, atIdle = 1, atTracking = 2 };
  static constexpr const char* kActionTypes = "linear/idle/tracking";

  void Init() override;
  ~TFlashScenario() override;

  // A new run: its duration, its linked widget and start values, then the previous list.
  virtual void Start();
  // The end of a run: end values, the linked widget hidden or killed, then the next list
  // or the screen command.
  virtual void Finish();

  // The linked widget, whatever the key.
  Ref<IWidget> GetChildByKey(const Variant&) override { return linked_; }
  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;
  // With "reset_by_pause": pausing completes the step, unpausing restarts it.
  void SetPaused(bool value) override;
  void Update(int32_t dt) override;
  void Restart() override;
  // Completes the step (starting it first when it is not running).
  void Pause() override;
  int32_t GetZ() override { return z_; }
  void SetZ(int32_t value) override { z_ = value; }
  // Only while running.
  bool IsMouseStop() override { return mouseStop_ && running_; }
  void SetMouseStop(bool value) override { mouseStop_ = value; }
  // The step itself at any point while it is a running mouse stop.
  Ref<IWidget> WidgetAtPos(const TPoint& point) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;

  bool IsRunning() const { return running_; }
  int32_t GetCurrentDuration() const { return currentDuration_; }
  bool IsLimited() const { return limited_; }
  const Ref<IWidget>& GetLinkedWidget() const { return linked_; }
  // The action of the current run: idle when it has no linked widget or a value that
  // does not convert.
  uint8_t GetRunAction() const { return runAction_; }
  uint8_t GetActionType() const { return actionType_; }
  const TFlashDuration& GetDuration() const { return duration_; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  // A property driven in the current run.
  struct TRunEntry {
    double start = 0;
    double delta = 0;  // change over the run, or per millisecond of an endless run
    double low = 0;    // tracking
    double high = 0;
    Variant end;  // written when the run completes
    bool integer = true;
    bool skip = false;  // a text value: written only at the end
    int32_t startInt = 0;
    // How the linked widget takes the property: its rows, or by name.
    const TPropertyRow* reader = nullptr;
    const TPropertyRow* writer = nullptr;
    bool byName = true;
  };
  enum class TPending : uint8_t { None, Restart, Complete };

  void StartDuration();
  void ResolveWidgets();
  bool PrepareEntries();
  void Interpolate();
  bool TrackingReached();
  void WriteValue(size_t index, const Variant& value);
  bool ReadValue(size_t index, double& value);
  void RunCommands(const std::vector<std::string>& list, bool start);
  void RunNext();
  void CloseGameScreen(std::string_view argument);
  void ShowGameScreen(std::string_view argument);
  void PlayMusic(std::string_view name, bool play);
  // Ask again at the next update: the step is busy starting or completing.
  void Defer(TPending what);
  void WarnIfInconsistent();

  // Property accessors.
  std::string GetPropertyNames() const;
  void SetPropertyNames(const std::string& text);
  std::string GetValues() const;
  void SetValues(const std::string& text);
  std::string GetPrevious() const { return previous_; }
  void SetPrevious(const std::string& text);
  std::string GetNext() const { return next_; }
  void SetNext(const std::string& text);
  void SetConfiguredDuration(int32_t value) { duration_.configured = value; }
  void SetActionType(int32_t value);
  void SetLinkedWidget(const Ref<IWidget>& widget);
  void LoadDuration(const Ref<IHierStorage>& node);
  void SaveDuration(const Ref<IHierStorage>& node);
  void LoadEntries(const Ref<IHierStorage>& node);
  void SaveEntries(const Ref<IHierStorage>& node);

  std::string widgetsOwnerName_;
  Ref<IWidget> widgetsOwner_;
  bool widgetsOwnerResolved_ = false;
  std::string linkedOwnerName_;
  std::string linkedWidgetName_;
  bool linkedPending_ = true;
  Ref<IWidget> linked_;
  // The linked widget as rows answer it, for the per-frame path; nothing for other kinds.
  TPropertyObject* linkedObject_ = nullptr;
  uint8_t actionType_ = atLinear;
  uint8_t runAction_ = atLinear;
  std::vector<std::string> propertyNames_;
  std::vector<TFlashValue> values_;
  std::vector<TRunEntry> entries_;
  bool showOnStart_ = false;
  bool hideOnEnd_ = false;
  bool deadOnEnd_ = false;
  bool linkedDeadOnEnd_ = false;
  bool playNext_ = true;
  bool stopPrevious_ = false;
  bool resetByPause_ = false;
  TFlashDuration duration_;
  int32_t currentDuration_ = -1;
  int32_t delayAfterSound_ = 0;
  bool mouseStop_ = false;
  bool armed_ = false;
  bool running_ = false;
  bool limited_ = false;
  bool waitingForSound_ = false;
  AudioHandle sound_ = 0;
  int32_t z_ = 0;
  std::string previous_;
  std::string next_;
  // The lists split once; shared so that a list being run survives its own replacement.
  std::shared_ptr<const std::vector<std::string>> previousList_;
  std::shared_ptr<const std::vector<std::string>> nextList_;
  bool starting_ = false;
  bool completing_ = false;
  TPending pending_ = TPending::None;
};
