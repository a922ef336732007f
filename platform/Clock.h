#pragma once
// Milliseconds for pacing the frame loop.

#include <cstdint>

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start; wraps around after about 49 days.
  virtual uint32_t Milliseconds() = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
};

}  // namespace platform
