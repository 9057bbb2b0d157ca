// The little JSON the run protocol needs: a string written so that the
// line stays valid UTF-8 whatever bytes it is given, and a reader for
// objects, arrays, strings and integers (the kinds a protocol line holds).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zeko {

// s as a JSON string, quotes included: '"' and '\\' escaped, control
// characters and DEL as \u00XX. A byte that is not part of valid UTF-8 (a
// path from a Windows-1252 configuration) becomes \u00XX, the Latin-1
// character of its value.
void AppendJsonString(std::string& out, std::string_view s);

// A JSON value of the kinds a protocol line holds.
struct Json {
  enum class Kind { kNumber, kString, kObject, kArray } kind = Kind::kNumber;
  std::int64_t number = 0;
  std::string text;
  // An object's members: names[i] names items[i]. (A vector of pairs
  // would hold the type before it is complete, which not every standard
  // library takes.) An array's values are the items alone.
  std::vector<std::string> names;
  std::vector<Json> items;

  const Json* Member(std::string_view name) const {
    for (std::size_t i = 0; i < names.size(); ++i)
      if (names[i] == name) return &items[i];
    return nullptr;
  }
};

// The whole text as one value, blanks around it allowed; false when it is
// not JSON of those kinds, or a string in it is not valid UTF-8, or an
// object names a member twice.
bool ReadJson(std::string_view text, Json& value);

}  // namespace zeko
