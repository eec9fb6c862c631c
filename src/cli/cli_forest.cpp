// The "forest" command: print an example description, or grow the variants
// of a description on every core and write the forest as one .glb.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "fileio/presets.h"
#include "forest/forest_description.h"
#include "forest/forest_export.h"
#ifdef VH_CLI_BILLBOARD
#include "cli/headless_billboards.h"
#endif

namespace vh::cli {
namespace {

// Set by Ctrl+C (or a program stopping the tool): the variants being grown
// stop at their next branch and the file is not written (its temporary
// file is removed).
std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) { g_interrupted = true; }

ForestInstancing ParseInstancing(const std::string& text) {
  if (text == "gpu") return ForestInstancing::kGpu;
  if (text == "nodes") return ForestInstancing::kNodes;
  throw std::invalid_argument("--instancing needs gpu or nodes, not '" + text + "'");
}

// "forest: 12 of 40 variants" on one line of the terminal, rewritten in place.
void ShowProgress(std::size_t done, std::size_t total) {
  std::fprintf(stderr, "\rforest: %zu of %zu variants", done, total);
  if (done == total) std::fprintf(stderr, "\n");
  std::fflush(stderr);
}

// The same, one line per variant, for a program that shows the progress.
void ReportProgress(std::size_t done, std::size_t total) {
  std::fprintf(stderr, "forest: %zu of %zu variants\n", done, total);
  std::fflush(stderr);
}

}  // namespace

int RunForest(const Arguments& args) {
  std::string output;
  bool example = false;
  bool progressLines = false;
  ForestExportOptions options;
  ArgumentParser parser;
  parser.Text("-o", &output, "a file name", {"--output"});
  parser.Flag("--example", &example);
  parser.Flag("--progress", &progressLines);
  parser.Value("--instancing", "gpu or nodes",
               [&options](const std::string& value) { options.instancing = ParseInstancing(value); });
  parser.Integer("--threads", 0, 1024,
                 [&options](long long value) { options.threads = static_cast<int>(value); });
  const std::vector<std::string> positional = parser.Parse(args);
  if (example) {
    if (!positional.empty() || !output.empty())
      throw std::invalid_argument("--example prints the example and takes nothing else");
    std::fputs(kForestExample, stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  if (positional.size() != 1)
    throw std::invalid_argument(positional.empty() ? "no forest description given (see forest --example)"
                                                   : "more than one forest description given");
  if (output.empty()) throw std::invalid_argument("no output file given (-o OUT.glb)");
  if (output.size() < 4 || output.compare(output.size() - 4, 4, ".glb") != 0)
    throw std::invalid_argument("a forest is written as one .glb file, not '" + output + "'");

  const ForestDescription description = ReadForestDescription(positional.front());
#ifndef VH_CLI_BILLBOARD
  if (description.lod)
    throw std::invalid_argument(
        "lod = yes needs billboard pictures, which this build cannot draw (it has no view library)");
#endif
  const ForestPlan plan = PlanForest(description, PresetLibrary::Find(RunningProgramDirectory()));
  for (const std::string& warning : plan.warnings) std::fprintf(stderr, "warning: %s\n", warning.c_str());
#ifdef VH_CLI_BILLBOARD
  options.chains = ForestCardDrawer();  // each variant's cards drawn in a context of its thread
#endif
  if (progressLines)
    options.progress = ReportProgress;
  else if (::isatty(STDERR_FILENO))
    options.progress = ShowProgress;
  options.cancel = &g_interrupted;
  struct sigaction interrupt = {};
  interrupt.sa_handler = OnInterrupt;
  ::sigaction(SIGINT, &interrupt, nullptr);
  ::sigaction(SIGTERM, &interrupt, nullptr);
  try {
    ExportForest(plan, output, options);
  } catch (const ForestCancelled&) {
    std::fprintf(stderr, "\nverdanthollow-cli forest: interrupted; '%s' was not written\n", output.c_str());
    return 130;
  }
  std::printf("forest: %zu instances of %zu variants written to %s\n", plan.instances.size(),
              plan.variants.size(), output.c_str());
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace vh::cli
