#include "tests/support/FakeGame.h"

#include <cstdio>

#include "foundation/Exceptions.h"
#include "foundation/Routines.h"

void TFakeGame::Initialize(const Ref<IEngine>& newEngine) {
  engine = newEngine;
  log.push_back("Initialize");
  if (failInitialize) throw Exception("the fake game refuses to start");
}

void TFakeGame::Done() {
  ++doneCalls;
  ++totalDoneCalls;
  log.push_back("Done");
  engine.reset();
}

void TFakeGame::Update(int32_t elapsedMs) {
  log.push_back("Update " + std::to_string(elapsedMs));
  if (onUpdate) onUpdate();
}

void TFakeGame::Draw(ISurface* surface, int32_t x, int32_t y) {
  log.push_back("Draw " + std::to_string(x) + " " + std::to_string(y));
  if (!surface || !engine || invalidate.Width() <= 0 || invalidate.Height() <= 0) return;
  // Through Draw, as widgets draw: only where the frame's region says.
  Ref<ISurface> fill = engine->CreateSurface();
  fill->SetSize(invalidate.Width(), invalidate.Height());
  for (int32_t py = 0; py < invalidate.Height(); ++py)
    for (int32_t px = 0; px < invalidate.Width(); ++px) fill->SetPixel(px, py, color);
  TRect target{invalidate.Left + x, invalidate.Top + y, invalidate.Right + x,
               invalidate.Bottom + y};
  surface->Draw(fill.get(), TRect{0, 0, invalidate.Width(), invalidate.Height()}, bmBltFast, 255,
                target);
}

bool TFakeGame::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  log.push_back("Mouse " + std::to_string(message) + " " + std::to_string(point.X) + " " +
                std::to_string(point.Y) + " " + std::to_string(keys));
  return handleInput;
}

bool TFakeGame::HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) {
  log.push_back("Key " + std::to_string(message) + " " + std::to_string(keyCode) + " " +
                std::to_string(keyData));
  return handleInput;
}

void TFakeGame::Activate(bool active) {
  log.push_back(active ? "Activate 1" : "Activate 0");
}

bool TFakeGame::CanClose() {
  log.push_back("CanClose");
  return canClose;
}

void TFakeGame::SetOption(const std::string& name, const std::string& value) {
  log.push_back("SetOption " + name + " " + value);
}

void TFakeGame::InvalidateAll() {
  log.push_back("InvalidateAll");
  if (engine && invalidate.Width() > 0) engine->RedrawRect(invalidate);
}

const TPropertyTable& TFakeGame::Properties() {
  using G = TFakeGame;
  static const TPropertyTable table(
      TPersistObject::Properties(),
      {
          Attr("color", &G::color).Hex(0xFF336699),
          Attr("screen", &G::screen).Str("main"),
          Attr("fail_initialize", &G::failInitialize).Bool(false),
          Custom<G>(
              "invalidate",
              [](G& game, const Ref<IHierStorage>& node) {
                TOneArrayOfString parts = SplitString(ReadXmlStr(node, "invalidate"), ',');
                if (parts.size() != 4) return;
                game.invalidate = TRect{std::stoi(parts[0]), std::stoi(parts[1]),
                                        std::stoi(parts[2]), std::stoi(parts[3])};
              },
              nullptr),
      });
  return table;
}

int TFakeGame::Count(const std::string& prefix) const {
  int count = 0;
  for (const std::string& line : log) count += line.rfind(prefix, 0) == 0 ? 1 : 0;
  return count;
}

void RegisterFakeGame() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterClassName<TFakeGame>("FakeGame");
}

TFakeGame* FakeGameOf(IEngine& engine) {
  return dynamic_cast<TFakeGame*>(engine.GetGame().get());
}
