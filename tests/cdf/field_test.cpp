/* field_test.cpp: the field reader's transitions, escapes and limits,
 * each case read with the byte source at several buffer sizes. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "byte_source.h"
#include "field.h"
#include "memory_file.h"

namespace {

struct Field {
  int result;
  std::string text;
  int endOfLine;
  int endOfFile;
};

struct FieldCase {
  const char *name;
  std::string input;
  std::vector<Field> fields;
};

const int kReadSizes[] = {1, 2, 3, 4, 5, 7, 8, 13, CDF_BUFFER_SIZE};

std::string S(const char *s, size_t n) { return std::string(s, n); }

const FieldCase kCases[] = {
  {"empty file", "", {{1, "", 0, 1}}},
  {"comma ends field", "a,b", {{1, "a", 0, 0}, {1, "b", 0, 1}}},
  {"two commas give an empty field", "a,,b", {{1, "a", 0, 0}, {1, "", 0, 0}, {1, "b", 0, 1}}},
  {"leading comma", ",a", {{1, "", 0, 0}, {1, "a", 0, 1}}},
  {"CR LF: LF skipped by next call", "a\r\nb\n", {{1, "a", 1, 0}, {1, "b", 1, 0}, {1, "", 0, 1}}},
  {"blank lines vanish", "\r\n\n\r\na", {{1, "a", 0, 1}}},
  {"line break after comma ends the line", "a,\r\nb", {{1, "a", 0, 0}, {1, "", 1, 0}, {1, "b", 0, 1}}},
  {"LF after comma", "a,\nb", {{1, "a", 0, 0}, {1, "", 1, 0}, {1, "b", 0, 1}}},
  {"comma bit is not kept past a field", "a,b\r\n\r\nc", {{1, "a", 0, 0}, {1, "b", 1, 0}, {1, "c", 0, 1}}},
  {"quoted keeps comma and breaks", "\"a,b\r\nc\",d", {{1, "a,b\r\nc", 0, 0}, {1, "d", 0, 1}}},
  {"doubled quote", "\"say \"\"hi\"\"\"\n", {{1, "say \"hi\"", 1, 0}, {1, "", 0, 1}}},
  {"empty quoted at line end", "a,\"\"\rb", {{1, "a", 0, 0}, {1, "", 1, 0}, {1, "b", 0, 1}}},
  {"quoted then end of file", "\"a\"", {{1, "a", 0, 1}}},
  {"quote inside unquoted is data", "a\"b\",c", {{1, "a\"b\"", 0, 0}, {1, "c", 0, 1}}},
  {"space before quote makes it unquoted", " \"a,b\"", {{1, " \"a", 0, 0}, {1, "b\"", 0, 1}}},
  {"byte after closing quote fails", "\"a\" ,b", {{0, "a", 0, 0}}},
  {"open quote at end of file fails", "\"abc", {{0, "abc", 0, 1}}},
  {"0 byte before padding ends like end of file", S("ab\0\0\x1a\0", 6), {{1, "ab", 0, 1}, {1, "", 0, 1}}},
  {"0 byte last in file ends it", S("a,b\0", 4), {{1, "a", 0, 0}, {1, "b", 0, 1}, {1, "", 0, 1}}},
  {"0 byte inside quotes fails", S("\"ab\0", 4), {{0, "ab", 0, 1}}},
  {"bytes from 0x80 are data", "\xe9t\xe9\xff", {{1, "\xe9t\xe9\xff", 0, 1}}},
  {"escape n and N", "a\\nb\\Nc", {{1, "a\r\nb\r\nc", 0, 1}}},
  {"escape r and R store nothing", "a\\rb\\Rc", {{1, "abc", 0, 1}}},
  {"escape quote in unquoted", "a\\\"b", {{1, "a\"b", 0, 1}}},
  {"escape quote in quoted", "\"a\\\"b\"", {{1, "a\"b", 0, 1}}},
  {"escapes n and other inside quotes", "\"a\\nb\\x,\\Rc\"", {{1, "a\r\nb\\x,c", 0, 1}}},
  {"escaped comma stays with backslash", "a\\,b,c", {{1, "a\\,b", 0, 0}, {1, "c", 0, 1}}},
  {"escaped backslash stays two", "a\\\\b", {{1, "a\\\\b", 0, 1}}},
  {"escaped CR stays in field", "a\\\rb", {{1, "a\\\rb", 0, 1}}},
  {"escape r then n gives one CR LF", "\\r\\n", {{1, "\r\n", 0, 1}}},
  {"field starting with escape is unquoted", "\\r\r\n", {{1, "", 1, 0}, {1, "", 0, 1}}},
  {"escape at start then quote is data", "\\x\"a\"", {{1, "\\x\"a\"", 0, 1}}},
  {"backslash last byte outside quotes", "ab\\", {{1, "ab\\", 0, 0}, {1, "", 0, 1}}},
  {"backslash last byte at field start", "\\", {{1, "\\", 0, 0}, {1, "", 0, 1}}},
  {"backslash then 0 inside quotes fails", "\"ab\\", {{0, "ab\\", 0, 0}}},
  {"backslash after closing quote fails", "\"ab\"\\n", {{0, "ab\\", 0, 0}}},
};

void ReadCase(const FieldCase &c, int readSize) {
  OpenMemoryFile(c.input, readSize);
  char out[64];
  for (size_t i = 0; i < c.fields.size(); i++) {
    const Field &want = c.fields[i];
    int32_t eol = 7, eof = 7;
    int32_t got = ReadCdfField(out, sizeof out, &eol, &eof);
    SCOPED_TRACE("field " + std::to_string(i));
    ASSERT_EQ(got, want.result);
    EXPECT_EQ(std::string(out), want.text);
    EXPECT_EQ(eol, want.endOfLine);
    EXPECT_EQ(eof, want.endOfFile);
  }
}

TEST(FieldReader, EveryTransitionAndEscapeAtEveryBufferSize) {
  for (const FieldCase &c : kCases)
    for (int size : kReadSizes) {
      SCOPED_TRACE(std::string(c.name) + ", read size " + std::to_string(size));
      ReadCase(c, size);
    }
}

TEST(FieldReader, FailedReadLeavesFlagsClearAndStops) {
  const std::string input = "abc,def";
  for (size_t failAt = 0; failAt < input.size(); failAt++)
    for (int size : kReadSizes) {
      OpenMemoryFile(input, size, failAt);
      char out[16];
      int32_t eol = 1, eof = 1;
      int32_t got = ReadCdfField(out, sizeof out, &eol, &eof);
      if (failAt > 3) { /* the first field is complete before the failure */
        ASSERT_EQ(got, 1);
        got = ReadCdfField(out, sizeof out, &eol, &eof);
      }
      EXPECT_EQ(got, 0) << "fail at " << failAt << " size " << size;
      EXPECT_EQ(eol, 0);
      EXPECT_EQ(eof, 0);
    }
}

TEST(FieldReader, FailedReadOfTheByteAfterABackslash) {
  OpenMemoryFile("a\\n", 1, 2);
  char out[8];
  int32_t eol, eof;
  EXPECT_EQ(ReadCdfField(out, sizeof out, &eol, &eof), 0);
}

TEST(FieldReader, FieldThatDoesNotFitFailsWithoutOverrun) {
  const struct { std::string input; int fits; } cases[] = {
    {std::string(7, 'x') + ",", 1},
    {std::string(8, 'x') + ",", 0},
    {"\"" + std::string(8, 'q') + "\"", 0},
    {"\\n\\n\\n\\nx", 0}, /* four escapes store eight bytes */
    {"\\n\\n\\nx", 1},
  };
  for (const auto &c : cases)
    for (int size : kReadSizes) {
      OpenMemoryFile(c.input, size);
      char out[9];
      out[8] = '#';
      int32_t eol, eof;
      EXPECT_EQ(ReadCdfField(out, 8, &eol, &eof), c.fits) << c.input;
      EXPECT_EQ(out[8], '#') << "wrote past the buffer for " << c.input;
    }
}

TEST(FieldReader, NullBufferConsumesAFieldOfAnyLength) {
  std::string big(200000, 'z');
  OpenMemoryFile("\"" + big + "\"," + big + "\nnext", CDF_BUFFER_SIZE);
  int32_t eol, eof;
  ASSERT_EQ(ReadCdfField(nullptr, 0, &eol, &eof), 1);
  EXPECT_EQ(eol + eof, 0);
  ASSERT_EQ(ReadCdfField(nullptr, 0, &eol, &eof), 1);
  EXPECT_EQ(eol, 1);
  char out[16];
  ASSERT_EQ(ReadCdfField(out, sizeof out, &eol, &eof), 1);
  EXPECT_STREQ(out, "next");
}

}  // namespace
