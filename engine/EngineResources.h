#pragma once
// Named resources the engine holds and hands out by name: images, bitmap fonts, sound
// samples and music pieces, and groups that stand for a random member. Each resource
// knows its file and its group and loads its data through its owner (the engine), at
// once or on first use; a group of resources can be unloaded (reloaded on demand) or
// removed together.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EngineSurface.h"
#include "foundation/EngineGeneralClasses.h"
#include "foundation/EngineInterfaces.h"

// Image formats of "format", by index.
enum TImageFormat : uint8_t { ifPng = 0, ifJpeg = 1, ifJpng = 2, ifUnknown = 3 };
inline constexpr std::string_view kImageFormatNames = "/png/jpeg/jpng/unknown";
// Music formats of "format", by index.
enum TMusicFormat : uint8_t { mfMo3 = 0, mfOgg = 1 };
inline constexpr std::string_view kMusicFormatNames = "/mo3/ogg";

class TResource : public TPersistObject, public virtual IResourceSlave {
 public:
  void Init() override;

  std::string GetFileName() override { return fileName_; }
  bool IsLoadPending() override { return loadPending_; }
  std::string GetGroupName() override { return groupName_; }
  void SetGroupName(const std::string& group) override { groupName_ = group; }
  // Loads the data once; nothing without an owner.
  void Load() override;
  // Frees the data; the next use loads it again.
  void Unload() override;
  void SetOwner(IResourceOwner* owner) override;
  void Detach() override;

  // Remembers the list the resource is defined in, for the warnings of its loading.
  void LoadFromStorage(const Ref<IHierStorage>& node) override;

  IResourceOwner* Owner() const { return owner_; }

 protected:
  const TPropertyTable& Properties() override;
  // The kind's own data; called by Load and Unload.
  virtual void LoadData() {}
  virtual void UnloadData() {}
  // Says on the warning channel why the data did not load, naming the resource list.
  void WarnNotLoaded(const std::string& problem);
  // WarnNotLoaded when the owner has no such file (audio that is off loads nothing
  // either, and is no fault of the data).
  void WarnIfMissing();

  std::string groupName_;
  std::string fileName_;
  // Not counted: the engine owns its resources and detaches them before it goes.
  IResourceOwner* owner_ = nullptr;
  bool loadPending_ = false;
  bool loadByDemand_ = false;
  std::string listFile_;
};

class TImageResource : public TResource, public virtual IImageResource {
 public:
  // Images larger than this on a side, or than a surface may hold, are refused before
  // any pixel memory is taken.
  static constexpr int32_t kMaxImageSide = 16384;

  int32_t GetWidth() override;
  int32_t GetHeight() override;
  Ref<ISurface> GetSurface() override;

  uint8_t Format() const { return format_; }
  void SetFormat(uint8_t format) { format_ = format; }

 protected:
  const TPropertyTable& Properties() override;
  void LoadData() override;
  void UnloadData() override;
  // Decodes the file into Surface: '' when it did, else what went wrong.
  std::string Decode(TSurface& surface);

  Ref<TSurface> surface_;
  uint8_t format_ = ifUnknown;
  bool loaded_ = false;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

// One glyph: a rectangle of the font image, the spacing around it, and its character
// code, whose decimal text is its name.
class TSymbol : public TPersistObject, public virtual ISymbol {
 public:
  void Init() override;

  int32_t GetCode() override { return code_; }
  void SetCode(int32_t code) override;
  TRect GetRect() override { return rect_; }
  void SetRect(const TRect& rect) override { rect_ = rect; }
  int32_t GetWidth() override { return rect_.Width(); }
  int32_t GetHeight() override { return rect_.Height(); }
  int32_t GetWLeft() override { return wLeft_; }
  int32_t GetWRight() override { return wRight_; }
  void SetWLeft(int32_t value) override { wLeft_ = value; }
  void SetWRight(int32_t value) override { wRight_ = value; }

  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;

 private:
  int32_t code_ = 0;
  TRect rect_;
  int32_t wLeft_ = 0;
  int32_t wRight_ = 0;
};

class TSymbolCollection : public TStaticCreationPersistItemCollection {
 public:
  void Init() override;
  // The glyph of a character code, or nothing; allocates nothing.
  Ref<ISymbol> FindCode(uint32_t code);

 protected:
  void ItemLoaded(const Ref<IInterface>& item) override;
};

class TFontResource : public TImageResource, public virtual IFontResource {
 public:
  void Init() override;

  int32_t GetMaxHeight() override { return maxHeight_; }
  Ref<ISymbol> FindSymbol(std::string_view text) override;
  // Texts that change every frame look glyphs up per character: the Latin-1 range comes
  // from a table filled at load, the rest from the keyed collection.
  Ref<ISymbol> FindSymbolByCode(int32_t code) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

  TSymbolCollection& Symbols() { return *symbols_; }

 private:
  Ref<TSymbolCollection> symbols_;
  std::vector<Ref<ISymbol>> latin1_;  // by code, 0..255
  int32_t maxHeight_ = 0;
};

// A font made of other fonts: each glyph comes from the first member that has it.
class TFontSubstituteResource : public TResource, public virtual IFontResource {
 public:
  // The measures and surface of the member that answered last.
  int32_t GetWidth() override;
  int32_t GetHeight() override;
  Ref<ISurface> GetSurface() override;
  int32_t GetMaxHeight() override;
  Ref<ISymbol> FindSymbol(std::string_view text) override;
  Ref<ISymbol> FindSymbolByCode(int32_t code) override;

  // Finds the member fonts by name through the owner.
  void SetOwner(IResourceOwner* owner) override;
  void Detach() override;

  int MemberCount() const { return int(members_.size()); }

 protected:
  const TPropertyTable& Properties() override;

 private:
  struct Member {
    std::string Name;
    Ref<IFontResource> Font;
  };

  std::string fontNames_;
  // In the order "fonts" names them, each name once.
  std::vector<Member> members_;
  Ref<IFontResource> current_;
};

class TSoundResource : public TResource, public virtual ISoundResource {
 public:
  ~TSoundResource() override;

  AudioHandle GetSampleHandle() override;
  int32_t GetMasterVolume() override { return masterVolume_; }
  void SetMasterVolume(int32_t volume) override;
  void Select() override {}

  void SetOwner(IResourceOwner* owner) override;

  int32_t MaxPlaybacks() const { return maxPlaybacks_; }

 protected:
  const TPropertyTable& Properties() override;
  void LoadData() override;
  void UnloadData() override;

 private:
  AudioHandle sample_ = kNoAudio;
  uint8_t masterVolume_ = 100;
  uint16_t maxPlaybacks_ = 0;
  bool loaded_ = false;
};

class TMusicResource : public TResource, public virtual IMusicResource {
 public:
  ~TMusicResource() override;

  // A module's handle, or the channel of an ogg piece.
  AudioHandle GetMusicHandle() override;
  uint8_t GetFormat() override { return format_; }
  void Select() override {}

 protected:
  const TPropertyTable& Properties() override;
  void LoadData() override;
  void UnloadData() override;

 private:
  void FreeHandles();

  AudioHandle music_ = kNoAudio;
  AudioHandle sample_ = kNoAudio;  // the looping sample behind an ogg piece's channel
  uint8_t format_ = mfMo3;
  bool loaded_ = false;
};

class TResourceCollection;

// Resources that stand together: loading, unloading, owner and detaching pass to every
// member.
class TGroupResource : public TResource {
 public:
  void Init() override;

  void Load() override;
  void Unload() override;
  void SetOwner(IResourceOwner* owner) override;
  void Detach() override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

  TResourceCollection& Members() { return *members_; }

 protected:
  // A member chosen uniformly at random, or nothing without members.
  Ref<IResource> RandomMember();

  Ref<TResourceCollection> members_;
};

class TSoundGroupResource : public TGroupResource, public virtual ISoundResource {
 public:
  AudioHandle GetSampleHandle() override;
  int32_t GetMasterVolume() override;
  void SetMasterVolume(int32_t volume) override;
  void Select() override;
  void Detach() override;

 private:
  Ref<ISoundResource> current_;
};

class TMusicGroupResource : public TGroupResource, public virtual IMusicResource {
 public:
  AudioHandle GetMusicHandle() override;
  uint8_t GetFormat() override;
  void Select() override;
  void Detach() override;

 private:
  Ref<IMusicResource> current_;
};

class TResourceCollection : public TTypedCreationPersistItemCollection,
                            public virtual IResourceCollection {
 public:
  void RemoveGroup(const std::string& group) override;
  void UnloadGroup(const std::string& group) override;
  Ref<IResource> Find(const Variant& address) override;
  // Stored under its name; a second resource of a name (any case) is not stored.
  void Add(const Ref<IResource>& resource) override;

  // By name without regard to case, allocating nothing.
  Ref<IResource> FindByName(std::string_view name);
  void SetItemElementName(const std::string& name) { itemElementName_ = name; }

 protected:
  void ItemLoaded(const Ref<IInterface>& item) override;
};

// The registered resource of that type named Name; nothing for an unknown type.
Ref<IResourceSlave> CreateResourceByType(std::string_view typeText, const std::string& name);
// The resource of the node's "type" named by its "name"; a type that is no resource type
// gives nothing and a warning naming the node's file.
Ref<IResourceSlave> CreateResourceOf(const Ref<IHierStorage>& node);

// Registers the resource type names ("ImageResource", ...).
void RegisterResourceClasses();
