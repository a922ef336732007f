#pragma once
// "mg_guitarhero_widget": the rhythm game. Blips appear on lanes and travel, driven by
// their own widget data, through a check zone and a dead zone. With click control the
// player hits a blip by clicking the lane's control widget while the blip is in the check
// zone; with collision control blips score by reaching the zones. Points count per lane
// and in total; the game is won when every lane and the total reach their targets. Blips
// appear at random intervals or at the times of a program, which an authoring mode
// records from clicks.

#include <memory>
#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class TMiniGameGuitarHero : public TMiniGameWidget {
 public:
  enum TGameMode : uint8_t { kRandom, kProgram, kProgramPlay, kRecord };

  struct TRectI {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
  };
  struct TBlipKind {
    std::string blip, update, check, success, dead;
    int32_t minCost = 1, maxCost = 1, minDeadCost = 0, maxDeadCost = 0;
    bool resetLayerByCheck = false, resetByCheck = false;
    bool resetLayerByDead = false, resetByDead = false, deadOnCheck = false;
  };
  struct TBlip {
    Ref<IWidget> widget;
    const TBlipKind* kind = nullptr;
    int32_t deadCost = 0, cost = 0;
  };
  struct TProgramEntry {
    int32_t time = 0;
    int32_t lane = 0;
  };

  // One lane: its zones, its live blips and its points.
  class TLayer {
   public:
    TLayer(TMiniGameGuitarHero* game, int32_t index) : game_(game), index_(index) {}
    void Load(const Ref<IHierStorage>& node);

    // The blips overlapping the dead (check) zone leave, adding their dead cost (cost) to
    // the waiting sum; blips whose widget is gone leave without a word. True when any
    // scoring blip left.
    bool DeadPass();
    bool CheckPass();
    // Collision control: the zones score straight into the hits.
    void CollisionStep();
    void Spawn();
    // Takes the waiting sums into the hits.
    void TakeSums();
    void ShowScore();
    // The win: every blip leaves with its dead widget and no cost.
    void KillAll();

    int32_t Index() const { return index_; }
    int32_t Hits() const { return hits_; }
    void SetHits(int32_t hits) { hits_ = hits; }
    int32_t Target() const { return target_; }
    bool IsActive() const { return active_; }
    const std::vector<TBlip>& Blips() const { return blips_; }
    const Ref<IWidget>& Control() const { return control_; }
    const std::string& ControlName() const { return controlName_; }
    int32_t& CheckSum() { return checkSum_; }
    bool resetLane = false;
    bool resetAll = false;

   private:
    TRectI Zone(const TRectI& rect, const Ref<IWidget>& widget) const;
    static bool Overlaps(IWidget* widget, const TRectI& zone);
    static bool IsGone(IWidget* widget);
    Ref<IWidget> MakeBlipWidget(const std::string& factory, const Ref<IParamCollection>& params);
    void BlipWidget(const std::string& factory, const TBlip& blip, bool withControl);
    void Remove(size_t index) { blips_.erase(blips_.begin() + ptrdiff_t(index)); }
    Ref<IWidget> Find(const Ref<IHierStorage>& node, const char* attribute);

    TMiniGameGuitarHero* game_;
    int32_t index_;
    std::vector<TBlip> blips_;
    TRectI respawn_, check_, dead_;
    Ref<IWidget> respawnWidget_, checkWidget_, deadWidget_;
    int32_t deadSum_ = 0, checkSum_ = 0;
    int32_t hits_ = 0, target_ = 0;
    std::vector<std::unique_ptr<TBlipKind>> kinds_;
    Ref<IWidget> scoreWidget_, reverseScoreWidget_, control_;
    std::string controlName_;
    bool active_ = true;
    bool stopFull_ = false;
  };

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void Update(int32_t dt) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  void Win(const Ref<IParamCollection>& params = nullptr) override;
  void ReleaseOwner() override;

  // A click on the child of that name: lanes' control widgets and the authoring buttons
  // "record", "game" and "play".
  void ClickWidget(const std::string& name);
  // "lane:time;" per entry.
  std::string GetProgramText() const;
  // Entries up to a malformed one; a trailing ";" makes no entry. False when one was
  // malformed.
  bool SetProgramText(const std::string& text);

  TGameMode GameMode() const { return gameMode_; }
  const std::vector<TProgramEntry>& Program() const { return program_; }
  const std::vector<std::unique_ptr<TLayer>>& Lanes() const { return lanes_; }
  int32_t Total() const { return total_; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  void ClickLane(TLayer& lane);
  void PlaybackStep();
  void SpawnRandom();
  void ScoreUpdate();
  void SumHits();
  void MakeCheckBlip(const TLayer& lane, bool withName);

  std::vector<std::unique_ptr<TLayer>> lanes_;
  bool collisionControl_ = false;
  TGameMode gameMode_ = kRandom;
  std::vector<TProgramEntry> program_;
  size_t playback_ = 0;
  int64_t elapsed_ = 0;
  int32_t interval_ = 1000, minDuration_ = 1000, maxDuration_ = 1000;
  int32_t total_ = 0, targetTotal_ = 0;
};
