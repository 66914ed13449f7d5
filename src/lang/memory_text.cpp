#include "lang/memory_text.h"

#include "base/macroman.h"

namespace orv {

std::string MemoryText::bytes() const {
  flush();
  return utf16ToBytes(text_);
}

const std::u16string& MemoryText::text() const {
  flush();
  return text_;
}

std::string MemoryText::utf8() const { return utf16ToUtf8(text()); }

void MemoryText::insert(std::size_t pos, std::string_view text) {
  if (text.empty()) return;
  record({pos, 0, bytesToUtf16(text)});
}

void MemoryText::remove(std::size_t pos, std::size_t len) {
  if (len == 0) return;
  record({pos, len, {}});
}

void MemoryText::record(TextEdit edit) {
  std::size_t len = length_();
  if (edit.pos > len) edit.pos = len;
  if (edit.deleted > len - edit.pos) edit.deleted = len - edit.pos;
  history_.push_back(edit);
  // Edits behind the last pending one cannot join the sweep: apply what is
  // pending first.
  if (edit.pos < pendingEnd_) flush();
  pendingEnd_ = edit.pos + edit.inserted.size();
  delta_ += static_cast<long long>(edit.inserted.size()) - static_cast<long long>(edit.deleted);
  pending_.push_back(std::move(edit));
}

void MemoryText::flush() const {
  if (pending_.empty()) return;
  std::u16string out;
  out.reserve(static_cast<std::size_t>(static_cast<long long>(text_.size()) + delta_));
  std::size_t from = 0;  // next unread position of text_
  long long shift = 0;   // net change of the edits applied so far
  for (const TextEdit& e : pending_) {
    std::size_t at = static_cast<std::size_t>(static_cast<long long>(e.pos) - shift);
    out.append(text_, from, at - from);
    out.append(e.inserted);
    from = at + e.deleted;
    shift += static_cast<long long>(e.inserted.size()) - static_cast<long long>(e.deleted);
  }
  out.append(text_, from, std::u16string::npos);
  text_.swap(out);
  pending_.clear();
  delta_ = 0;
  pendingEnd_ = 0;
}

}  // namespace orv
