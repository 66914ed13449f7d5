// The host of the tests: records what the engine tells it and answers its
// questions as a test sets up.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "lang/host.h"

namespace orv::test {

class FakeHost : public Host {
 public:
  void bugAlert(std::string_view text) override;
  void showText(const std::string& title, std::string_view text) override;
  bool confirmOverwrite(const std::string& fileName) override;
  bool openDocumentText(const std::string& path, std::u16string* text) override;
  void includeFailed(const std::string& path, const std::u16string& text, std::size_t pos,
                     std::string_view message) override;
  std::shared_ptr<const Picture> loadPicture(const std::string& path) override;

  // Answers
  bool overwrite = false;  // to every overwrite question
  bool pictures = false;   // any existing *.png file is a 40 x 30 picture
  std::map<std::string, std::u16string> openDocuments;  // by path

  // Records, UTF-8
  std::vector<std::string> alerts;
  std::vector<std::string> shown;            // documents shown: title, a line end, text
  std::vector<std::string> asked;            // file names of overwrite questions
  std::vector<std::string> includeFailures;  // "PATH @POS:MESSAGE"
};

}  // namespace orv::test
