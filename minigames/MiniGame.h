#pragma once
// The base of every mini-game: the result protocol the play screen reads ("win",
// "need_skip"), a queue of feedback widgets made from factories and started one after the
// other, widgets that follow the mouse inside a follow area, and a block rectangle for
// drags.
//
// Points: hit tests take points in the owner's space; the mouse point kept for the games
// (drags, block tests, follow placement) is in the game's child space. The follow area is
// in the owner's space.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/WidgetClasses.h"

class TMiniGameWidget : public TVisualGroupWidget {
 public:
  // Where a follow widget goes: x = mouse X * kx + bx, y = mouse Y * ky + by.
  struct TFollowRecord {
    std::string name;
    double kx = 1, ky = 1, bx = 0, by = 0;
  };

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;
  Ref<IWidget> WidgetAtPos(const TPoint& point) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;

  // The game is solved: no more input, no skip offer, the "win" feedback queued once.
  virtual void Win(const Ref<IParamCollection>& params = nullptr);
  // True while the feedback queue plays; games ignore clicks meanwhile.
  virtual bool IsQueueBusy();
  virtual void Skip() { Win(); }

  bool IsWon() const { return won_; }
  bool IsPlaying() const { return playing_; }
  bool IsSkipOffered() const { return skipOffered_; }
  const std::vector<TFollowRecord>& FollowRecords() const { return follow_; }
  const TPoint& MousePoint() const { return mouse_; }

  int32_t NextId() { return idCounter_++; }
  // The pieces between separators: "" gives one empty piece, a trailing separator a
  // trailing empty piece.
  static std::vector<std::string> Split(std::string_view text, char separator);
  // Outside the block rectangle while "block_drag" is on; the edges count as inside.
  bool IsOutsideBlock(const TPoint& point) const;
  // The child under the owner's mouse position, "null_widget" when none.
  std::string GetHoveredWidgetName();
  // The value Widget's "aliases" give Name ("\name=value"), '' when none.
  static std::string GetAlias(IWidget* widget, std::string_view name);
  // Adds nothing: starts Widget now, or when the last queued widget ends.
  void EnqueueWidget(const Ref<IWidget>& widget);
  // The same chaining onto a tail the caller holds; Tail becomes Widget.
  void AppendNext(const Ref<IWidget>& widget, Ref<IWidget>& tail);
  // "id" = NextId, then Widget's Prefix1, Prefix2, ... up to the first without a value.
  void CopyNumberedParams(const Ref<IParamCollection>& params, IWidget* widget,
                          std::string_view prefix);
  // The same copy without "id".
  static void CopyNumbered(const Ref<IParamCollection>& params, IWidget* widget,
                           std::string_view prefix);
  // A feedback widget: Factory's widget with "id" (and Params' values) added to the
  // children and queued; nothing when the factory makes none.
  Ref<IWidget> MakeFeedback(const std::string& factory, Ref<IParamCollection> params = nullptr);
  // Factory's widget added to the children, not queued; nothing when none is made.
  Ref<IWidget> MakeChild(const std::string& factory, const Ref<IParamCollection>& params);
  static Ref<IParamCollection> NewParams();

  // Parses "follow_widgets"; a placement that is not a number raises the conversion error.
  static std::vector<TFollowRecord> ParseFollowWidgets(std::string_view text);

 protected:
  const TPropertyTable& Properties() override;
  // Appends Widget's name to Tail's "next" while Tail plays and has a "next" value;
  // otherwise starts Widget now.
  void ChainAfter(IWidget* tail, const Ref<IWidget>& widget);
  // The tail's inner widget through its "next" alias; null without an alias.
  static Ref<IWidget> InnerOf(IWidget* tail, bool& hasAlias);
  // The flags and looks of a solved game, without its "win" feedback.
  void EndGame();
  // Kills the child of that name and removes the dead children at once.
  void KillChild(const std::string& name);
  bool HasChild(const std::string& name) { return bool(children_->GetByName(name)); }
  void FollowMouse(const TPoint& point);
  bool InFollowArea(const TPoint& ownerPoint);
  // Through the screens' cursors; nothing while the game has no cursor set.
  void SetCursor(const char* name);
  void HideFollowWidgets();
  // What the game drops from its data, said under the file it was read from:
  // 'TYPE "name": What'.
  void WarnAboutGame(const std::string& what) const;

  int32_t idCounter_ = 0;
  std::string lastQueued_ = "null_widget";
  bool playing_ = false;
  Ref<IWidget> hovered_;
  std::vector<TFollowRecord> follow_;
  std::string followText_;
  int32_t followLeft_ = 0, followTop_ = 0, followWidth_ = 0, followHeight_ = 0;
  std::string followMask_ = "null_widget";
  int32_t blockLeft_ = 0, blockTop_ = 0, blockWidth_ = 0, blockHeight_ = 0;
  bool blockDrag_ = false;
  bool skipOffered_ = false;
  bool won_ = false;
  TPoint mouse_;
  std::string dataFile_;  // the file the game was read from
};
