#include "tools/datatool/Output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "foundation/SafeFile.h"
#include "platform/ErrorText.h"

namespace {

bool WriteAll(int fd, std::string_view bytes, std::string& problem) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      problem = platform::SystemErrorText(n < 0 ? errno : EIO);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool WriteDirectly(const std::string& path, std::string_view bytes, std::string& problem) {
  int fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    problem = platform::SystemErrorText(errno);
    return false;
  }
  bool written = WriteAll(fd, bytes, problem);
  if (close(fd) != 0 && written) {
    problem = platform::SystemErrorText(errno);
    written = false;
  }
  return written;
}

// The name a chain of symbolic links ends at, whether or not a file is there yet.
bool FinalName(std::string path, std::string& final, std::string& problem) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      final = path;
      return true;
    }
    char target[PATH_MAX];
    ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    if (n < 0) {
      problem = platform::SystemErrorText(errno);
      return false;
    }
    std::string to(target, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    path = (!to.empty() && to[0] == '/') || slash == std::string::npos
               ? to
               : path.substr(0, slash + 1) + to;
  }
  problem = platform::SystemErrorText(ELOOP);
  return false;
}

}  // namespace

bool WriteOutput(const std::string& path, std::string_view bytes, std::string& problem) {
  problem.clear();
  if (path == "-") {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
        std::fflush(stdout) == 0)
      return true;
    problem = platform::SystemErrorText(errno);
    return false;
  }
  struct stat info;
  if (stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) {
      problem = "a folder";
      return false;
    }
    // A pipe or a device is not ours to replace: it gets the bytes.
    if (!S_ISREG(info.st_mode)) return WriteDirectly(path, bytes, problem);
    // The file a link leads to is replaced; the link stays.
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved)) {
      problem = platform::SystemErrorText(errno);
      return false;
    }
    return WriteFileSafely(resolved, bytes, TFileAccess::Shared, &problem);
  }
  std::string final;
  if (!FinalName(path, final, problem)) return false;
  return WriteFileSafely(final, bytes, TFileAccess::Shared, &problem);
}
