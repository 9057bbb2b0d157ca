// Reader of the configuration file.
#pragma once
#include <string>

#include "config/settings.h"

namespace zeko {

// Reads the file (or "FIBCONF" when path is empty) into settings. Failures
// end the run: "Fehler beim öffnen CONFIG - Datei:\n<name>",
// "Fehler in CONFIG - Syntax", "<line> : Ausgabe - Typ unbekannt".
void ReadConfig(const std::string& path, Settings& settings);

// Splits text at blanks, commas and tabs; each piece read as a decimal
// integer becomes one byte. Stops after maxCount pieces. Returns the codes as
// a text that ends at the first code 0, and the count in *count if given.
std::string ParseCodeList(const char* text, int maxCount = 80, int* count = nullptr);

}  // namespace zeko
