// Syntax colouring as data: a light scanner of its own, apart from the
// language's, finds comments (blue), recognised words (brown) and results
// (red) in the engine's 8-bit copy of the text and returns them as colour
// runs. Everything else is black; strings are passed over and stay black.
// The text window and the RTF writer apply the runs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "doc/color_run.h"

namespace orv {

class Engine;

// The words that colour brown: the language's keywords and built-in
// functions, the setting names, and the names of the enabled add-on
// functions.
class SyntaxWords {
 public:
  explicit SyntaxWords(const std::vector<std::string>& addOnNames = {});

  // True when [word] is one of the words, exactly (case matters).
  bool matchkey(std::string_view word) const { return words_.count(word) != 0; }

 private:
  std::unordered_set<std::string_view> words_;
  std::vector<std::string> addOns_;  // owns the add-on names the set points into
};

// The names of the add-on functions that [engine] has enabled.
std::vector<std::string> enabledAddOnNames(const Engine& engine);

struct Colouring {
  std::size_t from = 0, to = 0;  // the range that is made black before the runs apply
  std::vector<ColorRun> runs;    // in increasing order, not overlapping
};

// Colours the whole [text] (one byte per UTF-16 code unit).
Colouring ColorSyntax(std::string_view text, const SyntaxWords& words);

// Colours the line of [text] that holds position [pos], its line end
// included; an empty line range colours nothing.
Colouring ColorSyntaxLine(std::string_view text, std::size_t pos, const SyntaxWords& words);

// Appends the runs of [buf]'s range [from, to) to [runs], their positions
// moved by [offset].
void ColorSel(std::string_view buf, std::size_t from, std::size_t to, const SyntaxWords& words,
              std::size_t offset, std::vector<ColorRun>* runs);

}  // namespace orv
