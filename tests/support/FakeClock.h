#pragma once
// A clock that moves only when told: by Sleep (recorded) and by Advance. TestPlatform
// puts it under the headless window and video, so loop tests can stall, pace and count.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"

class FakeClock final : public platform::Clock {
 public:
  uint32_t Milliseconds() override { return now; }
  void Sleep(uint32_t milliseconds) override {
    sleeps.push_back(milliseconds);
    now += milliseconds;
  }
  void Advance(uint32_t milliseconds) { now += milliseconds; }

  uint32_t now = 1000;
  std::vector<uint32_t> sleeps;
};

// The headless backend with a FakeClock in place of its own.
class TestPlatform final : public platform::Platform {
 public:
  platform::BackendKind Kind() const override { return platform::BackendKind::Headless; }
  platform::Window& GetWindow() override { return headless; }
  platform::Video& GetVideo() override { return headless; }
  platform::Clock& GetClock() override { return clock; }
  platform::Shell& GetShell() override { return headless; }

  platform::HeadlessPlatform headless;
  FakeClock clock;
};
