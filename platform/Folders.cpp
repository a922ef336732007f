#include "platform/Folders.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>

namespace platform {
namespace {

std::vector<std::string>& Arguments() {
  static std::vector<std::string> arguments;
  return arguments;
}

std::string& StartFolder() {
  static std::string folder;
  return folder;
}

void RememberStartFolder() {
  if (!StartFolder().empty()) return;
  char buffer[4096];
  if (getcwd(buffer, sizeof buffer)) StartFolder() = buffer;
}

std::string WithSlash(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return home;
  const passwd* entry = getpwuid(geteuid());
  if (entry && entry->pw_dir && entry->pw_dir[0] == '/') return entry->pw_dir;
  return {};
}

// An XDG base folder: the variable when it holds an absolute path (relative ones are
// to be ignored), else the fallback under the home folder.
std::string BaseFolder(const char* variable, const char* underHome) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return WithSlash(value);
  std::string home = HomeFolder();
  if (home.empty()) return {};
  return WithSlash(WithSlash(home) + underHome);
}

bool IsOwnedUsableFolder(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  return info.st_uid == geteuid() && IsUsableFolder(path);
}

// A sub-folder the program makes for itself must be a real folder of this user: in a
// sticky shared folder another user could have made it first.
bool MakeOwnFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  return IsOwnedUsableFolder(path);
}

}  // namespace

void SetProgramArguments(int argc, const char* const* argv) {
  RememberStartFolder();
  Arguments().clear();
  for (int i = 1; i < argc; ++i) Arguments().emplace_back(argv[i] ? argv[i] : "");
}

const std::vector<std::string>& ProgramArguments() {
  return Arguments();
}

std::string PathFromStartFolder(const std::string& path) {
  RememberStartFolder();
  if (path.empty() || path[0] == '/' || StartFolder().empty()) return path;
  return WithSlash(StartFolder()) + path;
}

std::string ProgramFolder() {
  std::string buffer(4096, '\0');
  ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return "./";
  buffer.resize(static_cast<size_t>(n));
  return buffer.substr(0, buffer.rfind('/') + 1);
}

std::string UserDataFolder() {
  return BaseFolder("XDG_DATA_HOME", ".local/share");
}

std::string UserConfigFolder() {
  return BaseFolder("XDG_CONFIG_HOME", ".config");
}

bool IsUsableFolder(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  return (info.st_mode & S_IWOTH) == 0 || (info.st_mode & S_ISVTX) != 0;
}

bool MakeFolder(const std::string& path) {
  if (path.empty()) return false;
  std::string partial;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    partial = path.substr(0, slash);
    start = slash + 1;
    if (partial.empty()) continue;  // the root
    if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return IsUsableFolder(path);
}

std::string PreferenceFolder(const std::string& maker, const std::string& game) {
  if (const char* chosen = std::getenv("GAME_PREFERENCE_DIR"); chosen && chosen[0]) {
    std::string folder = PathFromStartFolder(chosen);
    return MakeFolder(folder) ? WithSlash(folder) : std::string();
  }
  std::string base = UserDataFolder();
  if (base.empty() || !MakeFolder(base)) return {};
  std::string makerFolder = base + maker;
  if (maker.empty() || !MakeOwnFolder(makerFolder)) return base;
  std::string gameFolder = makerFolder + "/" + game;
  if (game.empty() || !MakeOwnFolder(gameFolder)) return base;
  return gameFolder + "/";
}

bool ReadWholeFile(const std::string& path, std::string& data, size_t maxBytes) {
  data.clear();
  int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info;
  bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            static_cast<uint64_t>(info.st_size) <= maxBytes;
  char chunk[65536];
  while (ok) {
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    data.append(chunk, static_cast<size_t>(n));
    if (data.size() > maxBytes) ok = false;  // it grew while being read
  }
  close(fd);
  if (!ok) data.clear();
  return ok;
}

bool ReplaceWholeFile(const std::string& path, const std::string& data) {
  static std::mt19937 names{std::random_device{}()};
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temporary = path + ".tmp" + std::to_string(names() % 1000000);
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool ok = true;
  for (size_t done = 0; ok && done < data.size();) {
    ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      done += static_cast<size_t>(n);
  }
  ok = ok && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

}  // namespace platform
