// Steady frames of the game allocate nothing. Counted through the address sanitizer's
// allocation hooks, so the test runs in sanitized builds (./test) only.

#include "platform/InputConstants.h"
#include "tests/support/GameFixture.h"

#if defined(__SANITIZE_ADDRESS__)

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*,
                                                                             size_t),
                                                         void (*free_hook)(const volatile void*));

namespace {

bool counting = false;
long allocations = 0;

void OnMalloc(const volatile void*, size_t) {
  if (counting) ++allocations;
}
void OnFree(const volatile void*) {}

class GameFrames : public GameFixture {};

TEST_F(GameFrames, SteadyFramesAllocateNothing) {
  static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
  ASSERT_TRUE(installed);
  Start(GameXml(ScreenXml("A", Box("a", 0, 0, 20, 20, R"(mousestop="yes")")) +
                    ScreenXml("B", Box("b", 30, 30, 10, 10)) +
                    ScreenXml("GS_Border", Box("frame", 0, 0, 64, 2)),
                {}, R"(<cursors><cursor name="arrow" hotspotx="1" hotspoty="1">
                  <widget type="group_widget" name="arrow"><widgets>
                    <widget type="test_box" name="unpressed" visible="yes" width="4" height="4"/>
                    <widget type="test_box" name="pressed" width="4" height="4"/>
                  </widgets></widget></cursor></cursors>)"));
  game->ShowScreen("A", nullptr);
  game->ShowScreen("B", nullptr);
  TSurfacePtr frame = Render();
  for (int i = 0; i < 30; ++i) {
    engine->cursor = {i % 50, i % 40};
    Frame(16);
    game->Draw(frame.get(), 0, 0);
  }
  counting = true;
  for (int i = 0; i < 100; ++i) {
    engine->cursor = {i % 50, i % 40};
    engine->redrawRects.clear();  // keeps its capacity
    game->Update(16);
    game->InvalidateAll();
    game->Draw(frame.get(), 0, 0);
    game->HandleMouse(input::kMouseMove, engine->cursor, 0);
  }
  counting = false;
  EXPECT_EQ(allocations, 0);
}

}  // namespace

#endif
