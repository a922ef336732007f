// The engine's loop step, frame order, events, start-up failures and shut-down.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "engine/EngineRoutines.h"
#include "foundation/EngineDeclarations.h"
#include "platform/Png.h"
#include "platform/ProgramResources.h"
#include "platform/StopRequests.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/FakeAudio.h"
#include "tests/support/WarningCapture.h"

namespace {

using platform::Event;
using platform::EventType;

std::vector<std::string> Without(const std::vector<std::string>& log, const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& line : log)
    if (line.rfind(prefix, 0) != 0) out.push_back(line);
  return out;
}

// A started, running engine that has shown its first frame (which sets the mode up).
struct Running : EngineHarness {
  explicit Running(const std::string& attributes = {}) : EngineHarness(attributes) {
    EXPECT_TRUE(Start());
    engine->StartRunning();
    EXPECT_TRUE(StepFrame());
    game->log.clear();
    platform->clock.sleeps.clear();
  }
  void Post(const Event& event) { platform->headless.PostEvent(event); }
};

}  // namespace

TEST(EngineLoop, AWaitingEventIsOneStepWithoutAFrame) {
  Running h;
  uint32_t presents = h.platform->headless.PresentCount();
  h.Post(platform::KeyEvent(input::kKeyDown, 65, platform::kKeyRepeatOne));
  h.Post(platform::KeyEvent(input::kKeyUp, 65, platform::kKeyRepeatOne));
  h.engine->ProcessStep();
  EXPECT_EQ(h.game->log, (std::vector<std::string>{"Key 256 65 1"}));
  EXPECT_EQ(h.platform->headless.PresentCount(), presents);
  h.engine->ProcessStep();
  EXPECT_EQ(h.game->log.size(), 2u);
  EXPECT_EQ(h.platform->headless.PresentCount(), presents);
}

TEST(EngineLoop, InactiveWaitsAndResumesWithASmallStep) {
  Running h;
  h.Post(platform::PlainEvent(EventType::Minimised));
  h.engine->ProcessStep();
  EXPECT_FALSE(h.engine->Active());
  uint32_t presents = h.platform->headless.PresentCount();
  for (int i = 0; i < 3; ++i) h.engine->ProcessStep();
  h.platform->clock.Advance(5000);
  EXPECT_EQ(h.platform->headless.PresentCount(), presents);
  EXPECT_EQ(h.game->Count("Update"), 0);
  h.Post(platform::PlainEvent(EventType::Restored));
  h.engine->ProcessStep();
  EXPECT_TRUE(h.engine->Active());
  ASSERT_TRUE(h.StepFrame());
  EXPECT_EQ(h.game->log.front(), "Update 8");
}

TEST(EngineLoop, FramesArePacedToTheIntervalAndStallsCapped) {
  Running h;
  struct Case {
    uint32_t before;  // ms that pass before the step
    uint32_t sleep;   // 0: no sleep
    std::string update;
  } cases[] = {
      {0, 8, "Update 8"},   {3, 5, "Update 8"},      {7, 1, "Update 8"}, {8, 0, "Update 8"},
      {20, 0, "Update 20"}, {2000, 0, "Update 500"}, {0, 8, "Update 8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.update + " after " + std::to_string(c.before));
    h.platform->clock.sleeps.clear();
    h.game->log.clear();
    h.platform->clock.Advance(c.before);
    h.engine->ProcessStep();
    EXPECT_EQ(h.platform->clock.sleeps,
              c.sleep ? std::vector<uint32_t>{c.sleep} : std::vector<uint32_t>{});
    ASSERT_FALSE(h.game->log.empty());
    EXPECT_EQ(h.game->log.front(), c.update);
  }
}

TEST(EngineLoop, UnfocusedWindowedStillDrawsAfterAFullInterval) {
  Running h;
  h.Post(platform::PlainEvent(EventType::FocusLost));
  h.engine->ProcessStep();
  h.engine->ProcessStep();
  EXPECT_EQ(h.platform->clock.sleeps, std::vector<uint32_t>{8});
  EXPECT_EQ(h.game->Count("Update"), 1);
  EXPECT_EQ(h.game->Count("Activate 0"), 1);
}

TEST(EngineLoop, FrameOrderDrawsOnlyWhatWasInvalidated) {
  {
    Running h;  // invalidates nothing
    uint32_t presents = h.platform->headless.PresentCount();
    h.engine->ProcessStep();
    EXPECT_EQ(h.game->log, (std::vector<std::string>{"Update 8", "InvalidateAll"}));
    EXPECT_EQ(h.platform->headless.PresentCount(), presents + 1);
  }
  {
    Running h(R"(invalidate="10,10,20,20" color="$FF00FF00")");
    uint32_t presents = h.platform->headless.PresentCount();
    h.engine->ProcessStep();
    EXPECT_EQ(h.game->log, (std::vector<std::string>{"Update 8", "InvalidateAll", "Draw 0 0"}));
    EXPECT_EQ(h.platform->headless.PresentCount(), presents + 1);
    EXPECT_EQ(h.platform->headless.ShownPixel(15, 15) & 0xFFFFFF, 0x00FF00u);
    EXPECT_FALSE(h.engine->RepaintPending());
    EXPECT_EQ(h.engine->FrameSurface()->Region().Count(), 0);
  }
}

TEST(EngineLoop, AStillFrameReachesNoDisplay) {
  Running h;  // invalidates nothing
  uint32_t displays = h.platform->headless.DisplayCount();
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(h.StepFrame());
  EXPECT_EQ(h.platform->headless.DisplayCount(), displays);
  // A rectangle the game invalidates is drawn and shown in the next frame only.
  h.engine->RedrawRect(TRect{1, 1, 5, 5});
  ASSERT_TRUE(h.StepFrame());
  EXPECT_EQ(h.platform->headless.DisplayCount(), displays + 1);
  ASSERT_TRUE(h.StepFrame());
  EXPECT_EQ(h.platform->headless.DisplayCount(), displays + 1);
  // A new video mode sends the whole frame again.
  h.Post(platform::PlainEvent(EventType::VideoReset));
  h.engine->ProcessStep();
  ASSERT_TRUE(h.StepFrame());
  EXPECT_EQ(h.platform->headless.DisplayCount(), displays + 2);
}

TEST(EngineLoop, RedrawRectIsClippedToTheFrame) {
  Running h;  // windowed 1024 x 768
  struct Case {
    TRect rect;
    bool added;
    TRect region;
  } cases[] = {
      {{10, 10, 20, 20}, true, {10, 10, 20, 20}},
      {{-5, -5, 5, 5}, true, {0, 0, 5, 5}},
      {{1020, 760, 1100, 800}, true, {1020, 760, 1024, 768}},
      {{-10, -10, -1, 5}, false, {}},
      {{10, -20, 20, 0}, false, {}},
      {{10, 10, 10, 20}, false, {}},
      {{1025, 0, 1100, 10}, false, {}},
      {{1024, 0, 1100, 10}, false, {}},
      {{0, 768, 10, 800}, false, {}},
      {{30, 20, 10, 40}, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.rect.Left) + "," + std::to_string(c.rect.Top));
    h.engine->EndFrame();
    h.engine->RedrawRect(c.rect);
    EXPECT_EQ(h.engine->RepaintPending(), c.added);
    const TRegion& region = h.engine->FrameSurface()->Region();
    ASSERT_EQ(region.Count(), c.added ? 1 : 0);
    if (c.added) {
      EXPECT_EQ(region.Rect(0), c.region);
    }
  }
}

TEST(EngineLoop, CloseRequestAsksTheGameAndTerminateDoesNot) {
  {
    Running h;
    h.game->canClose = false;
    h.Post(platform::PlainEvent(EventType::CloseRequest));
    for (int i = 0; i < 4; ++i) h.engine->ProcessStep();
    EXPECT_EQ(h.game->Count("CanClose"), 1);
    EXPECT_FALSE(h.engine->Terminated());
    h.game->canClose = true;
    h.Post(platform::PlainEvent(EventType::CloseRequest));
    for (int i = 0; i < 4 && !h.engine->Terminated(); ++i) h.engine->ProcessStep();
    EXPECT_TRUE(h.engine->Terminated());
  }
  {
    Running h;
    h.game->canClose = false;
    h.engine->Terminate();
    for (int i = 0; i < 4 && !h.engine->Terminated(); ++i) h.engine->ProcessStep();
    EXPECT_TRUE(h.engine->Terminated());
    EXPECT_EQ(h.game->Count("CanClose"), 0);
  }
}

TEST(EngineLoop, AStopRequestEndsTheLoopAsTheQuitMessageDoesWithoutAskingTheGame) {
  for (int stop : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(stop);
    Running h;
    h.game->canClose = false;
    std::signal(stop, SIG_DFL);
    platform::CatchStopRequests();
    ASSERT_EQ(std::raise(stop), 0);  // the process is still here
    for (int i = 0; i < 4 && !h.engine->Terminated(); ++i) h.engine->ProcessStep();
    EXPECT_TRUE(h.engine->Terminated());
    EXPECT_EQ(h.game->Count("CanClose"), 0);
    std::signal(stop, SIG_DFL);
  }
}

TEST(EngineLoop, AltCharacterReachesTheGameOnlyWhileActive) {
  Running h;
  h.Post(platform::KeyEvent(input::kChar, 'x', input::kAltBit));
  h.engine->ProcessStep();
  EXPECT_EQ(h.game->log, (std::vector<std::string>{"Key 258 120 536870912"}));
  h.game->log.clear();
  h.Post(platform::PlainEvent(EventType::Minimised));
  h.Post(platform::KeyEvent(input::kChar, 'x', input::kAltBit));
  h.Post(platform::MouseEvent(input::kLeftButtonDown, 5, 5, platform::kMouseFlagLeft));
  for (int i = 0; i < 3; ++i) h.engine->ProcessStep();
  EXPECT_EQ(Without(h.game->log, "Activate"), std::vector<std::string>{});
}

TEST(EngineLoop, UnhandledInputGoesToTheMessageHandler) {
  Running h;
  h.game->handleInput = false;
  std::vector<uint32_t> seen;
  h.engine->SetMessageHandler([&](TMessage& m) { seen.push_back(m.Msg); });
  h.Post(platform::KeyEvent(input::kKeyDown, 65, 1));
  h.Post(platform::MouseEvent(input::kMouseMove, 3, 4, 0));
  h.engine->ProcessStep();
  h.engine->ProcessStep();
  EXPECT_EQ(seen, (std::vector<uint32_t>{input::kKeyDown, input::kMouseMove}));
  h.engine->ClearMessageHandler();
  h.Post(platform::KeyEvent(input::kKeyDown, 65, 1));
  h.engine->ProcessStep();
  EXPECT_EQ(seen.size(), 2u);
}

TEST(EngineLoop, VideoResetSetsTheModeUpAgain) {
  Running h;
  EXPECT_FALSE(h.engine->ResetPending());
  h.Post(platform::PlainEvent(EventType::VideoReset));
  h.engine->ProcessStep();
  EXPECT_TRUE(h.engine->ResetPending());
  ASSERT_TRUE(h.StepFrame());
  EXPECT_FALSE(h.engine->ResetPending());
  EXPECT_EQ(h.game->Count("Draw"), 1);  // the whole frame was invalidated
}

TEST(EngineStart, BadGameFilesFailCleanly) {
  struct Case {
    const char* name;
    std::string content;  // enciphered unless plain
    bool plain;
    const char* said;  // in the failure message
  } cases[] = {
      {"missing", "", false, "is missing or empty"},
      {"unregistered type", "<game type=\"NoSuchGame\"/>", false,
       "names no known game type (\"NoSuchGame\")"},
      {"not a game", "<game type=\"ImageResource\" name=\"x\"/>", false,
       "names no known game type"},
      // A game file left in plain text, or cut short: said as the data tool says it.
      {"not enciphered", "<game type=\"FakeGame\"/>", true,
       "is not hexadecimal text: unexpected character 0x3C at byte 0"},
      {"a digit short", "985B00BFDA5", true,
       "is not hexadecimal text: odd number of hexadecimal digits"},
      {"wrong key", "985B00BFDA5C", true, ""},
      {"damaged", "<game type=\"FakeGame\"", false, "cannot be read: "},
      {"malformed UTF-8 in one attribute", "<game type=\"FakeGame\" name=\"caf\xE9\"/>", false,
       "cannot be read: Malformed UTF-8 text"},
      {"game refuses", "<game type=\"FakeGame\" fail_initialize=\"yes\"/>", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EngineHarness h;
    if (std::string(c.name) == "missing") {
      h.gameFile = h.folder / "nothing.ini";
    } else if (c.plain) {
      h.folder.Write("game.ini", c.content);
    } else {
      h.WriteEnciphered("game.ini", c.content);
    }
    int doneBefore = TFakeGame::totalDoneCalls;
    EXPECT_FALSE(h.engine->Initialize(h.gameFile));
    EXPECT_FALSE(h.engine->FailureMessage().empty());
    EXPECT_NE(h.engine->FailureMessage().find(c.said), std::string::npos)
        << h.engine->FailureMessage();
    if (std::string(c.name) != "missing") {
      EXPECT_NE(h.engine->FailureMessage().find(h.gameFile), std::string::npos);
    }
    EXPECT_FALSE(h.platform->headless.IsCreated());
    EXPECT_EQ(h.engine->GetGame(), nullptr);
    h.engine->Finalize();  // as the start-up routine does once more
    int expectedDone = std::string(c.name) == "game refuses" ? 1 : 0;
    EXPECT_EQ(TFakeGame::totalDoneCalls - doneBefore, expectedDone);
  }
}

// A value of the game file that does not read keeps its default and is said once, naming
// the game file as it was given.
TEST(EngineStart, AnUnreadableColourIsSaidOnceNamingTheGameFile) {
  WarningCapture warnings;
  EngineHarness h(R"(color="$FF00GG00")");
  ASSERT_TRUE(h.Start());
  EXPECT_EQ(h.game->color, 0xFF336699u);
  EXPECT_EQ(warnings.Lines(),
            std::vector<std::string>{"warning: " + h.gameFile +
                                     ": game \"fake\": color=\"$FF00GG00\" is not a colour or "
                                     "number (\"$AARRGGBB\"); the default is used"});
}

TEST(EngineStart, FinaliseTellsTheGameDoneOnce) {
  EngineHarness h;
  ASSERT_TRUE(h.Start());
  int before = TFakeGame::totalDoneCalls;
  h.engine->Finalize();
  h.engine->Finalize();
  EXPECT_EQ(TFakeGame::totalDoneCalls - before, 1);
  EXPECT_FALSE(h.platform->headless.IsCreated());
}

TEST(EngineStart, DefaultOptionsAndCaption) {
  EngineHarness h;
  ASSERT_TRUE(h.Start());
  EXPECT_EQ(h.engine->GetOption("ScreenWidth").ToInt(), DesignWidth);
  EXPECT_EQ(h.engine->GetOption("SoundVolume").ToInt(), 70);
  EXPECT_EQ(h.engine->GetOption("MusicVolume").ToInt(), 30);
  EXPECT_EQ(h.engine->GetOption("WideScreenMode").ToString(), "system");
  EXPECT_EQ(h.engine->GetOption("ShowRects").ToString(), "yes");
  EXPECT_TRUE(h.engine->GetOption("NoSuchOption").IsNull());
  // Before any mode the frame is the design size, so nothing divides by zero.
  EXPECT_EQ(h.engine->FrameRect(), (TRect{0, 0, DesignWidth, DesignHeight}));
  h.engine->SetOption("ApplicationCaption", Variant("Caption ü"));
  h.engine->ApplyOptions();
  EXPECT_EQ(h.platform->headless.Caption(), "Caption ü");
  // Without a sound manager every sound operation does nothing.
  EXPECT_EQ(h.engine->PlaySound(nullptr), kNoAudio);
  EXPECT_EQ(h.engine->LoadSample(h.gameFile, 1, false), kNoAudio);
  EXPECT_EQ(h.engine->LoadMusic(h.gameFile), kNoAudio);
  EXPECT_FALSE(h.engine->IsSoundPlaying(1));
}

TEST(EngineStart, TheWindowTakesTheProgramsIconAndADamagedOneIsSaid) {
  TempFolder folder;
  const uint32_t pixels[] = {0xFF102030, 0xFFA0B0C0, 0xFF405060, 0xFFFFFFFF, 0xFF000000,
                             0xFF7F7F7F};
  std::string error;
  ASSERT_TRUE(platform::WritePng(folder / "icon.png", pixels, 3, 2, 3, error)) << error;
  const std::string png = folder.Read("icon.png");
  RegisterProgramResource("MAINICON", reinterpret_cast<const uint8_t*>(png.data()), png.size());
  {
    EngineHarness h;
    ASSERT_TRUE(h.Start());
    EXPECT_EQ(h.platform->headless.IconSize(), (platform::Size{3, 2}));
    EXPECT_EQ(h.platform->headless.IconPixels(), std::vector<uint32_t>(pixels, pixels + 6));
  }
  const uint8_t damaged[] = {0x89, 'P', 'N', 'G', 0, 0, 0, 0};
  RegisterProgramResource("MAINICON", damaged, sizeof damaged);
  {
    WarningCapture warnings;
    EngineHarness h;
    ASSERT_TRUE(h.Start()) << "the game starts without its icon";
    EXPECT_EQ(h.platform->headless.IconSize(), (platform::Size{0, 0}));
    ASSERT_EQ(warnings.Lines().size(), 1u);
    EXPECT_NE(warnings.Lines()[0].find("res:MAINICON"), std::string::npos) << warnings.Lines()[0];
  }
  UnregisterProgramResource("MAINICON");
}

TEST(EngineServices, DocumentsGoToTheOpenerAsOneArgument) {
  Running h;
  h.folder.Write("manual.pdf", "%PDF");
  platform::HeadlessPlatform& headless = h.platform->headless;
  h.engine->OpenFile(h.folder / "missing.pdf");
  EXPECT_TRUE(headless.OpenedDocuments().empty());
  h.engine->OpenFile(h.folder / "manual.pdf");
  std::string address = "https://example.org/?a=1;b=$(touch x)";
  h.engine->RunProgram(address);
  EXPECT_EQ(headless.OpenedDocuments(),
            (std::vector<std::string>{h.folder / "manual.pdf", address}));
  // Each minimised the window (it comes back at once headless).
  h.engine->ProcessStep();
  EXPECT_FALSE(h.engine->Active());
}

// Data may name any text to run: only the game's own programs run, started directly.
TEST(EngineServices, RunProgramStartsOnlyProgramsOfTheProgramFolder) {
  Running h;
  platform::HeadlessPlatform& headless = h.platform->headless;
  std::string program = GetProgramFolder();
  std::string name = "run-probe-" + std::to_string(getpid());
  std::ofstream(program + name) << "#!/bin/sh\n";
  std::ofstream(program + name + ".txt") << "text";
  ASSERT_EQ(chmod((program + name).c_str(), 0755), 0);
  h.folder.Write("elsewhere", "#!/bin/sh\n");
  ASSERT_EQ(chmod((h.folder / "elsewhere").c_str(), 0755), 0);
  struct Case {
    std::string path;
    const char* problem;  // '' when it runs
  } cases[] = {
      {name, ""},
      {"%apppath%" + name, ""},
      {name + ".txt", "not a program"},
      {"no-such-program", "no such program"},
      {h.folder / "elsewhere", "outside the program folder"},
      {"/bin/sh", "outside the program folder"},
      {"..\\" + name, "the path climbs out with \"..\""},
      {"file:///bin/sh", "no such program"},
      {"ftp://example.org/setup", "no such program"},
      {"sh -c 'touch x'", "no such program"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    WarningCapture warnings;
    size_t before = headless.StartedPrograms().size();
    h.engine->RunProgram(c.path);
    if (std::string(c.problem).empty()) {
      ASSERT_EQ(headless.StartedPrograms().size(), before + 1);
      EXPECT_EQ(headless.StartedPrograms().back(), std::filesystem::canonical(program + name));
      EXPECT_TRUE(warnings.Lines().empty());
    } else {
      EXPECT_EQ(headless.StartedPrograms().size(), before);
      EXPECT_EQ(warnings.Lines(),
                std::vector<std::string>{"warning: " + c.path + ": not run: " + c.problem});
    }
  }
  EXPECT_TRUE(headless.OpenedDocuments().empty()) << "nothing goes to the desktop's opener";
  std::filesystem::remove(program + name);
  std::filesystem::remove(program + name + ".txt");
}

namespace {

// A sound manager that only records what the engine asks of it and lends it the audio.
class RecordingSoundManager : public TInterfacedObject, public ISoundManager {
 public:
  void SetEngine(IEngine* engine) override {
    calls.push_back(engine ? "SetEngine" : "SetEngine 0");
  }
  void SetAudio(IAudio* newAudio) override {
    audio = newAudio;
    calls.push_back("SetAudio");
  }
  IAudio* GetAudio() override { return initialised ? audio : nullptr; }
  void Clear() override { calls.push_back("Clear"); }
  void Update(int32_t ms) override { updates += ms; }
  bool Init() override {
    calls.push_back("Init");
    initialised = audio && audio->Init();
    return initialised;
  }
  void Done() override {
    calls.push_back("Done");
    initialised = false;
  }
  bool IsInitialised() override { return initialised; }
  bool IsPaused() override { return playing; }
  void SetPaused(bool play) override {
    playing = play;
    calls.push_back(play ? "SetPaused 1" : "SetPaused 0");
  }
  void SetMusicVolume(const Variant& v) override { calls.push_back("Music " + v.ToString()); }
  void SetSoundVolume(const Variant& v) override { calls.push_back("Sound " + v.ToString()); }
  AudioHandle PlayMusic(const Ref<IMusic>&) override { return 7; }
  void StopMusic(const Ref<IMusic>&) override {}
  void PauseMusic(int32_t) override {}
  void ResumeMusic(int32_t) override {}
  AudioHandle PlaySound(const Ref<ISound>&) override { return 9; }
  void StopSound(const Ref<ISound>&) override {}
  void StopAllSounds() override {}
  void StopSoundGroup(const std::string&) override {}
  void PauseSoundGroup(const std::string& g) override { calls.push_back("Pause " + g); }
  void ResumeSoundGroup(const std::string& g) override { calls.push_back("Resume " + g); }
  bool IsSoundPlaying(AudioHandle) override { return false; }

  std::vector<std::string> calls;
  IAudio* audio = nullptr;
  bool initialised = false;
  bool playing = true;
  int updates = 0;
};

}  // namespace

TEST(EngineServices, TheSoundManagerGetsTheAudioAndEveryStep) {
  EngineHarness h;
  Ref<RecordingSoundManager> manager(new RecordingSoundManager());
  h.engine->UseSoundManager(Ref<ISoundManager>(manager.get()));
  auto owned = std::make_unique<FakeAudio>();
  FakeAudio* audio = owned.get();
  h.engine->UseAudio(std::move(owned));
  ASSERT_TRUE(h.Start());
  // The window starts focused before sound starts: output is to run.
  EXPECT_EQ(manager->calls, (std::vector<std::string>{"SetPaused 1", "SetEngine", "SetAudio",
                                                      "Init", "Music 30", "Sound 70"}));
  EXPECT_EQ(manager->audio, audio);
  h.engine->StartRunning();
  ASSERT_TRUE(h.StepFrame());
  EXPECT_GT(manager->updates, 0);

  // Loads go through the manager's audio once it is initialised.
  h.folder.Write("s.wav", "not really a wave");
  AudioHandle sample = h.engine->LoadSample(h.folder / "s.wav", 2, false);
  EXPECT_NE(sample, kNoAudio);
  EXPECT_EQ(audio->Count("LoadSample"), 1);
  AudioHandle oggSample = kNoAudio;
  EXPECT_NE(h.engine->LoadSampleChannel(h.folder / "s.wav", oggSample), kNoAudio);
  EXPECT_NE(oggSample, kNoAudio);
  EXPECT_EQ(h.engine->LoadSample(h.folder / "none.wav", 1, false), kNoAudio);
  h.engine->FreeSample(sample);
  EXPECT_EQ(audio->Count("FreeSample"), 1);

  manager->calls.clear();
  h.engine->PauseSoundGroup("main", true);
  h.engine->PauseSoundGroup("main", false);
  h.engine->SetOption("MusicVolume", Variant(12));
  h.platform->headless.PostEvent(platform::PlainEvent(EventType::FocusLost));
  h.engine->ProcessStep();
  EXPECT_EQ(manager->calls,
            (std::vector<std::string>{"Pause main", "Resume main", "Music 12", "SetPaused 0"}));
  EXPECT_EQ(h.engine->PlaySound(nullptr), 9u);
  h.engine->Finalize();
  EXPECT_EQ(manager->calls.back(), "Clear");
  EXPECT_EQ(h.engine->LoadSample(h.folder / "s.wav", 1, false), kNoAudio);
}
