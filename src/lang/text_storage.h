// The text that a calculation run reads and edits.
//
// The engine sees a worksheet as a string of bytes with exactly one byte per
// UTF-16 code unit of the real text (see doc/macroman.h), so offsets in the
// byte copy and in the text agree. Front ends implement this interface over
// their own text object; the engine only ever calls it from the run.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orv {

class TextStorage {
 public:
  virtual ~TextStorage() = default;

  // Length of the text in UTF-16 code units.
  virtual std::size_t length() const = 0;

  // The whole text, one byte per code unit (Mac OS Roman, 0x1A where a
  // character has no Mac OS Roman byte).
  virtual std::string bytes() const = 0;

  // Inserts [text], given as Mac OS Roman bytes, at code unit [pos].
  virtual void insert(std::size_t pos, std::string_view text) = 0;

  // Deletes [len] code units starting at [pos].
  virtual void remove(std::size_t pos, std::size_t len) = 0;

  // Gives the range a foreground colour: 1 red, 2 green, 3 blue, 4 brown.
  virtual void setStyle(std::size_t /*pos*/, std::size_t /*len*/, int /*style*/) {}
};

}  // namespace orv
