// The host of command-line runs: internal-error alerts and faults in
// included worksheets go to standard error, the overwrite question is
// answered by --overwrite, and pictures are read from their files.
#pragma once

#include "cli/console.h"
#include "lang/host.h"

namespace orv::cli {

class CliHost : public Host {
 public:
  CliHost(Console& console, bool overwrite) : console_(console), overwrite_(overwrite) {}
  void bugAlert(std::string_view text) override;
  bool confirmOverwrite(const std::string&) override { return overwrite_; }
  std::shared_ptr<const Picture> loadPicture(const std::string& path) override;
  void includeFailed(const std::string& path, const std::u16string& text, std::size_t pos,
                     std::string_view message) override;
  void showText(const std::string& title, std::string_view text) override;

 private:
  Console& console_;
  bool overwrite_;
};

}  // namespace orv::cli
