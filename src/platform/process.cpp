#include "platform/process.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>
#include <csignal>

extern char** environ;

namespace kb {
namespace {
volatile std::sig_atomic_t terminationRequested = 0;
std::string programPath;

void OnTerminationSignal(int) { terminationRequested = 1; }
}  // namespace

int CurrentProcessId() { return static_cast<int>(getpid()); }

std::string ExecutablePath() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  buf[n] = '\0';
  return buf;
}

void SetProgramPath(const std::string& hostPath) { programPath = hostPath; }

bool StartSelf(const std::vector<std::string>& args, const std::string& workFolder) {
  std::string exe = programPath;
  if (exe.empty()) return false;
  std::vector<char*> argv;
  argv.push_back(exe.data());
  std::vector<std::string> copies = args;
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, workFolder.c_str());
  // No handle of ours goes with it: whoever waits for the end of our output
  // (a pipe, a terminal) must not wait for the new process as well.
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  // Its own process group, so a terminal's Ctrl+C aimed at the game does
  // not stop the sweeper before it has cleaned up.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, exe.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0;
}

void WaitForProcessEnd(int pid) {
  // Our own end cannot be waited for.
  if (pid <= 0 || pid == getpid()) return;
  // A process descriptor can be waited on even when the process is not our
  // child; where the kernel has none, poll for the process's existence.
  int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (fd >= 0) {
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
    close(fd);
    return;
  }
  if (errno == ESRCH) return;
  while (kill(pid, 0) == 0 || errno == EPERM) usleep(50 * 1000);
}

void InstallTerminationHandler() {
  struct sigaction sa {};
  sa.sa_handler = OnTerminationSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
}

bool TerminationRequested() { return terminationRequested != 0; }

}  // namespace kb
