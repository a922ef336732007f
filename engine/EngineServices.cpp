// What the engine offers the game and the resources: files, resource lists, the
// cursor, the sound manager's operations and the desktop's documents.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "engine/Engine.h"
#include "engine/EngineRoutines.h"
#include "foundation/CheckedMath.h"
#include "foundation/Cipher.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/Random.h"
#include "foundation/ResourceReader.h"
#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"

namespace {

// Addresses the desktop's browser opens: all a "url" button can mean besides a program.
bool IsWebAddress(const std::string& text) {
  auto startsWith = [&](std::string_view scheme) {
    return text.size() > scheme.size() && SameText(text.substr(0, scheme.size()), scheme);
  };
  if (!startsWith("http://") && !startsWith("https://")) return false;
  // It goes to the opener as one argument, so only control characters are refused.
  return std::none_of(text.begin(), text.end(),
                      [](char c) { return static_cast<unsigned char>(c) < ' ' || c == 0x7F; });
}

// The program file Path names inside the program folder ("\" or "/", any letter case,
// relative to the program folder or under "%apppath%"), as an absolute path; '' with
// Problem saying why when it names anything else.
std::string ProgramInProgramFolder(const std::string& path, std::string& problem) {
  if (DataPathClimbsOut(path)) {
    problem = "the path climbs out with \"..\"";
    return {};
  }
  std::string normalized = NormalizeResourcePath(path);
  std::string folder = ::GetProgramFolder();
  bool absolute = normalized[0] == '\\';
  std::string native = NativePathForWriting(absolute ? normalized : folder + normalized);
  std::error_code error;
  std::filesystem::path real = std::filesystem::canonical(native, error);
  if (native.empty() || error) {
    problem = "no such program";
    return {};
  }
  std::string inside = std::filesystem::canonical(folder, error).string() + "/";
  if (error || real.string().compare(0, inside.size(), inside) != 0) {
    problem = "outside the program folder";
    return {};
  }
  if (!std::filesystem::is_regular_file(real, error) || access(real.c_str(), X_OK) != 0) {
    problem = "not a program";
    return {};
  }
  return real.string();
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Folders and files

std::string TEngine::GetProgramFolder() {
  return ::GetProgramFolder();
}

std::string TEngine::GetPreferenceFolder() {
  return ::GetPreferenceFolder();
}

bool TEngine::WritePreferenceFile(const std::string& text, const std::string& fileName) {
  return ::WritePreferenceFile(text, fileName);
}

bool TEngine::WriteProgramFolderFile(const std::string& text, const std::string& fileName) {
  return ::WriteProgramFolderFile(text, fileName);
}

Ref<IStream> TEngine::OpenStream(const std::string& path) {
  return OpenResourceStream(path, true);
}

std::string TEngine::ReadTextFile(const std::string& path, const std::string& key) {
  std::string problem;
  return ReadTextFile(path, key, problem);
}

std::string TEngine::ReadTextFile(const std::string& path, const std::string& key,
                                  std::string& problem) {
  problem.clear();
  Ref<IStream> stream = OpenStream(path);
  if (!stream) return {};
  std::string text = WithCrLfLines(ReadStreamToString(stream.get()));
  if (key.empty()) return text;
  // Read as hexadecimal, anything else would decipher to noise.
  problem = HexTextProblem(text);
  if (!problem.empty()) return {};
  return TCipher_Xtea(key).CodeString(text, kCipherDecipher, kFormatHex);
}

// ---------------------------------------------------------------------------------------
// Resources

void TEngine::LoadResourcesFromFile(const std::string& path, const std::string& group, bool pump) {
  Ref<IHierStorageRoot> storage;
  try {
    std::string problem;
    std::string text = ReadTextFile(path, EngineFileKey, problem);
    if (!problem.empty())
      return Warn(path, "is not hexadecimal text (" + problem + "); nothing of it is loaded");
    if (text.empty()) {
      return Warn(path,
                  "no such resource list, or one not enciphered with the engine's key; "
                  "nothing of it is loaded");
    }
    storage = LoadXmlStorageFromText(text, path);
  } catch (const std::exception& error) {
    return Warn(path,
                std::string("does not parse (") + error.what() + "); nothing of it is loaded");
  }
  try {
    LoadResources(storage, group, pump);
  } catch (const std::exception& error) {
    Warn(path, std::string("loading stopped (") + error.what() + "); the rest is not loaded");
  }
}

void TEngine::LoadResources(const Ref<IHierStorage>& storage, const std::string& group, bool pump) {
  if (!storage || storage->GetChildCount("content") < 1) return;
  Ref<IHierStorage> content = storage->GetChild("content", 0);
  if (!content) return;
  int count = content->GetChildCount("resource");
  for (int i = 0; i < count; ++i) {
    // A loading screen keeps drawing and the window stays responsive. A quit met in that
    // step (or a stop request) ends the game: nothing more is wanted.
    if (pump && running_) {
      ProcessStep();
      if (terminated_) return;
    }
    Ref<IHierStorage> section = content->GetChild("resource", i);
    if (!section) continue;
    std::string name = ReadXmlStr(section, "name");
    // Names are keys without regard to case: a second spelling is the same resource,
    // so it is neither decoded nor loaded again.
    if (resources_->FindByName(name)) continue;
    Ref<IResourceSlave> resource = CreateResourceOf(section);
    if (!resource) continue;
    if (Ref<IPersistObject> persist = Supports<IPersistObject>(resource)) {
      persist->LoadFromStorage(section);
    }
    resource->SetGroupName(group);
    resource->SetOwner(this);
    resources_->Add(Ref<IResource>(resource.get()));
  }
}

void TEngine::UnloadResources(const std::string& group) {
  if (resources_) resources_->UnloadGroup(group);
}

void TEngine::RemoveResources(const std::string& group) {
  if (resources_) resources_->RemoveGroup(group);
}

Ref<IResource> TEngine::GetResource(const std::string& name) {
  return resources_->FindByName(name);
}

void TEngine::DeleteResource(const std::string& name) {
  if (resources_->FindByName(name)) resources_->Delete(Variant(name));
}

Ref<IResourceCollection> TEngine::GetResources() {
  return Ref<IResourceCollection>(resources_.get());
}

Ref<ISurface> TEngine::CreateSurface() {
  return Ref<ISurface>(TAbstractObject::Create<TSurface>().get());
}

// ---------------------------------------------------------------------------------------
// The cursor

void TEngine::GetCursorPos(TPoint& point) {
  if (!window_) {
    point = TPoint{};
    return;
  }
  platform::Point p = window_->CursorPosition();
  point = TPoint{p.X, p.Y};
  if (!fullScreen_ || !wide_) return;
  if (pointerPinned_ && p == pinnedDisplay_) {
    point = pinnedDesign_;
    return;
  }
  ShiftPoint(point, 0, 0);
  TPoint clamped{std::clamp(point.X, frameRect_.Left, frameRect_.Right),
                 std::clamp(point.Y, frameRect_.Top, frameRect_.Bottom)};
  if (clamped != point) {
    // Out in a bar: the pointer goes back to the picture's edge.
    SetCursorPos(clamped);
    point = clamped;
  }
  point.X -= shiftX_;
  point.Y -= shiftY_;
}

void TEngine::SetCursorPos(const TPoint& point) {
  if (!window_) return;
  platform::Point p{point.X, point.Y};
  if (fullScreen_ && wide_) {
    // Frame coordinates: no game offset is added.
    p.X = SaturateInt32(destRect_.Left +
                        DivSafe64(int64_t(destRect_.Width()) * point.X, frameRect_.Right));
    p.Y = SaturateInt32(destRect_.Top +
                        DivSafe64(int64_t(destRect_.Height()) * point.Y, frameRect_.Bottom));
  }
  window_->WarpCursor(p);
}

// Every hide counts: the cursor shows again only when as many shows have followed.
void TEngine::HideSystemCursor() {
  --cursorShowCount_;
  if (cursorShowCount_ == 0) SetCursorWanted(false);
}

void TEngine::ShowSystemCursor() {
  ++cursorShowCount_;
  if (cursorShowCount_ == 1) SetCursorWanted(true);
}

void TEngine::SetCursorWanted(bool wanted) {
  if (wanted == cursorWanted_) return;
  cursorWanted_ = wanted;
  if (!cursorOutsideClient_ && window_) window_->ShowCursor(wanted);
}

// ---------------------------------------------------------------------------------------
// Sound: forwarded to the manager; without one the game runs silent.

AudioHandle TEngine::PlayMusic(const Ref<IMusic>& music) {
  return soundManager_ ? soundManager_->PlayMusic(music) : kNoAudio;
}

void TEngine::StopMusic(const Ref<IMusic>& music) {
  if (soundManager_) soundManager_->StopMusic(music);
}

void TEngine::PauseMusic(int32_t ms) {
  if (soundManager_) soundManager_->PauseMusic(ms);
}

void TEngine::ResumeMusic(int32_t ms) {
  if (soundManager_) soundManager_->ResumeMusic(ms);
}

AudioHandle TEngine::PlaySound(const Ref<ISound>& sound) {
  return soundManager_ ? soundManager_->PlaySound(sound) : kNoAudio;
}

void TEngine::StopSound(const Ref<ISound>& sound) {
  if (soundManager_) soundManager_->StopSound(sound);
}

void TEngine::PauseSoundGroup(const std::string& group, bool pause) {
  if (!soundManager_) return;
  if (pause) {
    soundManager_->PauseSoundGroup(group);
  } else {
    soundManager_->ResumeSoundGroup(group);
  }
}

void TEngine::StopAllSounds() {
  if (soundManager_) soundManager_->StopAllSounds();
}

void TEngine::StopSoundGroup(const std::string& group) {
  if (soundManager_) soundManager_->StopSoundGroup(group);
}

bool TEngine::IsSoundPlaying(AudioHandle channel) {
  return soundManager_ && soundManager_->IsSoundPlaying(channel);
}

void TEngine::SetMusicVolume(const Variant& volume) {
  if (soundManager_) soundManager_->SetMusicVolume(volume);
}

bool TEngine::IsSoundPaused() {
  return soundManager_ ? soundManager_->IsPaused() : true;
}

void TEngine::SetSoundPaused(bool play) {
  if (soundManager_) soundManager_->SetPaused(play);
}

IAudio* TEngine::ActiveAudio() {
  if (!soundManager_ || !soundManager_->IsInitialised()) return nullptr;
  return soundManager_->GetAudio();
}

std::string TEngine::ReadWholeStream(const std::string& path) {
  Ref<IStream> stream = OpenStream(path);
  return ReadStreamToString(stream.get());
}

AudioHandle TEngine::LoadMusic(const std::string& path) {
  IAudio* audio = ActiveAudio();
  if (!audio) return kNoAudio;
  std::string data = ReadWholeStream(path);
  if (data.empty()) return kNoAudio;
  AudioHandle music = audio->LoadMusic(data.data(), data.size());
  if (music == kNoAudio) Warn(path, "does not decode as music");
  return music;
}

void TEngine::FreeMusic(AudioHandle music) {
  if (IAudio* audio = ActiveAudio()) audio->FreeMusic(music);
}

AudioHandle TEngine::LoadSample(const std::string& path, uint16_t maxPlaybacks, bool loop) {
  IAudio* audio = ActiveAudio();
  if (!audio) return kNoAudio;
  std::string data = ReadWholeStream(path);
  if (data.empty()) return kNoAudio;
  AudioHandle sample = audio->LoadSample(data.data(), data.size(), maxPlaybacks, loop);
  if (sample == kNoAudio) Warn(path, "does not decode as a sound");
  return sample;
}

AudioHandle TEngine::LoadSampleChannel(const std::string& path, AudioHandle& sample) {
  sample = kNoAudio;
  IAudio* audio = ActiveAudio();
  if (!audio) return kNoAudio;
  sample = LoadSample(path, 1, true);
  return sample != kNoAudio ? audio->GetSampleChannel(sample) : kNoAudio;
}

void TEngine::FreeSample(AudioHandle sample) {
  if (IAudio* audio = ActiveAudio()) audio->FreeSample(sample);
}

// ---------------------------------------------------------------------------------------
// Documents. Both go to the platform's opener as one argument, never through a shell.

void TEngine::OpenFile(const std::string& path) {
  if (!platform_ || path.empty()) return;
  std::string native = path;
  std::replace(native.begin(), native.end(), '\\', '/');
  std::error_code error;
  if (!std::filesystem::is_regular_file(native, error)) {
    std::string resolved = NativePathForWriting(path);
    if (resolved.empty() || !std::filesystem::is_regular_file(resolved, error)) return;
    native = resolved;
  }
  if (!platform_->GetShell().OpenDocument(std::filesystem::absolute(native, error).string())) {
    return;
  }
  window_->Minimise();
}

// Data names what runs here: only the game's own programs, started directly, and web
// addresses for the browser; anything else is refused rather than handed to a shell.
void TEngine::RunProgram(const std::string& pathOrAddress) {
  if (!platform_ || pathOrAddress.empty()) return;
  bool address = IsWebAddress(pathOrAddress);
  std::string program, problem;
  if (!address) {
    program = ProgramInProgramFolder(pathOrAddress, problem);
    if (program.empty()) {
      Warn(pathOrAddress, "not run: " + problem);
      return;
    }
  }
  window_->Minimise();
  platform::Shell& shell = platform_->GetShell();
  if (address) {
    shell.OpenDocument(pathOrAddress);
  } else {
    shell.StartProgram(program);
  }
}

// ---------------------------------------------------------------------------------------
// What a script asks of the engine

std::string TEngine::TopScreenName() {
  Ref<IGame> game = game_;
  return game ? game->GetTopScreenName() : std::string();
}

void TEngine::Reseed(uint64_t seed) {
  SetRandomSeed(seed);
}
