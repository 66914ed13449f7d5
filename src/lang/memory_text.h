// A worksheet text held in memory, for the command line and the tests.
//
// Edits arrive in increasing text order during a pass; they are recorded as
// (offset, deleted length, inserted text) and applied in one linear sweep when
// the text is next read, so a run that writes thousands of results costs
// time proportional to the text plus the edits, not a move per result.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "lang/text_storage.h"

namespace orv {

struct TextEdit {
  std::size_t pos;      // position in the text as it stood when the edit was made
  std::size_t deleted;  // code units removed at pos
  std::u16string inserted;
};

class MemoryText : public TextStorage {
 public:
  MemoryText() = default;
  explicit MemoryText(std::u16string text) : text_(std::move(text)) {}

  std::size_t length() const override { return length_(); }
  std::string bytes() const override;
  void insert(std::size_t pos, std::string_view text) override;
  void remove(std::size_t pos, std::size_t len) override;

  // The current text, with every recorded edit applied.
  const std::u16string& text() const;
  std::string utf8() const;

  // Every edit made since construction or the last clearHistory(), in order.
  const std::vector<TextEdit>& history() const { return history_; }
  void clearHistory() { history_.clear(); }

 private:
  std::size_t length_() const { return text_.size() + delta_; }
  void record(TextEdit edit);
  void flush() const;

  mutable std::u16string text_;
  mutable std::vector<TextEdit> pending_;  // not yet applied to text_
  mutable long long delta_ = 0;            // net length change of pending_
  mutable std::size_t pendingEnd_ = 0;     // end of the last pending edit
  std::vector<TextEdit> history_;
};

}  // namespace orv
