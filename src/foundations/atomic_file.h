// AtomicFile: writes a file beside its target and renames it into place only
// when everything was written, so that a failed save or export never leaves
// a half-written file where a good one was.
//
// Output goes through a large buffer; the text and binary writers format
// directly into it (Reserve / Advance) to avoid per-value system calls.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace vh {

class AtomicFile {
 public:
  // Largest request Reserve accepts.
  static constexpr std::size_t kBufferSize = 1 << 20;

  // Creates a temporary file in the target's directory. Throws FileError
  // naming `path` when that is impossible (missing directory, no permission).
  explicit AtomicFile(std::string path);
  // Removes the temporary file unless Commit succeeded.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // A pointer to at least `size` (<= kBufferSize) writable bytes; call
  // Advance with the number actually used. Throws FileError on a failed write.
  char* Reserve(std::size_t size) {
    if (kBufferSize - m_used < size) Flush();
    return m_buffer.get() + m_used;
  }
  void Advance(std::size_t size) { m_used += size; }

  void Write(std::string_view text);

  // Writes out the buffer, flushes the file to disk, closes it and renames
  // it over the target. Throws FileError on any failure (the target is then
  // untouched and the temporary file removed).
  void Commit();
  // Renames in two steps for writers that produce two files (OBJ and its
  // material file): Finish both, then Publish both.
  void Finish();
  void Publish();

  const std::string& path() const { return m_path; }

 private:
  void Flush();
  [[noreturn]] void Fail(const char* what, int error);

  std::string m_path;
  std::string m_tempPath;
  int m_fd = -1;
  bool m_finished = false;
  bool m_published = false;
  std::unique_ptr<char[]> m_buffer;
  std::size_t m_used = 0;
};

}  // namespace vh
