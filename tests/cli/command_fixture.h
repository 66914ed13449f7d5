// A scratch folder with its own user defaults for running the built
// orvanel on small worksheets.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "files.h"

namespace orv::cli::test {

class CommandTest : public ::testing::Test {
 protected:
  CommandTest() { orv::test::writeFile(tmp_.path("config/.keep"), ""); }

  std::string path(const std::string& name) const { return tmp_.path(name); }

  std::string write(const std::string& name, const std::string& content) const {
    tmp_.put(name, content);
    return path(name);
  }
  std::string read(const std::string& name) const { return tmp_.get(name); }

  ChildSetup setup(std::vector<std::string> args) const {
    ChildSetup s;
    s.args = std::move(args);
    s.configHome = path("config");
    return s;
  }

  ChildResult run(std::vector<std::string> args) const {
    return runOrvanel(setup(std::move(args)), tmp_.path());
  }

  orv::test::TempDir tmp_;
};

}  // namespace orv::cli::test
