#include "functions/SurfaceHandles.h"

#include <vector>

namespace {

// Slot number + 1 in the low bits (0 is no surface), a generation above it, so a handle
// released and reused for another surface does not find the new one.
constexpr uint32_t kSlotBits = 14;
constexpr uint32_t kSlotMask = (1u << kSlotBits) - 1;
constexpr uint32_t kGenerationMask = (1u << (23 - kSlotBits)) - 1;
constexpr size_t kMaxSlots = kSlotMask;  // slot + 1 must fit the mask

struct Slot {
  Ref<ISurface> surface;
  uint32_t generation = 0;
};

struct Table {
  std::vector<Slot> slots;
  std::vector<uint32_t> free;
  int32_t live = 0;
};

Table& TheTable() {
  static Table table;
  return table;
}

Slot* Find(uint32_t handle) {
  uint32_t number = handle & kSlotMask;
  if (number == 0 || (handle >> 23) != 0) return nullptr;
  Table& table = TheTable();
  if (number > table.slots.size()) return nullptr;
  Slot& slot = table.slots[number - 1];
  if (!slot.surface || slot.generation != (handle >> kSlotBits)) return nullptr;
  return &slot;
}

}  // namespace

uint32_t AcquireSurfaceHandle(const Ref<ISurface>& surface) {
  if (!surface) return 0;
  Table& table = TheTable();
  uint32_t index;
  if (!table.free.empty()) {
    index = table.free.back();
    table.free.pop_back();
  } else {
    if (table.slots.size() >= kMaxSlots) return 0;
    index = static_cast<uint32_t>(table.slots.size());
    table.slots.emplace_back();
  }
  Slot& slot = table.slots[index];
  slot.surface = surface;
  ++table.live;
  return (slot.generation << kSlotBits) | (index + 1);
}

void ReleaseSurfaceHandle(uint32_t handle) {
  Slot* slot = Find(handle);
  if (!slot) return;
  Table& table = TheTable();
  slot->surface = nullptr;
  slot->generation = (slot->generation + 1) & kGenerationMask;
  table.free.push_back((handle & kSlotMask) - 1);
  --table.live;
}

ISurface* SurfaceFromHandle(uint32_t handle) {
  Slot* slot = Find(handle);
  return slot ? slot->surface.get() : nullptr;
}

int32_t SurfaceHandleCount() {
  return TheTable().live;
}
