#include "sepa/sepa_document.h"

#include <cstdio>
#include <string_view>

#include "sepa/sepa_text.h"

namespace zeko {
namespace {

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

// "12.50" for 1250 cents.
std::string FormatCents(std::int64_t cents) {
  char text[40];
  std::snprintf(text, sizeof text, "%lld.%02lld", static_cast<long long>(cents / 100),
                static_cast<long long>(cents % 100));
  return text;
}

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
    if (h.batchBooking) body.Leaf("BtchBookg", *h.batchBooking ? "true" : "false");
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
