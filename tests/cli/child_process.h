// Runs the orvanel executable as a child process for end-to-end tests.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace orv::cli::test {

struct ChildResult {
  int exitStatus = -1;  // -1 when the child ended by a signal
  std::string out;      // standard output (empty when it went to a pipe the test holds)
  std::string err;      // standard error; with a terminal, everything written to it
};

struct ChildSetup {
  std::vector<std::string> args;  // after the program name
  std::string stdinPath = "/dev/null";
  std::string configHome;       // XDG_CONFIG_HOME and HOME of the child
  bool stderrTerminal = false;  // standard error is a pseudo-terminal
  bool stdoutPipe = false;      // standard output is a pipe nobody reads
};

class Child {
 public:
  // Starts the orvanel executable; [scratch] is a folder for the captured output.
  Child(const ChildSetup& setup, const std::string& scratch);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return pid_; }

  // Waits until the child has a handler for [signal] (up to 10 s); false if it never does.
  bool waitUntilCatching(int signal) const;

  // Waits for the child to end (collecting terminal output meanwhile).
  ChildResult wait();

  // Waits up to [limit] for a child without a terminal to end, then kills it
  // (the exit status is then -1).
  ChildResult waitAtMost(std::chrono::milliseconds limit);

  // What the child has written to standard output so far.
  std::string outputSoFar() const;

 private:
  ChildResult collect(int status, ChildResult result);

  pid_t pid_ = -1;
  int terminal_ = -1;  // master side of the pseudo-terminal
  int pipeRead_ = -1;
  std::string outPath_, errPath_;
  bool waited_ = false;
};

// Runs a child to its end.
ChildResult runOrvanel(const ChildSetup& setup, const std::string& scratch);

}  // namespace orv::cli::test
