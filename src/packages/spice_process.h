// The simulator processes a worksheet starts.
//
// A simulator runs detached in batch mode: in the circuit's folder (so the
// raw files it writes land beside the worksheet), in a process group of its
// own (so an interrupt meant for Orvanel does not cut it off mid-file), with
// text raw output forced and its messages in a log beside the circuit. A
// thread waits for each one, so none is left a zombie.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace orv::spice {

class Simulators {
 public:
  Simulators() = default;
  Simulators(const Simulators&) = delete;
  Simulators& operator=(const Simulators&) = delete;
  // Simulators still running are left to finish their files.
  ~Simulators() = default;

  // Starts [program] on the circuit file [circuit] (an absolute path):
  //   program -b -r STEM.raw ./NAME
  // in the circuit's folder, with SPICE_ASCIIRAWFILE=1, standard input from
  // /dev/null and standard output and error to STEM.log beside the circuit.
  // Returns 0, or the error number when the program cannot be started.
  int start(const std::string& program, const std::string& circuit);

  // Whether any simulator started here is still running.
  bool running() const;

  // Ends every simulator still running (SIGTERM to its process group, then
  // SIGKILL when it has not ended within a second) and waits for it.
  void terminate();

  // The log of the simulator started last, empty when none was started.
  std::string lastLog() const;

 private:
  struct Job;
  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<Job>> jobs_;
  std::string lastLog_;
};

// The log file of the simulator run on [circuit]: its name with the
// extension replaced by ".log".
std::string logPathOf(const std::string& circuit);

}  // namespace orv::spice
