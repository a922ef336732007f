// The data tool's file commands: enciphering and deciphering the game's own files,
// reading a file the way the game finds it, and packing a folder into an archive.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "foundation/ArchiveWriter.h"
#include "foundation/Cipher.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/GameDeclarations.h"
#include "foundation/ResourceReader.h"
#include "foundation/Warnings.h"
#include "gameplay/Tv2Declarations.h"
#include "tools/datatool/Commands.h"
#include "tools/datatool/Output.h"

namespace {

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

// A literal key, or "@name" for one of the game's own.
std::optional<std::string> KeyFromArgument(const std::string& argument) {
  if (argument.empty() || argument[0] != '@') return argument;
  Tv2DeclarationsInit();
  struct Named {
    const char* name;
    const std::string* key;
  };
  const Named keys[] = {{"@engine", &EngineFileKey},
                        {"@options", &GlobalOptionsKey},
                        {"@highscores", &HighScoresKey},
                        {"@records", &LevelRecordsKey},
                        {"@users", &UserProfilesKey}};
  for (const Named& k : keys)
    if (argument == k.name) return *k.key;
  return std::nullopt;
}

int RunCipher(const Args& args, int direction) {
  const char* command = direction == kCipherEncipher ? "encipher" : "decipher";
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: datatool %s KEY IN OUT\n", command);
    return 2;
  }
  std::optional<std::string> key = KeyFromArgument(args[0]);
  if (!key) {
    std::fprintf(stderr,
                 "datatool %s: unknown key name '%s' (use @engine, @options, @highscores, "
                 "@records or @users, or a literal key)\n",
                 command, args[0].c_str());
    return 2;
  }
  std::optional<std::string> input = ReadFile(args[1]);
  if (!input) {
    std::fprintf(stderr, "datatool %s: cannot read '%s'\n", command, args[1].c_str());
    return 1;
  }
  if (direction == kCipherDecipher) {
    std::string problem = HexTextProblem(*input);
    if (!problem.empty()) {
      std::fprintf(stderr, "datatool decipher: '%s' is not hexadecimal text: %s\n", args[1].c_str(),
                   problem.c_str());
      return 1;
    }
  }
  std::string output = TCipher_Xtea(*key).CodeString(*input, direction, kFormatHex);
  std::string problem;
  if (!WriteOutput(args[2], output, problem)) {
    std::fprintf(stderr, "datatool %s: cannot write '%s': %s\n", command, args[2].c_str(),
                 problem.c_str());
    return 1;
  }
  return 0;
}

int RunEncipher(const Args& args) {
  return RunCipher(args, kCipherEncipher);
}
int RunDecipher(const Args& args) {
  return RunCipher(args, kCipherDecipher);
}

int RunCat(const Args& args) {
  if (args.size() != 1) {
    std::fputs("usage: datatool cat PATH\n", stderr);
    return 2;
  }
  // The game's archives replacing folders have its own extension, as the start-up
  // routine sets it.
  ArchiveExtension = GameArchiveExtension;
  Ref<IStream> stream = OpenResourceStream(args[0], true);
  if (!stream) {
    std::fprintf(stderr, "datatool cat: '%s' not found\n", args[0].c_str());
    return 1;
  }
  std::string bytes = ReadStreamToString(stream.get());
  if (bytes.size() != static_cast<size_t>(stream->Size())) {
    std::fprintf(stderr, "datatool cat: cannot read '%s'\n", args[0].c_str());
    return 1;
  }
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
      std::fflush(stdout) != 0) {
    std::fputs("datatool cat: cannot write to standard output\n", stderr);
    return 1;
  }
  return 0;
}

int RunPack(const Args& args) {
  namespace fs = std::filesystem;
  if (args.size() != 2) {
    std::fputs("usage: datatool pack DIR OUT\n", stderr);
    return 2;
  }
  const fs::path root(args[0]);
  std::error_code error;
  if (!fs::is_directory(root, error)) {
    std::fprintf(stderr, "datatool pack: '%s' is not a folder\n", args[0].c_str());
    return 1;
  }
  // An older archive written into the folder itself is not packed into the new one.
  const fs::path out(args[1]);
  std::vector<fs::path> files;
  for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
       it.increment(error)) {
    std::error_code ignored;
    if (it->is_regular_file(ignored)) {
      if (!fs::equivalent(it->path(), out, ignored)) files.push_back(it->path());
    } else if (it->is_symlink(ignored) || !it->is_directory(ignored)) {
      // A pipe, a device, a link to a folder or to nothing: the game would find no file.
      Warn(it->path().string(), "not a regular file; not packed");
    }
  }
  if (error) {
    std::fprintf(stderr, "datatool pack: cannot list '%s': %s\n", args[0].c_str(),
                 error.message().c_str());
    return 1;
  }
  // Sorted, so the same folder always packs to the same bytes.
  std::vector<TArchiveEntry> entries;
  for (const fs::path& file : files) {
    std::optional<std::string> bytes = ReadFile(file.string());
    if (!bytes) {
      std::fprintf(stderr, "datatool pack: cannot read '%s'\n", file.c_str());
      return 1;
    }
    entries.push_back({file.lexically_relative(root).generic_string(), std::move(*bytes)});
  }
  std::sort(entries.begin(), entries.end(),
            [](const TArchiveEntry& a, const TArchiveEntry& b) { return a.name < b.name; });
  std::optional<std::string> archive = BuildZipArchive(entries);
  std::string problem = "the archive is too large";
  if (!archive || !WriteOutput(args[1], *archive, problem)) {
    std::fprintf(stderr, "datatool pack: cannot write '%s': %s\n", args[1].c_str(),
                 problem.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

extern const Command kEncipherCommand = {
    "encipher", "KEY IN OUT",
    "IN's bytes enciphered to the hexadecimal text form in OUT. KEY is a literal key or one of "
    "the game's: @engine, @options, @highscores, @records, @users",
    RunEncipher};
extern const Command kDecipherCommand = {
    "decipher", "KEY IN OUT",
    "IN's hexadecimal text deciphered to bytes in OUT (keys as for encipher); text that is not "
    "hexadecimal fails and writes nothing",
    RunDecipher};
extern const Command kCatCommand = {
    "cat", "PATH",
    "the file PATH as the game reads it (folders, archives replacing folders, \"\\\" or \"/\", "
    "any letter case; relative to the current folder) to standard output",
    RunCat};
extern const Command kPackCommand = {
    "pack", "DIR OUT", "a zip archive OUT of DIR's files, usable in place of the folder DIR",
    RunPack};
