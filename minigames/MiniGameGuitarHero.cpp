#include "minigames/MiniGameGuitarHero.h"

#include <algorithm>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

namespace {

// Min + Random(Max - Min), without overflow.
int32_t RandomBetween(int32_t min, int32_t max) {
  return SaturatingAdd(min, Random(SaturateInt32(int64_t(max) - min)));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// A lane

Ref<IWidget> TMiniGameGuitarHero::TLayer::Find(const Ref<IHierStorage>& node,
                                               const char* attribute) {
  return game_->FindWidget(ReadXmlStr(node, attribute, "null_widget"));
}

void TMiniGameGuitarHero::TLayer::Load(const Ref<IHierStorage>& node) {
  respawnWidget_ = Find(node, "respawn_widget");
  checkWidget_ = Find(node, "check_widget");
  deadWidget_ = Find(node, "dead_widget");
  control_ = Find(node, "control_widget");
  controlName_ = ReadXmlStr(node, "control_widget", "null_widget");
  scoreWidget_ = Find(node, "score_widget");
  reverseScoreWidget_ = Find(node, "reverse_score_widget");
  auto readRect = [&](const char* prefix, const TRectI& def) {
    std::string p = prefix;
    TRectI r;
    r.left = ReadXmlInt(node, p + "_left", def.left);
    r.top = ReadXmlInt(node, p + "_top", def.top);
    r.right = ReadXmlInt(node, p + "_right", r.left);
    r.bottom = ReadXmlInt(node, p + "_bottom", r.top);
    return r;
  };
  respawn_ = readRect("respawn", {});
  check_ = readRect("check", {});
  // The dead zone defaults to the respawn zone, corner by corner.
  dead_.left = ReadXmlInt(node, "dead_left", respawn_.left);
  dead_.top = ReadXmlInt(node, "dead_top", respawn_.top);
  dead_.right = ReadXmlInt(node, "dead_right", respawn_.right);
  dead_.bottom = ReadXmlInt(node, "dead_bottom", respawn_.bottom);
  target_ = ReadXmlInt(node, "score", 0);
  stopFull_ = ReadXmlBool(node, "stop_full", false);
  hits_ = 0;
  active_ = true;
  kinds_.clear();
  Ref<IHierStorage> blips = node->GetChild("blips", 0);
  int count = blips ? blips->GetChildCount("blip") : 0;
  for (int i = 0; i < count; ++i) {
    Ref<IHierStorage> b = blips->GetChild("blip", i);
    auto kind = std::make_unique<TBlipKind>();
    kind->blip = ReadXmlStr(b, "blip", "blip");
    kind->update = ReadXmlStr(b, "update_blip", "update_blip");
    kind->check = ReadXmlStr(b, "check_blip", "check_blip");
    kind->success = ReadXmlStr(b, "success_blip", "success_blip");
    kind->dead = ReadXmlStr(b, "dead_blip", "dead_blip");
    int32_t cost = ReadXmlInt(b, "cost", 1);
    kind->maxCost = ReadXmlInt(b, "max_cost", cost);
    kind->minCost = ReadXmlInt(b, "min_cost", cost);
    int32_t deadCost = ReadXmlInt(b, "dead_cost", 0);
    kind->maxDeadCost = ReadXmlInt(b, "max_dead_cost", deadCost);
    kind->minDeadCost = ReadXmlInt(b, "min_dead_cost", deadCost);
    kind->resetLayerByCheck = ReadXmlBool(b, "reset_layer_by_check", false);
    kind->resetByCheck = ReadXmlBool(b, "reset_by_check", false);
    kind->resetLayerByDead = ReadXmlBool(b, "reset_layer_by_dead", false);
    kind->resetByDead = ReadXmlBool(b, "reset_by_dead", false);
    kind->deadOnCheck = ReadXmlBool(b, "dead_on_check", false);
    kinds_.push_back(std::move(kind));
  }
  if (!control_)
    WarnAboutNode(node, "control widget \"" + controlName_ + "\" not found: the lane never spawns");
  else if (kinds_.empty())
    WarnAboutNode(node, "no \"blip\" kinds: the lane never spawns");
}

TMiniGameGuitarHero::TRectI TMiniGameGuitarHero::TLayer::Zone(const TRectI& rect,
                                                              const Ref<IWidget>& widget) const {
  if (!widget || widget->IsDead()) return rect;
  TRect r = widget->GetRect();
  return {r.Left, r.Top, r.Right, r.Bottom};
}

bool TMiniGameGuitarHero::TLayer::IsGone(IWidget* widget) {
  return !widget || widget->IsDead() || !widget->GetOwner();
}

bool TMiniGameGuitarHero::TLayer::Overlaps(IWidget* widget, const TRectI& zone) {
  if (IsGone(widget)) return false;
  double x = widget->GetAnchorLeft(), y = widget->GetAnchorTop();
  return zone.left <= x + widget->GetWidth() && x <= zone.right &&
         zone.top <= y + widget->GetHeight() && y <= zone.bottom;
}

Ref<IWidget> TMiniGameGuitarHero::TLayer::MakeBlipWidget(const std::string& factory,
                                                         const Ref<IParamCollection>& params) {
  // Blips come from the factories around the lane's control widget.
  IWidgetOwner* maker = control_ ? control_->GetOwner() : nullptr;
  Ref<IWidget> widget = maker ? maker->CreateWidgetFromFactory(factory, params) : nullptr;
  if (!widget) return nullptr;
  game_->GetChildren()->Add(widget);
  widget->SetPaused(false);
  return widget;
}

void TMiniGameGuitarHero::TLayer::BlipWidget(const std::string& factory, const TBlip& blip,
                                             bool withControl) {
  Ref<IParamCollection> params = NewParams();
  params->SetValue("id", Variant::Integer(game_->NextId()));
  params->SetValue("name", Variant(blip.widget->GetName()));
  if (withControl) params->SetValue("widget", Variant(controlName_));
  params->SetValue("layer", Variant::Integer(index_));
  MakeBlipWidget(factory, params);
}

bool TMiniGameGuitarHero::TLayer::DeadPass() {
  bool died = false;
  TRectI zone = Zone(dead_, deadWidget_);
  for (size_t i = blips_.size(); i-- > 0;) {
    TBlip& blip = blips_[i];
    // A blip whose widget went by itself can never reach a zone.
    if (IsGone(blip.widget.get())) {
      Remove(i);
      continue;
    }
    if (!Overlaps(blip.widget.get(), zone)) continue;
    deadSum_ = SaturatingAdd(deadSum_, blip.deadCost);
    BlipWidget(blip.kind->dead, blip, false);
    Remove(i);
    died = true;
  }
  return died;
}

bool TMiniGameGuitarHero::TLayer::CheckPass() {
  bool hit = false;
  TRectI zone = Zone(check_, checkWidget_);
  for (size_t i = blips_.size(); i-- > 0;) {
    TBlip& blip = blips_[i];
    if (!Overlaps(blip.widget.get(), zone)) continue;
    checkSum_ = SaturatingAdd(checkSum_, blip.cost);
    BlipWidget(blip.kind->success, blip, true);
    Remove(i);
    hit = true;
  }
  return hit;
}

void TMiniGameGuitarHero::TLayer::CollisionStep() {
  int32_t before = hits_;
  TRectI checkZone = Zone(check_, checkWidget_);
  TRectI deadZone = Zone(dead_, deadWidget_);
  for (size_t i = blips_.size(); i-- > 0;) {
    TBlip& blip = blips_[i];
    const TBlipKind& kind = *blip.kind;
    if (Overlaps(blip.widget.get(), checkZone)) {
      hits_ = SaturatingAdd(hits_, blip.cost);
      resetLane |= kind.resetLayerByCheck;
      resetAll |= kind.resetByCheck;
      BlipWidget(kind.success, blip, true);
      Remove(i);
      break;
    }
    if (Overlaps(blip.widget.get(), deadZone)) {
      hits_ = SaturatingAdd(hits_, blip.deadCost);
      resetLane |= kind.resetLayerByDead;
      resetAll |= kind.resetByDead;
      BlipWidget(kind.dead, blip, false);
      Remove(i);
    }
  }
  if (hits_ != before) ShowScore();
  if (stopFull_) active_ = hits_ < target_;
}

void TMiniGameGuitarHero::TLayer::Spawn() {
  if (!control_ || kinds_.empty()) return;
  int32_t kindIndex = Random(int32_t(kinds_.size()));
  const TBlipKind& kind = *kinds_[size_t(kindIndex)];
  TBlip blip;
  blip.kind = &kind;
  blip.cost = RandomBetween(kind.minCost, kind.maxCost);
  blip.deadCost = RandomBetween(kind.minDeadCost, kind.maxDeadCost);
  TRectI zone = Zone(respawn_, respawnWidget_);
  int32_t x = RandomBetween(zone.left, zone.right), y = RandomBetween(zone.top, zone.bottom);
  Ref<IParamCollection> params = NewParams();
  params->SetValue("id", Variant::Integer(game_->NextId()));
  params->SetValue("start_x", Variant::Integer(x));
  params->SetValue("start_y", Variant::Integer(y));
  blip.widget = MakeBlipWidget(kind.blip, params);
  Ref<IParamCollection> update = NewParams();
  update->SetValue("id", Variant::Integer(game_->NextId()));
  update->SetValue("start_x", Variant::Integer(x));
  update->SetValue("start_y", Variant::Integer(y));
  update->SetValue("name", Variant(blip.widget ? blip.widget->GetName() : std::string()));
  update->SetValue("layer", Variant::Integer(kindIndex));
  MakeBlipWidget(kind.update, update);
  if (blip.widget) blips_.push_back(std::move(blip));
}

void TMiniGameGuitarHero::TLayer::TakeSums() {
  hits_ = SaturatingAdd(SaturatingAdd(hits_, deadSum_), checkSum_);
  deadSum_ = checkSum_ = 0;
}

void TMiniGameGuitarHero::TLayer::ShowScore() {
  if (scoreWidget_) scoreWidget_->SetProperty("text", Variant(std::to_string(hits_)));
  if (reverseScoreWidget_)
    reverseScoreWidget_->SetProperty(
        "text", Variant(std::to_string(std::max<int64_t>(int64_t(target_) - hits_, 0))));
}

void TMiniGameGuitarHero::TLayer::KillAll() {
  for (size_t i = blips_.size(); i-- > 0;) {
    blips_[i].deadCost = 0;
    if (!IsGone(blips_[i].widget.get())) BlipWidget(blips_[i].kind->dead, blips_[i], false);
    Remove(i);
  }
}

// ---------------------------------------------------------------------------------------
// The game

const TPropertyTable& TMiniGameGuitarHero::Properties() {
  using G = TMiniGameGuitarHero;
  static const TPropertyTable table(
      TMiniGameWidget::Properties(),
      {
          Prop<G>(
              "programm", [](G& g) { return g.GetProgramText(); },
              [](G& g, const Variant& v) { g.SetProgramText(v.ToString()); }),
      });
  return table;
}

void TMiniGameGuitarHero::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  lanes_.clear();
  Ref<IHierStorage> layers = node->GetChild("layers", 0);
  int count = layers ? layers->GetChildCount("layer") : 0;
  for (int i = 0; i < count; ++i) {
    auto lane = std::make_unique<TLayer>(this, i);
    lane->Load(layers->GetChild("layer", i));
    lanes_.push_back(std::move(lane));
  }
  for (auto& lane : lanes_) lane->ShowScore();
  collisionControl_ = ReadXmlStr(node, "control_mode", "by_click") != "by_click";
  gameMode_ = TGameMode(ReadXmlEnum(node, "game_mode", "random/program/program_play/record", 0));
  program_.clear();
  playback_ = 0;
  if (Ref<IHierStorage> program = node->GetChild("program", 0)) {
    std::string track = ReadXmlStr(program, "track");
    if (!SetProgramText(track))
      WarnAboutNode(program, "track \"" + track +
                                 "\" has an entry that is not lane:time; the "
                                 "program stops before it");
    gameMode_ = kProgram;
  }
  targetTotal_ = ReadXmlInt(node, "score", 0);
  total_ = 0;
  elapsed_ = 0;
  int32_t duration = ReadXmlInt(node, "duration", 1000);
  minDuration_ = ReadXmlInt(node, "min_duration", duration);
  maxDuration_ = ReadXmlInt(node, "max_duration", minDuration_);
  interval_ = minDuration_;
  playing_ = true;
}

void TMiniGameGuitarHero::ReleaseOwner() {
  TMiniGameWidget::ReleaseOwner();
  lanes_.clear();
}

std::string TMiniGameGuitarHero::GetProgramText() const {
  std::string text;
  for (const TProgramEntry& entry : program_)
    text += std::to_string(entry.lane) + ":" + std::to_string(entry.time) + ";";
  return text;
}

bool TMiniGameGuitarHero::SetProgramText(const std::string& text) {
  std::string_view body = text;
  // Every entry read back ends in ";": the last one makes no empty entry.
  if (!body.empty() && body.back() == ';') body.remove_suffix(1);
  program_.clear();
  playback_ = 0;
  if (body.empty() && text.empty()) return true;
  std::vector<std::string> entries = Split(body, ';');
  program_.resize(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    std::vector<std::string> parts = Split(entries[i], ':');
    TProgramEntry entry;
    if (parts.size() != 2 || !TryTextToInt(parts[0], entry.lane) ||
        !TryTextToInt(parts[1], entry.time))
      return false;  // the entries after it stay zero
    program_[i] = entry;
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// Frames

void TMiniGameGuitarHero::ScoreUpdate() {
  int32_t before = total_;
  for (auto& lane : lanes_) lane->TakeSums();
  SumHits();
  if (total_ == before) return;
  Ref<IParamCollection> params = NewParams();
  params->SetValue("id", Variant::Integer(NextId()));
  params->SetValue("score", Variant::Integer(total_));
  params->SetValue("reverse_score",
                   Variant::Integer(std::max(SaturateInt32(int64_t(targetTotal_) - total_), 0)));
  if (Ref<IWidget> widget = MakeChild("update_score", params)) widget->SetPaused(false);
}

void TMiniGameGuitarHero::SumHits() {
  int64_t total = 0;
  for (auto& lane : lanes_) total += lane->Hits();
  total_ = SaturateInt32(total);
}

void TMiniGameGuitarHero::Update(int32_t dt) {
  TMiniGameWidget::Update(dt);
  elapsed_ += dt;
  bool died = false;
  for (auto& lane : lanes_) died |= lane->DeadPass();
  if (died && playing_) ScoreUpdate();
  if (!playing_) return;

  if (collisionControl_) {
    for (auto& lane : lanes_) {
      lane->CollisionStep();
      if (lane->resetAll) {
        for (auto& other : lanes_) other->resetLane = true;
        lane->resetAll = false;
      }
    }
    for (auto& lane : lanes_)
      if (lane->resetLane) {
        lane->resetLane = false;
        lane->SetHits(0);
      }
    SumHits();
  }

  switch (gameMode_) {
    case kProgram:
      PlaybackStep();
      break;
    case kProgramPlay: {
      PlaybackStep();
      bool hit = false;
      for (auto& lane : lanes_) hit |= lane->CheckPass();
      // The program plays itself: its hits do not score.
      if (hit)
        for (auto& lane : lanes_) lane->CheckSum() = 0;
      break;
    }
    case kRecord:
      break;
    case kRandom:
      SpawnRandom();
      break;
  }

  for (auto& lane : lanes_)
    if (lane->Hits() < lane->Target()) return;
  if (total_ >= targetTotal_) Win();
}

void TMiniGameGuitarHero::SpawnRandom() {
  if (elapsed_ < interval_ || lanes_.empty()) return;
  int32_t count = int32_t(lanes_.size());
  int32_t steps = Random(count);
  int32_t at = 0;
  for (int32_t s = 0; s < steps; ++s) {
    int32_t next = (at + 1) % count;
    while (next != 0 && !lanes_[size_t(next)]->IsActive()) next = (next + 1) % count;
    at = next;
    if (at == 0) break;  // the walk came back to its start
  }
  if (lanes_[size_t(at)]->IsActive()) lanes_[size_t(at)]->Spawn();
  elapsed_ = 0;
  interval_ = RandomBetween(minDuration_, maxDuration_);
}

void TMiniGameGuitarHero::PlaybackStep() {
  if (program_.empty() || elapsed_ < program_[playback_].time) return;
  elapsed_ = 0;
  int32_t lane = program_[playback_].lane;
  // Entries of lane 0 are never played.
  if (lane >= 1 && size_t(lane) < lanes_.size()) lanes_[size_t(lane)]->Spawn();
  playback_ = (playback_ + 1) % program_.size();
}

// ---------------------------------------------------------------------------------------
// Clicks

bool TMiniGameGuitarHero::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (message == input::kLeftButtonDown && hovered_) ClickWidget(GetHoveredWidgetName());
  return result;
}

void TMiniGameGuitarHero::ClickWidget(const std::string& name) {
  bool lane = false;
  for (auto& l : lanes_)
    if (l->Control() && l->ControlName() == name) {
      ClickLane(*l);
      lane = true;
    }
  if (lane) return;
  if (name == "record") {
    gameMode_ = kRecord;
    program_.clear();
    playback_ = 0;
    elapsed_ = 0;
  } else if (name == "game") {
    gameMode_ = kProgram;
    elapsed_ = 0;
  } else if (name == "play") {
    gameMode_ = kProgramPlay;
    elapsed_ = 0;
  }
}

void TMiniGameGuitarHero::MakeCheckBlip(const TLayer& lane, bool withName) {
  Ref<IParamCollection> params = NewParams();
  params->SetValue("id", Variant::Integer(NextId()));
  params->SetValue("layer", Variant::Integer(lane.Index()));
  if (withName) params->SetValue("name", Variant(lane.ControlName()));
  if (Ref<IWidget> widget = MakeChild("check_blip", params)) widget->SetPaused(false);
}

void TMiniGameGuitarHero::ClickLane(TLayer& lane) {
  if (gameMode_ == kProgram) {
    if (lane.CheckPass())
      ScoreUpdate();
    else
      MakeCheckBlip(lane, true);
  } else if (gameMode_ == kRecord) {
    program_.push_back(
        {int32_t(std::clamp<int64_t>(elapsed_, INT32_MIN, INT32_MAX)), lane.Index()});
    MakeCheckBlip(lane, false);
    elapsed_ = 0;
  }
}

void TMiniGameGuitarHero::Win(const Ref<IParamCollection>& params) {
  for (auto& lane : lanes_) lane->KillAll();
  TMiniGameWidget::Win(params);
}
