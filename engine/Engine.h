#pragma once
// The one engine object of the program: it owns the platform (window, video, clock,
// shell), the single-threaded message and frame loop, the 32-bit frame surface, the
// engine options, the resource collection, the sound manager and its audio output, and
// the root game object. The start-up routine drives it as IEngineApplication, the game
// sees it as IEngine, resources and the sound manager as IResourceOwner.
//
// Sources by topic: EngineLoop.cpp (set-up, loop step, events, shut-down),
// EngineVideo.cpp (video modes, letterboxing, present), EngineServices.cpp (files,
// resources, cursor, sound forwarding, documents).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/EngineResources.h"
#include "engine/EngineSurface.h"
#include "foundation/EngineInterfaces.h"
#include "foundation/Params.h"
#include "platform/Audio.h"
#include "platform/Platform.h"

class TEngine : public TAbstractObject,
                public virtual IResourceOwner,
                public virtual IEngine,
                public virtual IEngineApplication,
                public platform::ScriptHost {
 public:
  void Init() override;
  ~TEngine() override;

  // --- Seams for tests and tools; each before Initialize. Without them Initialize
  // makes the platform GAME_PLATFORM names, CreateSoundManager's manager and the audio
  // output that suits the platform.
  void UsePlatform(std::unique_ptr<platform::Platform> platform);
  void UseSoundManager(Ref<ISoundManager> manager);
  void UseAudio(std::unique_ptr<IAudio> audio);

  // --- IEngineApplication
  bool Initialize(const std::string& gameFileName) override;
  void Run() override;
  // Safe to call more than once; the game is told Done once.
  void Finalize() override;

  // What Run does before its loop: activate and apply the options.
  void StartRunning();
  // One step of the loop: one waiting event, or one paced frame.
  void ProcessStep();
  bool Terminated() const { return terminated_; }
  // Why Initialize failed or Run stopped early, for the start-up routine to print; ''
  // when nothing went wrong.
  const std::string& FailureMessage() const { return failure_; }
  // The script's failure, '' when there is no script or it passed.
  std::string ScriptFailure() const;

  // --- IEngine
  std::string GetProgramFolder() override;
  std::string GetPreferenceFolder() override;
  bool WritePreferenceFile(const std::string& text, const std::string& fileName) override;
  bool WriteProgramFolderFile(const std::string& text, const std::string& fileName) override;
  void SetOption(const std::string& name, const Variant& value) override;
  Variant GetOption(const std::string& name) override;
  void ApplyOptions() override;
  std::string ReadTextFile(const std::string& path, const std::string& key) override;
  void LoadResources(const Ref<IHierStorage>& storage, const std::string& group,
                     bool pump) override;
  void LoadResourcesFromFile(const std::string& path, const std::string& group, bool pump) override;
  void UnloadResources(const std::string& group) override;
  void RemoveResources(const std::string& group) override;
  Ref<IResource> GetResource(const std::string& name) override;
  void DeleteResource(const std::string& name) override;
  Ref<IResourceCollection> GetResources() override;
  void GetCursorPos(TPoint& point) override;
  void SetCursorPos(const TPoint& point) override;
  void HideSystemCursor() override;
  void ShowSystemCursor() override;
  AudioHandle PlayMusic(const Ref<IMusic>& music) override;
  void StopMusic(const Ref<IMusic>& music) override;
  void PauseMusic(int32_t ms) override;
  void ResumeMusic(int32_t ms) override;
  AudioHandle PlaySound(const Ref<ISound>& sound) override;
  void StopSound(const Ref<ISound>& sound) override;
  void PauseSoundGroup(const std::string& group, bool pause) override;
  void StopAllSounds() override;
  void StopSoundGroup(const std::string& group) override;
  bool IsSoundPlaying(AudioHandle channel) override;
  void SetMusicVolume(const Variant& volume) override;
  bool IsSoundPaused() override;
  void SetSoundPaused(bool play) override;
  // Ends the program without asking the game.
  void Terminate() override;
  void OpenFile(const std::string& path) override;
  void RunProgram(const std::string& pathOrAddress) override;
  Ref<ISurface> CreateSurface() override;
  Ref<IGame> GetGame() override { return game_; }
  void RedrawRect(const TRect& rect) override;
  void EndFrame() override;
  void* GetWindowHandle() override { return window_; }
  void SetMessageHandler(TMessageHandler handler) override;
  void ClearMessageHandler() override;
  void Update(int32_t elapsedMs) override;

  // --- IResourceOwner (GetResource as above)
  Ref<IStream> OpenStream(const std::string& path) override;
  void GetPixelFormat(TPixelFormat& format) override;
  uint32_t ColorToPixel(uint32_t rgb) override;
  AudioHandle LoadMusic(const std::string& path) override;
  void FreeMusic(AudioHandle music) override;
  AudioHandle LoadSample(const std::string& path, uint16_t maxPlaybacks, bool loop) override;
  AudioHandle LoadSampleChannel(const std::string& path, AudioHandle& sample) override;
  void FreeSample(AudioHandle sample) override;

  // --- platform::ScriptHost
  std::string TopScreenName() override;
  platform::Point DesignToWindow(platform::Point design) override;
  void Reseed(uint64_t seed) override;

  // --- Video output (EngineVideo.cpp)
  // Reads the video options; a change that needs a new mode sets it pending.
  bool ReadVideoOptions();
  // Decides whether output is wide (letterboxed) and sets the frame and destination
  // rectangles, the game's offset inside the frame and the bars around the picture.
  bool DecideWideScreen();
  // A point of the display mapped into frame coordinates, plus an offset.
  void ShiftPoint(TPoint& point, int32_t offsetX, int32_t offsetY) const;
  // A display point of a mouse event in game coordinates.
  TPoint DisplayToGame(platform::Point display) const;
  static uint8_t LowestSetBit(uint32_t mask);
  static uint8_t HighestSetBit(uint32_t mask);

  // State the tests read.
  bool Active() const { return active_; }
  bool Focused() const { return focused_; }
  bool Wide() const { return wide_; }
  bool FullScreen() const { return fullScreen_; }
  bool ModeOk() const { return modeOk_; }
  bool ResetPending() const { return resetPending_; }
  bool RepaintPending() const { return repaintPending_; }
  const TRect& FrameRect() const { return frameRect_; }
  const TRect& DestRect() const { return destRect_; }
  int32_t ShiftX() const { return shiftX_; }
  int32_t ShiftY() const { return shiftY_; }
  float Aspect() const { return aspect_; }
  const std::vector<TRect>& BarRects() const { return barRects_; }
  int32_t CursorShowCount() const { return cursorShowCount_; }
  bool CursorWanted() const { return cursorWanted_; }
  TSurface* FrameSurface() const { return surface_.get(); }
  platform::Platform* PlatformLayer() const { return platform_.get(); }
  ISoundManager* SoundManager() const { return soundManager_.get(); }
  TResourceCollection& Resources() { return *resources_; }

 private:
  // EngineServices.cpp
  // ReadTextFile, with what keeps an enciphered file from being read in Problem (text
  // that is not hexadecimal; the text is then empty).
  std::string ReadTextFile(const std::string& path, const std::string& key, std::string& problem);

  // EngineLoop.cpp
  void LoadDefaultOptions();
  bool CreateMainWindow();
  void DestroyMainWindow();
  bool SetCaption();
  // The picture of the program resource "MAINICON" as the window's icon, when the
  // program carries one.
  void SetWindowIcon();
  bool InitSound();
  bool LoadGame(const std::string& gameFileName);
  void Dispatch(const platform::Event& event);
  void HandleKey(const platform::Event& event);
  void HandleAltMenuKey(const platform::Event& event);
  void HandleMouse(const platform::Event& event);
  void HandleCloseRequest();
  // What the game did not handle goes to the chained handler.
  void DefaultHandling(const platform::Event& event);
  void SetFocused(bool focused);
  void SetActive(bool active);
  void Frame(uint32_t elapsed);
  uint32_t Now() { return clock_ ? clock_->Milliseconds() : 0; }

  // EngineVideo.cpp
  bool SetVideoMode();
  bool EnterFullScreen();
  bool EnterWindowed();
  void ReadDisplayFormat();
  bool PrepareFrame();
  void Present();
  void InvalidateWholeFrame();

  // EngineServices.cpp
  void SetCursorWanted(bool wanted);
  IAudio* ActiveAudio();
  std::string ReadWholeStream(const std::string& path);

  // Platform and devices.
  std::unique_ptr<platform::Platform> platform_;
  platform::Window* window_ = nullptr;
  platform::Video* video_ = nullptr;
  platform::Clock* clock_ = nullptr;
  std::unique_ptr<IAudio> audio_;

  // Options and video state.
  uint32_t screenWidth_ = 0;
  uint32_t screenHeight_ = 0;
  int32_t screenBpp_ = 0;
  int32_t displayBpp_ = 32;
  bool fullScreen_ = false;
  bool resetPending_ = true;
  TPixelFormat pixelFormat_;
  bool wide_ = false;
  TRect frameRect_;
  TRect destRect_;
  int32_t shiftX_ = 0;
  int32_t shiftY_ = 0;
  uint32_t desktopWidth_ = 0;
  uint32_t desktopHeight_ = 0;
  int32_t destWidth_ = 0;
  int32_t destHeight_ = 0;
  float aspect_ = 0;
  std::vector<TRect> barRects_;
  // The display point a script last sent the pointer to, with the design point it stands
  // for: where the picture is smaller than the frame, not every design point has a
  // display pixel that maps back to it.
  bool pointerPinned_ = false;
  platform::Point pinnedDisplay_;
  TPoint pinnedDesign_;
  // The region of the frame as the platform takes it; kept to allocate nothing per frame.
  std::vector<platform::Rect> dirty_;

  // Owned objects.
  Ref<IGame> game_;
  Ref<TSurface> surface_;
  Ref<TResourceCollection> resources_;
  Ref<IParamCollection> options_;
  Ref<ISoundManager> soundManager_;
  TMessageHandler messageHandler_;

  // Loop state.
  bool active_ = false;
  bool modeOk_ = false;
  bool repaintPending_ = false;
  bool terminated_ = false;
  // The loop runs (StartRunning): resource lists may pump steps only then, since before
  // it an inactive window would wait for an event that may never come.
  bool running_ = false;
  uint32_t lastTime_ = 0;
  bool focused_ = false;
  bool cursorOutsideClient_ = false;
  bool cursorWanted_ = true;
  int32_t cursorShowCount_ = 1;
  std::string failure_;
};
