#include "screens/Tv2GameScreenLevelStat.h"

#include <algorithm>
#include <string_view>

#include "engine/EngineRoutines.h"
#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/Routines.h"
#include "foundation/SafeFile.h"
#include "screens/Tv2ProgressRecords.h"
#include "shell/WidgetClasses.h"
#include "shell/WidgetFactories.h"

namespace {

constexpr const char* kTableNames[] = {"0", "1"};
// Where the level-score row sits: lower without the time row above it.
constexpr double kLevelScoreTopUntimed = 245;
constexpr double kLevelScoreTopTimed = 210;

// The frame layout of the found objects.
constexpr int kNoCategoryFrame = 2;
constexpr int32_t kDefaultColumnStep = 36;
constexpr int32_t kObjectLeftInFrame = 80;

std::optional<int64_t> NumberOf(const Variant& value) {
  if (auto whole = value.TryInt()) return whole;
  if (auto real = value.TryDouble()) return RoundHalfEven64(*real);
  return std::nullopt;
}

int32_t ReadInt(const Ref<IParamCollection>& params, const std::string& name, int32_t def) {
  Ref<IParam> param = params->FindParam(Variant(name));
  if (!param) return def;
  auto number = NumberOf(param->GetValue());
  return number ? SaturateInt32(*number) : def;
}

std::string ReadText(const Ref<IParamCollection>& params, const std::string& name,
                     const std::string& def) {
  Ref<IParam> param = params->FindParam(Variant(name));
  return param ? param->GetValue().ToString() : def;
}

// A flag as the play screen writes it, or as data writes flags.
std::optional<bool> ReadFlag(const Variant& value) {
  if (auto flag = value.TryBool()) return flag;
  std::string text = value.ToString();
  if (SameText(text, "yes")) return true;
  if (SameText(text, "no")) return false;
  return std::nullopt;
}

// Widget templates read flags as "yes" and "no".
const char* XmlFlag(bool value) {
  return value ? "yes" : "no";
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Rules

int32_t TTavelor2GameScreenLevelStat::TimeBonus(int32_t seconds) {
  if (seconds < 60) return 2000;
  if (seconds < 120) return 1000;
  if (seconds < 240) return 500;
  if (seconds < 480) return 250;
  return 0;
}

int32_t TTavelor2GameScreenLevelStat::CountBonus(int32_t count) {
  static constexpr int32_t kBonus[] = {2000, 1000, 500, 250};
  return count >= 0 && count < 4 ? kBonus[count] : 0;
}

int32_t TTavelor2GameScreenLevelStat::ColumnStep(int32_t deepest) {
  if (deepest == 1) return kDefaultColumnStep;
  double spread = (400.0 - 70.0 * deepest) / (double(deepest) - 1);
  return std::min<int32_t>(55, SaturateInt32(int64_t(70) + RoundHalfEven(spread)));
}

double TTavelor2GameScreenLevelStat::FrameZoom(int32_t width, int32_t height) {
  double longer = std::max(width, height), shorter = std::min(width, height);
  // An object without an area has nothing to scale.
  if (shorter <= 0) return 1;
  double side = longer / shorter < 1.4 ? 38 : 48;
  return std::min(side / longer, 1.0);
}

// ---------------------------------------------------------------------------------------
// Life

void TTavelor2GameScreenLevelStat::SetOwner(IGameScreenOwner* owner) {
  Ref<IWidget> group = root_ ? root_->FindWidget("specific_part_group") : nullptr;
  specificParts_ = group ? group->GetChildren() : nullptr;
  TGameScreen::SetOwner(owner);
}

void TTavelor2GameScreenLevelStat::ReleaseOwner() {
  // The frames are found through the window, which the inherited release lets go.
  ClearFrames();
  TGameScreen::ReleaseOwner();
  RemoveAllChildren(specificParts_.get());
  specificParts_ = nullptr;
  progress_ = nullptr;
  currentCase_ = nullptr;
  categories_ = nullptr;
  sceneDefs_ = nullptr;
}

void TTavelor2GameScreenLevelStat::Show(const Ref<IParamCollection>& params) {
  closeWhenShown_ = false;
  TGameScreen::Show(params);
  // Closed once the showing has set the screen up: a close from inside it would be undone.
  if (closeWhenShown_) Close(nullptr);
}

void TTavelor2GameScreenLevelStat::OnShow(const Ref<IParamCollection>& params) {
  TGameScreen::OnShow(params);
  ClearFrames();
  LoadContext();
  ShowStatistics(params);
  AddHighScore();
}

void TTavelor2GameScreenLevelStat::LoadContext() {
  progress_ = nullptr;
  currentCase_ = nullptr;
  playMode_ = 0;
  level_ = 0;
  levelScore_ = 0;
  total_ = 0;
  levelTime_ = 0;
  hintsUsed_ = 0;
  mistakes_ = 0;
  complete_ = false;
  statisticKind_.clear();
  levelKind_ = 0;
  categoryNames_.fill({});
  categoryCounts_.fill(0);
  IGameScreenOwner* game = GetOwner();
  if (!game) return;
  progress_ = PublishedProgress(game);
  if (progress_ && progress_->GetCases()) {
    currentCase_ = progress_->CurrentCase();
    playMode_ = progress_->GetPlayMode();
    level_ = progress_->GetLevel();
  }
  categories_ = Supports<ICategoryCollection>(game->GetParamValue("categories").RawInterface());
  sceneDefs_ = Supports<ISceneDefRefCollection>(game->GetParamValue("scene_defs").RawInterface());
}

// ---------------------------------------------------------------------------------------
// The rows

void TTavelor2GameScreenLevelStat::ShowStatistics(const Ref<IParamCollection>& params) {
  if (!params) return;
  Ref<IParam> kind = params->FindParam(Variant("tasktype"));
  Ref<IParam> complete = params->FindParam(Variant("complete"));
  Ref<IParam> statistic = params->FindParam(Variant("level_statistic"));
  std::optional<int64_t> kindValue = kind ? NumberOf(kind->GetValue()) : std::nullopt;
  std::optional<bool> completeValue = complete ? ReadFlag(complete->GetValue()) : std::nullopt;
  if (!kindValue || !completeValue || !statistic) {
    closeWhenShown_ = true;
    return;
  }
  levelKind_ = uint8_t(LevelKindOfType(*kindValue));
  complete_ = *completeValue;
  statisticKind_ = statistic->GetValue().ToString();
  // The running total holds the player's stored total; without one the level adds nothing.
  total_ = ReadInt(params, "scores", progress_ ? progress_->GetScores() : 0);
  levelTime_ = ReadInt(params, "time", 0);
  hintsUsed_ = ReadInt(params, "hints_used", 0);
  mistakes_ = ReadInt(params, "wrong_clicks", 0);

  ClearSpecificPart();
  if (!complete_ && playMode_ == 0) {
    // Rows of an earlier showing must not stand beside the consolation.
    for (const char* row :
         {"label_total_scores", "total_scores", "label_level_time", "level_time",
          "level_time_scores", "label_level_scores", "level_scores", "all_scores"})
      ShowWidget(row, false);
    // The hints and mistakes rows show as the window has them: emptied, not hidden.
    for (const char* row :
         {"level_hints", "level_hints_scores", "level_mistakes", "level_mistakes_scores"})
      SetWidgetText(row, "");
    AddSpecificPart("loose_specific_part", nullptr);
    return;
  }

  int32_t bonuses = FillRows();
  total_ = SaturatingAdd(total_, bonuses);
  if (progress_) progress_->SetScores(total_);
  SetWidgetText("all_scores", std::to_string(total_));
  ShowWidget("all_scores", complete_);

  if (currentCase_) ShowLevelPart(params);
}

int32_t TTavelor2GameScreenLevelStat::FillRows() {
  bool timed = playMode_ == 0;
  ShowWidget("label_total_scores", complete_);
  ShowWidget("total_scores", complete_);

  int32_t timeBonus = complete_ && timed ? TimeBonus(levelTime_) : 0;
  ShowWidget("label_level_time", timed);
  SetWidgetText("level_time", FormatMinSec(levelTime_));
  ShowWidget("level_time", timed);
  SetWidgetText("level_time_scores", std::to_string(timeBonus));
  ShowWidget("level_time_scores", timed);

  if (progress_) levelScore_ = SaturateInt32(int64_t(total_) - progress_->GetScores());
  double top = timed ? kLevelScoreTopTimed : kLevelScoreTopUntimed;
  SetRowAnchorTop("label_level_scores", top);
  ShowWidget("label_level_scores", complete_);
  SetWidgetText("level_scores", std::to_string(levelScore_));
  SetRowAnchorTop("level_scores", top);
  ShowWidget("level_scores", complete_);

  int32_t hintsBonus = complete_ ? CountBonus(hintsUsed_) : 0;
  SetWidgetText("level_hints", std::to_string(hintsUsed_));
  SetWidgetText("level_hints_scores", std::to_string(hintsBonus));
  int32_t mistakesBonus = complete_ ? CountBonus(mistakes_) : 0;
  SetWidgetText("level_mistakes", std::to_string(mistakes_));
  SetWidgetText("level_mistakes_scores", std::to_string(mistakesBonus));

  int32_t bonuses = timeBonus + hintsBonus + mistakesBonus;
  SetWidgetText("total_scores", std::to_string(SaturatingAdd(levelScore_, bonuses)));
  return bonuses;
}

void TTavelor2GameScreenLevelStat::SetRowAnchorTop(const char* name, double top) {
  if (Ref<IWidget> row = FindWidget(name)) row->SetAnchorTop(top);
}

// ---------------------------------------------------------------------------------------
// The part of the level kind

void TTavelor2GameScreenLevelStat::ShowLevelPart(const Ref<IParamCollection>& params) {
  if (!complete_) {
    AddSpecificPart("loose_specific_part", nullptr);
    return;
  }
  if (statisticKind_ == "empty") {
    AddSpecificPart("default_specific_part", nullptr);
    return;
  }
  switch (levelKind_) {
    case 0:
    case 1: {
      std::string participant = ReadText(params, "participant", "");
      if (participant.empty()) {
        AddSpecificPart("default_specific_part", nullptr);
        return;
      }
      Ref<IWidget> part = ShowParticipant(participant);
      if (part && specificParts_) specificParts_->Add(part);
      ShowFoundObjects(ReadText(params, "scenename", ";"), ReadText(params, "object_names", ";"),
                       part);
      return;
    }
    case 2:
    case 3:
      AddSpecificPart("default_specific_part", nullptr);
      return;
    case 4: {
      if (ReadText(params, "task", "").find("gift") == std::string::npos) {
        AddSpecificPart("default_specific_part", nullptr);
        return;
      }
      Ref<IParamCollection> gift = NewParamCollection();
      gift->SetValue("resourcename", Variant(ReadText(params, "scenename", ";")));
      AddSpecificPart("gift_specific_part", gift);
      return;
    }
    default:
      return;
  }
}

Ref<IWidget> TTavelor2GameScreenLevelStat::AddSpecificPart(const std::string& factory,
                                                           const Ref<IParamCollection>& params) {
  Ref<IWidget> part = CreateWidget(factory, params ? params : NewParamCollection());
  if (part && specificParts_) specificParts_->Add(part);
  return part;
}

void TTavelor2GameScreenLevelStat::ClearSpecificPart() {
  RemoveAllChildren(specificParts_.get());
}

Ref<IWidget> TTavelor2GameScreenLevelStat::ShowParticipant(const std::string& name) {
  IGameScreenOwner* game = GetOwner();
  Ref<IParticipantCollection> participants =
      game ? Supports<IParticipantCollection>(game->GetParamValue("participants").RawInterface())
           : nullptr;
  Ref<IParticipant> participant = participants ? participants->GetItem(Variant(name)) : nullptr;
  Ref<IParamCollection> params = NewParamCollection();
  bool client = participant && participant->IsClient();
  params->SetValue("avatar", Variant(participant ? participant->GetAvatar() : ""));
  params->SetValue("frame_num", Variant(Random(5)));
  params->SetValue("frame_angle", Variant(Random(12) - 5));
  params->SetValue("caption", Variant(participant ? participant->GetCaption() : ""));
  params->SetValue("description", Variant(participant ? participant->GetDescription() : ""));
  params->SetValue("is_client", Variant(XmlFlag(client)));
  params->SetValue("is_not_client", Variant(XmlFlag(!client)));
  // Every row the card may name gets a text: a row left unnamed would reach the language
  // as its own "%categoryN%" and be looked up there.
  for (int n = 0; n < kFrameCount; ++n)
    params->SetValue("category" + std::to_string(n), Variant(""));
  if (participant && categories_) {
    std::string list = participant->GetCategories();
    size_t start = 0;
    for (int n = 0; n < kFrameCount && start <= list.size(); ++n) {
      size_t end = std::min(list.find(';', start), list.size());
      std::string categoryName = list.substr(start, end - start);
      start = end + 1;
      Ref<ICategory> category =
          categoryName.empty() ? nullptr : categories_->GetItem(Variant(categoryName));
      if (!category) continue;
      params->SetValue("category" + std::to_string(n), Variant(category->GetCaption()));
      categoryNames_[n] = category->GetName();
    }
  }
  return CreateWidget("ho_specific_part", params);
}

// ---------------------------------------------------------------------------------------
// The found objects in their frames

Ref<IWidget> TTavelor2GameScreenLevelStat::Frame(int index, const Ref<IWidget>& group) {
  std::string path = "window/category_" + std::to_string(index);
  if (group)
    if (Ref<IWidget> frame = group->FindWidget(path)) return frame;
  return FindWidget(path);
}

void TTavelor2GameScreenLevelStat::ClearFrames() {
  if (!root_) return;
  for (int i = 0; i < kFrameCount; ++i)
    if (Ref<IWidget> frame = root_->FindWidget("window/category_" + std::to_string(i)))
      RemoveAllChildren(frame->GetChildren().get());
}

void TTavelor2GameScreenLevelStat::ShowFoundObjects(const std::string& sceneName,
                                                    const std::string& objectNames,
                                                    const Ref<IWidget>& group) {
  std::vector<std::string> entries;
  for (size_t start = 0; start < objectNames.size();) {
    size_t end = std::min(objectNames.find(';', start), objectNames.size());
    if (end > start) entries.push_back(objectNames.substr(start, end - start));
    start = end + 1;
  }
  if (entries.empty() || !group) return;

  bool byCategory = std::any_of(categoryNames_.begin(), categoryNames_.end(),
                                [](const std::string& name) { return !name.empty(); });
  int32_t count = int32_t(entries.size());
  std::array<int32_t, kFrameCount> column{};
  int32_t step = kDefaultColumnStep;
  if (!byCategory) {
    column[kNoCategoryFrame] = count < 12 ? 170 - 18 * count : -28;
    if (count >= 12) step = 396 / count;
  }

  Ref<ISceneDefRef> ref = sceneDefs_ ? sceneDefs_->GetItem(Variant(sceneName)) : nullptr;
  Ref<ISceneDef> scene = ref ? ref->LoadSceneDef() : nullptr;
  Ref<ISceneObjectDefCollection> defs = scene ? scene->GetObjectDefs() : nullptr;
  struct Placed {
    Ref<ISceneObjectDef> def;
    std::string location;
    int frame;
  };
  std::vector<Placed> placed;
  for (const std::string& entry : entries) {
    std::string_view head, rest;
    SplitWidgetPath(entry, head, rest);
    Ref<ISceneObjectDef> def = defs ? defs->GetItem(Variant(std::string(head))) : nullptr;
    if (!def || def->GetObjectType() != otHiddenObject) continue;
    int frame = kNoCategoryFrame;
    if (byCategory) {
      // A frame without a category holds nothing, not the objects without one.
      std::string category = def->GetCategory();
      auto it = std::find_if(
          categoryNames_.begin(), categoryNames_.end(),
          [&](const std::string& name) { return !name.empty() && SameText(name, category); });
      if (it == categoryNames_.end()) continue;
      frame = int(it - categoryNames_.begin());
    }
    placed.push_back({def, std::string(rest), frame});
  }

  int32_t deepest = count;
  if (byCategory) {
    categoryCounts_.fill(0);
    for (const Placed& object : placed) ++categoryCounts_[object.frame];
    deepest = *std::max_element(categoryCounts_.begin(), categoryCounts_.end());
  }
  if (deepest != 1) step = ColumnStep(deepest);

  std::array<Ref<IWidget>, kFrameCount> last;
  for (const Placed& object : placed) {
    Ref<IWidget> frame = Frame(object.frame, group);
    Ref<IParamCollection> params = NewParamCollection();
    object.def->FillWidgetParams(object.location, params);
    params->SetValue("caption", Variant(object.def->GetCaptionText()));
    double zoom = FrameZoom(object.def->GetWidth(), object.def->GetHeight());
    params->SetValue("zoom", Variant(zoom));
    int32_t left = SaturatingAdd(column[object.frame], kObjectLeftInFrame);
    column[object.frame] = SaturatingAdd(column[object.frame], step);
    int32_t top = frame ? RoundHalfEven(frame->GetAnchorTop()) : 0;
    params->SetValue("anchor_left", Variant(left));
    params->SetValue("anchor_top", Variant(top));
    params->SetValue("zoom2", Variant(std::min(zoom * 4.3, 1.0)));
    params->SetValue("shiftleft", Variant(SaturateInt32(-int64_t(left) - 355)));
    params->SetValue("shifttop", Variant(SaturateInt32(280 - int64_t(top))));
    Ref<IWidget> widget = CreateWidget("obj_in_frame", params);
    if (!widget || !frame) continue;
    Ref<IWidgetCollection> children = frame->GetChildren();
    if (!children || children->GetByName(widget->GetName())) continue;
    children->Add(widget);
    last[object.frame] = widget;
  }
  for (const Ref<IWidget>& widget : last)
    if (widget) widget->SetProperty("maskwidget", Variant("image_normal"));
}

// ---------------------------------------------------------------------------------------
// High score and level record

void TTavelor2GameScreenLevelStat::AddHighScore() {
  IGameScreenOwner* game = GetOwner();
  if (!complete_ || !game) return;
  Ref<IUserProfileCollection> profiles = game->GetUserProfiles();
  Ref<ILevelRecords> records = game->GetLevelRecords();
  Ref<IUserProfile> profile = profiles ? profiles->GetCurrent() : nullptr;
  if (!profile || !records) return;
  IEngine* engine = game->GetEngine();
  const std::string player = profile->GetName();
  const std::string table = kTableNames[playMode_ == 0 ? 0 : 1];
  // The three files below share their folder: it is flushed once, after the last.
  TFolderFlushBatch oneFolderFlush;

  if (Ref<IHighScores> scores = game->GetHighScores()) {
    Ref<IParamCollection> row = NewParamCollection();
    row->SetValue("Player", Variant(player));
    row->SetValue("Score", Variant(total_));
    row->SetValue("Level", Variant(level_));
    row->SetValue("Const", Variant("no"));
    if (scores->AddRecordMatched(row, table))
      profile->GetParams()->SetValue("ShowHighScores", Variant("yes"));
    if (engine) scores->SaveToFile(engine);
  }

  if (Ref<ILevelRecord> record = records->GetRecord(nullptr, table, level_)) {
    if (record->GetIntValue("Score", -1, false) < levelScore_) {
      record->SetIntValue("Score", levelScore_);
      record->SetValue("Scorename", player);
    }
    int32_t bestTime = record->GetIntValue("time", -1, false);
    if (bestTime < 0 || bestTime > levelTime_) {
      record->SetIntValue("time", levelTime_);
      record->SetValue("timename", player);
    }
  }
  if (engine) records->SaveToFile(engine);
  if (engine) profiles->SaveToFile(engine);
}
