// ConvertField: a layout row's type code chooses the conversion.
#include "convert/convert.h"

#include "convert/conversions.h"
#include "lib/error.h"
#include "lib/messages.h"

namespace zeko {

namespace {

void Convert(char* out, const MapEntry& row, char* value, std::size_t length,
             const Record& fields) {
  const int field = static_cast<int>(row.field);
  switch (row.type) {
    case kNumber:
    case kNumberTimes10:
    case kNumberCents:
    case kNumberZeroFilled:
    case kNumberTwoDecimals:
    case kNumberZeroFilledBlankZero:
    case kCentsAbsoluteMarked:
    case kDecimalComma:
    case kCentsLeadingSign:
    case kCentsAbsolute:
    case kCentsTrailingSign: ConvertNumber(out, row, value); return;
    case kBinary32: PlaceBinary32(out, field, value, row.a); return;
    case kText:
    case kTextTrimmed:
    case kTextUpper: ConvertText(out, row, value, length); return;
    case kDateDDMMYY: ConvertDate(kLayoutDDMMYY, out, value, field); return;
    case kDateYYYYMMDD: ConvertDate(kLayoutYYYYMMDD, out, value, field); return;
    case kDateMM: ConvertDate(kLayoutMM, out, value, field); return;
    case kDateDDMM: ConvertDate(kLayoutDDMM, out, value, field); return;
    case kDateSlashed: ConvertDate(kLayoutDDslashMMslashYY, out, value, field); return;
    case kDateYY: ConvertDate(kLayoutYY, out, value, field); return;
    case kDateDDMMYYYY: ConvertDate(kLayoutDDMMYYYY, out, value, field); return;
    case kDateMMYY: ConvertDate(kLayoutMMYY, out, value, field); return;
    case kSixDecimals: ConvertSixDecimals(out, row, value, fields); return;
    default: ErrorExit("%s", msg::kConversionError);
  }
}

}  // namespace

void ConvertField(char* out, const MapEntry& row, char* value, const Record& fields) {
  Convert(out, row, value, kUnmeasured, fields);
}

void ConvertField(char* out, const MapEntry& row, char* value, std::size_t length,
                  const Record& fields) {
  Convert(out, row, value, value ? length : 0, fields);
}

}  // namespace zeko
