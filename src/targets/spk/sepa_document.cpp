#include "targets/spk/sepa_document.h"

#include <cstdio>

#include "targets/spk/sepa_text.h"

namespace zeko {
namespace {

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(long z) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return CivilDate{static_cast<int>(yoe + era * 400 + (m <= 2)), m, d};
}

// Easter Sunday of the Gregorian calendar, as days since 1970-01-01.
long EasterSunday(int year) {
  const int a = year % 19, b = year / 100, c = year % 100;
  const int h = (19 * a + b - b / 4 - (b - (b + 8) / 25 + 1) / 3 + 15) % 30;
  const int l = (32 + 2 * (b % 4) + 2 * (c / 4) - h - c % 4) % 7;
  const int m = (a + 11 * h + 22 * l) / 451;
  const int month = (h + l - 7 * m + 114) / 31;
  const int day = (h + l - 7 * m + 114) % 31 + 1;
  return DaysFromCivil(year, month, day);
}

bool IsBusinessDay(long days) {
  const long weekday = ((days % 7) + 7 + 3) % 7;  // 0 = Monday; 1970-01-01 was a Thursday
  if (weekday >= 5) return false;
  const CivilDate date = CivilFromDays(days);
  if ((date.month == 1 && date.day == 1) || (date.month == 5 && date.day == 1) ||
      (date.month == 12 && (date.day == 25 || date.day == 26)))
    return false;
  const long easter = EasterSunday(date.year);
  return days != easter - 2 && days != easter + 1;
}

// The XML of the document with its indentation.
class Xml {
 public:
  Xml(std::string& out, int depth) : out_(out), depth_(depth) {}
  void Open(const char* tag) {
    Indent();
    out_ += '<';
    out_ += tag;
    out_ += ">\n";
    ++depth_;
  }
  void Close(const char* tag) {
    --depth_;
    Indent();
    out_ += "</";
    out_ += tag;
    out_ += ">\n";
  }
  void Leaf(const char* tag, std::string_view text, const char* attribute = nullptr) {
    Indent();
    out_ += '<';
    out_ += tag;
    if (attribute) {
      out_ += ' ';
      out_ += attribute;
    }
    out_ += '>';
    AppendXml(out_, text);
    out_ += "</";
    out_ += tag;
    out_ += ">\n";
  }
  // <outer><inner>...<leaf>text</leaf></inner></outer> for a path of tags.
  void Nested(std::initializer_list<const char*> tags, std::string_view text) {
    const char* const* last = tags.end() - 1;
    for (const char* const* t = tags.begin(); t != last; ++t) Open(*t);
    Leaf(*last, text);
    for (const char* const* t = last; t != tags.begin();) Close(*--t);
  }

 private:
  void Indent() { out_.append(static_cast<std::size_t>(depth_) * 2, ' '); }
  std::string& out_;
  int depth_;
};

void Agent(Xml& xml, const char* tag, const std::string& bic) {
  if (bic.empty()) {
    // Since 2016 the IBAN alone identifies the account: the bank is left
    // to the clearing.
    xml.Nested({tag, "FinInstnId", "Othr", "Id"}, "NOTPROVIDED");
  } else {
    xml.Nested({tag, "FinInstnId", "BICFI"}, bic);
  }
}

}  // namespace

bool CivilDate::ParseGerman(std::string_view text, CivilDate& date) {
  int parts[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int part = 0;
  for (char c : text) {
    if (c == '.') {
      if (++part > 2) return false;
    } else if (c >= '0' && c <= '9') {
      parts[part] = parts[part] * 10 + (c - '0');
      if (++digits[part] > 4) return false;
    } else {
      return false;
    }
  }
  if (part != 2 || digits[0] < 1 || digits[0] > 2 || digits[1] < 1 || digits[1] > 2 ||
      digits[2] != 4)
    return false;
  if (parts[1] < 1 || parts[1] > 12 || parts[0] < 1 || parts[0] > DaysInMonth(parts[2], parts[1]))
    return false;
  date = CivilDate{parts[2], parts[1], parts[0]};
  return true;
}

std::string CivilDate::Iso() const {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

CivilDate CivilDate::AddBusinessDays(int n) const {
  long days = DaysFromCivil(year, month, day);
  for (int i = 0; i < n;)
    if (IsBusinessDay(++days)) ++i;
  return CivilFromDays(days);
}

std::string FormatCents(std::int64_t cents) {
  char text[40];
  std::snprintf(text, sizeof text, "%lld.%02lld", static_cast<long long>(cents / 100),
                static_cast<long long>(cents % 100));
  return text;
}

void SepaDocument::Add(const std::string& ownIban, const std::string& ownName,
                       SepaPayment payment) {
  Block* block = nullptr;
  for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it) {
    if (it->iban == ownIban) {
      block = &*it;
      break;
    }
  }
  if (block == nullptr) {
    blocks_.push_back(Block{ownIban, ownName, 0, {}});
    block = &blocks_.back();
  }
  block->cents += payment.cents;
  totalCents_ += payment.cents;
  ++count_;
  block->payments.push_back(std::move(payment));
}

void SepaDocument::Write(const SepaHeader& h,
                         const std::function<void(const std::string&)>& put) const {
  const bool debit = h.message == SepaMessage::kDirectDebit;
  std::string text;
  text += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  text += debit ? "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:pain.008.001.08\">\n"
                : "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:pain.001.001.09\">\n";
  Xml body(text, 1);
  const char* root = debit ? "CstmrDrctDbtInitn" : "CstmrCdtTrfInitn";
  body.Open(root);
  body.Open("GrpHdr");
  body.Leaf("MsgId", h.messageId);
  body.Leaf("CreDtTm", h.created);
  body.Leaf("NbOfTxs", std::to_string(count_));
  body.Leaf("CtrlSum", FormatCents(totalCents_));
  body.Nested({"InitgPty", "Nm"}, h.initiator);
  body.Close("GrpHdr");

  int blockNumber = 0;
  for (const Block& block : blocks_) {
    body.Open("PmtInf");
    body.Leaf("PmtInfId", (h.messageId + "-" + std::to_string(++blockNumber)).substr(0, 35));
    body.Leaf("PmtMtd", debit ? "DD" : "TRF");
    body.Leaf("NbOfTxs", std::to_string(block.payments.size()));
    body.Leaf("CtrlSum", FormatCents(block.cents));
    body.Open("PmtTpInf");
    body.Nested({"SvcLvl", "Cd"}, "SEPA");
    if (debit) {
      body.Nested({"LclInstrm", "Cd"}, "CORE");
      body.Leaf("SeqTp", h.sequence);
    }
    body.Close("PmtTpInf");
    if (debit) {
      body.Leaf("ReqdColltnDt", h.date);
    } else {
      body.Nested({"ReqdExctnDt", "Dt"}, h.date);
    }
    const char* own = debit ? "Cdtr" : "Dbtr";
    body.Nested({own, "Nm"}, block.name);
    body.Nested({debit ? "CdtrAcct" : "DbtrAcct", "Id", "IBAN"}, block.iban);
    Agent(body, debit ? "CdtrAgt" : "DbtrAgt", h.bic);
    body.Leaf("ChrgBr", "SLEV");
    if (debit) {
      body.Open("CdtrSchmeId");
      body.Open("Id");
      body.Open("PrvtId");
      body.Open("Othr");
      body.Leaf("Id", h.creditorId);
      body.Nested({"SchmeNm", "Prtry"}, "SEPA");
      body.Close("Othr");
      body.Close("PrvtId");
      body.Close("Id");
      body.Close("CdtrSchmeId");
    }
    for (const SepaPayment& p : block.payments) {
      const char* tx = debit ? "DrctDbtTxInf" : "CdtTrfTxInf";
      body.Open(tx);
      body.Nested({"PmtId", "EndToEndId"}, p.endToEndId);
      if (debit) {
        body.Leaf("InstdAmt", FormatCents(p.cents), "Ccy=\"EUR\"");
        body.Open("DrctDbtTx");
        body.Open("MndtRltdInf");
        body.Leaf("MndtId", p.mandateId);
        body.Leaf("DtOfSgntr", h.mandateDate);
        body.Close("MndtRltdInf");
        body.Close("DrctDbtTx");
        Agent(body, "DbtrAgt", "");
      } else {
        body.Open("Amt");
        body.Leaf("InstdAmt", FormatCents(p.cents), "Ccy=\"EUR\"");
        body.Close("Amt");
      }
      const char* other = debit ? "Dbtr" : "Cdtr";
      body.Nested({other, "Nm"}, p.name);
      body.Nested({debit ? "DbtrAcct" : "CdtrAcct", "Id", "IBAN"}, p.iban);
      if (!p.remittance.empty()) body.Nested({"RmtInf", "Ustrd"}, p.remittance);
      body.Close(tx);
      put(text);
      text.clear();
    }
    body.Close("PmtInf");
  }
  body.Close(root);
  text += "</Document>\n";
  put(text);
}

}  // namespace zeko
