#include "plot_runner.h"

#include <filesystem>

#include "base/large_stack.h"
#include "base/macroman.h"
#include "lang/memory_text.h"
#include "packages/registry.h"
#include "session/engine_assembly.h"

namespace orv::test {

namespace {

// A picture file of the tests: any existing file named *.png stands for a
// 40 x 30 picture.
class FakePicture : public Picture {
 public:
  int width() const override { return 40; }
  int height() const override { return 30; }
};

}  // namespace

std::shared_ptr<const Picture> PlotHost::loadPicture(const std::string& path) {
  std::filesystem::path p(path);
  if (p.extension() != ".png" || !std::filesystem::exists(p)) return nullptr;
  return std::make_shared<FakePicture>();
}

PlotRun::PlotRun() : engine(makeEngine(host)) {
  for (std::size_t i = 0; i < engine->registry().functions().size(); ++i)
    engine->setAddOnEnabled(static_cast<int>(i), true);
}

PlotRun& PlotRun::run(const std::string& sheet) {
  MemoryText t(utf8ToUtf16(sheet));
  runOnLargeStack([&] { outcome = engine->run(t); });
  text = t.utf8();
  return *this;
}

std::string PlotRun::status() const {
  std::string s = bytesToUtf8(outcome.status);
  if (!s.empty() && s[0] == ' ') s.erase(0, 1);
  return s;
}

}  // namespace orv::test
