// The host's input field numbers with a meaning of their own: one definition
// each. Layout tables name their input fields by plain number, as the
// printed layouts do; code that reads or rewrites a field names it here.
// Row numbers that mean something in one target's layouts only (above the
// host's fields) belong to that target.
#pragma once

namespace zeko {

namespace fld {
// Run and record control.
inline constexpr int kDataType = 10;
inline constexpr int kLayoutNumber = 11;  // GENERIC: FIELDSA..FIELDSE for this record
inline constexpr int kConsolidation = 15;
inline constexpr int kGroupKey = 25;  // KHK8 grouping
inline constexpr int kRunDate = 198;
inline constexpr int kGroupEnd = 998;  // presort: ends a group, keeps its place

// Bookings.
inline constexpr int kDocumentNumber = 100;
inline constexpr int kDocumentDate = 105;  // also the placeholders of the output name
inline constexpr int kContraAccount = 110;
inline constexpr int kMandant = 112;
inline constexpr int kAnwender = 113;
inline constexpr int kAmount = 115;
inline constexpr int kAmount2 = 116;
inline constexpr int kTaxAmount117 = 117;
inline constexpr int kTaxAmount118 = 118;
inline constexpr int kAccount = 120;
inline constexpr int kTaxCode = 125;
inline constexpr int kDiscountFlag = 126;
inline constexpr int kDiscountAlt = 127;
inline constexpr int kTaxAmount130 = 130;
inline constexpr int kTaxAmount131 = 131;
inline constexpr int kTermsText = 139;  // "N30 S10 P2.5"
inline constexpr int kTermsCode = 140;  // SSPPNN
inline constexpr int kTermsPercent = 141;
inline constexpr int kTermsDiscountDays = 142;
inline constexpr int kTermsNetDays = 143;
inline constexpr int kTwoDigits145 = 145;
inline constexpr int kDate146 = 146;
inline constexpr int kDate147 = 147;
inline constexpr int kDocumentNumber2 = 153;
inline constexpr int kKeyBase = 161;
inline constexpr int kNewFileMark = 166;
inline constexpr int kRecordKind = 187;
inline constexpr int kCurrencyNumber = 190;
inline constexpr int kCurrencyCode = 191;
inline constexpr int kPriceUnit = 196;  // 100: amounts of code 30 in hundredths
inline constexpr int kDebitCredit = 199;

// Addresses.
inline constexpr int kPostcode = 217;
inline constexpr int kCity = 220;
inline constexpr int kTwoDigits230 = 230;
inline constexpr int kYesNo235 = 235;
inline constexpr int kAddressLine290 = 290;
inline constexpr int kKind294 = 294;
inline constexpr int kAddressLine295 = 295;
inline constexpr int kAddressLine296 = 296;

// Payments (SPK).
inline constexpr int kBankCode = 305;
inline constexpr int kBankAccount = 310;
inline constexpr int kSpkKennzeichen = 335;
inline constexpr int kSpkBlz = 340;
inline constexpr int kSpkKunde = 345;
inline constexpr int kSpkKonto = 350;
inline constexpr int kSpkReferenz = 355;
}  // namespace fld

}  // namespace zeko
