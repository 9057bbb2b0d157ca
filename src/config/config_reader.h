// The reader of one configuration file, shared by its parts: the lines
// (config.cpp), the value forms and their checks (value_forms.cpp), the
// per-key table (keys.cpp) and the GENERIC keys and layout blocks
// (generic_layout.cpp). Only ReadConfig uses it.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "config/settings.h"

namespace zeko {

class ConfigReader {
 public:
  // data: the whole file; path: its name as messages show it.
  ConfigReader(const std::string& data, const std::string& path, Settings& settings)
      : data_(data), path_(path), s_(settings) {}

  // Every line of the main part, each handled by the key it begins with.
  void Run();

 private:
  // --- Lines (config.cpp) ---
  // The next line without its line end (LF or CR LF); false at the end.
  bool NextLine(std::string& out);
  // The key as the current line writes it, for messages: its leading
  // letters, digits and underscores ("NAME7", "GENERICFIELDSEP").
  std::string KeyLabel() const;
  std::string Where(std::string_view key) const;
  std::string Where() const { return Where(KeyLabel()); }

  // --- Value forms and their checks (value_forms.cpp) ---
  void Syntax(std::string_view hint = {}) const;
  void BadValue(std::string_view value, std::string_view hint) const;
  void BadKey(std::string_view hint) const;
  // Text after the last "=", leading blanks removed; a line without one is
  // a syntax error (false).
  bool Last(std::string& value) const;
  // Text after the first "="; false when there is none (the line is ignored).
  bool First(std::string& value) const;
  // A text (first) setting of limited capacity.
  void SetFirst(std::string& target, std::size_t capacity = std::string::npos) const;
  // A number setting from lo to hi; a bad value leaves the setting as it was.
  bool Number(long lo, long hi, int& target) const;
  // A yes/no setting; a bad value leaves it as it was.
  bool Switch(bool& target) const;
  // The digit directly after a key, lo to hi; -1 (reported) otherwise.
  int Digit(std::size_t keyLen, int lo, int hi) const;

  static bool IsBlank(char c) { return c == ' ' || c == '\t'; }
  static std::string_view Trimmed(std::string_view v);
  // A whole number from lo to hi: the whole text (blanks around it aside) is
  // the number; empty text is 0. No leading-part reading: "4x" and "5.0" are
  // not numbers.
  static bool ReadWhole(std::string_view text, long lo, long hi, long& out);
  // A yes/no switch: 0 or 1, J or N, JA or NEIN; blanks around it are no
  // part of the value, and an empty value is 0 as an empty number is.
  static bool ReadSwitch(std::string_view text, bool& on);
  // " (erlaubt: lo bis hi)".
  static std::string Range(long lo, long hi);
  static constexpr char kSwitchValues[] = " (erlaubt: 0, 1, J, N, JA, NEIN)";
  // A field number names one of the input's field slots.
  static constexpr long kMaxFieldNumber = 999;

  // --- The keys (keys.cpp) ---
  void Handle();
  void ReadTaxText(std::size_t keyLen);
  static void InsertDate(std::string& value);

  // --- GENERIC keys and layout blocks (generic_layout.cpp) ---
  void HandleGeneric();
  bool CheckCodeList(const std::string& value) const;
  void ReadFieldList(FieldList& list, std::string_view key);
  void ReadRow(FieldList& list, const std::string& row, int line, std::string_view key);

  const std::string& data_;
  const std::string& path_;
  Settings& s_;
  std::size_t pos_ = 0;
  int lineNo_ = 0;
  std::string line_;  // the current line, upper-cased
};

}  // namespace zeko
