#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "files.h"

extern char** environ;

namespace orv::cli::test {

namespace {

std::vector<std::string> childEnvironment(const std::string& configHome) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    if (entry.rfind("XDG_CONFIG_HOME=", 0) == 0 || entry.rfind("HOME=", 0) == 0) continue;
    env.push_back(entry);
  }
  if (!configHome.empty()) {
    env.push_back("XDG_CONFIG_HOME=" + configHome);
    env.push_back("HOME=" + configHome);
  }
  return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> p;
  for (std::string& s : strings) p.push_back(s.data());
  p.push_back(nullptr);
  return p;
}

// Appends what the terminal holds to [out], waiting up to [timeoutMs] for the first bytes.
void drainTerminal(int fd, int timeoutMs, std::string* out) {
  pollfd p = {fd, POLLIN, 0};
  char buf[4096];
  while (poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLIN)) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) break;
    out->append(buf, static_cast<std::size_t>(n));
    timeoutMs = 0;
  }
}

}  // namespace

Child::Child(const ChildSetup& setup, const std::string& scratch)
    : outPath_(scratch + "/child.out"), errPath_(scratch + "/child.err") {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, setup.stdinPath.c_str(), O_RDONLY, 0);
  int pipeWrite = -1;
  if (setup.stdoutPipe) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    pipeRead_ = fds[0];
    pipeWrite = fds[1];
    posix_spawn_file_actions_adddup2(&actions, pipeWrite, 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  }
  std::string slave;
  if (setup.stderrTerminal) {
    terminal_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal_ < 0 || grantpt(terminal_) != 0 || unlockpt(terminal_) != 0)
      throw std::runtime_error("no pseudo-terminal");
    slave = ptsname(terminal_);
    posix_spawn_file_actions_addopen(&actions, 2, slave.c_str(), O_RDWR | O_NOCTTY, 0);
  } else {
    posix_spawn_file_actions_addopen(&actions, 2, errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  }

  std::vector<std::string> argv = {ORVANEL_EXE};
  argv.insert(argv.end(), setup.args.begin(), setup.args.end());
  std::vector<std::string> env = childEnvironment(setup.configHome);
  std::vector<char*> argp = pointers(argv), envp = pointers(env);
  int error = posix_spawn(&pid_, ORVANEL_EXE, &actions, nullptr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (pipeWrite >= 0) close(pipeWrite);
  if (error != 0) throw std::runtime_error(std::string("posix_spawn: ") + std::strerror(error));
}

Child::~Child() {
  if (!waited_ && pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (terminal_ >= 0) close(terminal_);
  if (pipeRead_ >= 0) close(pipeRead_);
}

bool Child::waitUntilCatching(int signal) const {
  const std::string status = "/proc/" + std::to_string(pid_) + "/status";
  for (int tries = 0; tries < 2000; ++tries) {
    std::ifstream in(status);
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind("SigCgt:", 0) != 0) continue;
      unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
      if (caught & (1ull << (signal - 1))) return true;
    }
    usleep(5000);
  }
  return false;
}

ChildResult Child::wait() {
  ChildResult result;
  int status = 0;
  if (terminal_ < 0) {
    waitpid(pid_, &status, 0);
    result.err = orv::test::readFile(errPath_);
  } else {
    // The terminal must be read while the child runs, or its writes could block.
    do {
      drainTerminal(terminal_, 20, &result.err);
      usleep(2000);  // poll answers at once while no side holds the terminal open
    } while (waitpid(pid_, &status, WNOHANG) == 0);
    drainTerminal(terminal_, 0, &result.err);
  }
  return collect(status, std::move(result));
}

ChildResult Child::waitAtMost(std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  int status = 0;
  pid_t done = 0;
  while ((done = waitpid(pid_, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < end)
    usleep(10000);
  if (done == 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  ChildResult result;
  result.err = orv::test::readFile(errPath_);
  return collect(status, std::move(result));
}

std::string Child::outputSoFar() const { return orv::test::readFile(outPath_); }

ChildResult Child::collect(int status, ChildResult result) {
  waited_ = true;
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (pipeRead_ < 0) result.out = orv::test::readFile(outPath_);
  return result;
}

ChildResult runOrvanel(const ChildSetup& setup, const std::string& scratch) {
  return Child(setup, scratch).wait();
}

}  // namespace orv::cli::test
