#include "engine/EngineResources.h"

#include <algorithm>
#include <charconv>

#include "engine/EngineResourcesImages.h"
#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"
#include "platform/Utf8.h"

namespace {

// The code of the text's first character; false for an empty text. A first character
// that is not strict UTF-8 stands for its first byte, as a single-byte text would.
bool FirstCharacterCode(std::string_view text, uint32_t& code) {
  if (text.empty()) return false;
  if (platform::DecodeUtf8(text.data(), text.data() + text.size(), code, true) == 0)
    code = static_cast<unsigned char>(text[0]);
  return true;
}

// The rectangle moved to Left, Top with its size.
TRect MovedRect(const TRect& rect, int32_t left, int32_t top) {
  return TRect{left, top, SaturateInt32(int64_t(left) + rect.Width()),
               SaturateInt32(int64_t(top) + rect.Height())};
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TResource

void TResource::Init() {
  TPersistObject::Init();
  elementName_ = "resource";
}

void TResource::Load() {
  loadPending_ = false;
  if (owner_) LoadData();
}

void TResource::Unload() {
  UnloadData();
  loadPending_ = true;
}

void TResource::SetOwner(IResourceOwner* owner) {
  owner_ = owner;
  if (!loadPending_) Load();
}

void TResource::Detach() {
  Unload();
  owner_ = nullptr;
}

void TResource::LoadFromStorage(const Ref<IHierStorage>& node) {
  listFile_ = StorageDataFile(node);
  TPersistObject::LoadFromStorage(node);
}

void TResource::WarnNotLoaded(const std::string& problem) {
  Warn(listFile_.empty() ? fileName_ : listFile_, "resource \"" + name_ + "\": " + problem);
}

// A resource loaded on demand waits for its first use.
const TPropertyTable& TResource::Properties() {
  using R = TResource;
  static const TPropertyTable table(
      TPersistObject::Properties(),
      {
          Attr("file", &R::fileName_).Str().Always(),
          Attr<R>(
              "loadbydemand", [](R& r) { return r.loadByDemand_; },
              [](R& r, bool onDemand) { r.loadByDemand_ = r.loadPending_ = onDemand; })
              .Bool(),
      });
  return table;
}

// ---------------------------------------------------------------------------------------
// TImageResource

int32_t TImageResource::GetWidth() {
  if (loadPending_) Load();
  return width_;
}

int32_t TImageResource::GetHeight() {
  if (loadPending_) Load();
  return height_;
}

Ref<ISurface> TImageResource::GetSurface() {
  if (loadPending_) Load();
  return Ref<ISurface>(surface_.get());
}

const TPropertyTable& TImageResource::Properties() {
  static const TPropertyTable table(
      TResource::Properties(),
      {
          Attr("format", &TImageResource::format_).Enum(kImageFormatNames, ifUnknown),
      });
  return table;
}

void TImageResource::LoadData() {
  // A file that does not decode is not tried again on every use.
  if (loaded_) return;
  loaded_ = true;
  Ref<TSurface> surface = TAbstractObject::Create<TSurface>();
  std::string problem = Decode(*surface);
  if (!problem.empty()) return WarnNotLoaded(problem);
  surface_ = surface;
  width_ = surface->GetWidth();
  height_ = surface->GetHeight();
}

namespace {
const char* const kNotPng = " does not decode as a PNG picture (damaged, or too large)";
const char* const kNotGreyPng = " does not decode as a greyscale PNG picture";
const char* const kNotJpeg = " does not decode as a colour JPEG picture (damaged, or too large)";
}  // namespace

std::string TImageResource::Decode(TSurface& surface) {
  // The file's bytes, or what is wrong with the file.
  std::string problem;
  auto read = [this, &problem](const std::string& path, std::string& bytes) {
    Ref<IStream> stream = owner_ ? owner_->OpenStream(path) : nullptr;
    bytes = ReadStreamToString(stream.get());
    if (!bytes.empty()) return true;
    problem = stream ? path + " is empty" : "no such picture " + path;
    return false;
  };
  std::string bytes;
  switch (format_) {
    case ifPng:
      if (!read(fileName_, bytes)) return problem;
      if (!DecodePngImage(bytes, surface, kMaxImageSide)) return fileName_ + kNotPng;
      return {};
    case ifJpeg:
      if (!read(fileName_, bytes)) return problem;
      if (!DecodeJpegImage(bytes, surface, kMaxImageSide)) return fileName_ + kNotJpeg;
      return {};
    case ifJpng: {
      // Colour from the JPEG beside the PNG, alpha from the PNG's grey values.
      if (fileName_.size() < 4) return "no such picture " + fileName_;
      std::string jpegName = fileName_.substr(0, fileName_.size() - 4) + ".jpg";
      std::vector<uint8_t> alpha;
      int32_t w = 0, h = 0;
      if (!read(fileName_, bytes)) return problem;
      if (!DecodeGreyPng(bytes, alpha, w, h, kMaxImageSide)) return fileName_ + kNotGreyPng;
      if (!read(jpegName, bytes)) return problem;
      if (!DecodeJpegImage(bytes, surface, kMaxImageSide)) return jpegName + kNotJpeg;
      if (surface.GetWidth() != w || surface.GetHeight() != h)
        return jpegName + " and its alpha picture differ in size";
      uint32_t* pixels = surface.GetScanLine(0);
      for (size_t i = 0; i < alpha.size(); ++i) {
        pixels[i] = (pixels[i] & 0x00FFFFFFu) | (uint32_t(alpha[i]) << 24);
      }
      surface.SetHasAlpha(true);
      return {};
    }
    default:
      return "no picture format (\"format\" is png, jpeg or jpng)";
  }
}

void TImageResource::UnloadData() {
  surface_.reset();
  width_ = height_ = 0;
  loaded_ = false;
}

// ---------------------------------------------------------------------------------------
// Glyphs and fonts

void TSymbol::Init() {
  TPersistObject::Init();
  elementName_ = "symbol";
}

void TSymbol::SetCode(int32_t code) {
  code_ = code;
  name_ = std::to_string(code);
}

// The glyph's rectangle is written as its left, top, width and height; a width or height
// below 0 reads as 0.
const TPropertyTable& TSymbol::Properties() {
  using S = TSymbol;
  static const TPropertyTable table(
      TPersistObject::Properties(),
      {
          Attr("scancode", &S::GetCode, &S::SetCode).Int().Always(),
          Attr<S>(
              "left", [](S& s) { return s.rect_.Left; },
              [](S& s, int32_t left) { s.rect_ = MovedRect(s.rect_, left, s.rect_.Top); })
              .Int()
              .Coordinate(),
          Attr<S>(
              "top", [](S& s) { return s.rect_.Top; },
              [](S& s, int32_t top) { s.rect_ = MovedRect(s.rect_, s.rect_.Left, top); })
              .Int()
              .Coordinate(),
          Attr<S>("width", &S::GetWidth,
                  [](S& s, int32_t w) {
                    s.rect_.Right = SaturateInt32(int64_t(s.rect_.Left) + std::max(0, w));
                  })
              .Int()
              .Coordinate()
              .Always(),
          Attr<S>("height", &S::GetHeight,
                  [](S& s, int32_t h) {
                    s.rect_.Bottom = SaturateInt32(int64_t(s.rect_.Top) + std::max(0, h));
                  })
              .Int()
              .Coordinate()
              .Always(),
          Attr("wleft", &S::wLeft_).Int().Coordinate(),
          Attr("wright", &S::wRight_).Int().Coordinate(),
      });
  return table;
}

// The code is the name, so no "name" is written.
void TSymbol::SaveToXml(const Ref<IHierStorage>& node) {
  Properties().Save(*this, node);
}

void TSymbolCollection::Init() {
  TStaticCreationPersistItemCollection::Init();
  elementName_ = "symbols";
  itemElementName_ = "symbol";
  itemClass_ = ClassOf<TSymbol>();
}

void TSymbolCollection::ItemLoaded(const Ref<IInterface>& item) {
  if (Ref<ISymbol> symbol = Supports<ISymbol>(item)) Items().Add(item, symbol->GetName());
}

Ref<ISymbol> TSymbolCollection::FindCode(uint32_t code) {
  char digits[16];
  auto [end, error] = std::to_chars(digits, digits + sizeof digits, code);
  (void)error;  // 16 characters hold any 32-bit number
  return Supports<ISymbol>(Items().GetByKey(std::string_view(digits, size_t(end - digits))));
}

void TFontResource::Init() {
  TImageResource::Init();
  symbols_ = TAbstractObject::Create<TSymbolCollection>();
}

Ref<ISymbol> TFontResource::FindSymbol(std::string_view text) {
  uint32_t code = 0;
  if (!FirstCharacterCode(text, code)) return nullptr;
  return symbols_->FindCode(code);
}

Ref<ISymbol> TFontResource::FindSymbolByCode(int32_t code) {
  if (code >= 0 && size_t(code) < latin1_.size()) return latin1_[size_t(code)];
  if (code < 0) return nullptr;
  return symbols_->FindCode(uint32_t(code));
}

void TFontResource::LoadFromXml(const Ref<IHierStorage>& node) {
  TImageResource::LoadFromXml(node);
  symbols_->Clear();
  LoadObjectFromChild(symbols_, node, "symbols");
  maxHeight_ = 0;
  latin1_.assign(256, nullptr);
  for (int i = 0; i < symbols_->Count(); ++i) {
    if (Ref<ISymbol> symbol = Supports<ISymbol>(symbols_->Items().GetByIndex(i))) {
      maxHeight_ = std::max(maxHeight_, symbol->GetHeight());
    }
  }
  // The table answers exactly as the keyed look-up does (first entry of a code wins).
  for (uint32_t code = 0; code < latin1_.size(); ++code) latin1_[code] = symbols_->FindCode(code);
}

void TFontResource::SaveToXml(const Ref<IHierStorage>& node) {
  TImageResource::SaveToXml(node);
  SaveObjectToChild(symbols_, node, "symbols");
}

int32_t TFontSubstituteResource::GetWidth() {
  return current_ ? current_->GetWidth() : 0;
}

int32_t TFontSubstituteResource::GetHeight() {
  return current_ ? current_->GetHeight() : 0;
}

Ref<ISurface> TFontSubstituteResource::GetSurface() {
  return current_ ? current_->GetSurface() : nullptr;
}

int32_t TFontSubstituteResource::GetMaxHeight() {
  int32_t result = 0;
  for (const Member& member : members_) result = std::max(result, member.Font->GetMaxHeight());
  return result;
}

Ref<ISymbol> TFontSubstituteResource::FindSymbol(std::string_view text) {
  for (const Member& member : members_) {
    if (Ref<ISymbol> symbol = member.Font->FindSymbol(text)) {
      current_ = member.Font;
      return symbol;
    }
  }
  return nullptr;
}

Ref<ISymbol> TFontSubstituteResource::FindSymbolByCode(int32_t code) {
  for (const Member& member : members_) {
    if (Ref<ISymbol> symbol = member.Font->FindSymbolByCode(code)) {
      current_ = member.Font;
      return symbol;
    }
  }
  return nullptr;
}

void TFontSubstituteResource::SetOwner(IResourceOwner* owner) {
  TResource::SetOwner(owner);
  members_.clear();
  current_.reset();
  if (!owner) return;
  for (const std::string& name : SplitString(fontNames_, ',')) {
    bool known = std::any_of(members_.begin(), members_.end(),
                             [&](const Member& m) { return SameText(m.Name, name); });
    if (known) continue;
    if (Ref<IFontResource> font = Supports<IFontResource>(owner->GetResource(name))) {
      members_.push_back({name, font});
    } else {
      WarnNotLoaded("\"fonts\" names \"" + name + "\", which is no font loaded before it");
    }
  }
}

void TFontSubstituteResource::Detach() {
  members_.clear();
  current_.reset();
  TResource::Detach();
}

const TPropertyTable& TFontSubstituteResource::Properties() {
  static const TPropertyTable table(TResource::Properties(),
                                    {
                                        Attr("fonts", &TFontSubstituteResource::fontNames_).Str(),
                                    });
  return table;
}

// ---------------------------------------------------------------------------------------
// Sound and music

TSoundResource::~TSoundResource() {
  // A resource may go without being detached (refused by a collection, dropped by its
  // last holder); its sample must not stay in the audio output.
  if (loaded_ && owner_ && sample_ != kNoAudio) owner_->FreeSample(sample_);
}

AudioHandle TSoundResource::GetSampleHandle() {
  if (loadPending_) Load();
  return sample_;
}

void TSoundResource::SetMasterVolume(int32_t volume) {
  masterVolume_ = uint8_t(std::clamp(volume, 0, 100));
}

void TSoundResource::SetOwner(IResourceOwner* owner) {
  if (maxPlaybacks_ == 0) maxPlaybacks_ = 1;
  TResource::SetOwner(owner);
}

const TPropertyTable& TSoundResource::Properties() {
  using S = TSoundResource;
  static const TPropertyTable table(
      TResource::Properties(),
      {
          Attr("master_volume", &S::GetMasterVolume, &S::SetMasterVolume).Int(100),
          Attr("maxplaybacks", &S::maxPlaybacks_).Int(),
      });
  return table;
}

void TSoundResource::LoadData() {
  if (loaded_) return;
  loaded_ = true;
  sample_ = owner_->LoadSample(fileName_, maxPlaybacks_, false);
  if (sample_ == kNoAudio) WarnIfMissing();
}

void TResource::WarnIfMissing() {
  if (owner_ && !owner_->OpenStream(fileName_)) WarnNotLoaded("no such file " + fileName_);
}

void TSoundResource::UnloadData() {
  if (loaded_ && owner_ && sample_ != kNoAudio) owner_->FreeSample(sample_);
  sample_ = kNoAudio;
  loaded_ = false;
}

TMusicResource::~TMusicResource() {
  FreeHandles();
}

AudioHandle TMusicResource::GetMusicHandle() {
  if (loadPending_) Load();
  return music_;
}

const TPropertyTable& TMusicResource::Properties() {
  static const TPropertyTable table(
      TResource::Properties(),
      {
          Attr("format", &TMusicResource::format_).Enum(kMusicFormatNames, mfMo3),
      });
  return table;
}

void TMusicResource::LoadData() {
  if (loaded_) return;
  loaded_ = true;
  if (format_ == mfOgg) {
    music_ = owner_->LoadSampleChannel(fileName_, sample_);
  } else {
    music_ = owner_->LoadMusic(fileName_);
  }
  if (music_ == kNoAudio) WarnIfMissing();
}

void TMusicResource::FreeHandles() {
  if (!loaded_ || !owner_) return;
  if (format_ == mfOgg) {
    if (sample_ != kNoAudio) owner_->FreeSample(sample_);
  } else if (music_ != kNoAudio) {
    owner_->FreeMusic(music_);
  }
}

void TMusicResource::UnloadData() {
  FreeHandles();
  music_ = sample_ = kNoAudio;
  loaded_ = false;
}

// ---------------------------------------------------------------------------------------
// Groups

void TGroupResource::Init() {
  TResource::Init();
  members_ = TAbstractObject::Create<TResourceCollection>();
}

void TGroupResource::Load() {
  TResource::Load();
  for (int i = 0; i < members_->Count(); ++i) {
    if (Ref<IResource> member = members_->Find(Variant(i))) member->Load();
  }
}

void TGroupResource::Unload() {
  TResource::Unload();
  for (int i = 0; i < members_->Count(); ++i) {
    if (Ref<IResource> member = members_->Find(Variant(i))) member->Unload();
  }
}

void TGroupResource::SetOwner(IResourceOwner* owner) {
  owner_ = owner;
  for (int i = 0; i < members_->Count(); ++i) {
    if (Ref<IResource> member = members_->Find(Variant(i))) member->SetOwner(owner);
  }
}

void TGroupResource::Detach() {
  for (int i = 0; i < members_->Count(); ++i) {
    if (Ref<IResource> member = members_->Find(Variant(i))) member->Detach();
  }
  members_->Clear();
  owner_ = nullptr;
}

// The members have no item element name: every child of "resources" is one, each with
// its own "type".
void TGroupResource::LoadFromXml(const Ref<IHierStorage>& node) {
  TResource::LoadFromXml(node);
  members_->Clear();
  Ref<IHierStorage> list = node ? node->GetChild("resources", 0) : nullptr;
  if (!list) return;
  int count = list->GetChildCount("");
  for (int i = 0; i < count; ++i) {
    Ref<IHierStorage> child = list->GetChild("", i);
    if (!child) continue;
    Ref<IResourceSlave> member = CreateResourceOf(child);
    if (!member) continue;
    if (Ref<IPersistObject> persist = Supports<IPersistObject>(member)) {
      persist->LoadFromStorage(child);
    }
    members_->Add(Ref<IResource>(member.get()));
  }
}

void TGroupResource::SaveToXml(const Ref<IHierStorage>& node) {
  if (!node) return;
  if (Ref<IHierStorage> list = node->AddChild("resources")) {
    for (int i = 0; i < members_->Count(); ++i) {
      SaveObjectToChild(members_->Items().GetByIndex(i), list, "resource");
    }
  }
  TResource::SaveToXml(node);
}

Ref<IResource> TGroupResource::RandomMember() {
  int count = members_->Count();
  if (count <= 0) return nullptr;
  return Supports<IResource>(members_->Items().GetByIndex(Random(count)));
}

AudioHandle TSoundGroupResource::GetSampleHandle() {
  return current_ ? current_->GetSampleHandle() : kNoAudio;
}

int32_t TSoundGroupResource::GetMasterVolume() {
  return current_ ? current_->GetMasterVolume() : 100;
}

void TSoundGroupResource::SetMasterVolume(int32_t volume) {
  if (current_) current_->SetMasterVolume(volume);
}

void TSoundGroupResource::Select() {
  current_ = Supports<ISoundResource>(RandomMember());
}

void TSoundGroupResource::Detach() {
  current_.reset();
  TGroupResource::Detach();
}

AudioHandle TMusicGroupResource::GetMusicHandle() {
  return current_ ? current_->GetMusicHandle() : kNoAudio;
}

uint8_t TMusicGroupResource::GetFormat() {
  return current_ ? current_->GetFormat() : uint8_t(mfOgg);
}

void TMusicGroupResource::Select() {
  current_ = Supports<IMusicResource>(RandomMember());
}

void TMusicGroupResource::Detach() {
  current_.reset();
  TGroupResource::Detach();
}

// ---------------------------------------------------------------------------------------
// The collection

void TResourceCollection::ItemLoaded(const Ref<IInterface>& item) {
  if (Ref<IResource> resource = Supports<IResource>(item)) Add(resource);
}

void TResourceCollection::Add(const Ref<IResource>& resource) {
  if (!resource) return;
  Items().Add(resource, resource->GetName());
}

Ref<IResource> TResourceCollection::Find(const Variant& address) {
  return Supports<IResource>(Items().GetItem(address));
}

Ref<IResource> TResourceCollection::FindByName(std::string_view name) {
  return Supports<IResource>(Items().GetByKey(name));
}

void TResourceCollection::RemoveGroup(const std::string& group) {
  // Detaching may reach back into the collection (a group's members), so each item is
  // fetched afresh by position.
  for (int i = Count() - 1; i >= 0; --i) {
    if (i >= Count()) continue;
    Ref<IResource> resource = Supports<IResource>(Items().GetByIndex(i));
    if (!resource) continue;
    if (!group.empty() && resource->GetGroupName() != group) continue;
    resource->Detach();
    if (i < Count() && Items().GetByIndex(i) == Ref<IInterface>(resource.get())) {
      Items().Delete(Variant(i));
    }
  }
}

void TResourceCollection::UnloadGroup(const std::string& group) {
  for (int i = Count() - 1; i >= 0; --i) {
    if (i >= Count()) continue;
    Ref<IResource> resource = Supports<IResource>(Items().GetByIndex(i));
    if (resource && (group.empty() || resource->GetGroupName() == group)) resource->Unload();
  }
}

// ---------------------------------------------------------------------------------------

Ref<IResourceSlave> CreateResourceByType(std::string_view typeText, const std::string& name) {
  Ref<IResourceSlave> resource = Supports<IResourceSlave>(CreateRegisteredObject(typeText));
  if (resource) resource->SetName(name);
  return resource;
}

Ref<IResourceSlave> CreateResourceOf(const Ref<IHierStorage>& node) {
  std::string type = ReadXmlStr(node, "type");
  Ref<IResourceSlave> resource = CreateResourceByType(type, ReadXmlStr(node, "name"));
  if (!resource) WarnAboutNode(node, "\"" + type + "\" is no resource type; skipped");
  return resource;
}

void RegisterResourceClasses() {
  RegisterClassName<TImageResource>("ImageResource");
  RegisterClassName<TFontResource>("FontResource");
  RegisterClassName<TFontSubstituteResource>("FontSubstituteResource");
  RegisterClassName<TSoundResource>("SoundResource");
  RegisterClassName<TMusicResource>("MusicResource");
  RegisterClassName<TSoundGroupResource>("SoundGroupResource");
  RegisterClassName<TMusicGroupResource>("MusicGroupResource");
}
