#include "run/output.h"

#include <cstring>

#include "lib/platform.h"
#include "lib/text.h"
#include "run/context.h"
#include "run/error.h"
#include "targets/setups.h"

namespace zeko {

namespace {

// Overwrites the first `placeholder` in name with the two characters of
// field 105 that start at `from`. Like a bounded copy that fills up with
// zero characters, a date too short to supply both ends the name there.
void FillPlaceholder(std::string& name, const char* placeholder, const std::string& date,
                     std::size_t from) {
  std::size_t at = name.find(placeholder);
  if (at == std::string::npos) return;
  for (std::size_t k = 0; k < 2; ++k) {
    if (from + k < date.size()) {
      name[at + k] = date[from + k];
    } else {
      name.resize(at + k);
      return;
    }
  }
}

std::unique_ptr<OutputWriter> CallSetup(RunContext& ctx) {
  switch (ctx.settings.targetType) {
    case kTargetHS: return HsSetup(ctx);
    case kTargetHS3: return Hs3Setup(ctx);
    case kTargetDATAX: return DataxSetup(ctx, ctx.dataType);
    case kTargetSPK: return SpkSetup(ctx, ctx.dataType);
    case kTargetKHK8: return Khk8Setup(ctx);
    case kTargetGENERIC: return GenericSetup(ctx);
    case kTargetPCREWE: return PcreweSetup(ctx);
    case kTargetLEDAX: return LedaxSetup(ctx);
    case kTargetSLANG: return SlangSetup(ctx);
    default: return nullptr;  // keywords without a writer
  }
}

}  // namespace

void BuildOutputPaths(RunContext& ctx) {
  const int dt = ctx.DataTypeIndex();
  // A data type outside 1 to 5 has no NAME entry: its name is empty and
  // opening the bare directory fails with the opener's message.
  std::string name = (dt >= 1 && dt <= 5 && dt == ctx.dataType) ? ctx.settings.names[dt] : "";
  const std::string& date = ctx.fields.Text(105);
  FillPlaceholder(name, "MM", date, 3);
  FillPlaceholder(name, "JJ", date, 8);

  ctx.outputDir = ctx.settings.path;
  if (!empty(ctx.outputDir.c_str()) && !IsPathSep(ctx.outputDir.back())) ctx.outputDir += kPathSep;
  ctx.outputPath = ctx.outputDir;
  ctx.outputPath2.clear();
  std::size_t comma = name.find(',');
  if (comma != std::string::npos) {
    // The second name is kept whole, however long.
    ctx.outputPath2 = ctx.outputDir + name.substr(comma + 1);
    name.resize(comma);
  }
  ctx.outputPath += name;
  if (dt == ctx.dataType) ctx.outputNames[dt] = name;
}

void BindOutput(RunContext& ctx) {
  // Paths first, so that a writer's setup can already look at them.
  BuildOutputPaths(ctx);
  ctx.writer = CallSetup(ctx);
  if (!ctx.writer) ErrorExit("Zuweisung Open fehlt");
}

}  // namespace zeko
