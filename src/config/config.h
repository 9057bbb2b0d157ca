// Reader of the configuration file.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"

namespace zeko {

// Reads the file (or "FIBCONF" when path is empty) into settings. Every
// problem goes through Problem, naming the file, the line and the key
// ("Fehler in CONFIG - Wert ungültig: FIBCONF, Zeile 7, Schlüssel APPEND,
// Wert "JA!""): fatal in a run; in a check it is collected and the reader
// goes on with the next line, the setting left as it was. A file that
// cannot be read: "Fehler beim öffnen CONFIG - Datei:\n<name> (<reason>)".
void ReadConfig(const std::string& path, Settings& settings);

// Splits text at blanks, commas and tabs; each piece read as a decimal
// integer becomes one byte. Stops after maxCount pieces. Returns the codes as
// a text that ends at the first code 0, and the count in *count if given.
std::string ParseCodeList(const char* text, int maxCount = 80, int* count = nullptr);

// The keys of the main part in the order a line is compared with them: the
// first one a line begins with handles it.
std::vector<std::string_view> ConfigKeyNames();

}  // namespace zeko
