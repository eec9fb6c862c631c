// AtomicFile: writes a file beside its target and renames it into place only
// when everything was written, so that a failed save or export never leaves
// a half-written file where a good one was.
//
// A process killed while it writes leaves nothing behind where the file
// system has unnamed files (O_TMPFILE: the file gets a name only once it is
// complete, just before it replaces the target). Elsewhere, and in the
// moment between naming and replacing, the temporary file is hidden and
// named after its target (".tree.glb.k3J9aZ.partial"), and it is locked
// while it is being written: the next write to the same target removes
// every such file that no living writer holds.
//
// Output goes through a large buffer; the text and binary writers format
// directly into it (Reserve / Advance) to avoid per-value system calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vh {

class AtomicFile {
 public:
  // Largest request Reserve accepts.
  static constexpr std::size_t kBufferSize = 1 << 20;
  // A replaced file of this size or more is freed in the background (see
  // Publish).
  static constexpr std::size_t kLargeFile = 8 << 20;

  // Creates a temporary file in the target's directory, after removing the
  // ones that earlier writes to `path` left behind when they were killed.
  // Throws FileError naming `path` when that is impossible (missing
  // directory, no permission). Setting the environment variable
  // VH_NAMED_TEMPORARY_FILES (to anything but empty) makes every file named
  // from the start, as on file systems without unnamed files.
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

  // Copies `text` into the buffer; a block of kBufferSize or more is
  // written from where it is instead, and one whose pages line up with the
  // file's goes to the disk without the page cache.
  void Write(std::string_view text);

  // Writes `data` at `offset`, from where it is, for a file built out of
  // order; the file grows as needed, and what is written nowhere reads as
  // zeros. Pages that line up go to the disk as with Write. Write and
  // Reserve go on after what they wrote, whatever WriteAt wrote; where two
  // writes meet, the later one wins.
  void WriteAt(std::uint64_t offset, std::string_view data);

  // Writes out the buffer, flushes the file to disk and renames it over
  // the target. Throws FileError on any failure (the target is then
  // untouched and the temporary file removed).
  void Commit();
  // Renames in two steps for writers that produce two files (OBJ and its
  // material file): Finish both, then Publish both. A large file that
  // Publish replaces is freed on a thread of its own, after it returns.
  void Finish();
  void Publish();

  const std::string& path() const { return m_path; }

 private:
  void CreateTemporary();
  void NameTemporary();
  void Flush();
  void WriteBlock(std::uint64_t offset, const char* data, std::size_t size);
  void WriteCached(std::uint64_t offset, const char* data, std::size_t size);
  std::size_t WriteDirect(std::uint64_t offset, const char* data, std::size_t size);
  void StartWriteback(std::uint64_t offset, std::size_t size);

  static constexpr std::size_t kWritebackPiece = 4 << 20;
  static constexpr std::size_t kDirectMinimum = 1 << 20;
  [[noreturn]] void Fail(const char* what, int error);

  std::string m_path;
  std::string m_tempPath;  // empty while the file has no name
  int m_fd = -1;           // open, and locked, until the file replaced the target
  bool m_finished = false;
  bool m_published = false;
  std::unique_ptr<char[]> m_buffer;
  std::size_t m_used = 0;
  std::uint64_t m_written = 0;  // bytes that Write and Reserve put in the file so far
  // What went into the page cache since its last piece was handed to the
  // disk: the bytes, and the part of the file they lie in.
  std::size_t m_cachedBytes = 0;
  std::uint64_t m_cachedBegin = 0, m_cachedEnd = 0;
};

}  // namespace vh
