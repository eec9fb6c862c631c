// The extension rules of the File menu: which extension a saved document or
// an export gets. Plain C++, no Qt.
#pragma once

#include <string>

// The extension of the last component of `path`, from its last '.', in
// lower case ("oak.VHM" -> ".vhm", "oak." -> ".", "dir.d/oak" -> "").
std::string LowerExtension(const std::string& path);

// `name` when its extension, lower-cased, is `wanted` (".vhm"), otherwise
// `name` + `wanted`: oak -> oak.vhm, oak.VHM -> oak.VHM, oak.txt -> oak.txt.vhm.
std::string WithExtension(const std::string& name, const std::string& wanted);

// The name "Save" and "Save As..." write a document under.
std::string DocumentFileName(const std::string& chosen);

// The extension and writer of every export format come from the table in
// fileio/export_formats.h.
