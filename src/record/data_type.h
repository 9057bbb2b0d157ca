// The kind of data of a whole run: the host exports one kind at a time and
// names it in field 010 of every record; the first record's value counts.
#pragma once

namespace zeko {

// The numbers are those of field 010. The captions ("Rechnungsausgang" ...)
// belong to the dialog that shows them.
enum class DataType : int {
  kNone = 0,  // before the first record, or no valid number in it
  kOutgoingInvoices = 1,
  kCustomerAddresses = 2,
  kIncomingInvoices = 3,
  kSupplierAddresses = 4,
  kIncomingPayments = 5,
};

// A number of field 010 that names a kind of data.
constexpr bool IsValidDataType(int number) {
  return number >= static_cast<int>(DataType::kOutgoingInvoices) &&
         number <= static_cast<int>(DataType::kIncomingPayments);
}

// The kind of data a number of field 010 names; kNone for any other number.
constexpr DataType DataTypeOf(int number) {
  return IsValidDataType(number) ? static_cast<DataType>(number) : DataType::kNone;
}

// The number again: the index of the per-type settings (NAME1 to NAME5 ...).
constexpr int DataTypeNumber(DataType type) { return static_cast<int>(type); }

// Bookings: invoices and payments.
constexpr bool IsBookingData(DataType type) {
  return type == DataType::kOutgoingInvoices || type == DataType::kIncomingInvoices ||
         type == DataType::kIncomingPayments;
}
constexpr bool IsAddressData(DataType type) {
  return type == DataType::kCustomerAddresses || type == DataType::kSupplierAddresses;
}
// Incoming invoices and supplier addresses: the supplier's side.
constexpr bool IsSupplierData(DataType type) {
  return type == DataType::kIncomingInvoices || type == DataType::kSupplierAddresses;
}

}  // namespace zeko
