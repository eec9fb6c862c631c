// The exception of every file writer and of the document reader when a file
// cannot be opened. Messages are meant for a person: they name the file.
#pragma once

#include <stdexcept>

namespace vh {

// A file could not be created, written, renamed into place or opened.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace vh
