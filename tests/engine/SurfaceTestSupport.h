#pragma once
// Helpers shared by the surface tests: small surfaces filled with given pixels, and a loop
// that runs a check once with every kernel table this processor can run.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/EngineSurface.h"
#include "engine/EngineSurfaceKernels.h"

inline Ref<TSurface> MakeSurface(int32_t width, int32_t height, bool hasAlpha, uint32_t fill = 0) {
  Ref<TSurface> surface = TAbstractObject::Create<TSurface>();
  surface->SetSize(width, height);
  surface->SetHasAlpha(hasAlpha);
  // Raw writes: a surface without alpha may still hold pixels of alpha 0 (never drawn).
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) *surface->PixelAddress(x, y) = fill;
  return surface;
}

inline std::vector<const TSurfaceKernels*> AllKernelTables() {
  std::vector<const TSurfaceKernels*> tables{&PlainSurfaceKernels()};
  if (Sse2SurfaceKernels()) tables.push_back(Sse2SurfaceKernels());
  if (Avx2SurfaceKernels()) tables.push_back(Avx2SurfaceKernels());
  return tables;
}

// Runs Check with each table in use, then goes back to the best one.
inline void ForEachKernelTable(const std::function<void()>& check) {
  const TSurfaceKernels& best = SurfaceKernels();
  for (const TSurfaceKernels* table : AllKernelTables()) {
    SCOPED_TRACE(std::string("kernels: ") + table->Name);
    UseSurfaceKernels(*table);
    check();
  }
  UseSurfaceKernels(best);
}

inline std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}
