#include "platform/DocumentOpener.h"

#include <spawn.h>
#include <sys/wait.h>

#include <vector>

extern char** environ;

namespace platform {
namespace {

// Openers started earlier; collected when they have ended so none stays a zombie.
std::vector<pid_t>& Started() {
  static std::vector<pid_t> started;
  return started;
}

void CollectEnded() {
  auto& started = Started();
  for (size_t i = 0; i < started.size();) {
    pid_t done = waitpid(started[i], nullptr, WNOHANG);
    if (done == started[i] || done < 0) {
      started[i] = started.back();
      started.pop_back();
    } else {
      ++i;
    }
  }
}

}  // namespace

bool StartDocumentOpener(const std::string& pathOrAddress) {
  CollectEnded();
  if (pathOrAddress.empty()) return false;
  // A path starting with "-" would be read as an option.
  std::string argument = pathOrAddress[0] == '-' ? "./" + pathOrAddress : pathOrAddress;
  std::string program = "xdg-open";
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  Started().push_back(pid);
  return true;
}

bool StartProgramFile(const std::string& path) {
  CollectEnded();
  if (path.empty() || path[0] != '/') return false;
  std::string program = path;
  char* argv[] = {program.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  Started().push_back(pid);
  return true;
}

}  // namespace platform
