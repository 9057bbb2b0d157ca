#include "app/usage.h"

#include <cstdio>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include "lib/platform.h"
#endif

#ifndef ZEKO_VERSION
#define ZEKO_VERSION "unbekannt"
#endif

namespace zeko {

namespace {

#ifdef _WIN32
#define ZEKO_TEMP_DIR "%TEMP%\\"
#define ZEKO_HELP_WORDS "--help oder /?"
#define ZEKO_PLATFORM_OPTIONS "  /NOGUI            ohne Fenster und Meldungsfenster (für Skripte)\n"
#define ZEKO_MESSAGE_AT "im Meldungsfenster und auf der Standardfehlerausgabe"
#else
#define ZEKO_TEMP_DIR "$TMPDIR/ (sonst /tmp/)"
#define ZEKO_HELP_WORDS "--help"
#define ZEKO_PLATFORM_OPTIONS ""
#define ZEKO_MESSAGE_AT "auf der Standardfehlerausgabe"
#endif

constexpr char kUsage[] =
    "Aufruf: zeko /CONFIG:<Konfigurationsdatei> /TEMP:<Name> [/ND]\n"
    "        zeko " ZEKO_HELP_WORDS
    " | --version\n"
    "\n"
    "Ein Aufruf ist ein Übernahmelauf: die Sätze der Eingabedatei werden nach\n"
    "der Konfigurationsdatei in die Importdatei des Zielsystems übernommen.\n"
    "\n"
    "  /CONFIG:<Datei>   Konfigurationsdatei (ohne Angabe: FIBCONF im aktuellen\n"
    "                    Verzeichnis); in ihrem Verzeichnis liegen SPK.NUM und SPK.FRM\n"
    "  /TEMP:<Name>      die Eingabedatei ist " ZEKO_TEMP_DIR
    "<Name>.$TM\n"
    "  /ND               die Eingabedatei nach dem Lauf nicht löschen\n" ZEKO_PLATFORM_OPTIONS
    "\n"
    "Optionen werden bis zum ersten Wort ohne \"/\" gelesen, in jeder Schreibweise;\n"
    "ein einzelnes Wort nach dem Programmnamen setzt nichts.\n"
    "\n"
    "Zielsysteme (Schlüssel TYP der Konfiguration):\n"
    "  GENERIC  Satzaufbau ganz aus der Konfiguration (fest oder mit Trennzeichen)\n"
    "  DATAX    Rechnungssätze fester Länge, angehängt\n"
    "  HS, HS3  Buchungs- und Adressdateien, über viele Läufe gesammelt\n"
    "  KHK8     Zeilen mit Kommas und Anführungszeichen, Steuerspalten\n"
    "  PCREWE   REWE-FIBU-Sätze\n"
    "  LEDAX    Buchungssätze und Ergänzungssätze in einer zweiten Datei\n"
    "  SPK      Zahlungsdatei im DTAUS-Format mit Begleitzettel\n"
    "  SLANG    jeder Satz geht an ein Lua-Makro (SLMACRO), das selbst schreibt\n"
    "\n"
    "Rückgabewert:\n"
    "  0  Lauf beendet; die Eingabedatei ist gelöscht (außer mit /ND)\n"
    "  1  Fehler oder Abbruch: die Meldung steht " ZEKO_MESSAGE_AT
    ",\n"
    "     die Eingabedatei bleibt, jede Ausgabedatei bleibt wie vor dem Lauf\n";

void Print(const std::string& text) {
#ifdef _WIN32
  // zeko.exe is a window program: started from a console without
  // redirection it has no standard output, so it writes to the console it
  // was started from, and started from the Explorer it shows a window.
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) {
    const std::wstring wide = WideText(text);
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
      HANDLE console = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
      DWORD written = 0;
      WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
      CloseHandle(console);
    } else {
      MessageBoxW(nullptr, wide.c_str(), L"ZEKO", MB_OK | MB_ICONINFORMATION);
    }
    return;
  }
#endif
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

const char* UsageText() { return kUsage; }

bool AnswerInfoRequest(int argc, const char* const* argv) {
  if (argc != 2) return false;
  const char* word = argv[1];
  bool help = std::strcmp(word, "--help") == 0;
#ifdef _WIN32
  help = help || std::strcmp(word, "/?") == 0;
#endif
  if (help) {
    Print(kUsage);
    return true;
  }
  if (std::strcmp(word, "--version") == 0) {
    Print(std::string("zeko ") + ZEKO_VERSION + "\n");
    return true;
  }
  return false;
}

}  // namespace zeko
