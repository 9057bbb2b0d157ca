// A whole conversion run of one target writer on fuzzed input records, in
// process: the run driver with its fixed configuration (writer_configs.h),
// the input file, the writer's Open, Process and Close, the output files
// in a private directory. ZEKO_FUZZ_WRITER names the configuration.
//
// Besides crashes and sanitizer reports the run must keep the rule that no
// data is lost: a run that fails leaves every file that existed before it
// exactly as it was and keeps its input; a run that succeeds keeps the
// earlier content of a file it appends to; no work file outlives the run.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/run.h"
#include "fuzz_common.h"
#include "app/context.h"
#include "lib/error.h"
#include "writer_configs.h"

#ifndef ZEKO_FUZZ_WRITER
#error "ZEKO_FUZZ_WRITER must name a configuration of writer_configs.h"
#endif

using namespace zeko;
namespace fs = std::filesystem;

namespace {

const fuzz::WriterConfig& Config() {
  static const fuzz::WriterConfig* config = [] {
    for (const fuzz::WriterConfig& c : fuzz::kWriterConfigs)
      if (std::strcmp(c.name, ZEKO_FUZZ_WRITER) == 0) return &c;
    std::abort();
  }();
  return *config;
}

// The part of the earlier content that a successful run keeps in front.
std::string KeptPart(const fuzz::WriterConfig& config, const std::string& variant) {
  const std::string earlier = config.earlier;
  switch (config.keeps) {
    case fuzz::WriterConfig::kKept: return earlier;
    case fuzz::WriterConfig::kKeptWithAppend:
      return variant.find("APPEND=1") != std::string::npos ? earlier : std::string();
    case fuzz::WriterConfig::kKeptUpToEndLine: return earlier.substr(0, earlier.find("\r\nE") + 2);
    case fuzz::WriterConfig::kReplaced: break;
  }
  return std::string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::WriterConfig& config = Config();
  const std::size_t variants = config.variants.size();
  const std::string variant = config.variants[size % variants];
  // The output files: none, with the target's own earlier content, or with
  // any bytes at all (the input itself), which the writers that read their
  // earlier file (HS looks for its end line) must take as well; so must
  // the SPK side files.
  const int earlierKind = static_cast<int>((size / variants) % 3);
  const bool existing = earlierKind != 0;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string earlier = earlierKind == 2 ? input : std::string(config.earlier);

  fuzz::ClearWorkDir();
  fuzz::WriteFile("fibconf", config.base + variant);
  for (const auto& [name, bytes] : config.sideFiles)
    fuzz::WriteFile(name, earlierKind == 2 ? std::string_view(input) : std::string_view(bytes));
  if (existing)
    for (const char* name : config.outputs) fuzz::WriteFile(name, earlier);
  fuzz::WriteFile("INPUT.$TM", input);

  bool failed = false;
  {
    auto ctx = std::make_unique<RunContext>();
    fuzz::ArmFatal();
    try {
      RunConversion(*ctx, {"zeko", "/CONFIG:./fibconf", "/TEMP:INPUT"});
    } catch (const fuzz::FatalExit&) {
      failed = true;
    }
  }
  SetFatalHook(nullptr);

  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(fuzz::WorkDir(), ec)) {
    const std::string name = entry.path().filename().string();
    fuzz::Require(name.size() < 4 || name.compare(name.size() - 4, 4, ".$$$") != 0,
                  "a work file outlived its run");
  }
  bool inputThere = false;
  const std::string inputAfter = fuzz::ReadFile("INPUT.$TM", &inputThere);
  if (failed) {
    fuzz::Require(inputThere, "a failed run lost its input");
    // The presort replaces the input by its sorted copy, whose last line
    // always has its line end.
    if (std::strcmp(config.name, "presort") != 0)
      fuzz::Require(inputAfter == input, "a failed run changed its input");
  } else {
    fuzz::Require(!inputThere, "a successful run kept its input");
  }

  if (!existing) return 0;
  // What a successful run keeps in front: known for the target's own
  // earlier content; for any bytes only where the whole is kept.
  std::string kept = KeptPart(config, variant);
  if (earlierKind == 2) {
    const bool whole = config.keeps != fuzz::WriterConfig::kKeptUpToEndLine && kept == config.earlier;
    kept = whole ? earlier : std::string();
  }
  bool coverNoteStarted = false;
  fuzz::ReadFile("NOTE.TXT", &coverNoteStarted);
  for (const char* name : config.outputs) {
    bool there = false;
    const std::string after = fuzz::ReadFile(name, &there);
    fuzz::Require(there, "an earlier output file was removed");
    // The SPK payment file is complete and in place before its cover note
    // is printed (the printer file is there from then on), and the cover
    // note's failures come after it.
    if (failed && !coverNoteStarted)
      fuzz::Require(after == earlier, "a failed run changed an earlier output file");
    if (!failed) {
      fuzz::Require(after.compare(0, kept.size(), kept) == 0 || after == earlier,
                    "a run lost earlier content of a file it appends to");
    }
  }
  return 0;
}
