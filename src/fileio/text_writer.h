// TextWriter: printf-style output of the text formats ("%f", "%u", "%d",
// literal text) straight into an AtomicFile's buffer.
#pragma once

#include <cstdint>
#include <string_view>

#include "fileio/fixed_format.h"
#include "foundations/atomic_file.h"

namespace vh {

class TextWriter {
 public:
  explicit TextWriter(AtomicFile& file) : m_file(file) {}

  TextWriter& Text(std::string_view text) {
    m_file.Write(text);
    return *this;
  }
  TextWriter& Char(char c) {
    *m_file.Reserve(1) = c;
    m_file.Advance(1);
    return *this;
  }
  // As "%f": six decimals, exact.
  TextWriter& Float(double value) {
    char* start = m_file.Reserve(kMaxFixed6Length);
    m_file.Advance(static_cast<std::size_t>(FormatFixed6(start, value) - start));
    return *this;
  }
  TextWriter& Unsigned(std::uint64_t value) {
    char* start = m_file.Reserve(20);
    m_file.Advance(static_cast<std::size_t>(FormatUnsigned(start, value) - start));
    return *this;
  }
  TextWriter& Signed(std::int64_t value) {
    char* start = m_file.Reserve(21);
    m_file.Advance(static_cast<std::size_t>(FormatSigned(start, value) - start));
    return *this;
  }

 private:
  AtomicFile& m_file;
};

}  // namespace vh
