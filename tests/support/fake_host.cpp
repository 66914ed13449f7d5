#include "fake_host.h"

#include <filesystem>

#include "base/macroman.h"
#include "plot/surface.h"

namespace orv::test {

namespace {

class FakePicture : public Picture {
 public:
  int width() const override { return 40; }
  int height() const override { return 30; }
};

}  // namespace

void FakeHost::bugAlert(std::string_view text) { alerts.push_back(bytesToUtf8(text)); }

bool FakeHost::confirmOverwrite(const std::string& fileName) {
  asked.push_back(fileName);
  return overwrite;
}

void FakeHost::showText(const std::string& title, std::string_view text) {
  shown.push_back(title + "\n" + bytesToUtf8(text));
}

bool FakeHost::openDocumentText(const std::string& path, std::u16string* text) {
  auto it = openDocuments.find(path);
  if (it == openDocuments.end()) return false;
  *text = it->second;
  return true;
}

void FakeHost::includeFailed(const std::string& path, const std::u16string&, std::size_t pos,
                             std::string_view message) {
  includeFailures.push_back(path + " @" + std::to_string(pos) + ":" + bytesToUtf8(message));
}

std::shared_ptr<const Picture> FakeHost::loadPicture(const std::string& path) {
  std::filesystem::path p(path);
  if (!pictures || p.extension() != ".png" || !std::filesystem::exists(p)) return nullptr;
  return std::make_shared<FakePicture>();
}

}  // namespace orv::test
