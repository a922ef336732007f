#include "minigames/MiniGameThimble.h"

#include <algorithm>

#include "foundation/Random.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

namespace {

// One attempt plays "size" + 1 moves; more than this is a data slip, not a shuffle.
constexpr int32_t kMostMovesPerAttempt = 1000;

// A permutation of the positions 0 .. Count - 1, or nothing.
bool ReadOrder(const std::string& text, size_t count, std::vector<int32_t>& order) {
  order.clear();
  std::vector<bool> seen(count, false);
  for (const std::string& entry : TMiniGameWidget::Split(text, ';')) {
    int32_t position = 0;
    if (!TryTextToInt(entry, position) || position < 0 || size_t(position) >= count ||
        seen[size_t(position)])
      return false;
    seen[size_t(position)] = true;
    order.push_back(position);
  }
  return order.size() == count;
}

}  // namespace

void TThimbleWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  ReadCups(node);
  ReadMoves(node);
  ReadTasks(node);
  current_ = 0;
  playable_ = !cups_.empty() && !moves_.empty() && !tasks_.empty();
  if (!playable_)
    WarnAboutNode(node, "needs cups, moves and tasks (has " + std::to_string(cups_.size()) + ", " +
                            std::to_string(moves_.size()) + ", " + std::to_string(tasks_.size()) +
                            "): only its skip ends the game");
  SetState(kBegin);
  playing_ = true;
}

void TThimbleWidget::ReadCups(const Ref<IHierStorage>& node) {
  cups_.clear();
  Ref<IHierStorage> section = node->GetChild("elements", 0);
  int count = section ? section->GetChildCount("element") : 0;
  for (int i = 0; i < count; ++i) {
    Ref<IHierStorage> cupNode = section->GetChild("element", i);
    TElement cup;
    cup.widget = ReadXmlStr(cupNode, "widget", "null_widget");
    cup.fail = ReadXmlStr(cupNode, "fail_animation", "fail");
    cup.success = ReadXmlStr(cupNode, "success_animation", "success");
    cup.showBall = ReadXmlStr(cupNode, "show_ball_anim", "show_ball_anim");
    cup.showEmpty = ReadXmlStr(cupNode, "show_empty_anim", "show_empty_anim");
    cups_.push_back(std::move(cup));
  }
}

void TThimbleWidget::ReadMoves(const Ref<IHierStorage>& node) {
  moves_.clear();
  Ref<IHierStorage> section = node->GetChild("game_actions", 0);
  int count = section ? section->GetChildCount("game_action") : 0;
  for (int i = 0; i < count; ++i) {
    Ref<IHierStorage> moveNode = section->GetChild("game_action", i);
    TGameAction move;
    move.animation = ReadXmlStr(moveNode, "anim_name", "null_widget");
    std::string order = ReadXmlStr(moveNode, "order");
    // Cups that are not all in one place after a move cannot be followed.
    if (!ReadOrder(order, cups_.size(), move.order)) {
      if (!cups_.empty())
        WarnAboutNode(moveNode, "order \"" + order + "\" is no arrangement of the " +
                                    std::to_string(cups_.size()) + " cups; the move is dropped");
      continue;
    }
    moves_.push_back(std::move(move));
  }
}

void TThimbleWidget::ReadTasks(const Ref<IHierStorage>& node) {
  tasks_.clear();
  Ref<IHierStorage> section = node->GetChild("tasks", 0);
  int count = section ? section->GetChildCount("task") : 0;
  for (int i = 0; i < count; ++i) {
    Ref<IHierStorage> taskNode = section->GetChild("task", i);
    int32_t size = ReadXmlInt(taskNode, "size", 3);
    if (size >= kMostMovesPerAttempt) {
      WarnAboutNode(taskNode, "size " + std::to_string(size) + " is lowered to " +
                                  std::to_string(kMostMovesPerAttempt - 1));
      size = kMostMovesPerAttempt - 1;
    }
    tasks_.push_back(size);
  }
}

int TThimbleWidget::BallPosition() const {
  for (size_t i = 0; i < cups_.size(); ++i)
    if (cups_[i].hasBall) return int(i);
  return -1;
}

bool TThimbleWidget::IsQueueBusy() {
  Ref<IWidget> tail = FindWidget(lastQueued_);
  return tail && !tail->IsDead();
}

void TThimbleWidget::Update(int32_t dt) {
  TMiniGameWidget::Update(dt);
  if (!playable_ || won_ || state_ > kShuffle || IsQueueBusy()) return;
  SetState(TState(state_ + 1));
}

bool TThimbleWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (message == input::kLeftButtonDown && hovered_) ClickCup(GetHoveredWidgetName());
  return result;
}

void TThimbleWidget::ClickCup(const std::string& name) {
  if (!playing_ || state_ != kWait) return;
  int position = -1;
  for (size_t i = 0; i < cups_.size(); ++i)
    if (cups_[i].widget == name) position = int(i);
  if (position < 0) return;
  Ref<IParamCollection> params = CupParams(cups_[size_t(position)], "fail_");
  if (cups_[size_t(position)].hasBall) {
    params->SetValue("curr_task", Variant::Integer(current_));
    params->SetValue("task_count", Variant::Integer(int32_t(tasks_.size())));
    params->SetValue("task_need", Variant::Integer(int32_t(tasks_.size()) - current_));
    MakeFeedback(cups_[size_t(position)].success, params);
    SetState(kRight);
  } else {
    int ball = BallPosition();
    params->SetValue("ball_widget",
                     Variant(ball >= 0 ? cups_[size_t(ball)].widget : std::string()));
    MakeFeedback(cups_[size_t(position)].fail, params);
    SetState(kWrong);
  }
}

Ref<IParamCollection> TThimbleWidget::CupParams(const TElement& cup, std::string_view prefix) {
  Ref<IParamCollection> params = NewParams();
  Ref<IWidget> widget = FindWidget(cup.widget);
  CopyNumbered(params, widget.get(), prefix);
  if (widget) params->SetValue("elem_widget", Variant(cup.widget));
  return params;
}

void TThimbleWidget::SetState(TState state) {
  state_ = state;
  switch (state) {
    case kBegin:
      MakeFeedback("begin_animation");
      break;
    case kShowBall:
      ShowBall();
      break;
    case kShuffle:
      Shuffle();
      break;
    case kWait:
      break;
    case kWrong:
      // The same task again: the ball is placed anew.
      SetState(kShowBall);
      break;
    case kRight:
      ++current_;
      SetState(size_t(current_) < tasks_.size() ? kShowBall : kWon);
      break;
    case kWon:
      Win();
      break;
  }
}

void TThimbleWidget::ShowBall() {
  for (TElement& cup : cups_) cup.hasBall = false;
  TElement& cup = cups_[size_t(Random(int32_t(cups_.size())))];
  cup.hasBall = true;
  MakeFeedback(cup.showBall, CupParams(cup, "show_ball_"));
}

void TThimbleWidget::Shuffle() {
  int32_t count = tasks_[size_t(current_)] + 1;
  for (int32_t i = 0; i < count; ++i) PlayMove(moves_[size_t(Random(int32_t(moves_.size())))]);
}

void TThimbleWidget::PlayMove(const TGameAction& move) {
  Ref<IParamCollection> params = NewParams();
  for (size_t i = 0; i < cups_.size(); ++i)
    params->SetValue("elem_" + std::to_string(i), Variant(cups_[i].widget));
  MakeFeedback(move.animation, params);
  std::vector<TElement> before = cups_;
  for (size_t i = 0; i < cups_.size(); ++i) cups_[i] = before[size_t(move.order[i])];
}
