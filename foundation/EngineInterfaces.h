#pragma once
// Interfaces through which the engine's objects reach each other and the later subsystems.
// Each concern keeps its own section.

#include <cstdint>
#include <functional>
#include <string>

#include "foundation/EngineGeneralClasses.h"
#include "foundation/Interface.h"
#include "foundation/PersistenceService.h"
#include "foundation/Streams.h"
#include "platform/Audio.h"
#include "platform/Geometry.h"

// ---------------------------------------------------------------------------------------
// Software surfaces
// ---------------------------------------------------------------------------------------

// Rectangles (right and bottom exclusive) and points in pixels.
using TRect = platform::Rect;
using TPoint = platform::Point;
using platform::IntersectRects;
using platform::UnionRects;

// Blend modes of Draw and DrawColored, as data names them by index in
// "/normal/screen/overlay/linearlight/addition/maxopaque/bltfast".
enum TBlendMode : uint8_t {
  bmNormal = 0,
  bmScreen = 1,
  bmOverlay = 2,
  bmLinearLight = 3,
  bmAddition = 4,
  bmMaxOpaque = 5,
  bmBltFast = 6,
};

class IParamCollection;

// A 32-bit pixel buffer; pixels are 0xAARRGGBB. Sources are borrowed for the call only.
class ISurface : public virtual IInterface {
 public:
  virtual int32_t GetWidth() = 0;
  virtual int32_t GetHeight() = 0;
  virtual void SetSize(int32_t width, int32_t height) = 0;
  // Nothing outside 0..Height-1 or without pixels.
  virtual uint32_t* GetScanLine(int32_t y) = 0;
  // 0 outside the surface.
  virtual uint32_t GetPixel(int32_t x, int32_t y) = 0;
  virtual void SetPixel(int32_t x, int32_t y, uint32_t pixel) = 0;
  virtual bool GetHasAlpha() = 0;
  virtual void SetHasAlpha(bool value) = 0;

  virtual bool Draw(ISurface* source, const TRect& srcRect, uint8_t mode, uint8_t alpha,
                    const TRect& dstRect) = 0;
  // The source gives only its alpha; the colour comes from Color.
  virtual bool DrawColored(uint32_t color, ISurface* source, uint8_t mode, uint8_t alpha,
                           const TRect& dstRect, const TRect& srcRect) = 0;
  virtual bool DrawMasked(ISurface* source, const TRect& srcRect, const TRect& dstRect,
                          const TRect& maskRect, ISurface* mask) = 0;
  virtual bool DrawTransformed(ISurface* source, TPoint centre, double angle, bool smooth,
                               double scaleX, double scaleY, double offsetX, double offsetY) = 0;
  virtual bool DrawScaled(ISurface* source, bool smooth, double scaleX, double scaleY,
                          double offsetX, double offsetY) = 0;
  virtual bool DrawAt(ISurface* source, double x, double y) = 0;

  virtual void SetClipRect(bool enabled, const TRect& rect) = 0;
  // Returns the number of rectangles in the region.
  virtual int32_t AddRegionRect(const TRect& rect) = 0;
  virtual void ClearRegion() = 0;

  // Unchecked: the caller guarantees 0 <= x < width and 0 <= y < height.
  virtual uint32_t* PixelAddress(int32_t x, int32_t y) = 0;
  virtual uint32_t PixelValue(int32_t x, int32_t y) = 0;
  virtual void Clear() = 0;
  // Counts pixels whose alpha is above threshold as opaque, the others as transparent,
  // and stores "PixelsCount", "TransparentCount" and "OpaqueCount" into params. False
  // without params.
  virtual bool GetStatistics(IParamCollection* params, uint8_t threshold) = 0;
};

// ---------------------------------------------------------------------------------------
// Resources: images, bitmap fonts, samples and music, held by the engine by name
// ---------------------------------------------------------------------------------------

class IResourceOwner;

// The display's channel layout: for red, green and blue a mask, the index of its lowest
// set bit, and its width in bits.
struct TPixelFormat {
  uint32_t RedMask = 0, GreenMask = 0, BlueMask = 0;
  uint8_t RedShift = 0, GreenShift = 0, BlueShift = 0;
  uint8_t RedWidth = 0, GreenWidth = 0, BlueWidth = 0;
};

class IResource : public virtual INamedObject {
 public:
  virtual std::string GetFileName() = 0;
  virtual bool IsLoadPending() = 0;
  virtual std::string GetGroupName() = 0;
  virtual void SetGroupName(const std::string& group) = 0;
  virtual void Load() = 0;
  virtual void Unload() = 0;
  // Setting the owner loads the data at once unless the resource loads on demand.
  virtual void SetOwner(IResourceOwner* owner) = 0;
  virtual void Detach() = 0;
};

// The same operations, used by collections and groups to set owners and detach.
class IResourceSlave : public virtual IResource {};

class IImageResource : public virtual IResource {
 public:
  virtual int32_t GetWidth() = 0;
  virtual int32_t GetHeight() = 0;
  virtual Ref<ISurface> GetSurface() = 0;
};

// One glyph of a bitmap font; its name is its character code in decimal.
class ISymbol : public virtual INamedObject {
 public:
  virtual int32_t GetCode() = 0;
  virtual void SetCode(int32_t code) = 0;
  virtual TRect GetRect() = 0;
  virtual void SetRect(const TRect& rect) = 0;
  virtual int32_t GetWidth() = 0;
  virtual int32_t GetHeight() = 0;
  virtual int32_t GetWLeft() = 0;
  virtual int32_t GetWRight() = 0;
  virtual void SetWLeft(int32_t value) = 0;
  virtual void SetWRight(int32_t value) = 0;
};

class IFontResource : public virtual IImageResource {
 public:
  virtual int32_t GetMaxHeight() = 0;
  // The glyph of the text's first character, or nothing.
  virtual Ref<ISymbol> FindSymbol(std::string_view text) = 0;
  // The glyph of a character code, or nothing. Texts that change every frame look up
  // every character every frame, so fonts answer this from a table by code; this
  // fallback goes through FindSymbol.
  virtual Ref<ISymbol> FindSymbolByCode(int32_t code) {
    char text[4];
    size_t length = 0;
    uint32_t c = uint32_t(code);
    if (code < 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return nullptr;
    if (c < 0x80) {
      text[length++] = char(c);
    } else if (c < 0x800) {
      text[length++] = char(0xC0 | (c >> 6));
      text[length++] = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      text[length++] = char(0xE0 | (c >> 12));
      text[length++] = char(0x80 | ((c >> 6) & 0x3F));
      text[length++] = char(0x80 | (c & 0x3F));
    } else {
      text[length++] = char(0xF0 | (c >> 18));
      text[length++] = char(0x80 | ((c >> 12) & 0x3F));
      text[length++] = char(0x80 | ((c >> 6) & 0x3F));
      text[length++] = char(0x80 | (c & 0x3F));
    }
    return FindSymbol(std::string_view(text, length));
  }
};

class ISoundResource : public virtual IResource {
 public:
  virtual AudioHandle GetSampleHandle() = 0;
  virtual int32_t GetMasterVolume() = 0;
  virtual void SetMasterVolume(int32_t volume) = 0;
  // Groups choose the member the next play uses; plain resources do nothing.
  virtual void Select() = 0;
};

class IMusicResource : public virtual IResource {
 public:
  virtual AudioHandle GetMusicHandle() = 0;
  // 0 mo3 (a module), 1 ogg (a compressed stream played as a sample channel).
  virtual uint8_t GetFormat() = 0;
  virtual void Select() = 0;
};

class IResourceCollection : public virtual ICollection {
 public:
  virtual void RemoveGroup(const std::string& group) = 0;
  virtual void UnloadGroup(const std::string& group) = 0;
  // A position or a name; nothing when absent.
  virtual Ref<IResource> Find(const Variant& address) = 0;
  virtual void Add(const Ref<IResource>& resource) = 0;
};

// The engine as resources and the sound manager see it.
class IResourceOwner : public virtual IInterface {
 public:
  // A read stream through the resource file tree, or nothing.
  virtual Ref<IStream> OpenStream(const std::string& path) = 0;
  virtual void GetPixelFormat(TPixelFormat& format) = 0;
  virtual uint32_t ColorToPixel(uint32_t rgb) = 0;
  // Handles are 0 on failure or while the sound manager is not initialised.
  virtual AudioHandle LoadMusic(const std::string& path) = 0;
  virtual void FreeMusic(AudioHandle music) = 0;
  virtual AudioHandle LoadSample(const std::string& path, uint16_t maxPlaybacks, bool loop) = 0;
  virtual AudioHandle LoadSampleChannel(const std::string& path, AudioHandle& sample) = 0;
  virtual void FreeSample(AudioHandle sample) = 0;
  virtual Ref<IResource> GetResource(const std::string& name) = 0;
};

// ---------------------------------------------------------------------------------------
// Sound and music descriptions, and the sound manager
// ---------------------------------------------------------------------------------------

class IMusic : public virtual IPropertyObject {
 public:
  virtual std::string GetResourceName() = 0;
  virtual void SetResourceName(const std::string& name) = 0;
};

class ISound : public virtual IPropertyObject {
 public:
  virtual std::string GetResourceName() = 0;
  virtual void SetResourceName(const std::string& name) = 0;
  virtual int32_t GetVolume() = 0;
  virtual void SetVolume(int32_t volume) = 0;
  virtual int32_t GetPan() = 0;
  virtual void SetPan(int32_t pan) = 0;
  virtual bool GetMuteMusic() = 0;
  virtual void SetMuteMusic(bool value) = 0;
  virtual bool GetLoop() = 0;
  virtual void SetLoop(bool value) = 0;
  virtual int32_t GetStartDelayMin() = 0;
  virtual void SetStartDelayMin(int32_t ms) = 0;
  virtual int32_t GetStartDelayMax() = 0;
  virtual void SetStartDelayMax(int32_t ms) = 0;
  virtual int32_t GetCycleDelayMin() = 0;
  virtual void SetCycleDelayMin(int32_t ms) = 0;
  virtual int32_t GetCycleDelayMax() = 0;
  virtual void SetCycleDelayMax(int32_t ms) = 0;
  virtual bool GetStoppableByGroup() = 0;
  virtual void SetStoppableByGroup(bool value) = 0;
  virtual int32_t GetPlayFadingTime() = 0;
  virtual void SetPlayFadingTime(int32_t ms) = 0;
  virtual int32_t GetStopFadingTime() = 0;
  virtual void SetStopFadingTime(int32_t ms) = 0;
};

// The sounds of a widget, a screen or the game, by name.
class ISoundCollection : public virtual ICollection {
 public:
  // A position or a name (any case); nothing when absent.
  virtual Ref<ISound> FindSound(const Variant& address) = 0;
};

class IMusicCollection : public virtual ICollection {
 public:
  virtual Ref<IMusic> FindMusic(const Variant& address) = 0;
};

class IEngine;

class ISoundManager : public virtual IInterface {
 public:
  virtual void SetEngine(IEngine* engine) = 0;
  // The audio output the manager plays through (owned by the engine); set before Init.
  // GetAudio gives nothing until Init has succeeded.
  virtual void SetAudio(IAudio* audio) = 0;
  virtual IAudio* GetAudio() = 0;
  virtual void Clear() = 0;
  virtual void Update(int32_t elapsedMs) = 0;
  virtual bool Init() = 0;
  virtual void Done() = 0;
  virtual bool IsInitialised() = 0;
  // True while output runs.
  virtual bool IsPaused() = 0;
  virtual void SetPaused(bool play) = 0;
  virtual void SetMusicVolume(const Variant& volume) = 0;
  virtual void SetSoundVolume(const Variant& volume) = 0;
  virtual AudioHandle PlayMusic(const Ref<IMusic>& music) = 0;
  virtual void StopMusic(const Ref<IMusic>& music) = 0;
  virtual void PauseMusic(int32_t ms) = 0;
  virtual void ResumeMusic(int32_t ms) = 0;
  // The channel, 0 when not played.
  virtual AudioHandle PlaySound(const Ref<ISound>& sound) = 0;
  virtual void StopSound(const Ref<ISound>& sound) = 0;
  virtual void StopAllSounds() = 0;
  virtual void StopSoundGroup(const std::string& group) = 0;
  virtual void PauseSoundGroup(const std::string& group) = 0;
  virtual void ResumeSoundGroup(const std::string& group) = 0;
  virtual bool IsSoundPlaying(AudioHandle channel) = 0;
};

// ---------------------------------------------------------------------------------------
// The engine and the game it drives
// ---------------------------------------------------------------------------------------

// A window message as the game's chained handler sees it.
struct TMessage {
  uint32_t Msg = 0;
  uintptr_t WParam = 0;
  intptr_t LParam = 0;
  intptr_t Result = 0;
};
using TMessageHandler = std::function<void(TMessage& message)>;

class IGame;

// The engine as the game side sees it.
class IEngine : public virtual IInterface {
 public:
  virtual std::string GetProgramFolder() = 0;
  virtual std::string GetPreferenceFolder() = 0;
  // False when the file could not be written (the previous file is then intact).
  virtual bool WritePreferenceFile(const std::string& text, const std::string& fileName) = 0;
  virtual bool WriteProgramFolderFile(const std::string& text, const std::string& fileName) = 0;
  virtual void SetOption(const std::string& name, const Variant& value) = 0;
  virtual Variant GetOption(const std::string& name) = 0;
  virtual void ApplyOptions() = 0;
  // The deciphered text of an enciphered text file; empty when missing or undecipherable.
  virtual std::string ReadTextFile(const std::string& path, const std::string& key) = 0;
  virtual void LoadResources(const Ref<IHierStorage>& storage, const std::string& group,
                             bool pump) = 0;
  virtual void LoadResourcesFromFile(const std::string& path, const std::string& group,
                                     bool pump) = 0;
  virtual void UnloadResources(const std::string& group) = 0;
  // An empty group removes every resource.
  virtual void RemoveResources(const std::string& group) = 0;
  virtual Ref<IResource> GetResource(const std::string& name) = 0;
  virtual void DeleteResource(const std::string& name) = 0;
  virtual Ref<IResourceCollection> GetResources() = 0;
  virtual void GetCursorPos(TPoint& point) = 0;
  virtual void SetCursorPos(const TPoint& point) = 0;
  virtual void HideSystemCursor() = 0;
  virtual void ShowSystemCursor() = 0;
  virtual AudioHandle PlayMusic(const Ref<IMusic>& music) = 0;
  virtual void StopMusic(const Ref<IMusic>& music) = 0;
  virtual void PauseMusic(int32_t ms) = 0;
  virtual void ResumeMusic(int32_t ms) = 0;
  virtual AudioHandle PlaySound(const Ref<ISound>& sound) = 0;
  virtual void StopSound(const Ref<ISound>& sound) = 0;
  virtual void PauseSoundGroup(const std::string& group, bool pause) = 0;
  virtual void StopAllSounds() = 0;
  virtual void StopSoundGroup(const std::string& group) = 0;
  virtual bool IsSoundPlaying(AudioHandle channel) = 0;
  virtual void SetMusicVolume(const Variant& volume) = 0;
  virtual bool IsSoundPaused() = 0;
  virtual void SetSoundPaused(bool play) = 0;
  virtual void Terminate() = 0;
  virtual void OpenFile(const std::string& path) = 0;
  virtual void RunProgram(const std::string& pathOrAddress) = 0;
  virtual Ref<ISurface> CreateSurface() = 0;
  virtual Ref<IGame> GetGame() = 0;
  virtual void RedrawRect(const TRect& rect) = 0;
  virtual void EndFrame() = 0;
  // The main window, as an opaque handle.
  virtual void* GetWindowHandle() = 0;
  virtual void SetMessageHandler(TMessageHandler handler) = 0;
  virtual void ClearMessageHandler() = 0;
  virtual void Update(int32_t elapsedMs) = 0;
};

// The root game object, driven by the engine once per frame and once per input message.
class IGame : public virtual IInterface {
 public:
  virtual void Initialize(const Ref<IEngine>& engine) = 0;
  // Drops the engine (breaking the engine <-> game cycle).
  virtual void Done() = 0;
  virtual void Update(int32_t elapsedMs) = 0;
  // X, Y: the letterbox offset.
  virtual void Draw(ISurface* surface, int32_t x, int32_t y) = 0;
  virtual bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) = 0;
  virtual bool HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) = 0;
  virtual void Activate(bool active) = 0;
  virtual bool CanClose() = 0;
  virtual void SetOption(const std::string& name, const std::string& value) = 0;
  virtual void InvalidateAll() = 0;
  virtual std::string GetTopScreenName() = 0;
};

// The start-up routine's three calls on the engine.
class IEngineApplication : public virtual IInterface {
 public:
  virtual bool Initialize(const std::string& gameFileName) = 0;
  virtual void Run() = 0;
  // Safe to call more than once.
  virtual void Finalize() = 0;
};
