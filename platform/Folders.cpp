#include "platform/Folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <string_view>

#include "platform/ErrorText.h"

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

// What a file that is not a regular one is, for messages.
std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

bool ProcessIsAlive(pid_t pid) {
  return kill(pid, 0) == 0 || errno == EPERM;
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

std::string FolderProblem(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return SystemErrorText(errno);
  if (!S_ISDIR(info.st_mode)) return "not a folder";
  if ((info.st_mode & S_IWOTH) && !(info.st_mode & S_ISVTX))
    return "writable by every user and not sticky";
  return {};
}

bool IsUsableFolder(const std::string& path) {
  return FolderProblem(path).empty();
}

bool MakeFolder(const std::string& path, std::string& problem) {
  problem.clear();
  if (path.empty()) {
    problem = "no folder named";
    return false;
  }
  std::string partial;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    partial = path.substr(0, slash);
    start = slash + 1;
    if (partial.empty()) continue;  // the root
    if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
      problem = "cannot be made: " + SystemErrorText(errno);
      return false;
    }
  }
  problem = FolderProblem(path);
  return problem.empty();
}

bool MakeFolder(const std::string& path) {
  std::string problem;
  return MakeFolder(path, problem);
}

std::string PreferenceFolder(const std::string& maker, const std::string& game,
                             FolderRefusal& refusal) {
  refusal = {};
  if (const char* chosen = std::getenv("GAME_PREFERENCE_DIR"); chosen && chosen[0]) {
    std::string folder = PathFromStartFolder(chosen);
    if (MakeFolder(folder, refusal.reason)) return WithSlash(folder);
    refusal.folder = folder;
    return {};
  }
  std::string base = UserDataFolder();
  if (base.empty()) {
    refusal = {"~/.local/share", "there is no home folder"};
    return {};
  }
  if (!MakeFolder(base, refusal.reason)) {
    refusal.folder = base;
    return {};
  }
  std::string makerFolder = base + maker;
  if (maker.empty() || !MakeOwnFolder(makerFolder)) return base;
  std::string gameFolder = makerFolder + "/" + game;
  if (game.empty() || !MakeOwnFolder(gameFolder)) return base;
  return gameFolder + "/";
}

std::string PreferenceFolder(const std::string& maker, const std::string& game) {
  FolderRefusal refusal;
  return PreferenceFolder(maker, game, refusal);
}

std::string PreferenceFolderPlace(const std::string& maker, const std::string& game) {
  if (const char* chosen = std::getenv("GAME_PREFERENCE_DIR"); chosen && chosen[0])
    return WithSlash(PathFromStartFolder(chosen));
  std::string base = UserDataFolder();
  if (base.empty() || maker.empty()) return base;
  return game.empty() ? WithSlash(base + maker) : WithSlash(base + maker + "/" + game);
}

FileReadState ReadRegularFile(const std::string& path, std::string& data, size_t maxBytes,
                              std::string& problem) {
  data.clear();
  problem.clear();
  int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    int error = errno;
    if (error == ENOENT || error == ENOTDIR) return FileReadState::Absent;
    struct stat link;
    bool isLink = error == ELOOP && lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    problem = isLink ? "a symbolic link" : SystemErrorText(error);
    return FileReadState::Refused;
  }
  struct stat info;
  if (fstat(fd, &info) != 0) {
    problem = SystemErrorText(errno);
  } else if (!S_ISREG(info.st_mode)) {
    problem = KindOf(info.st_mode);
  } else if (static_cast<uint64_t>(info.st_size) > maxBytes) {
    problem = "larger than " + std::to_string(maxBytes) + " bytes";
  }
  char chunk[65536];
  while (problem.empty()) {
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) problem = SystemErrorText(errno);
    if (n <= 0) break;
    data.append(chunk, static_cast<size_t>(n));
    // It grew while being read.
    if (data.size() > maxBytes) problem = "larger than " + std::to_string(maxBytes) + " bytes";
  }
  close(fd);
  if (problem.empty()) return FileReadState::Read;
  data.clear();
  return FileReadState::Refused;
}

bool ReadWholeFile(const std::string& path, std::string& data, size_t maxBytes) {
  std::string problem;
  return ReadRegularFile(path, data, maxBytes, problem) == FileReadState::Read;
}

int CreateTemporaryBeside(const std::string& path, std::string& temporary) {
  std::string tag = ".tmp" + std::to_string(getpid()) + "-XXXXXX";
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  for (const std::string& pattern : {path + tag, folder + ".save" + tag}) {
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkostemp(name.data(), O_CLOEXEC);  // mode 0600, never through a link
    if (fd >= 0) {
      flock(fd, LOCK_EX | LOCK_NB);
      temporary = name.data();
      return fd;
    }
    if (errno != ENAMETOOLONG) break;
  }
  return -1;
}

void RemoveStaleTemporaries(const std::string& path) {
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  std::string prefix = path.substr(slash == std::string::npos ? 0 : slash + 1) + ".tmp";
  DIR* listing = opendir(folder.c_str());
  if (!listing) return;
  std::vector<std::string> stale;
  while (const dirent* entry = readdir(listing)) {
    std::string_view name(entry->d_name);
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) continue;
    std::string_view rest = name.substr(prefix.size());
    size_t dash = rest.find('-');
    long pid = 0;
    auto [end, error] =
        std::from_chars(rest.data(), rest.data() + std::min(dash, rest.size()), pid);
    if (error != std::errc() || dash == std::string_view::npos || end != rest.data() + dash ||
        pid <= 0 || ProcessIsAlive(static_cast<pid_t>(pid)))
      continue;
    stale.emplace_back(name);
  }
  closedir(listing);
  for (const std::string& name : stale) {
    std::string temporary = WithSlash(folder) + name;
    int fd = open(temporary.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) continue;
    struct stat info;
    // Only this user's own files, and only when no live writer holds them.
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
        flock(fd, LOCK_EX | LOCK_NB) == 0)
      unlink(temporary.c_str());
    close(fd);
  }
}

bool ReplaceWholeFile(const std::string& path, const std::string& data) {
  RemoveStaleTemporaries(path);
  std::string temporary;
  int fd = CreateTemporaryBeside(path, temporary);
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
