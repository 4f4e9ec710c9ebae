// fork + exec, so the clerk is a process of its own with its own connection, exactly
// as a second workstation's coreapp would be.
#include "reliability/clerk_processes.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace reliability {

pid_t startClerk(const std::string& dbFile, long saves, const std::string& errFile) {
  const std::string count = std::to_string(saves);
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int fd = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) dup2(fd, STDERR_FILENO);
    execl(RELIABILITY_CLERK, RELIABILITY_CLERK, dbFile.c_str(), count.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

int waitClerk(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1000;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

void killClerk(pid_t pid) {
  kill(pid, SIGKILL);
  waitClerk(pid);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string scratchDirectory(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::path(COREAPP_BINARY_DIR) / "reliability-scratch" / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

bool soakScale() {
  const char* scale = std::getenv("RELIABILITY_SCALE");
  return scale != nullptr && std::string(scale) == "soak";
}

}  // namespace reliability
