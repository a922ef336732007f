#pragma once
// "mg_pipe_widget": pipe elements the player turns by clicking (left one way, right the
// other) until a connected passage leads from the "in" element to the "out" element.
// Each element has numbered sides with a neighbour each and passages (sets of sides
// joined inside it); a turn shifts every side of its passages by one. Reading "win" runs
// the win test, which plays the flow along a complete passage. The game never reports its
// win by itself: whoever reads "win" (the play screen) counts it solved.

#include <cstdint>
#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class TPipeWidget : public TMiniGameWidget {
 public:
  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SetOwner(IWidgetOwner* owner) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  void Win(const Ref<IParamCollection>& params = nullptr) override;
  void Skip() override;

  // K > 0 turns one way, K < 0 the other, 0 back to the loaded orientation; a feedback
  // widget of Factory is made and started.
  void TurnElement(int32_t element, int32_t k, const std::string& factory);
  // Element j turned by the j-th number of Text (";"-separated), then the win test.
  void ApplyTurns(const std::string& text);
  // The passage from "in" to "out" is complete: the flow is played and the answer is true.
  bool CheckWin();
  // The "in" element's neighbour through which "out" is reached, -1 when none.
  int32_t TraceFlow(int32_t in, int32_t out);
  std::string TurnsText() const;

  int32_t ElementCount() const { return int32_t(elements_.size()); }
  // Element's passages as side codes.
  const std::vector<std::vector<int32_t>>& Passages(int32_t element) const {
    return elements_[size_t(element)].links;
  }

 protected:
  const TPropertyTable& Properties() override;

 private:
  struct TElement {
    int32_t index = 0;
    int32_t turns = 0;
    int32_t visits = 0;
    std::string widget;
    std::vector<int32_t> neighbours;
    std::vector<std::vector<int32_t>> links;
    std::vector<std::string> passNames;  // "pass_<index>_<passage>", one per passage
    std::string type = "common";
    std::string passFactory = "pass";
  };

  void SetElementLayers();
  // The flow's pass widget for Element's passage entered by its side at First, chained
  // after Tail: its name in Made, or the passage's own name when none is made.
  const std::string& MakePass(const TElement& element, size_t passage, size_t first,
                              const std::string& tail, std::string& made);
  bool IsConnected(int32_t element, int32_t from);
  // PlayFlow: each passage plays once per flow, so a loop of pipes ends.
  void PlayFlow(int32_t element, int32_t from, const std::string& tail);
  // The passage's side that leads to From (-1: an open side), or -1 when none.
  int32_t SideTowards(const TElement& element, const std::vector<int32_t>& passage,
                      int32_t from) const;

  std::string destSuffix_;
  int32_t elementCount_ = 0;
  bool shuffle_ = false;
  std::vector<TElement> elements_;
  std::vector<std::vector<bool>> played_;  // passages of this flow, per element
  Ref<IParamCollection> passParams_;       // refilled for every pass widget
  // Factories that made no pass widget since the game was loaded or moved to another
  // owner: the win test runs on every read of "win" and would ask the whole chain again.
  std::vector<std::string> passlessFactories_;
};
