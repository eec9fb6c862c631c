// The exception of the document reader for a file it opened but could not
// read as a tree document. The message names the file and the line.
#pragma once

#include <stdexcept>
#include <string>

namespace vh {

// A document was opened but its content is not a readable tree document.
class DocumentError : public std::runtime_error {
 public:
  DocumentError(const std::string& file, int line, const std::string& reason)
      : std::runtime_error(file + ", line " + std::to_string(line) + ": " + reason), m_line(line) {}
  int line() const { return m_line; }

 private:
  int m_line;
};

}  // namespace vh
