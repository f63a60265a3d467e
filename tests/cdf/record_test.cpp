/* record_test.cpp: record lines into the column table (short and long
 * lines, the end of the file, tables of one column, fields at every place
 * of the reader's window) and the conversion of every type, numbers bit
 * for bit. */
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>

#include <string>
#include <vector>

#include "cdf_reader.h"
#include "columns.h"
#include "convert.h"
#include "failure.h"
#include "field.h"
#include "memory_file.h"

namespace {

struct Outcome {
  int result;
  int endOfLine;
  int endOfFile;
  std::vector<std::string> texts; /* checked when the line is a record */
};

struct RecordCase {
  const char *name;
  std::string file;
  std::vector<Outcome> reads;
};

const RecordCase kCases[] = {
  {"records then final line break", "a,b\r\n1,2\r\n3,4\r\n",
   {{1, 0, 0, {"1", "2"}}, {1, 0, 0, {"3", "4"}}, {1, 1, 1, {}}}},
  {"last line without line break is a record", "a,b\n1,2\n3,4",
   {{1, 0, 0, {"1", "2"}}, {1, 0, 1, {"3", "4"}}}},
  {"short line clears the rest", "a,b,c\n1,2,3\n4,5\n",
   {{1, 0, 0, {"1", "2", "3"}}, {1, 0, 0, {"4", "5", ""}}, {1, 1, 1, {}}}},
  {"long line drops its surplus", "a,b\n1,2,x,\"y,z\"\n3,4\n",
   {{1, 0, 0, {"1", "2"}}, {1, 0, 0, {"3", "4"}}, {1, 1, 1, {}}}},
  {"line of one field is no record", "a,b\n   \n1,2\n",
   {{1, 1, 0, {}}, {1, 0, 0, {"1", "2"}}, {1, 1, 1, {}}}},
  {"last line of one field at end of file", "a,b\n1,2\nx",
   {{1, 0, 0, {"1", "2"}}, {1, 1, 1, {}}}},
  {"trailing comma fills the last column", "a,b,c\na,b,\nd,e,f\n",
   {{1, 0, 0, {"a", "b", ""}}, {1, 0, 0, {"d", "e", "f"}}, {1, 1, 1, {}}}},
  {"trailing comma as surplus keeps the next line", "a,b\na,b,\nd,e\n",
   {{1, 0, 0, {"a", "b"}}, {1, 0, 0, {"d", "e"}}, {1, 1, 1, {}}}},
  {"one column: every line is a record", "Name\nann\n\nbob\n",
   {{1, 0, 0, {"ann"}}, {1, 0, 0, {"bob"}}, {1, 1, 1, {}}}},
  {"one column: last line without break", "Name\nann\nbob",
   {{1, 0, 0, {"ann"}}, {1, 0, 1, {"bob"}}}},
  {"one column: DOS end mark is no record", "Name\r\nann\r\n\x1a",
   {{1, 0, 0, {"ann"}}, {1, 1, 1, {}}}},
  {"one column: empty quoted line is a record", "Name\n\"\"\n",
   {{1, 0, 0, {""}}, {1, 1, 1, {}}}},
  {"no columns: whole line is surplus", "\"\"\nx,y\n\nz\n",
   {{1, 0, 0, {}}, {1, 0, 0, {}}, {1, 1, 1, {}}}},
  {"no columns: last line without break", "\"\"\nx,y", {{1, 0, 1, {}}}},
  {"0 byte before more rows fails after the rows before it", std::string("a,b\n1,2\n3\0,4\n5,6\n", 17),
   {{1, 0, 0, {"1", "2"}}, {0, 0, 0, {}}}},
  {"0 byte before a line break fails", std::string("a,b\n1,2\0\n5,6\n", 13), {{0, 0, 0, {}}}},
  {"0 byte then padding ends the last record", std::string("a,b\n1,2\0\0\x1a", 11),
   {{1, 0, 1, {"1", "2"}}}},
  {"field error fails", "a,b\n1,\"2\"x\n", {{0, 0, 0, {}}}},
  {"quote open at end fails", "a,b\n1,\"2", {{0, 0, 1, {}}}},
};

void Check(const RecordCase &c, int readSize) {
  OpenMemoryFile(c.file, readSize);
  int32_t eof = 0, eol = 0;
  ASSERT_EQ(ReadCdfHeader(&eof), 1);
  ASSERT_EQ(eof, 0);
  for (size_t i = 0; i < c.reads.size(); i++) {
    const Outcome &want = c.reads[i];
    SCOPED_TRACE("read " + std::to_string(i));
    ASSERT_EQ(ReadCdfRecord(&eof, &eol), want.result);
    if (!want.result) return;
    EXPECT_EQ(eol, want.endOfLine);
    EXPECT_EQ(eof, want.endOfFile);
    if (eol) continue;
    for (size_t k = 0; k < want.texts.size(); k++) EXPECT_EQ(std::string(g_columns[k].text), want.texts[k]);
  }
}

TEST(RecordReader, LinesAndEndsAtEveryBufferSize) {
  for (const RecordCase &c : kCases)
    for (int size : {1, 2, 3, 4, 5, 7, 8, 13, 65536}) {
      SCOPED_TRACE(std::string(c.name) + ", read size " + std::to_string(size));
      Check(c, size);
    }
}

/* A failed read anywhere in the file is reported as a failure, never
 * taken for the end of the file, whatever the read size. */
TEST(RecordReader, FailedReadAtEveryByteIsReported) {
  const std::string file = "Name,Amt@N*,Born@D\r\n\"Ann, \"\"A\"\"\",12.34,19991231\r\nbob,\\n5-,\r\n";
  for (size_t failAt = 0; failAt < file.size(); failAt++)
    for (int size : {1, 2, 3, 7, 65536}) {
      SCOPED_TRACE("fail at " + std::to_string(failAt) + ", read size " + std::to_string(size));
      OpenMemoryFile(file, size, failAt);
      int32_t eof = 0, eol = 0;
      int32_t ok = ReadCdfHeader(&eof);
      while (ok && !eof) ok = ReadCdfRecord(&eof, &eol);
      EXPECT_EQ(ok, 0);
    }
}

/* A 0 byte ends the data only when the rest of the file is padding (0
 * and 0x1A bytes); before anything else the read fails, and the records
 * before it have been read. The look-ahead crosses every buffer boundary,
 * and a failed read inside it is a failure too. */
TEST(RecordReader, ZeroByteIsPaddingOrAFailure) {
  const std::string head = "a,b\r\n1,2\r\n";
  const std::string nul(1, '\0');
  const std::string pad = nul + nul + "\x1a" + nul;
  const std::string block(70000, '\0');
  const struct {
    const char *name;
    std::string file;
    std::vector<std::vector<std::string>> records;
    int ends; /* 1: at the end of the data, 0: at a failure */
    size_t failAt;
  } cases[] = {
    {"0 at a line start, nothing after", head + nul, {{"1", "2"}}, 1, std::string::npos},
    {"0 at a line start, padding after", head + nul + pad, {{"1", "2"}}, 1, std::string::npos},
    {"0 ends a record", head + "3,4" + pad, {{"1", "2"}, {"3", "4"}}, 1, std::string::npos},
    {"0 after a comma", head + "3," + pad, {{"1", "2"}, {"3", ""}}, 1, std::string::npos},
    {"a block of padding", head + block, {{"1", "2"}}, 1, std::string::npos},
    {"a block of padding then a byte", head + block + "x", {{"1", "2"}}, 0, std::string::npos},
    {"0 then a record", head + nul + "3,4\r\n", {{"1", "2"}}, 0, std::string::npos},
    {"padding then a space", head + pad + " ", {{"1", "2"}}, 0, std::string::npos},
    {"0 inside a field", head + "3" + nul + "4,5\r\n", {{"1", "2"}}, 0, std::string::npos},
    {"0 before a line break", head + "3,4" + nul + "\r\n", {{"1", "2"}}, 0, std::string::npos},
    {"0 inside quotes before padding", head + "3,\"4" + pad, {{"1", "2"}}, 0, std::string::npos},
    {"0 inside quotes before text", head + "3,\"4" + nul + "5\"\r\n", {{"1", "2"}}, 0, std::string::npos},
    {"0 after a backslash before padding", head + "3,\\" + pad, {{"1", "2"}, {"3", "\\"}}, 1, std::string::npos},
    {"0 after a backslash before text", head + "3,\\" + nul + "n\r\n", {{"1", "2"}}, 0, std::string::npos},
    {"failed read inside the padding", head + block, {{"1", "2"}}, 0, head.size() + 40000},
  };
  for (const auto &c : cases)
    for (int size : {1, 2, 3, 7, 65536}) {
      SCOPED_TRACE(std::string(c.name) + ", read size " + std::to_string(size));
      OpenMemoryFile(c.file, size, c.failAt);
      int32_t eof = 0, eol = 0;
      ASSERT_EQ(ReadCdfHeader(&eof), 1);
      std::vector<std::vector<std::string>> records;
      int32_t ok = 1;
      while (ok && !eof) {
        ok = ReadCdfRecord(&eof, &eol);
        if (ok && !eol) records.push_back({g_columns[0].text, g_columns[1].text});
      }
      EXPECT_EQ(ok, c.ends);
      EXPECT_EQ(records, c.records);
    }
}

/* The fields of a line are found in windows of the buffer: a field may
 * start or end at any place of a window, cross into the next one, be
 * longer than one, hold doubled quotes, or need the byte loop (after which
 * a refill may have moved the bytes). A leading field of every length up to past two
 * windows shifts each kind of field through every place, line after line
 * in one file, read with both scans at several read sizes. */
TEST(RecordReader, FieldsAtEveryPlaceOfTheWindow) {
  const struct { std::string field, text; } kinds[] = {
    {"abc", "abc"},
    {"", ""},
    {"\"a,b\r\nc\"", "a,b\r\nc"},
    {"\"O\"\"B\"", "O\"B"},
    /* doubled quotes at the ends, in a row, and a quote inside an unquoted field */
    {"\"\"\"\"", "\""}, {"\"\"", ""}, {"\"\"\"a\"\"\"", "\"a\""}, {"\"a\"\"\"\"b\"", "a\"\"b"},
    {"a\"b", "a\"b"}, {"a\"\"", "a\"\""},
    {"\"" + std::string(30, 'p') + "\"\"" + std::string(30, 'p') + "\"", std::string(30, 'p') + "\"" + std::string(30, 'p')},
    {std::string(70, 'w'), std::string(70, 'w')},
    {"\"" + std::string(70, 'q') + "\"", std::string(70, 'q')},
  };
  for (const auto &kind : kinds) {
    std::string file = "a,b,c\r\n";
    for (int lead = 0; lead < 140; lead++) file += std::string(lead, 'x') + "," + kind.field + ",z\r\n";
    for (int32_t scan : {CDF_SCAN_VECTOR, CDF_SCAN_SCALAR})
      for (int size : {1, 13, 64, 65536}) {
        SCOPED_TRACE(kind.field + ", scan " + std::to_string(scan) + ", read size " + std::to_string(size));
        SetCdfFieldScan(scan);
        OpenMemoryFile(file, size);
        int32_t eof = 0, eol = 0;
        ASSERT_EQ(ReadCdfHeader(&eof), 1);
        for (int lead = 0; lead < 140; lead++) {
          ASSERT_EQ(ReadCdfRecord(&eof, &eol), 1) << "lead " << lead;
          ASSERT_EQ(eol, 0) << "lead " << lead;
          EXPECT_EQ(std::string(g_columns[0].text), std::string(lead, 'x')) << "lead " << lead;
          EXPECT_EQ(std::string(g_columns[1].text), kind.text) << "lead " << lead;
          EXPECT_EQ(std::string(g_columns[2].text), "z") << "lead " << lead;
        }
        ASSERT_EQ(ReadCdfRecord(&eof, &eol), 1);
        EXPECT_EQ(eol, 1);
        EXPECT_EQ(eof, 1);
      }
  }
  SetCdfFieldScan(CDF_SCAN_VECTOR);
}

/* Quotes out of place fail as in the byte loop, wherever they stand in
 * the window: text after a closing quote, or a lone quote between pairs. */
TEST(RecordReader, QuoteErrorsAtEveryPlaceOfTheWindow) {
  for (const char *field : {"\"a\"b", "\"a\"\"b\"c", "\"a\"\"\"b\"", "\"\"\"a\"b\"\""})
    for (int32_t scan : {CDF_SCAN_VECTOR, CDF_SCAN_SCALAR})
      for (int size : {1, 13, 65536})
        for (int lead = 0; lead < 140; lead += 3) {
          SCOPED_TRACE(std::string(field) + ", scan " + std::to_string(scan) + ", read size " +
                       std::to_string(size) + ", lead " + std::to_string(lead));
          SetCdfFieldScan(scan);
          OpenMemoryFile("a,b,c\r\n" + std::string(lead, 'x') + "," + field + ",z\r\n", size);
          int32_t eof = 0, eol = 0;
          ASSERT_EQ(ReadCdfHeader(&eof), 1);
          EXPECT_EQ(ReadCdfRecord(&eof, &eol), 0);
        }
  SetCdfFieldScan(CDF_SCAN_VECTOR);
}

TEST(RecordReader, FieldLimits) {
  const struct { std::string file; int result; } cases[] = {
    {"a,b\nx," + std::string(32767, 'v') + "\n", 1},
    {"a,b\nx," + std::string(32768, 'v') + "\n", 0},
    {"a,b\nx,y," + std::string(500000, 's') + "\n", 1}, /* surplus: consumed whole */
  };
  for (const auto &c : cases) {
    OpenMemoryFile(c.file, 65536);
    int32_t eof = 0, eol = 0;
    ASSERT_EQ(ReadCdfHeader(&eof), 1);
    EXPECT_EQ(ReadCdfRecord(&eof, &eol), c.result);
    if (c.result) {
      EXPECT_EQ(eol, 0);
    }
  }
}

uint64_t Bits(double d) {
  uint64_t b;
  memcpy(&b, &d, sizeof b);
  return b;
}

/* Reads one record of the given header and line and returns column i. */
const ImportColumn &ReadOne(const std::string &header, const std::string &line, int i) {
  OpenMemoryFile(header + "\n" + line + "\n", 65536);
  int32_t eof = 0, eol = 0;
  EXPECT_EQ(ReadCdfHeader(&eof), 1);
  EXPECT_EQ(ReadCdfRecord(&eof, &eol), 1);
  EXPECT_EQ(eol, 0);
  return g_columns[i];
}

TEST(Conversion, NumbersBitExact) {
  const struct { const char *text; int scaled; double want; } cases[] = {
    {"12.34", 0, 12.34}, {"1,234.5", 0, 1234.5}, {"1.999", 0, 1.99}, {"-1.5", 0, -1.5},
    {"1.5-", 0, -1.5}, {"1.23-", 0, 1.23}, {"1.2.34", 0, 12.34}, {".5", 0, 0.5}, {"7.", 0, 7.0},
    {"", 0, 0.0}, {"abc", 0, 0.0}, {"--3", 0, -3.0}, {"+4 2", 0, 42.0},
    {"12.34", 1, 1234.5}, {"-12.34", 1, -1234.5}, {"5-", 1, -500.5}, {"", 1, 0.5}, {"x-", 1, -0.5},
    {"2147483647", 0, 2147483647.0}, {"0.07", 1, (0.07 + 0.005) * 100.0},
    /* past 2^53 every step number * 10 + digit is rounded on its own, which
     * differs from rounding the whole integer once */
    {"9007199254740991", 0, 0x1.fffffffffffffp+52}, {"9007199254740993", 0, 0x1.0p+53},
    {"90071992547409931", 0, 0x1.4p+56}, {"9007199254740993", 1, 0x1.9p+59},
    {"18014398509481985.5", 0, 0x1.0p+54}, {"99999999999999999999.99", 0, 0x1.5af1d78b58c41p+66},
    {"123456789012345678901234567890", 0, 0x1.8ee90ff6c373dp+96},
    {"123456789012345678901234567890-", 1, -0x1.37a61478c8b28p+103},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(Bits(ConvertNumber(c.text, c.scaled)), Bits(c.want)) << c.text << " scaled " << c.scaled;
    /* a record's column takes the measured path, with its word-wide digit run */
    const ImportColumn &col = ReadOne(c.scaled ? "n@N*,x" : "n@N,x", "\"" + std::string(c.text) + "\",x", 0);
    EXPECT_EQ(Bits(col.number), Bits(c.want)) << c.text << " scaled " << c.scaled << " in a record";
  }
  /* every count of leading digits about the word's eight, with and without decimals */
  for (const char *tail : {"", ".5", ".25", ".257", "x", "-"})
    for (int digits = 0; digits <= 17; digits++) {
      std::string text = std::string("98765432109876543", digits) + tail;
      const ImportColumn &col = ReadOne("n@N,x", text + ",x", 0);
      EXPECT_EQ(Bits(col.number), Bits(ConvertNumber(text.c_str(), 0))) << text;
    }
}

TEST(Conversion, Dates) {
  const struct { const char *text; int year, month, day; long length; } cases[] = {
    {"19991231", 1999, 12, 31, 6}, {"19991345", 1999, 13, 45, 6}, {"1999123", 0, 0, 0, SQL_NULL_DATA},
    {"1999-12-31", 0, 0, 0, SQL_NULL_DATA}, {"", 0, 0, 0, SQL_NULL_DATA},
    {"0000a101", 0, 49 * 10 + 1, 1, 6}, /* not tested for digits: 'a' counts 49 */
  };
  for (const auto &c : cases) {
    const ImportColumn &col = ReadOne("d@D,x", std::string(c.text) + ",x", 0);
    EXPECT_EQ(col.date.year, c.year) << c.text;
    EXPECT_EQ(col.date.month, c.month) << c.text;
    EXPECT_EQ(col.date.day, c.day) << c.text;
    EXPECT_EQ((long)col.length, c.length) << c.text;
  }
}

TEST(Conversion, DateAfterNullIsSentAgain) {
  OpenMemoryFile("d@D,x\n,1\n20000101,2\n", 65536);
  int32_t eof = 0, eol = 0;
  ASSERT_EQ(ReadCdfHeader(&eof), 1);
  ASSERT_EQ(ReadCdfRecord(&eof, &eol), 1);
  EXPECT_EQ((long)g_columns[0].length, SQL_NULL_DATA);
  ASSERT_EQ(ReadCdfRecord(&eof, &eol), 1);
  EXPECT_EQ((long)g_columns[0].length, 6);
  EXPECT_EQ(g_columns[0].date.year, 2000);
}

TEST(Conversion, TimesListsAndTexts) {
  const struct { const char *header; const char *text; const char *want; } cases[] = {
    {"t@M", "0930", "09:30"}, {"t@M", "930", "930"}, {"t@M", "09:30", "09:30"}, {"t@M", "", ""},
    {"l@G", "a;b;", "a;b"}, {"l@G", "a;;", "a;"}, {"l@G", ";", ""}, {"l@G", "a;b", "a;b"}, {"l@G", "", ""},
    {"s@T", "0123", "0123"}, {"s@L", "a;", "a;"},
  };
  for (const auto &c : cases) {
    const ImportColumn &col = ReadOne(std::string(c.header) + ",x", std::string(c.text) + ",x", 0);
    EXPECT_STREQ(col.text, c.want) << c.header << " " << c.text;
  }
}

TEST(Conversion, ChecksAndOptionGroups) {
  const struct { const char *line; double a, d, e; } cases[] = {
    /* a,b,c form one group; d is a check box; e starts a group with f */
    {"0,1,0,1,1,0", 2, 1, 2}, {"1,0,0,0,0,0", 4, 0, 0}, {"0,0,1,10,0,1", 1, 1, 1},
    {"1,1,1, 1,Y,", 7, 0, 0}, {"0,0,0,0,1,1", 0, 0, 3},
  };
  for (const auto &c : cases) {
    ReadOne("a@O,b@O,c@O,d@C,e@O,f@O", c.line, 0);
    EXPECT_EQ(g_columns[0].number, c.a) << c.line;
    EXPECT_EQ(g_columns[3].number, c.d) << c.line;
    EXPECT_EQ(g_columns[4].number, c.e) << c.line;
  }
}

TEST(Conversion, LongOptionGroupsFoldStepByStep) {
  /* up to 53 members the group is an exact integer; past it each step
   * number * 2 + member is rounded on its own */
  for (int members : {2, 53, 54, 64}) {
    std::string header, line;
    for (int i = 0; i < members; i++) {
      header += (i ? ",o" : "o") + std::to_string(i) + "@O";
      line += i ? (i % 7 == 3 ? ",0" : ",1") : "1";
    }
    ReadOne(header + ",x", line + ",x", 0);
    for (int j = 0; j < members; j++) {
      double want = 0;
      for (int i = j; i < members; i++) want = want * 2.0 + (i % 7 == 3 ? 0.0 : 1.0);
      EXPECT_EQ(Bits(g_columns[j].number), Bits(want)) << members << " members, member " << j;
    }
  }
}

TEST(Conversion, ShortLineConvertsEmptyTexts) {
  const ImportColumn &n = ReadOne("a,n@N*,d@D,o@O,c@C", "x,", 1);
  EXPECT_EQ(n.number, 0.5);
  EXPECT_EQ((long)g_columns[2].length, SQL_NULL_DATA);
  EXPECT_EQ(g_columns[3].number, 0.0);
  EXPECT_EQ(g_columns[4].number, 0.0);
}

/* The line each record starts on, and the line of a failure, with the
 * buffer refilled at every place: CR LF, lone CR and LF, blank lines, a
 * quoted line break, a line of one field, a UTF-8 mark. */
TEST(RecordLines, CountedAcrossEveryRefill) {
  const struct { const char *name; std::string file; std::vector<int64_t> lines; int64_t failureLine; } cases[] = {
    {"every kind of break", "a,b\r\n1,2\n\n3,4\r5,6\r\n\r\n\"x\ny\",7\n8,9\n", {2, 4, 5, 7, 9, 10}, 0},
    {"line of one field", "a,b\nlonely\n\n1,2\n", {2, 4, 5}, 0},
    {"quoted fields after a quoted break", "a,b,c\n\"x\ny\",\"p\\\\q\",\"r\nz\"\n1,2,3\n", {2, 5, 6}, 0},
    {"mark, then a failure", "\xef\xbb\xbf" "a,b\n\n1,2\n3,\"4\"5\n", {3, 4}, 4},
    {"quote never closed", "a,b\n1,\"2\n\n3,4\n", {2}, 2},
  };
  for (const auto &c : cases) {
    for (int readSize : {1, 2, 3, 7, 65536}) {
      SCOPED_TRACE(std::string(c.name) + ", read size " + std::to_string(readSize));
      OpenMemoryFile(c.file, readSize);
      int32_t endOfFile = 0, endOfLine = 0;
      ASSERT_EQ(ReadCdfHeader(&endOfFile), 1);
      std::vector<int64_t> lines;
      int32_t result = 1;
      while (result && !endOfFile) {
        result = ReadCdfRecord(&endOfFile, &endOfLine);
        lines.push_back(CdfRecordLine());
      }
      EXPECT_EQ(lines, c.lines);
      EXPECT_EQ(result == 0, c.failureLine != 0);
      EXPECT_EQ(g_cdfFailureLine, c.failureLine);
    }
  }
}

/* The counts for the summary: values that lose digits of the text (a
 * digit after the second decimal; a fraction in a column that is not
 * scaled), dates that become NULL though written, lines of one field.
 * Both number paths, the usual shape and the rest, are taken. */
TEST(Report, LossesCountedByTheRule) {
  const struct { const char *text; int scaled; int cut; } numbers[] = {
    {"12", 0, 0}, {"12.00", 0, 0}, {"12.5", 0, 1}, {"-1.5", 0, 1}, {"1.999", 0, 1}, {"1.990", 0, 1}, {"1.990", 1, 0},
    {"1.001", 0, 1}, {"7.", 0, 0}, {"", 0, 0}, {"1,234.5", 0, 1}, {"1,234.00", 0, 0}, {"1.5-", 0, 1},
    {"1.23-", 0, 1}, {"12345678901234.5", 0, 1}, {"12.34", 1, 0}, {"12.345", 1, 1}, {"5-", 1, 0},
    {"1,2.345", 1, 1}, {"12.34x5", 1, 1}, {"12.34x", 1, 0},
  };
  for (const auto &c : numbers) {
    ReadOne(c.scaled ? "n@N*,x" : "n@N,x", "\"" + std::string(c.text) + "\",x", 0);
    EXPECT_EQ(g_cdfReport.cutNumbers, c.cut) << c.text << (c.scaled ? " scaled" : "");
  }
  const struct { const char *text; int nulled; } dates[] = {
    {"19991231", 0}, {"", 0}, {"1999123", 1}, {"1999-12-31", 1}, {"19991345", 0},
  };
  for (const auto &c : dates) {
    ReadOne("d@D,x", std::string(c.text) + ",x", 0);
    EXPECT_EQ(g_cdfReport.nullDates, c.nulled) << c.text;
  }
}

TEST(Report, SkippedLinesAndTheirNumbers) {
  const struct { const char *name; std::string file; int64_t count; std::vector<int64_t> first; } cases[] = {
    {"none", "a,b\n1,2\n", 0, {}},
    {"one-field lines", "a,b\n1,2\nx\n\n  \n3,4\ny", 3, {3, 5, 7}},
    {"more than are kept", "a,b\nq\nr\ns\nt\nu\nv\nw\n1,2\n", 7, {2, 3, 4, 5, 6}},
    {"the end is no line", "a,b\r\n1,2\r\n\x1a", 0, {}},
    {"one column: every line a record", "a\nx\ny\n", 0, {}},
  };
  for (const auto &c : cases) {
    OpenMemoryFile(c.file, 3);
    int32_t endOfFile = 0, endOfLine = 0;
    ASSERT_EQ(ReadCdfHeader(&endOfFile), 1);
    while (!endOfFile) ASSERT_EQ(ReadCdfRecord(&endOfFile, &endOfLine), 1);
    EXPECT_EQ(g_cdfReport.skippedLines, c.count) << c.name;
    std::vector<int64_t> first(g_cdfReport.firstSkipped,
                               g_cdfReport.firstSkipped + std::min<int64_t>(c.count, SKIPPED_LINES_KEPT));
    EXPECT_EQ(first, c.first) << c.name;
  }
}

}  // namespace
