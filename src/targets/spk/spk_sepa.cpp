#include "targets/spk/spk_sepa.h"

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "lib/error.h"
#include "lib/messages.h"
#include "lib/platform.h"
#include "lib/text.h"
#include "output/line_sink.h"
#include "output/output_stream.h"
#include "sepa/iban.h"
#include "sepa/sepa_text.h"
#include "sepa/target_calendar.h"
#include "targets/spk/spk_accounts.h"

namespace zeko {
namespace {

// Lengths that the banks take for names and the remittance text.
constexpr std::size_t kNameLength = 70;
constexpr std::size_t kRemittanceLength = 140;

// The values of the new keys are compared without the blanks that may
// trail them in the file.
std::string_view Trimmed(std::string_view v) {
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
  return v;
}

// A check goes on after each of these, with the value left out.
void Refuse(const std::string& what) { Problem("SEPA: " + what); }
void RefuseRecord(long record, const std::string& what) {
  Refuse("Satz " + std::to_string(record) + ": " + what);
}

// Appended piece by piece: GCC 12 flags `"\"" + std::string` with a
// false -Wrestrict at -O2.
std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  quoted += MessageText(text);
  quoted += '"';
  return quoted;
}

bool AllDigits(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// The IBAN of one party; a bank code or account that gives none ends the
// run (a check is told, and gets an empty IBAN).
std::string IbanOrRefuse(std::string_view bankCode, std::string_view account, long record,
                         const char* whose) {
  AccountIban result = IbanOf(bankCode, account);
  switch (result.problem) {
    case AccountProblem::kNone: return result.iban;
    case AccountProblem::kBankCode:
      RefuseRecord(record, std::string("Bankleitzahl") + whose + " " + Quoted(bankCode) +
                               " hat nicht 8 Ziffern");
      break;
    case AccountProblem::kAccount:
      RefuseRecord(record, std::string("Kontonummer") + whose + " " + Quoted(account) +
                               " ist leer, 0 oder keine Zahl mit höchstens 10 Ziffern");
      break;
    case AccountProblem::kIban:
      RefuseRecord(record, std::string("IBAN") + whose + " " + Quoted(account) + " ist ungültig (" +
                               IbanProblemText(result.ibanProblem, result.iban) + ")");
      break;
  }
  return {};
}

}  // namespace

bool SpkSepaChosen(const Settings& settings) {
  const std::string_view format = Trimmed(settings.spkFormat);
  if (format.empty() || format == "DTAUS") return false;
  if (format == "SEPA") return true;
  Problem("SPK_FORMAT=" + MessageText(settings.spkFormat) +
          " : Format unbekannt (DTAUS oder SEPA)");
  return false;  // a check goes on with the DTAUS file
}

SpkSepa::SpkSepa(const Settings& settings, std::int64_t now, PaymentAccounts& accounts)
    : settings_(settings),
      now_(now),
      accounts_(accounts),
      codePage_(settings.spkZeichensatz == 850 ? CodePage::kDos850 : CodePage::kWindows1252) {
  const std::string_view kind = Trimmed(settings.spkKennzeichen);
  if (kind == "GK") {
    header_.message = SepaMessage::kCreditTransfer;
  } else if (kind == "LK") {
    header_.message = SepaMessage::kDirectDebit;
  } else {
    Refuse("SPK_KENNZEICHEN " + Quoted(kind) +
           " muss GK (Überweisungen) oder LK (Lastschriften) sein");
  }
  const bool debit = header_.message == SepaMessage::kDirectDebit;

  // Written as it is printed on letters: in groups, in small letters.
  header_.bic = NormalisedBic(settings.spkBic);
  if (const BicProblem problem = CheckBic(header_.bic);
      !header_.bic.empty() && problem != BicProblem::kNone) {
    Refuse("BIC " + Quoted(header_.bic) + " ist ungültig (" + BicProblemText(problem) + ")");
    header_.bic.clear();
  }

  // The run date, and the day the payments are due: a credit transfer
  // by default on the run date (the bank carries it out on its next
  // business day), a direct debit by default on the next business day,
  // the shortest lead the core scheme allows. SPK_VORLAUF gives another
  // number of business days after the run date.
  const std::chrono::year_month_day today =
      ParseGermanDate(StringTime(now, "%d.%m.%Y")).value_or(std::chrono::year_month_day{});
  int lead = debit ? 1 : 0;
  if (const std::string_view v = Trimmed(settings.spkVorlauf); !v.empty()) {
    if (AllDigits(v, 3))
      lead = std::atoi(std::string(v).c_str());
    else
      Refuse("SPK_VORLAUF " + Quoted(v) + " ist keine Anzahl von Tagen");
  }
  const std::chrono::year_month_day due = AddBusinessDays(today, lead);
  header_.date = IsoDate(due);
  header_.created = StringTime(now, "%Y-%m-%dT%H:%M:%S");
  header_.batchBooking = settings.spkSammelbuchung;

  if (!debit) return;
  header_.creditorId = NormalisedCreditorId(settings.spkGlaeubigerId);
  if (header_.creditorId.empty())
    Refuse("Gläubiger-Identifikationsnummer (SPK_GLAEUBIGERID) fehlt");
  else if (!IsValidCreditorId(header_.creditorId))
    Refuse("Gläubiger-Identifikationsnummer " + Quoted(header_.creditorId) + " ist ungültig");

  const std::string_view signed_ = Trimmed(settings.spkMandatDatum);
  const std::optional<std::chrono::year_month_day> mandateDate = ParseGermanDate(signed_);
  if (signed_.empty()) {
    Refuse("Mandatsdatum (SPK_MANDATDATUM) fehlt");
  } else if (!mandateDate) {
    Refuse("Mandatsdatum " + Quoted(signed_) + " ist kein Datum TT.MM.JJJJ");
  } else if (due < *mandateDate) {
    Refuse("Mandatsdatum " + Quoted(signed_) + " liegt nach dem Fälligkeitstag " + IsoDate(due));
  } else {
    header_.mandateDate = IsoDate(*mandateDate);
  }

  header_.sequence = Trimmed(settings.spkSequenz);
  if (header_.sequence.empty()) header_.sequence = "RCUR";
  if (header_.sequence != "RCUR" && header_.sequence != "FRST" && header_.sequence != "OOFF" &&
      header_.sequence != "FNAL")
    Refuse("SPK_SEQUENZ " + Quoted(header_.sequence) + " ist nicht FRST, RCUR, OOFF oder FNAL");

  if (const std::string_view v = Trimmed(settings.spkMandatFeld); !v.empty()) {
    if (AllDigits(v, 3))
      mandateField_ = std::atoi(std::string(v).c_str());
    else
      Refuse("SPK_MANDATFELD " + Quoted(v) + " ist keine Feldnummer");
  }
}

void SpkSepa::Add(long long cents, std::string_view purpose, const Record& fields,
                  const std::string& ownBankCode, const std::string& ownAccount, long recordNumber,
                  bool numbersTold) {
  ++offered_;
  SepaPayment p;
  // Exactly the cents of the DTAUS record, which has dropped the sign.
  p.cents = cents;
  // The writer has refused an amount below one cent, a negative one
  // included (in a check it left 0 here): such a payment is left out.
  bool ok = p.cents > 0;

  std::string ownIban;
  if (numbersTold) {
    ok = false;
  } else {
    p.iban = IbanOrRefuse(fields.Text(305), fields.Text(310), recordNumber, "");
    ownIban = IbanOrRefuse(ownBankCode, ownAccount, recordNumber, " des Auftraggebers");
    ok = ok && !p.iban.empty() && !ownIban.empty();
    const AccountSource where{recordNumber};
    if (!p.iban.empty()) accounts_.CheckIban(p.iban, where, "");
    // The originator's account is the same in most records: checked once
    // each time it changes.
    if (!ownIban.empty() && ownIban != ownChecked_) {
      accounts_.CheckIban(ownIban, where, " des Auftraggebers");
      ownChecked_ = ownIban;
    }
  }

  p.name = SepaText(fields.Text(205), kNameLength, codePage_);
  if (p.name.empty()) {
    RefuseRecord(recordNumber, "Name (Feld 205) fehlt");
    ok = false;
  }
  std::string ownName = SepaText(fields.Text(325), kNameLength, codePage_);
  if (ownName.empty()) ownName = SepaText(settings_.spkKunde, kNameLength, codePage_);
  if (ownName.empty()) {
    RefuseRecord(recordNumber, "Name des Auftraggebers (Feld 325 oder SPK_KUNDE) fehlt");
    ok = false;
  }
  if (header_.initiator.empty()) header_.initiator = ownName;

  p.remittance = SepaText(purpose, kRemittanceLength, codePage_);

  p.endToEndId = SepaIdentifier(fields.Text(100), codePage_);
  if (p.endToEndId.empty()) p.endToEndId = "NOTPROVIDED";

  if (header_.message == SepaMessage::kDirectDebit) {
    const std::string_view text = fields.Text(mandateField_);
    std::string_view mandate = Trimmed(text);
    if (mandate.empty()) {
      RefuseRecord(recordNumber,
                   "Mandatsreferenz (Feld " + std::to_string(mandateField_) + ") fehlt");
      ok = false;
    } else if (!IsSepaIdentifier(mandate)) {
      RefuseRecord(recordNumber, "Mandatsreferenz " + Quoted(mandate) +
                                     " hat mehr als 35 Zeichen, unzulässige Zeichen oder \"/\" am "
                                     "Anfang, am Ende oder doppelt");
      ok = false;
    }
    p.mandateId = mandate;
  }
  if (ok) document_.Add(ownIban, ownName, std::move(p));
}

void SpkSepa::CheckNotEmpty() const {
  // A run cancelled before its first record: a document without a payment
  // is refused by every bank.
  if (offered_ == 0) Refuse("keine Zahlung, keine Datei geschrieben");
}

void SpkSepa::Write(LineSink& out, long long diskNumber) const {
  SepaHeader header = header_;
  // Unique over the runs and traceable: the run's date and time, and the
  // diskette number that the cover note carries.
  header.messageId =
      (StringTime(now_, "%Y%m%d%H%M%S") + "-" + std::to_string(diskNumber)).substr(0, 35);
  document_.Write(header, [&out](const std::string& piece) { out.PutRaw(piece); });
}

}  // namespace zeko
