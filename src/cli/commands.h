// The subcommands of verdanthollow-cli. Each takes the arguments after its
// name and returns the process exit code; errors go to stderr.
#pragma once

#include <string>
#include <vector>

namespace vh::cli {

using Arguments = std::vector<std::string>;

int RunExport(const Arguments& args);
int RunInfo(const Arguments& args);
int RunBarkTile(const Arguments& args);
int RunPresets(const Arguments& args);
int RunForest(const Arguments& args);
#ifdef VH_CLI_BILLBOARD
int RunBillboard(const Arguments& args);
#endif

}  // namespace vh::cli
