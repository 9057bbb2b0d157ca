#include "targets/khk8/khk8_layouts.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zeko {
namespace {

// The generated tax blocks must land on the row numbers of the import format
// (1-based row, field, prefix).
struct RowCheck {
  int dataType;
  std::size_t row;
  std::uint32_t field;
  const char* prefix;
};

TEST(Khk8Layout, TaxBlocksSitWhereTheLinesExpectThem) {
  const RowCheck checks[] = {
      {1, 11, 901, ""},   {1, 19, 909, ""},    {1, 25, 0, "RAE8"},  {1, 27, 901, ""},
      {1, 35, 909, ""},   {1, 36, 185, ""},    {3, 22, 0, "REE8"},  {3, 32, 909, ""},
      // RELEASE 2, data type 1: blocks of five rows, then blocks of three.
      {11, 33, 117, ""},  {11, 34, 940, ""},   {11, 35, 911, ""},   {11, 39, 941, ""},
      {11, 78, 929, ""},  {11, 79, 910, ""},   {11, 80, 0, "RAE97"}, {11, 85, 940, ""},
      {11, 109, 948, ""}, {11, 111, 909, ""},
      // RELEASE 2, data type 3: digit rows, then four empty blocks per line.
      {13, 31, 117, ""},  {13, 32, 0, "0"},    {13, 37, 0, "1"},    {13, 72, 0, "8"},
      {13, 76, 929, ""},  {13, 77, 0, ""},     {13, 96, 0, ""},     {13, 97, 910, ""},
      {13, 103, 0, "0"},  {13, 127, 0, "8"},   {13, 129, 909, ""},  {13, 130, 0, ""},
      {13, 141, 0, ""},
  };
  for (const RowCheck& c : checks) {
    const MapTable table = khk8::Layout(DataTypeOf(c.dataType % 10), c.dataType > 10);
    ASSERT_LE(c.row, table.size());
    const MapEntry& row = table[c.row - 1];
    EXPECT_EQ(row.field, c.field) << "layout " << c.dataType << " row " << c.row;
    EXPECT_STREQ(row.a, c.prefix) << "layout " << c.dataType << " row " << c.row;
  }
}

}  // namespace
}  // namespace zeko
