// The subcommands of verdanthollow-cli. Each takes the arguments after its
// name and returns the process exit code; errors go to stderr.
#pragma once

#include <string>
#include <vector>

#include "fileio/document.h"

namespace vh::cli {

using Arguments = std::vector<std::string>;

int RunExport(const Arguments& args);
int RunInfo(const Arguments& args);
int RunBarkTile(const Arguments& args);
int RunPresets(const Arguments& args);

// The parameters of the tree a command grows: the document `document`, the
// installed preset `preset`, or `base` (a new tree) when both are empty.
// Throws std::invalid_argument when both are given, FileError for an
// unknown preset or a document that cannot be opened, DocumentError for
// one that cannot be read.
TreeParameters ReadTreeSource(const std::string& document, const std::string& preset,
                              const TreeParameters& base);
#ifdef VH_CLI_BILLBOARD
int RunBillboard(const Arguments& args);
#endif

}  // namespace vh::cli
