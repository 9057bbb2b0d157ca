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
#define ZEKO_PLATFORM_OPTIONS "  /NOGUI            ohne Fenster und Meldungsfenster (für Skripte)\n"
#define ZEKO_MESSAGE_AT "im Meldungsfenster und auf der Standardfehlerausgabe"
#else
#define ZEKO_TEMP_DIR "$TMPDIR/ (sonst /tmp/)"
#define ZEKO_PLATFORM_OPTIONS ""
#define ZEKO_MESSAGE_AT "auf der Standardfehlerausgabe"
#endif

constexpr char kUsage[] =
    "Aufruf: zeko /CONFIG:<Konfigurationsdatei> /TEMP:<Name> [/ND]\n"
    "        zeko --pruefen /CONFIG:<Konfigurationsdatei> /TEMP:<Name>\n"
    "        zeko --protokoll [/CONFIG:<Konfigurationsdatei>] [--seit TT.MM.JJJJ]\n"
    "        zeko --protokoll --pruefen [/CONFIG:<Konfigurationsdatei>]\n"
    "        zeko --help | -h | /? | --version\n"
    "\n"
    "Ein Aufruf ist ein Übernahmelauf: die Sätze der Eingabedatei werden nach\n"
    "der Konfigurationsdatei in die Importdatei des Zielsystems übernommen.\n"
    "\n"
    "  /CONFIG:<Datei>   Konfigurationsdatei (ohne Angabe: FIBCONF im aktuellen\n"
    "                    Verzeichnis); in ihrem Verzeichnis liegen SPK.NUM und SPK.FRM\n"
    "  /TEMP:<Name>      die Eingabedatei ist " ZEKO_TEMP_DIR
    "<Name>.$TM\n"
    "  /ND               die Eingabedatei nach dem Lauf nicht löschen\n" ZEKO_PLATFORM_OPTIONS
    "  --pruefen         nur prüfen: Konfiguration und Eingabedatei lesen wie ein\n"
    "                    Lauf, jeden Fehler (bis 100, dann die Anzahl) und eine\n"
    "                    Zusammenfassung ausgeben (Sätze und Summe der Beträge je\n"
    "                    Datenart, erstes und letztes Datum); schreibt, löscht und\n"
    "                    startet nichts\n"
    "  --protokoll       die Läufe aus dem Protokoll (PROTOKOLL, sonst ZEKO.LOG im\n"
    "                    Verzeichnis der Konfigurationsdatei, ohne /CONFIG: im\n"
    "                    aktuellen) als Tabelle; --seit TT.MM.JJJJ zeigt die Läufe\n"
    "                    ab diesem Tag; mit --pruefen: prüfen, ob das Protokoll\n"
    "                    unverändert ist, sonst den ersten veränderten Eintrag\n"
    "                    nennen (Rückgabewert 1)\n"
    "\n"
    "Optionen werden bis zum ersten Wort ohne \"/\" oder \"-\" gelesen, in jeder\n"
    "Schreibweise; eine unbekannte Option beendet den Lauf. Ein einzelnes Wort\n"
    "nach dem Programmnamen setzt nichts.\n"
    "\n"
    "Nichts wird geraten: ein beschädigter Satz, ein Wert, der nicht sein kann,\n"
    "was sein Feld verlangt (Zahl, Datum, Bankleitzahl, Konto), eine Zahl, die\n"
    "zu lang für ihr Feld ist, oder ein ungültiger Konfigurationswert beendet\n"
    "den Lauf, bevor etwas geschrieben wird; die Meldung nennt Datei, Zeile und\n"
    "Schlüssel oder Satz, Feld und Wert.\n"
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
    "  0  Lauf beendet; die Eingabedatei ist gelöscht (außer mit /ND). Kann sie\n"
    "     nicht gelöscht werden, sind die Buchungen trotzdem übernommen: die\n"
    "     Meldung \"Eingabedatei kann nicht gelöscht werden\" steht " ZEKO_MESSAGE_AT
    ",\n"
    "     ein neuer Lauf mit derselben Datei bucht nichts doppelt\n"
    "     (mit --pruefen: keine Fehler gefunden)\n"
    "  1  Fehler oder Abbruch: die Meldung steht " ZEKO_MESSAGE_AT
    ",\n"
    "     die Eingabedatei bleibt, jede Ausgabedatei bleibt wie vor dem Lauf\n"
    "     (mit --pruefen: Fehler gefunden)\n";

}  // namespace

void PrintToUser(const std::string& text) {
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

const char* UsageText() { return kUsage; }

bool AnswerInfoRequest(int argc, const char* const* argv) {
  // Anywhere on the line: a person who asks for help gets it, not a run.
  for (int i = 1; i < argc; ++i) {
    const char* word = argv[i];
    if (std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0 ||
        std::strcmp(word, "/?") == 0 || std::strcmp(word, "-?") == 0) {
      PrintToUser(kUsage);
      return true;
    }
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    PrintToUser(std::string("zeko ") + ZekoVersion() + "\n");
    return true;
  }
  return false;
}

const char* ZekoVersion() { return ZEKO_VERSION; }

}  // namespace zeko
