// The binary chunk of a forest's .glb while it is being written: a
// temporary file that is never linked into a folder (it vanishes with the
// process, however that ends), so that memory holds only the variants
// being grown, not the forest.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vh {

class AtomicFile;

class BinarySpool {
 public:
  // A file in `folder` (the forest's own, so that it lands on the same
  // disk), or in the system's temporary folder where that cannot be.
  // Throws FileError when neither can be made.
  explicit BinarySpool(const std::string& folder);
  ~BinarySpool();
  BinarySpool(const BinarySpool&) = delete;
  BinarySpool& operator=(const BinarySpool&) = delete;

  // Appends `bytes` at the next multiple of 4 (the alignment glTF asks of
  // every buffer view) and returns where they start.
  std::uint64_t Append(std::string_view bytes);
  // Reads `size` bytes at `offset` (for comparing pictures).
  std::string Read(std::uint64_t offset, std::size_t size) const;
  // The length so far, a multiple of 4 once padded by PadTo4.
  std::uint64_t Size() const { return m_size; }
  void PadTo4();
  // Copies everything into `file`.
  void CopyTo(AtomicFile& file) const;

 private:
  void WriteAt(std::uint64_t offset, std::string_view bytes);
  int m_fd = -1;
  std::uint64_t m_size = 0;
};

}  // namespace vh
