// Every setting of one run, as read from the configuration file.
#pragma once
#include <array>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "convert/mapentry.h"

namespace zeko {

// A GENERIC record layout read from a FIELDSA..FIELDSE block. The rows'
// texts point into `texts`, which owns them.
struct FieldList {
  std::vector<MapEntry> rows;
  std::deque<std::string> texts;
  FieldList() = default;
  FieldList(const FieldList& other) { *this = other; }
  FieldList& operator=(const FieldList& other);
  void Clear() {
    rows.clear();
    texts.clear();
  }
  void Add(std::uint32_t length, std::uint32_t type, std::uint32_t field, std::string text);
};

struct Settings {
  // Where the settings came from, for messages that name a configuration
  // line: the file read, named as the command line gave it ("FIBCONF" by
  // default), and the TYP line (0 when there is none; a later TYP line
  // replaces it).
  std::string configPath;
  std::string typeKeyword;  // the TYP value as given (upper-cased); empty without a TYP line
  int typeLine = 0;

  std::string path;                  // PATH
  std::array<std::string, 6> names;  // NAME1..NAME5 (index = DataType)
  std::array<std::string, 6> spawn;  // SPAWN1..SPAWN5 (index = DataType)
  int release = 0;                   // RELEASE
  int append = 0;                    // APPEND
  bool oemCharset = false;           // OEMCHARSET
  int presortField = 0;              // PRESORT
  std::string slMacro;               // SLMACRO
  std::string mandant;               // MANDANT
  std::string anwender;              // ANWENDER
  std::string spkKennzeichen, spkBlz, spkKunde, spkKonto, spkReferenz, spkDatentraeger,
      spkKassenname;
  // The SEPA form of the savings-bank file: SPK_FORMAT, SPK_BIC,
  // SPK_GLAEUBIGERID, SPK_MANDATFELD, SPK_MANDATDATUM, SPK_SEQUENZ, SPK_VORLAUF.
  std::string spkFormat, spkBic, spkGlaeubigerId, spkMandatFeld, spkMandatDatum, spkSequenz,
      spkVorlauf;
  // Payments to accounts that the bank data does not know are refused
  // unless SPK_PRUEFUNG=0 (meant for test data only); SPK_BANKDATEN names a
  // newer Bundesbank file than the packaged one.
  bool spkPruefung = true;
  std::string spkBankdaten;
  std::optional<bool> spkSammelbuchung;  // SPK_SAMMELBUCHUNG; unset: not written
  int spkZeichensatz = 1252;             // SPK_ZEICHENSATZ: the input's code page
  std::string protPrinter;              // PROTPRINTER
  // PROTOKOLL: the run protocol's file; unset, ZEKO.LOG beside the
  // configuration; set to nothing, no protocol is kept.
  std::optional<std::string> protokoll;
  int lineBufferSize = 16384;           // BUFLEN
  std::array<FieldList, 6> fieldLists;  // FIELDSA..FIELDSE (index = DataType)

  // GENERIC layout strings and switches.
  std::string genericFileHeader;
  std::string genericRecHead, genericRecSep, genericFieldSep, genericFieldLast;
  std::string genericFieldStartNum, genericFieldStartText, genericFieldStartDate;
  std::string genericFieldEndNum, genericFieldEndText, genericFieldEndDate;
  int genericCompactFields = 0;
  int genericSkipZero = 0;

  int targetType = 0;                                   // TYP
  std::array<std::string, 10> currency;                 // WAEHRUNG0..9
  std::array<std::optional<std::string>, 21> taxTexts;  // STEUER_FASSTS0..20
};

// TargetType values that have writers.
enum TargetTypeId {
  kTargetHS = 1,
  kTargetHS3 = 2,
  kTargetDATAX = 5,
  kTargetSPK = 8,
  kTargetKHK8 = 17,
  kTargetMONA = 19,
  kTargetGENERIC = 20,
  kTargetPCREWE = 21,
  kTargetLEDAX = 24,
  kTargetSLANG = 25,
};

}  // namespace zeko
