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

// The formats of "Export...", in the order of its dialog's filters.
enum class ExportFormat { k3ds = 0, kDxf = 1, kObj = 2 };

// The format of the export dialog's filter `index` (0-based); an index
// outside the list means the first filter, as a fresh dialog selects it.
ExportFormat ExportFormatOfFilter(int index);

// ".3ds", ".dxf" or ".obj".
const char* ExtensionOf(ExportFormat format);

// The name "Export..." writes under: the chosen name with the format's
// extension appended unless it already ends in it (any case).
std::string ExportFileName(const std::string& chosen, ExportFormat format);
