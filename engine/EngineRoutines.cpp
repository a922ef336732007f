#include "engine/EngineRoutines.h"

#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <exception>
#include <filesystem>

#include "engine/CommandLine.h"
#include "engine/Engine.h"
#include "foundation/CheckedMath.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/EngineGeneralClasses.h"
#include "foundation/Exceptions.h"
#include "foundation/GlobalOptions.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Params.h"
#include "foundation/ResourceReader.h"
#include "foundation/Routines.h"
#include "foundation/SafeFile.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"
#include "platform/DocumentOpener.h"
#include "platform/Folders.h"
#include "platform/Shell.h"
#include "platform/StopRequests.h"

namespace {

platform::Shell*& CurrentShell() {
  static platform::Shell* shell = nullptr;
  return shell;
}

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// Below base, each segment of relative ("\" or "/" separators) found without regard to
// case where the exact name does not exist. A segment found nowhere is kept as given.
std::filesystem::path ResolveWithoutCase(const std::filesystem::path& base,
                                         const std::string& relative) {
  std::filesystem::path resolved = base;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find_first_of("\\/", start);
    if (end == std::string::npos) end = relative.size();
    std::string segment = relative.substr(start, end - start);
    start = end + 1;
    if (segment.empty() || segment == ".") continue;
    std::error_code error;
    std::filesystem::path exact = resolved / segment;
    if (segment == ".." || std::filesystem::exists(exact, error)) {
      resolved = exact;
      continue;
    }
    std::filesystem::path found = exact;
    for (const auto& entry : std::filesystem::directory_iterator(resolved, error)) {
      if (SameText(entry.path().filename().string(), segment)) {
        found = entry.path();
        break;
      }
    }
    resolved = found;
  }
  return resolved;
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Start-up

void InitEngineRoutines() {
  static bool done = false;
  if (done) return;
  done = true;
  ArchiveExtension = GameArchiveExtension;
  LanguageFileName = "lang\\default.lng";
  std::string folder = GetProgramFolder();
  SetProgramFolder(folder);
  if (chdir(folder.c_str()) != 0) {
    std::fprintf(stderr, "%s: cannot enter the program folder %s\n",
                 DefaultApplicationCaption.c_str(), folder.c_str());
  }
  SetPreferenceFolderProvider([] { return GetPreferenceFolder(); });
}

int RunApplication() {
  // Help and misuse are answered before anything reads a file or opens a window.
  TCommandLine line = ReadCommandLine(platform::ProgramArguments());
  switch (line.action) {
    case TCommandLineAction::Refuse:
      std::fprintf(stderr, "%s: %s\nTry \"%s --help\".\n", DefaultApplicationCaption.c_str(),
                   line.problem.c_str(), DefaultApplicationCaption.c_str());
      return 2;
    case TCommandLineAction::Version:
      std::fputs(VersionText().c_str(), stdout);
      return 0;
    case TCommandLineAction::Help:
      // The start-up parameters may name another preference folder; reading them
      // touches only the program folder.
      InitEngineRoutines();
      ReadStartupParams();
      std::fputs(UsageText(GetProgramFolder(),
                           platform::PreferenceFolderPlace(MakerFolderName, PreferenceFolderName))
                     .c_str(),
                 stdout);
      return 0;
    case TCommandLineAction::Run:
      break;
  }
  // Before any backend starts: a logout or shutdown ends the game as its own quit does.
  platform::CatchStopRequests();
  InitEngineRoutines();
  ReadStartupParams();
  LoadLanguage("");
  return RunEngine();
}

void ReadStartupParams() {
  try {
    Ref<IHierStorageRoot> storage = LoadXmlStorageFromFile(StartupParamsFileName);
    if (!storage) return;
    Ref<TParamCollection> params = TAbstractObject::Create<TParamCollection>();
    params->LoadFromStorage(Ref<IHierStorage>(storage.get()));
    for (const char* name : {"default_resource_name", "lang_file_name"}) {
      if (Ref<IParam> param = params->FindParam(Variant(name))) {
        LanguageFileName = param->GetValue().ToString();
      }
    }
    if (Ref<IParam> param = params->FindParam(Variant("preference_folder_name"))) {
      PreferenceFolderName = param->GetValue().ToString();
    }
  } catch (const std::exception& error) {
    Warn(StartupParamsFileName,
         std::string("does not parse (") + error.what() + "); the start-up defaults are used");
  }
}

Ref<TEngine> CreateEngine(std::string& failure) {
  failure.clear();
  try {
    Ref<TEngine> engine = TAbstractObject::Create<TEngine>();
    if (engine->Initialize(GameFileName)) return engine;
    failure = engine->FailureMessage();
    engine->Finalize();
  } catch (const std::exception& error) {
    failure = error.what();
  }
  if (failure.empty()) failure = "the engine could not start";
  return nullptr;
}

int RunEngine() {
  int status = 0;
  try {
    std::string failure;
    Ref<TEngine> engine = CreateEngine(failure);
    if (!engine) {
      std::fprintf(stderr, "%s: %s\n", DefaultApplicationCaption.c_str(), failure.c_str());
      return 1;
    }
    engine->Run();
    engine->Finalize();
    std::string scriptFailure = engine->ScriptFailure();
    if (!scriptFailure.empty()) {
      std::fprintf(stderr, "%s: %s\n", DefaultApplicationCaption.c_str(), scriptFailure.c_str());
      status = 1;
    } else if (!engine->FailureMessage().empty()) {
      std::fprintf(stderr, "%s: %s\n", DefaultApplicationCaption.c_str(),
                   engine->FailureMessage().c_str());
      status = 1;
    }
  } catch (const std::exception& error) {
    // The program still ends normally, saying why it stopped.
    std::fprintf(stderr, "%s: stopped by an error: %s\n", DefaultApplicationCaption.c_str(),
                 error.what());
    status = 1;
  }
  return status;
}

// ---------------------------------------------------------------------------------------
// Folders and files

std::string GetProgramFolder() {
  std::string folder = WithSeparator(platform::ProgramFolder());
  const std::vector<std::string>& arguments = platform::ProgramArguments();
  if (arguments.size() != 2 || LowerAscii(arguments[0]) != "-changepath") return folder;
  std::filesystem::path path = ResolveWithoutCase(folder, LowerAscii(arguments[1]));
  return WithSeparator(path.lexically_normal().string());
}

std::string GetPreferenceFolder() {
  platform::FolderRefusal refusal;
  std::string folder = platform::PreferenceFolder(MakerFolderName, PreferenceFolderName, refusal);
  if (!folder.empty()) return WithSeparator(folder);
  // The program folder is not the player's: rather nothing saved than saved there.
  Warn(refusal.folder, "preference folder refused (" + refusal.reason +
                           "); the game runs without saving the player's files");
  return {};
}

std::string ReadPreferenceFile(const std::string& name) {
  std::string folder = GetPreferenceFolder();
  if (folder.empty()) return {};
  TPlayerFile file = ReadPlayerFile(folder + name);
  if (file.state == TPlayerFileState::Damaged) {
    Warn(folder + name, "not read (" + file.problem + ")");
  }
  return file.state == TPlayerFileState::Read ? WithCrLfLines(file.bytes) : std::string();
}

bool WritePreferenceFile(const std::string& text, const std::string& name) {
  std::string folder = GetPreferenceFolder();
  return !folder.empty() && SavePlayerFile(folder + name, WithCrLfLines(text));
}

bool WriteProgramFolderFile(const std::string& text, const std::string& name) {
  std::string path = GetProgramFolder() + name;
  std::string problem;
  if (WriteFileSafely(path, WithCrLfLines(text), TFileAccess::Shared, &problem)) return true;
  Warn(path, "not saved (" + problem + ")");
  return false;
}

// ---------------------------------------------------------------------------------------
// Helpers

std::string WithCrLfLines(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32 + 2);
  // One pass: enciphered game files are a single line of a few hundred kilobytes.
  const char* at = text.data();
  const char* end = at + text.size();
  while (at < end) {
    const char* line = at;
    while (at < end && *at != '\r' && *at != '\n') ++at;
    out.append(line, size_t(at - line));
    out += "\r\n";
    if (at < end) at += (*at == '\r' && at + 1 < end && at[1] == '\n') ? 2 : 1;
  }
  return out;
}

std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  std::string out;
  size_t start = 0;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, start)) {
    out.append(text, start, at - start);
    out += to;
    start = at + from.size();
  }
  out.append(text, start, std::string::npos);
  return out;
}

void SetCurrentShell(platform::Shell* shell) {
  CurrentShell() = shell;
}

platform::Shell* GetCurrentShell() {
  return CurrentShell();
}

int OpenDocument(const std::string& pathOrAddress) {
  if (pathOrAddress.empty()) return 2;
  bool started = CurrentShell() ? CurrentShell()->OpenDocument(pathOrAddress)
                                : platform::StartDocumentOpener(pathOrAddress);
  return started ? 0 : 1;
}

int32_t StrToIntDefault(const std::string& text, int32_t def) {
  int32_t value = def;
  return TryTextToInt(TrimBlanks(text), value) ? value : def;
}

double StrToFloatDefault(const std::string& text, double def) {
  if (text.empty()) return def;
  double value = def;
  return TryTextToFloat(text, value) ? value : def;
}

std::string GetClipboardText() {
  return CurrentShell() ? CurrentShell()->ClipboardText() : std::string();
}

std::string FormatThousands(int64_t n) {
  // The magnitude of the smallest 64-bit value still fits unsigned.
  uint64_t magnitude = n < 0 ? 0 - uint64_t(n) : uint64_t(n);
  char digits[24];
  auto [end, error] = std::to_chars(digits, digits + sizeof digits, magnitude);
  (void)error;
  std::string_view text(digits, size_t(end - digits));
  std::string separator = TranslateText("%thousand_separator%");
  std::string out = n < 0 ? "-" : "";
  for (size_t i = 0; i < text.size(); ++i) {
    if (i > 0 && (text.size() - i) % 3 == 0) out += separator;
    out += text[i];
  }
  return out;
}

std::string FormatMinSec(int32_t seconds) {
  return FormatMinSec(seconds, TranslateText("%time_separator%"));
}

std::string FormatMinSec(int32_t seconds, std::string_view separator) {
  int32_t minutes = DivSafe(seconds, 60);
  int32_t rest = ModSafe(seconds, 60);
  std::string out = std::to_string(minutes);
  if (out.size() < 2) out = "0" + out;
  out += separator;
  if (rest < 10 && rest >= 0) out += "0";
  out += std::to_string(rest);
  return out;
}
