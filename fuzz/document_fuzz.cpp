// libFuzzer target for the tree document reader. It only parses: a valid
// document may describe a tree far too large to grow inside a fuzzer.
// Any exception other than DocumentError, and any sanitizer report, is a bug;
// whatever parses must also format and parse to the same document again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "fileio/document.h"
#include "fileio/document_error.h"
#include "fuzzed_document.h"
#include "tree/parameter_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<vh::TreeParameters> read = ReadFuzzedDocument(data, size);
  if (!read) return 0;
  const vh::TreeParameters& params = *read;
  if (!vh::CheckGrowable(params).empty()) std::abort();  // the reader let an ungrowable set through
  const std::string saved = vh::FormatDocument(params);
  std::istringstream again(saved);
  if (vh::FormatDocument(vh::ParseDocument(again, "again.vhm", vh::TreeParameters())) != saved) std::abort();
  return 0;
}
