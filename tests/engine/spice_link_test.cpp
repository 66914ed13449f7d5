// The circuit simulation link: waiting for output files, the circuit file
// written from a worksheet, starting and stopping the simulator, and a run
// of the real ngspice.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "base/macroman.h"
#include "lang/engine.h"
#include "base/large_stack.h"
#include "lang/memory_text.h"
#include "packages/registry.h"
#include "session/engine_assembly.h"
#include "packages/spice_circuit.h"
#include "packages/spice_wait.h"

namespace fs = std::filesystem;

namespace orv::spice {
namespace {

// ---------------------------------------------------------------------------
// Waiting
// ---------------------------------------------------------------------------

struct FakeFile {
  int attempts = 0;  // observations outside the settle look
  int slept = 0;     // milliseconds
  std::function<std::optional<FileState>(int observation)> state;
  std::function<bool(int ms)> sleep = [](int) { return true; };
  int observations = 0;
  int runningUntil = 0;  // the simulator runs during this many first attempts

  WaitResult wait(double seconds) {
    WaitProbe p;
    p.observe = [&] { return state(observations++); };
    p.simulatorRunning = [&] { return ++attempts <= runningUntil; };
    p.sleep = [&](int ms) {
      slept += ms;
      return sleep(ms);
    };
    return waitForFile(p, seconds);
  }
};

TEST(SpiceWaitTest, AttemptsSpacingAndReadiness) {
  auto absent = [](int) { return std::nullopt; };
  for (auto [seconds, attempts] : {std::pair{0.0, 1}, {5.0, 6}, {2.5, 3}, {-1.0, 0}}) {
    FakeFile f{.state = absent};
    EXPECT_EQ(f.wait(seconds), WaitResult::kTimedOut);
    EXPECT_EQ(f.observations, attempts) << seconds;
    EXPECT_EQ(f.slept, 1000 * attempts) << seconds;
  }

  // A file that stays the same is ready at the first attempt, after a short look.
  FakeFile still{.state = [](int) { return FileState{true, 10, 5}; }};
  EXPECT_EQ(still.wait(0), WaitResult::kReady);
  EXPECT_EQ(still.slept, 100);

  // Growing, or unreadable: never ready.
  FakeFile growing{.state = [](int n) { return FileState{true, 10 + n, 5}; }};
  EXPECT_EQ(growing.wait(3), WaitResult::kTimedOut);
  FakeFile locked{.state = [](int) { return FileState{false, 10, 5}; }};
  EXPECT_EQ(locked.wait(3), WaitResult::kTimedOut);

  // Ready once our simulator has ended, not before.
  FakeFile simulated{.state = [](int) { return FileState{true, 10, 5}; }, .runningUntil = 2};
  EXPECT_EQ(simulated.wait(5), WaitResult::kReady);
  EXPECT_EQ(simulated.slept, 2000 + 100);

  // The stop button ends the wait in the sleep it is pressed in.
  FakeFile stopped{.state = absent, .sleep = [](int) { return false; }};
  EXPECT_EQ(stopped.wait(100), WaitResult::kCanceled);
  EXPECT_EQ(stopped.observations, 1);
}

// ---------------------------------------------------------------------------
// The circuit file
// ---------------------------------------------------------------------------

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/orvanel-spice-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempDir() { fs::remove_all(path_); }
  fs::path operator/(const std::string& name) const { return path_ / name; }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(SpiceCircuitTest, CircuitTextPathAndAtomicWrite) {
  // Up to the first '@', LF line ends, UTF-8, a final line end.
  EXPECT_EQ(circuitText("~ RC\r\nR1 a b 1k\rC1 b 0 1\xB5\n.end\n@ ~\nx = 1"),
            "~ RC\nR1 a b 1k\nC1 b 0 1\xC2\xB5\n.end\n");
  EXPECT_EQ(circuitText("* title\n.end"), "* title\n.end\n");
  EXPECT_EQ(circuitText("@"), "\n");

  EXPECT_EQ(circuitPathOf("/w/amp.ov"), "/w/amp.cir");
  EXPECT_EQ(circuitPathOf("/w.d/amp"), "/w.d/amp.cir");
  EXPECT_EQ(circuitPathOf("/w/.amp"), "/w/.amp.cir");
  EXPECT_EQ(circuitPathOf("/w/a.b.ov"), "/w/a.b.cir");

  TempDir dir;
  const fs::path target = dir / "amp.cir";
  ASSERT_TRUE(writeFileAtomically(target, "first\n"));
  ::chmod(target.c_str(), 0640);
  ASSERT_TRUE(writeFileAtomically(target, "second\n"));
  EXPECT_EQ(readAll(target), "second\n");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_FALSE(writeFileAtomically(dir / "missing/amp.cir", "x"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// ---------------------------------------------------------------------------
// Worksheets that start simulators
// ---------------------------------------------------------------------------

class TextHost : public Host {
 public:
  void bugAlert(std::string_view text) override { alerts.emplace_back(text); }
  void showText(const std::string& title, std::string_view text) override {
    shown.push_back(title + "|" + bytesToUtf8(text));
  }
  std::vector<std::string> alerts, shown;
};

struct SheetRun {
  std::string status;  // UTF-8, leading blank removed
  std::string text;    // the worksheet after the run
  std::vector<std::string> shown;
  double seconds = 0;
};

// Runs [text] as the worksheet [sheet] with every add-on enabled and
// [simulator] as the simulator; [after] looks at the engine afterwards.
SheetRun runSheetAt(const fs::path& sheet, const std::string& text, const std::string& simulator,
                    const std::atomic<bool>* stop = nullptr,
                    const std::function<void(Engine&)>& after = nullptr) {
  std::ofstream(sheet) << text;
  SheetRun r;
  runOnLargeStack([&] {
    TextHost host;
    std::unique_ptr<Engine> owner = makeEngine(host);
    Engine& engine = *owner;
    for (std::size_t i = 0; i < engine.registry().functions().size(); ++i)
      engine.setAddOnEnabled(static_cast<int>(i), true);
    engine.setDocumentPath(sheet);
    engine.setSimulatorCommand(simulator);
    engine.setStopRequest(stop);
    MemoryText t(utf8ToUtf16(text));
    const auto start = std::chrono::steady_clock::now();
    RunOutcome out = engine.run(t);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.status = bytesToUtf8(out.status);
    if (!r.status.empty() && r.status[0] == ' ') r.status.erase(0, 1);
    r.shown = host.shown;
    r.text = t.utf8();
    if (after) after(engine);
  });
  return r;
}

// A stand-in simulator: a shell script with [body].
std::string fakeSimulator(const TempDir& dir, const std::string& body) {
  const fs::path script = dir / "fake-spice";
  std::ofstream(script) << "#!/bin/sh\n" << body;
  fs::permissions(script, fs::perms::owner_all);
  return script;
}

TEST(SpiceLinkTest, RunspiceWritesTheCircuitAndStartsTheSimulatorDetached) {
  TempDir dir;
  const std::string simulator = fakeSimulator(
      dir,
      "echo \"$@\" > args.txt\npwd >> args.txt\necho \"$SPICE_ASCIIRAWFILE\" >> args.txt\n"
      "echo 'error: unknown node' >&2\n");
  const std::string sheet =
      "~* RC\r\nR1 in out 1k\n.end\n@ ~\nrunspice(0)\n"
      "SPICEwait = 1\nreadspice(\"amp.raw\", \"v(out)\")\n";
  SheetRun r = runSheetAt(dir / "amp.ov", sheet, simulator);
  EXPECT_EQ(readAll(dir / "amp.cir"), "~* RC\nR1 in out 1k\n.end\n");
  EXPECT_EQ(readAll(dir / "args.txt"), "-b -r amp.raw ./amp.cir\n" + dir.path().string() + "\n1\n");
  // No raw file came: the simulator's log tells why.
  EXPECT_EQ(r.status, "readspice() can't open 'amp.raw'");
  ASSERT_EQ(r.shown.size(), 1u);
  EXPECT_NE(r.shown[0].find("SPICE ERROR|~\n'amp.raw' not found.\n"), std::string::npos);
  EXPECT_NE(r.shown[0].find("error: unknown node"), std::string::npos);

  // A circuit named by the worksheet; a missing one; a missing simulator;
  // an untitled worksheet has no place for its circuit.
  std::ofstream(dir / "named.cir") << "* named\n.end\n";
  runSheetAt(dir / "w.ov", "runspice(\"named.cir\")\n", simulator);
  EXPECT_TRUE(fs::exists(dir / "named.log"));
  EXPECT_EQ(runSheetAt(dir / "w.ov", "runspice(\"nothere.cir\")\n", simulator).status,
            "runspice() can't open 'nothere.cir'");
  EXPECT_EQ(runSheetAt(dir / "w.ov", "runspice(0)\n", "orvanel-no-such-simulator").status,
            "runspice() can't start 'orvanel-no-such-simulator'");
}

TEST(SpiceLinkTest, StopEndsTheWaitAndTheSimulator) {
  TempDir dir;
  const std::string simulator = fakeSimulator(dir, "echo $$ > pid.txt\nexec sleep 30\n");
  std::atomic<bool> stop{false};
  std::thread presser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    stop = true;
  });
  SheetRun r =
      runSheetAt(dir / "s.ov", "~* c\n.end\n@ ~\nrunspice(0)\nreadspice(\"s.raw\", \"v(out)\")\n",
                 simulator, &stop);
  presser.join();
  EXPECT_EQ(r.status, "canceled");
  EXPECT_LT(r.seconds, 3.5);
  const pid_t pid = std::stoi(readAll(dir / "pid.txt"));
  EXPECT_NE(::kill(pid, 0), 0) << "the simulator is still there";
}

TEST(SpiceLinkTest, FilesAppearAndAreDeleted) {
  TempDir dir;
  std::ofstream(dir / "there.txt") << "x";
  std::ofstream(dir / "._there.txt") << "side";
  SheetRun r = runSheetAt(dir / "f.ov",
                          "checkforfile(\"there.txt\", 0)=\ncheckforfile(\"none.txt\", -1)=\n"
                          "deletefile(\"there.txt\")\ndeletefile(\"none.txt\")\n"
                          "checkforfile(\"there.txt\", -1)=\n",
                          "ngspice");
  EXPECT_EQ(r.text,
            "checkforfile(\"there.txt\", 0):1.00\ncheckforfile(\"none.txt\", -1):0.00\n"
            "deletefile(\"there.txt\"):\ndeletefile(\"none.txt\"):\n"
            "checkforfile(\"there.txt\", -1):0.00\n");
  EXPECT_FALSE(fs::exists(dir / "there.txt"));
  EXPECT_FALSE(fs::exists(dir / "._there.txt"));
  EXPECT_EQ(r.status, "\xE2\x88\x9A");  // the success mark
}

// ---------------------------------------------------------------------------
// The real simulator
// ---------------------------------------------------------------------------

bool haveNgspice() { return std::system("command -v ngspice >/dev/null 2>&1") == 0; }

TEST(SpiceLinkTest, NgspiceStepResponseMatchesTheRcFormula) {
  if (!haveNgspice()) GTEST_SKIP() << "ngspice is not installed: the simulator test did not run";
  TempDir dir;
  const std::string sheet =
      "~ RC low-pass, tau = 1 ms\nV1 in 0 PULSE(0 1 0 1n 1n 1 2)\nR1 in out 1k\nC1 out 0 1u\n"
      ".tran 10u 5m 0 10u\n.end\n@ ~\n"
      "runspice(0)\nSPICEwait = 30\nreadspice(\"rc.raw\", \"v(out)\")\n";
  std::vector<double> t, v;
  SheetRun r = runSheetAt(dir / "rc.ov", sheet, "ngspice", nullptr, [&](Engine& e) {
    for (auto [name, out] : {std::pair{"time", &t}, {"vec", &v}}) {
      Symbol* s = e.lookup(name);
      if (s && s->def && s->def->op == VEC)
        out->assign(s->def->block, s->def->block + s->def->count);
    }
  });
  ASSERT_EQ(r.status, "\xE2\x88\x9A") << (r.shown.empty() ? "" : r.shown[0]);
  ASSERT_GT(v.size(), 100u);
  ASSERT_EQ(t.size(), v.size());
  for (std::size_t i = 0; i < v.size(); ++i)
    EXPECT_NEAR(v[i], 1 - std::exp(-t[i] / 1e-3), 1e-3) << "t = " << t[i];
  EXPECT_NEAR(t.back(), 5e-3, 1e-9);
}

}  // namespace
}  // namespace orv::spice
