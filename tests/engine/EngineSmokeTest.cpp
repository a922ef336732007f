// The real engine from the start-up routine on, driven by a script as the program is:
// a small test game draws a red square; the screenshot is checked pixel by pixel.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/EngineRoutines.h"
#include "foundation/EngineDeclarations.h"
#include "platform/Png.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/ScopedEnv.h"

namespace {

// Runs the program's engine routine on a test game with the script, on the backend.
struct Smoke {
  explicit Smoke(const std::string& backend)
      : harness(R"(invalidate="100,100,200,200" color="$FFFF0000" screen="smoke")"),
        backend(backend) {}

  int Run(const std::string& script) {
    std::string scriptFile = harness.folder / "script.txt";
    harness.folder.Write("script.txt", script);
    ScopedEnv platformVariable("GAME_PLATFORM", backend);
    ScopedEnv scriptVariable("GAME_SCRIPT", scriptFile);
    std::string oldGameFile = GameFileName;
    GameFileName = harness.gameFile;
    int status = RunEngine();
    GameFileName = oldGameFile;
    return status;
  }
  std::string Shot() const { return harness.folder / "shot.png"; }

  EngineHarness harness;  // only its game file and folder are used
  std::string backend;
};

const char* kScript =
    "wait-screen smoke 2000\n"
    "move 10 10\n"
    "wait 100\n"
    "screenshot %s\n"
    "expect-screen smoke\n"
    "quit\n";

std::string ScriptFor(const std::string& shot) {
  char text[512];
  std::snprintf(text, sizeof text, kScript, shot.c_str());
  return text;
}

void CheckShot(const std::string& path) {
  platform::PngImage image;
  std::string error;
  ASSERT_TRUE(platform::ReadPng(path, image, error)) << error;
  EXPECT_EQ(image.width, 1024);
  EXPECT_EQ(image.height, 768);
  EXPECT_EQ(image.At(150, 150) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(image.At(100, 100) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(image.At(199, 199) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(image.At(200, 200) & 0xFFFFFF, 0u);
  EXPECT_EQ(image.At(50, 50) & 0xFFFFFF, 0u);
}

}  // namespace

TEST(EngineSmoke, HeadlessScriptRunsTheGameAndChecksItsPicture) {
  Smoke smoke("headless");
  EXPECT_EQ(smoke.Run(ScriptFor(smoke.Shot())), 0);
  CheckShot(smoke.Shot());
}

TEST(EngineSmoke, AFailedCheckEndsTheRunWithAFailure) {
  Smoke smoke("headless");
  EXPECT_EQ(smoke.Run("wait 50\nexpect-screen elsewhere\nwait 100000\n"), 1);
}

TEST(EngineSmoke, NoGameFileEndsWithAFailureAndNoWindow) {
  Smoke smoke("headless");
  smoke.harness.gameFile = smoke.harness.folder / "absent.ini";
  testing::internal::CaptureStderr();
  EXPECT_EQ(smoke.Run("quit\n"), 1);
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("absent.ini is missing"), std::string::npos) << said;
}

// Through the SDL backend: run by CTest under xvfb-run (GAME_TEST_SDL=1) when there is one.
TEST(EngineSmoke, SdlScriptRunsTheGameAndChecksItsPicture) {
  if (!std::getenv("GAME_TEST_SDL"))
    GTEST_SKIP() << "needs a display; CTest runs it under xvfb-run";
  // SDL unloads the display libraries when it closes; held here they stay mapped, so the
  // leak checker can name them (tests/lsan.supp) instead of blaming this program.
  for (const char* library : {"libX11.so.6", "libGL.so.1", "libGLX_mesa.so.0",
                              "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"}) {
    dlopen(library, RTLD_NOW | RTLD_NODELETE);
  }
  Smoke smoke("sdl");
  EXPECT_EQ(smoke.Run(ScriptFor(smoke.Shot())), 0);
  CheckShot(smoke.Shot());
}
