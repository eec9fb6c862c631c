// Runs the built command-line tool as a user would, capturing what it says.
#pragma once

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace vh::test {

inline const std::string kCommandLineTool = VH_BINARY_DIR "/src/cli/verdanthollow-cli";

struct ToolRun {
  int status = -1;  // the exit code, -1 when the tool did not exit normally
  std::string out;  // standard output
  std::string err;  // standard error
};

// `path` in single quotes for the shell. Built by appending: GCC 12 warns
// falsely (-Wrestrict) about "'" + std::string once inlined.
inline std::string Quoted(const std::string& path) {
  std::string quoted;
  quoted.reserve(path.size() + 2);
  quoted.push_back('\'');
  quoted.append(path);
  quoted.push_back('\'');
  return quoted;
}

// `verdanthollow-cli ARGUMENTS` through the shell (quote paths in ARGUMENTS).
// With `timeoutSeconds`, a tool still running after that long is stopped
// and the run's status is 124, so that a test of something that must not
// wait fails instead of hanging.
inline ToolRun RunTool(const std::string& arguments, int timeoutSeconds = 0) {
  ToolRun run;
  std::string errPath = (std::filesystem::temp_directory_path() / "vh-tool-err-XXXXXX").string();
  const int errFile = ::mkstemp(errPath.data());
  if (errFile < 0) return run;
  ::close(errFile);
  const std::string limit = timeoutSeconds > 0 ? "timeout -k 2 " + std::to_string(timeoutSeconds) + " " : "";
  FILE* pipe =
      ::popen((limit + "'" + kCommandLineTool + "' " + arguments + " 2>'" + errPath + "'").c_str(), "r");
  if (pipe != nullptr) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::ifstream errors(errPath, std::ios::binary);
  std::ostringstream text;
  text << errors.rdbuf();
  run.err = text.str();
  std::filesystem::remove(errPath);
  return run;
}

}  // namespace vh::test
