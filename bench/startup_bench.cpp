// Start-up: whole processes of `orvanel run` on a one-line worksheet, the
// figure a user waits for when a run draws nothing. The CPU column is the
// child's CPU time (user and system), steadier on a shared machine.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

extern char** environ;

namespace {

// Runs [argv] to its end; its CPU time in seconds, or -1 when it failed.
double runChild(char* const* argv) {
  pid_t pid;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return -1;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return -1;
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

void BM_RunOneLine(benchmark::State& state) {
  char sheet[] = "/tmp/orvanel-startup-XXXXXX.ov";
  int fd = mkstemps(sheet, 3);
  if (fd < 0 || write(fd, "1+1=\n", 5) != 5) {
    state.SkipWithError("no worksheet");
    return;
  }
  close(fd);
  std::string exe = ORVANEL_EXE;
  char run[] = "run", out[] = "-o", null[] = "/dev/null";
  char* argv[] = {exe.data(), run, sheet, out, null, nullptr};
  double cpu = 0;
  for (auto _ : state) {
    double t = runChild(argv);
    if (t < 0) {
      state.SkipWithError("orvanel run failed");
      break;
    }
    cpu += t;
  }
  state.counters["child_cpu_ms"] =
      benchmark::Counter(cpu * 1e3 / static_cast<double>(std::max<int64_t>(state.iterations(), 1)));
  std::remove(sheet);
}
BENCHMARK(BM_RunOneLine)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
