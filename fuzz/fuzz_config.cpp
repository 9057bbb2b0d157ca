// The configuration reader: any bytes as the configuration file, field
// blocks included. A file the reader refuses ends in its fatal message.
#include <cstdint>
#include <cstring>
#include <string>

#include "config/config.h"
#include "fuzz_common.h"

using namespace zeko;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  fuzz::WriteFile("fibconf", bytes);
  Settings settings;
  fuzz::ArmFatal();
  try {
    ReadConfig("fibconf", settings);
  } catch (const fuzz::FatalExit&) {
    return 0;  // "Fehler in CONFIG - Syntax", "... : Ausgabe - Typ unbekannt"
  }

  // A layout's rows point into the texts the list owns; a copy of the
  // settings (the run keeps one) must carry its own.
  const Settings copy = settings;
  for (std::size_t list = 0; list < settings.fieldLists.size(); ++list) {
    const FieldList& a = settings.fieldLists[list];
    const FieldList& b = copy.fieldLists[list];
    fuzz::Require(a.rows.size() == b.rows.size(), "a copied layout lost rows");
    for (std::size_t i = 0; i < a.rows.size(); ++i) {
      fuzz::Require(a.rows[i].field <= 999, "a layout row names a field outside the table");
      fuzz::Require(std::strcmp(a.rows[i].a, b.rows[i].a) == 0, "a copied layout row changed");
      fuzz::Require(b.rows[i].a != a.rows[i].a, "a copied layout row shares its text");
    }
  }

  // The code lists of the GENERIC framing keys, on the raw text.
  int count = 0;
  const std::string codes = ParseCodeList(bytes.c_str(), 80, &count);
  fuzz::Require(count >= 0 && count <= 80, "more codes than asked for");
  fuzz::Require(codes.size() <= static_cast<std::size_t>(count), "more code bytes than codes");
  return 0;
}
