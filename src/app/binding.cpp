#include "app/binding.h"

#include "lib/error.h"
#include "lib/messages.h"
#include "lib/platform.h"
#include "lib/text.h"
#include "record/data_type.h"
#include "record/field_numbers.h"
#include "targets/registry.h"

namespace zeko {

namespace {

// Overwrites the first `placeholder` in name with the two characters of
// field 105 that start at `from`. Like a bounded copy that fills up with
// zero characters, a date too short to supply both ends the name there.
void FillPlaceholder(std::string& name, const char* placeholder, std::string_view date,
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

}  // namespace

void BuildOutputPaths(RunContext& ctx, std::string_view documentDate) {
  // A data type outside 1 to 5 has no NAME entry: its name is empty and
  // opening the bare directory fails with the opener's message.
  const int dt = ctx.dataType;
  std::string name = IsValidDataType(dt) ? ctx.settings.names[dt] : "";
  FillPlaceholder(name, "MM", documentDate, 3);
  FillPlaceholder(name, "JJ", documentDate, 8);

  std::string dir = ctx.settings.path;
  if (!empty(dir.c_str()) && !IsPathSep(dir.back())) dir += kPathSep;
  ctx.outputPath = dir;
  ctx.outputPath2.clear();
  std::size_t comma = name.find(',');
  if (comma != std::string::npos) {
    // The second name is kept whole, however long.
    ctx.outputPath2 = dir + name.substr(comma + 1);
    name.resize(comma);
  }
  ctx.outputPath += name;
  ctx.outputName = name;
}

void BindOutput(RunContext& ctx, const Record& first) {
  // Paths first, so that a writer's setup can already look at them.
  BuildOutputPaths(ctx, first.Text(fld::kDocumentDate));
  RunInfo& run = ctx.run.emplace(ctx.settings, first);
  run.dataType = DataTypeOf(ctx.dataType);
  run.consolidation = ctx.consolidationMode;
  run.today = ctx.todayText;
  run.runDate = ctx.runDate;
  run.outputPath = ctx.outputPath;
  run.outputPath2 = ctx.outputPath2;
  run.outputName = ctx.outputName;
  run.configDir = ctx.configDir;
  ctx.writer = MakeWriter(run);
  if (ctx.writer) return;
  // No writer: say why, the configuration has no TYP or one without a writer.
  const Settings& s = ctx.settings;
  const std::string where =
      s.typeKeyword.empty()
          ? "kein TYP in " + s.configPath
          : "TYP=" + s.typeKeyword + " hat kein Ausgabeformat (" +
                ConfigWhere(s.configPath, s.typeLine, "TYP") + ")";
  Problem(WithWhere(msg::kNoWriter, where));
}

}  // namespace zeko
