// Presort: the input file rewritten in the order of one field.
#pragma once
#include <cstddef>
#include <optional>
#include <string_view>

namespace zeko {

struct RunContext;

std::optional<std::size_t> FindRecordField(std::string_view record, int field);
void Presort(RunContext& ctx);

}  // namespace zeko
