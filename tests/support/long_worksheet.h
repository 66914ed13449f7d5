// A worksheet of any length for the tests and benchmarks of long worksheets:
// per four lines a definition, two requests and a comment, and at the end
// the function they all call.
#pragma once

#include <string>

namespace orv::test {

inline std::string longWorksheet(int groups) {
  std::string s;
  for (int i = 0; i < groups; ++i) {
    const std::string n = std::to_string(i);
    s += "v" + n + " = " + n + " * 1.5 + f(" + n + ")\n";
    s += "v" + n + " * 2 + sqrt(" + n + "):12.50 -- note\n";
    s += "v" + n + " - 1 =\n";
    s += "-- group " + n + "\n";
  }
  return s + "f(x) = x^2 / 3\n";
}

}  // namespace orv::test
