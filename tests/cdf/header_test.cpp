/* header_test.cpp: the header line into the column table: names, type
 * markers, scaled numbers, option groups, the end of the line and the
 * limits of the table. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cdf_reader.h"
#include "columns.h"
#include "memory_file.h"

namespace {

using namespace std::string_literals;

struct Col {
  std::string name;
  int type;
  int groupStart;
  int scaled;
  long length;
};

struct HeaderCase {
  const char *name;
  std::string input;
  int endOfFile;
  std::vector<Col> columns;
};

const long NTS = SQL_NTS;
const long DBL = sizeof(double);

const HeaderCase kCases[] = {
  {"empty file", "", 1, {}},
  {"blank lines only", "\r\n\r\n", 1, {}},
  {"two text columns", "Name,Phone\r\nx", 0, {{"Name", COL_TEXT, 0, 0, NTS}, {"Phone", COL_TEXT, 0, 0, NTS}}},
  {"no line break", "Name", 1, {{"Name", COL_TEXT, 0, 0, NTS}}},
  {"blank lines before the header", "\n\nA\n", 0, {{"A", COL_TEXT, 0, 0, NTS}}},
  {"ampersands and scaled number", "A&m&&t@N*\n", 0, {{"Amt", COL_NUMBER, 0, 1, DBL}}},
  {"plain number, spaced asterisk", "B@n,C@N *\n", 0, {{"B", COL_NUMBER, 0, 0, DBL}, {"C", COL_NUMBER, 0, 0, DBL}}},
  {"markers in either case", "a@D,b@m,c@g,d@L,e@t,f@c\n", 0,
   {{"a", COL_DATE, 0, 0, NTS}, {"b", COL_TIME, 0, 0, NTS}, {"c", COL_LIST, 0, 0, NTS},
    {"d", COL_LONGTEXT, 0, 0, NTS}, {"e", COL_TEXT, 0, 0, NTS}, {"f", COL_CHECK, 0, 0, DBL}}},
  {"unknown markers give text", "x@X,y@,z@\xe9\n", 0,
   {{"x", COL_TEXT, 0, 0, NTS}, {"y", COL_TEXT, 0, 0, NTS}, {"z", COL_TEXT, 0, 0, NTS}}},
  {"only the first @ counts", "A@B@N\n", 0, {{"A", COL_TEXT, 0, 0, NTS}}},
  {"ampersand after @ is the marker", "A@&N,B@C&\n", 0, {{"A", COL_TEXT, 0, 0, NTS}, {"B", COL_CHECK, 0, 0, DBL}}},
  {"asterisk after other marker ignored", "D@D*\n", 0, {{"D", COL_DATE, 0, 0, NTS}}},
  {"option groups", "a@O,b@O,c@O*,d@O,e@C,f@o,g@O\n", 0,
   {{"a", COL_OPTION, 1, 0, DBL}, {"b", COL_OPTION, 0, 0, DBL}, {"c", COL_OPTION, 1, 0, DBL},
    {"d", COL_OPTION, 0, 0, DBL}, {"e", COL_CHECK, 0, 0, DBL}, {"f", COL_OPTION, 1, 0, DBL},
    {"g", COL_OPTION, 0, 0, DBL}}},
  {"first option starred", "a@O*\n", 0, {{"a", COL_OPTION, 1, 0, DBL}}},
  {"empty name between commas", "a,,b\n", 0, {{"a", COL_TEXT, 0, 0, NTS}, {"", COL_TEXT, 0, 0, NTS}, {"b", COL_TEXT, 0, 0, NTS}}},
  {"marker only or ampersands only", "a,@N\n", 0, {{"a", COL_TEXT, 0, 0, NTS}, {"", COL_NUMBER, 0, 0, DBL}}},
  {"ampersands only", "&&\n", 0, {{"", COL_TEXT, 0, 0, NTS}}},
  {"empty quoted last field", "a,\"\"\r\nb", 0, {{"a", COL_TEXT, 0, 0, NTS}}},
  {"only field is an empty quoted pair", "\"\"\n", 0, {}},
  {"comma at end of file", "a,b,", 1, {{"a", COL_TEXT, 0, 0, NTS}, {"b", COL_TEXT, 0, 0, NTS}}},
  {"comma before the line break ends the line", "Name,Phone,\r\nx,y\r\n", 0,
   {{"Name", COL_TEXT, 0, 0, NTS}, {"Phone", COL_TEXT, 0, 0, NTS}}},
  {"quoted name with comma and marker", "\"Due, date@D\",\"a\"\"b\"\n", 0,
   {{"Due, date", COL_DATE, 0, 0, NTS}, {"a\"b", COL_TEXT, 0, 0, NTS}}},
  {"UTF-8 mark skipped", "\xef\xbb\xbfName,Age@N\r\n", 0, {{"Name", COL_TEXT, 0, 0, NTS}, {"Age", COL_NUMBER, 0, 0, DBL}}},
  {"UTF-8 mark alone", "\xef\xbb\xbf", 1, {}},
  {"UTF-8 mark only at the start", "a,\xef\xbb\xbf" "b\n", 0, {{"a", COL_TEXT, 0, 0, NTS}, {"\xef\xbb\xbf" "b", COL_TEXT, 0, 0, NTS}}},
  {"a mark's first bytes are part of the name", "\xef\xbb\xa0" "x\n", 0, {{"\xef\xbb\xa0" "x", COL_TEXT, 0, 0, NTS}}},
  {"0 byte before padding ends the header", std::string("a,b\0\0\x1a", 6), 1, {{"a", COL_TEXT, 0, 0, NTS}, {"b", COL_TEXT, 0, 0, NTS}}},
};

void ExpectColumns(const std::vector<Col> &want) {
  ASSERT_EQ(g_columnCount, (int32_t)want.size());
  for (size_t i = 0; i < want.size(); i++) {
    const ImportColumn &c = g_columns[i];
    SCOPED_TRACE("column " + std::to_string(i));
    EXPECT_EQ(std::string(c.name), want[i].name);
    EXPECT_EQ(c.type, want[i].type);
    EXPECT_EQ(c.groupStart, want[i].groupStart);
    EXPECT_EQ(c.scaled, want[i].scaled);
    EXPECT_EQ((long)c.length, want[i].length);
    EXPECT_STREQ(c.text, "");
    EXPECT_EQ(c.number, 0.0);
    EXPECT_EQ(c.date.year + c.date.month + c.date.day, 0);
  }
}

/* Leaves old values in the table, so the header must reset every field. */
void DirtyTable() {
  for (ImportColumn &c : g_columns) {
    c.type = COL_LIST;
    c.groupStart = c.scaled = 1;
    c.text[0] = 'x';
    c.text[1] = 0;
    c.number = 9;
    c.date.year = c.date.month = c.date.day = 3;
    c.length = 99;
  }
}

TEST(HeaderReader, MarkersGroupsAndLineEnds) {
  for (const HeaderCase &c : kCases)
    for (int size : {1, 2, 3, 4, 5, 7, 8, 13, 65536}) {
      SCOPED_TRACE(std::string(c.name) + ", read size " + std::to_string(size));
      DirtyTable();
      OpenMemoryFile(c.input, size);
      int32_t eof = 5;
      ASSERT_EQ(ReadCdfHeader(&eof), 1);
      EXPECT_EQ(eof, c.endOfFile);
      ExpectColumns(c.columns);
    }
}

TEST(HeaderReader, FieldErrorsFail) {
  for (const std::string &input : {"a,\"b\"x\n"s, "\"abc"s, "a,\"b\"\\n"s, "a,b\0,c\n"s, "a,b\0\0\x1a\n"s}) {
    OpenMemoryFile(input, 65536);
    int32_t eof;
    EXPECT_EQ(ReadCdfHeader(&eof), 0) << input;
  }
}

std::string Fields(int n, const std::string &last) {
  std::string s;
  for (int i = 0; i < n; i++) s += "c" + std::to_string(i) + ",";
  return s + last;
}

TEST(HeaderReader, ColumnLimit) {
  const struct { std::string input; int result; int count; } cases[] = {
    {Fields(255, "last\n"), 1, 256},
    {Fields(256, "\n"), 1, 256},       /* trailing comma: an empty last field */
    {Fields(256, "\"\"\n"), 1, 256},
    {Fields(256, "x\n"), 0, 256},      /* a 257th column */
  };
  for (const auto &c : cases) {
    OpenMemoryFile(c.input, 65536);
    int32_t eof;
    EXPECT_EQ(ReadCdfHeader(&eof), c.result);
    EXPECT_EQ(g_columnCount, c.count);
  }
}

TEST(HeaderReader, NameLimit) {
  const struct { size_t length; int result; } cases[] = {{8191, 1}, {8192, 0}, {100000, 0}};
  for (const auto &c : cases) {
    OpenMemoryFile("a," + std::string(c.length, 'n') + "\n", 65536);
    int32_t eof;
    EXPECT_EQ(ReadCdfHeader(&eof), c.result) << c.length;
    if (c.result) {
      EXPECT_EQ(strlen(g_columns[1].name), c.length);
    }
  }
}

}  // namespace
