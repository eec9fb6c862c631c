// Exceptions of the document reader and the writers. Messages are meant for
// a person: they name the file and, for documents, the line.
#pragma once

#include <stdexcept>
#include <string>

namespace vh {

// A file could not be created, written, renamed into place or opened.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

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
