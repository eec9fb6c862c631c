// InputFile: a file opened for reading only when it is a regular file. Every
// reader of documents, pictures and photographs opens its file through it.
//
// What is not a regular file is refused with a message before a byte is
// read: opening a named pipe waits for a writer that may never come, a
// device can be endless (/dev/zero) or act on being opened, and a folder has
// no content to read.
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundations/file_error.h"

namespace vh {

// Why an input file could not be opened or read: what() names the file
// ("'P' is a named pipe, not a file", "cannot open 'P': No such file or
// directory"); reason() says the same without the name ("it is a named
// pipe, not a file", "cannot open the file (No such file or directory)"),
// for readers whose messages name the file their own way.
class InputFileError : public FileError {
 public:
  InputFileError(const std::string& message, std::string reason)
      : FileError(message), m_reason(std::move(reason)) {}
  const std::string& reason() const { return m_reason; }

 private:
  std::string m_reason;
};

class InputFile {
 public:
  // Opens `path` (symbolic links followed) for reading. Throws
  // InputFileError naming the path when it cannot be opened ("cannot open 'P': No such
  // file or directory") or is something other than a regular file ("'P' is
  // a named pipe, not a file"; likewise a socket, a character or block
  // device, a folder).
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  const std::string& path() const { return m_path; }
  // The file's size in bytes when it was opened.
  std::uint64_t Size() const { return m_size; }

  // The whole content, as large as Size() said; check Size() first to
  // refuse files too large to read. Throws InputFileError naming the file
  // when it cannot be read or became shorter meanwhile.
  std::vector<std::uint8_t> ReadAll();

  // The content as a stream, for readers that parse as they read. A read
  // error ends the stream as the end of the file would.
  std::istream& Stream();

 private:
  class Buffer;

  std::string m_path;
  int m_fd = -1;
  std::uint64_t m_size = 0;
  std::unique_ptr<Buffer> m_buffer;
  std::unique_ptr<std::istream> m_stream;
};

}  // namespace vh
