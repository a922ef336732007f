#pragma once
// "mg_gear_widget": gears are dragged onto pins; two pinned gears whose rims touch within
// the tolerance mesh, and rotation flows from the driving pins through chains of meshing
// gears, each turning by the ratio of the radii against its neighbour. The game is won
// when every pin that must turn turns. Gears turn by their widgets' "time_rate".

#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class TMiniGameGear : public TMiniGameWidget {
 public:
  struct TGear {
    Ref<IWidget> widget;
    std::string name;
    double radius = 0;
    int32_t group = 0;
    double toothAngle = 0;
  };
  struct TPin {
    int32_t gear = -1;
    int32_t x = 0, y = 0;
    double impulse = 0;
    bool needImpulseNotNull = false, lockImpulse = false, lockGears = false;
    std::vector<int32_t> meshing;
  };

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void Update(int32_t dt) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;

  // A press on the child of that name at the current mouse point.
  void PressWidget(const std::string& name);

  const std::vector<TGear>& Gears() const { return gears_; }
  const std::vector<TPin>& Pins() const { return pins_; }
  int32_t DraggedGear() const { return dragging_ ? dragged_ : -1; }
  // The pin holding the gear, -1 for none.
  int32_t PinOf(int32_t gear) const;

 protected:
  const TPropertyTable& Properties() override;

 private:
  void ReadGears(const Ref<IHierStorage>& node);
  void ReadPins(const Ref<IHierStorage>& node);
  void PlaceGearsOnPins();
  bool Mesh(int32_t a, int32_t b) const;
  void RebuildMeshing();
  void RecomputeImpulses();
  void Propagate(int32_t pin);
  // The impulse the first turning meshing pin gives Pin; false when none can.
  bool DriveFrom(int32_t pin);
  void PushImpulseWidget(int32_t pin);
  void BeginDrag(int32_t gear);
  void EndDrag();
  // The first free pin nearer than the tolerance takes the gear.
  void OfferToPins(int32_t gear);
  void KeepInsideBlock(IWidget* widget);
  void GearFeedback(const char* factory, int32_t gear);
  void PushGear();

  std::vector<TGear> gears_;
  std::vector<TPin> pins_;
  int32_t infelicity_ = 0;
  int32_t dragged_ = -1;
  bool dragging_ = false;
  TPoint dragOffset_;
  std::string gearName_ = "null_widget";
  double gearX_ = 0, gearY_ = 0;
  // Depth-first walk of the propagation: the pin and the next meshing entry to visit.
  std::vector<std::pair<int32_t, size_t>> walk_;
};
