#include "packages/spice_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace orv::spice {

struct Simulators::Job {
  pid_t pid = 0;
  std::atomic<bool> running{true};
};

namespace {

// [path] without its extension (the part of its last component from the
// last '.'), if it has one.
std::string stemOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
      dot == (slash == std::string::npos ? 0 : slash + 1))
    return path;
  return path.substr(0, dot);
}

// The environment of the simulator: ours, with text raw files asked for.
std::vector<std::string> simulatorEnvironment() {
  static const char kAscii[] = "SPICE_ASCIIRAWFILE=";
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e)
    if (std::strncmp(*e, kAscii, sizeof kAscii - 1) != 0) env.emplace_back(*e);
  env.emplace_back(std::string(kAscii) + "1");
  return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> p;
  for (std::string& s : strings) p.push_back(s.data());
  p.push_back(nullptr);
  return p;
}

// A process started with the attributes of a detached simulator.
int spawn(const std::string& program, const std::string& folder, std::vector<std::string> args,
          int logFd, pid_t* pid) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attr);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, logFd, 1);
  posix_spawn_file_actions_adddup2(&actions, logFd, 2);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int s : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&defaults, s);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setflags(&attr,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::vector<std::string> env = simulatorEnvironment();
  std::vector<char*> argv = pointers(args), envp = pointers(env);
  int error = posix_spawnp(pid, program.c_str(), &actions, &attr, argv.data(), envp.data());
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  return error;
}

}  // namespace

std::string logPathOf(const std::string& circuit) { return stemOf(circuit) + ".log"; }

int Simulators::start(const std::string& program, const std::string& circuit) {
  if (program.empty()) return ENOENT;
  std::size_t slash = circuit.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : circuit.substr(0, slash + 1);
  const std::string name = circuit.substr(slash == std::string::npos ? 0 : slash + 1);
  const std::string stem = stemOf(name);
  const std::string log = logPathOf(circuit);
  // The log is opened here so that a folder without write permission costs
  // the log, not the simulation.
  int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (logFd < 0) logFd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (logFd < 0) return errno;
  pid_t pid = 0;
  int error =
      spawn(program, folder, {program, "-b", "-r", stem + ".raw", "./" + name}, logFd, &pid);
  ::close(logFd);
  if (error) return error;
  auto job = std::make_shared<Job>();
  job->pid = pid;
  std::thread([job] {
    int status;
    while (::waitpid(job->pid, &status, 0) < 0 && errno == EINTR) {
    }
    job->running = false;
  }).detach();
  std::lock_guard lock(mutex_);
  std::erase_if(jobs_, [](const std::shared_ptr<Job>& j) { return !j->running; });
  jobs_.push_back(job);
  lastLog_ = log;
  return 0;
}

bool Simulators::running() const {
  std::lock_guard lock(mutex_);
  for (const auto& j : jobs_)
    if (j->running) return true;
  return false;
}

void Simulators::terminate() {
  std::vector<std::shared_ptr<Job>> jobs;
  {
    std::lock_guard lock(mutex_);
    jobs.swap(jobs_);
  }
  using Clock = std::chrono::steady_clock;
  for (int sig : {SIGTERM, SIGKILL}) {
    bool any = false;
    // The process group is the simulator's own; it only exists while the
    // reaper has not collected the simulator.
    for (const auto& j : jobs)
      if (j->running) any = true, ::kill(-j->pid, sig);
    if (!any) return;
    const Clock::time_point until = Clock::now() + std::chrono::seconds(1);
    auto allEnded = [&] {
      for (const auto& j : jobs)
        if (j->running) return false;
      return true;
    };
    while (!allEnded() && Clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::string Simulators::lastLog() const {
  std::lock_guard lock(mutex_);
  return lastLog_;
}

}  // namespace orv::spice
