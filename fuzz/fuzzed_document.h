// The fuzzer's bytes read as a tree document, as every document target
// reads them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>

#include "fileio/document.h"
#include "fileio/document_error.h"

// The document `prefix` followed by the bytes (a target fuzzing one
// section of a document puts the sections before it in `prefix`); nothing
// where the reader refuses it, which is the reader doing its job.
inline std::optional<vh::TreeParameters> ReadFuzzedDocument(const std::uint8_t* data, std::size_t size,
                                                            const std::string& prefix = {}) {
  std::istringstream in(prefix + std::string(reinterpret_cast<const char*>(data), size));
  try {
    return vh::ParseDocument(in, "fuzz.vhm", vh::TreeParameters());
  } catch (const vh::DocumentError&) {
    return std::nullopt;
  }
}
