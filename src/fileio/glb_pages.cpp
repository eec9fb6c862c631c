#include "fileio/glb_pages.h"

#include <algorithm>
#include <utility>

namespace vh {

CompletedPageWriter::CompletedPageWriter(std::size_t size, std::size_t minimumRun,
                                         std::function<void(std::size_t, std::size_t)> write)
    : m_size(size),
      m_minimumRun(minimumRun),
      m_write(std::move(write)),
      m_complete((size + kPage - 1) / kPage, 0),
      m_written(m_complete.size(), false) {}

std::size_t CompletedPageWriter::Capacity(std::size_t page) const {
  return std::min(kPage, m_size - page * kPage);
}

void CompletedPageWriter::Complete(std::size_t begin, std::size_t end) {
  if (begin >= end) return;
  const std::size_t firstPage = begin / kPage, endPage = (end - 1) / kPage + 1;
  for (std::size_t page = firstPage; page < endPage; ++page) {
    const std::size_t pageBegin = page * kPage;
    m_complete[page] +=
        static_cast<std::uint32_t>(std::min(end, pageBegin + kPage) - std::max(begin, pageBegin));
  }
  // The ready pages this range joins up: its own and the runs on either
  // side, which are shorter than a run worth writing.
  std::size_t first = firstPage, last = endPage;
  while (first > 0 && Ready(first - 1)) --first;
  while (last < m_complete.size() && Ready(last)) ++last;
  for (std::size_t page = first; page < last;) {
    std::size_t runEnd = page;
    while (runEnd < last && Ready(runEnd)) ++runEnd;
    if ((runEnd - page) * kPage >= m_minimumRun) WriteRun(page, runEnd);
    page = std::max(runEnd, page + 1);
  }
}

void CompletedPageWriter::Finish() {
  for (std::size_t page = 0; page < m_written.size();) {
    std::size_t runEnd = page;
    while (runEnd < m_written.size() && !m_written[runEnd]) ++runEnd;
    if (runEnd > page) WriteRun(page, runEnd);
    page = runEnd + 1;
  }
}

void CompletedPageWriter::WriteRun(std::size_t first, std::size_t end) {
  m_write(first * kPage, std::min(end * kPage, m_size));
  std::fill(m_written.begin() + static_cast<std::ptrdiff_t>(first),
            m_written.begin() + static_cast<std::ptrdiff_t>(end), true);
}

}  // namespace vh
