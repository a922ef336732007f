#pragma once
// A surface travels through a 4-byte float cell (the Monte Carlo function's input, the
// particle systems' "surface" property) as a 32-bit handle into this table, copied bit for
// bit: a cell cannot hold a pointer on a 64-bit system.
//
// Handles stay below 2^23, so their bit patterns are zero or subnormal floats: never a
// NaN, and a float-to-double-to-float round trip keeps them exact. Never compute with a
// cell that holds a handle.

#include <bit>
#include <cstdint>

#include "foundation/EngineInterfaces.h"

// A new handle whose table entry holds a reference to the surface until released; 0 for
// no surface or when the table is full.
uint32_t AcquireSurfaceHandle(const Ref<ISurface>& surface);
// Drops the entry; a stale or unknown handle does nothing.
void ReleaseSurfaceHandle(uint32_t handle);
// The surface of a live handle, else nothing. Allocates nothing.
ISurface* SurfaceFromHandle(uint32_t handle);
// Live entries, for tests and leak checks.
int32_t SurfaceHandleCount();

inline float SurfaceHandleToCell(uint32_t handle) {
  return std::bit_cast<float>(handle);
}
inline uint32_t SurfaceHandleFromCell(float cell) {
  return std::bit_cast<uint32_t>(cell);
}
