// Writing a file that is built in memory out of order while it is being
// built: each run of pages whose bytes are all complete goes out as soon as
// it is long enough to be worth a write of its own, the rest at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vh {

class CompletedPageWriter {
 public:
  static constexpr std::size_t kPage = 4096;

  // A file of `size` bytes; `write(begin, end)` writes its bytes [begin,
  // end), which start on a page and end on one or at the end of the file.
  // Runs of `minimumRun` bytes or more are written as they complete.
  CompletedPageWriter(std::size_t size, std::size_t minimumRun,
                      std::function<void(std::size_t, std::size_t)> write);

  // Bytes [begin, end) are complete. Each byte is reported at most once.
  void Complete(std::size_t begin, std::size_t end);
  // The whole file is complete, bytes never reported included (gaps that
  // stay as they were): writes every page not written yet.
  void Finish();

 private:
  std::size_t Capacity(std::size_t page) const;
  bool Ready(std::size_t page) const { return !m_written[page] && m_complete[page] == Capacity(page); }
  void WriteRun(std::size_t first, std::size_t end);

  std::size_t m_size;
  std::size_t m_minimumRun;
  std::function<void(std::size_t, std::size_t)> m_write;
  std::vector<std::uint32_t> m_complete;  // complete bytes in each page
  std::vector<bool> m_written;
};

}  // namespace vh
