/* charset_test.cpp: the file's code page told from its letters, the
 * conversion of its text to UTF-8, and a text that no longer fits once
 * converted. */
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "cdf_reader.h"
#include "charset.h"
#include "columns.h"
#include "failure.h"
#include "memory_file.h"

namespace {

TEST(Charset, ToldFromTheLetters) {
  const struct { const char *name; std::string bytes; int32_t charset; int32_t sure; } cases[] = {
    {"ASCII only", "Name,City\nAnn,Koeln\n", CDF_CHARSET_UNDECIDED, 1},
    {"UTF-8", "Ren\xc3\xa9" "e,M\xc3\xbcnchen\n", CDF_UTF8, 1},
    {"UTF-8 cut at the end", "Ren\xc3\xa9" "e,M\xc3", CDF_UTF8, 1},
    {"CP850 German", "M\x81nchen,Stra\xe1" "e,K\x94ln,\x8e" "u\xe1" "erst\n", CDF_CP850, 1},
    {"CP850 French", "Ren\x82" "e,gar\x87on,tr\x8a" "s\n", CDF_CP850, 1},
    {"CP850 Danish", "K\x9b" "benhavn,\x9d" "resund\n", CDF_CP850, 1},
    {"WINDOWS-1252 German", "M\xfcnchen,Stra\xdf" "e,K\xf6ln\n", CDF_WINDOWS_1252, 1},
    {"WINDOWS-1252 French", "Ren\xe9" "e,caf\xe9,gar\xe7on\n", CDF_WINDOWS_1252, 1},
    {"a lone sign, no letter near", "Price,\xa3\n", CDF_WINDOWS_1252, 0},
    {"letters both ways", "x\xe3y\n", CDF_WINDOWS_1252, 0},
  };
  for (const auto &c : cases) {
    int32_t sure = -1;
    EXPECT_EQ(GuessCdfCharset((const unsigned char *)c.bytes.data(), (int32_t)c.bytes.size(), &sure), c.charset)
        << c.name;
    EXPECT_EQ(sure, c.sure) << c.name;
  }
}

TEST(Charset, ConvertedToUtf8InPlace) {
  const struct { int32_t charset; std::string in, out; int32_t size, length; } cases[] = {
    {CDF_CP850, "Ren\x82" "e M\x81nchen \x9b \xe1", "Ren\xc3\xa9" "e M\xc3\xbcnchen \xc3\xb8 \xc3\x9f", 64, 21},
    {CDF_CP437, "\x9b \xe0 \xc4", "\xc2\xa2 \xce\xb1 \xe2\x94\x80", 64, 9},
    {CDF_WINDOWS_1252, "\x80 \xe9 \x81", "\xe2\x82\xac \xc3\xa9 \xc2\x81", 64, 9},
    {CDF_LATIN1, "\x80 \xe9", "\xc2\x80 \xc3\xa9", 64, 5},
    {CDF_UTF8, "\xc3\xa9", "\xc3\xa9", 64, 2},
    {CDF_CP850, "plain", "plain", 6, 5},
    {CDF_CP850, "\x82\x82", "\xc3\xa9\xc3\xa9", 5, 4},
    {CDF_CP850, "\x82\x82", "\x82\x82", 4, -1}, /* no room: unchanged */
  };
  for (const auto &c : cases) {
    UseCdfCharset(c.charset);
    ResetCdfCharset();
    char text[64];
    memcpy(text, c.in.c_str(), c.in.size() + 1);
    int32_t n = ConvertCdfText(text, (int32_t)c.in.size(), c.size);
    EXPECT_EQ(std::string(text), c.out) << CdfCharsetName(c.charset) << " " << c.in;
    EXPECT_EQ(n, c.length) << c.in;
  }
  UseCdfCharset(CDF_CHARSET_UNDECIDED);
}

/* A file read whole at every read size: the first line with a byte from
 * 0x80 up settles the code page, the header's or a record's; names and
 * texts are converted, numbers and dates are as they were; a field that
 * no longer fits fails at its line. */
TEST(Charset, RecordsOfADosFile) {
  const struct { const char *name; std::string file; std::string name1, text0, text1; } cases[] = {
    {"settled by the header", "Name,Gr\x94\xe1" "e,N@N\nRen\x82" "e,M\x81nchen,12\n", "Gr\xc3\xb6\xc3\x9f" "e",
     "Ren\xc3\xa9" "e", "M\xc3\xbcnchen"},
    {"settled by a record", "Name,City,N@N\nAnn,Bonn,1\nRen\x82" "e,M\x81nchen,12\n", "City", "Ren\xc3\xa9" "e",
     "M\xc3\xbcnchen"},
  };
  int32_t endOfFile = 0, endOfLine = 0;
  UseCdfCharset(CDF_CHARSET_UNDECIDED);
  for (const auto &c : cases)
    for (int readSize : {1, 3, 7, 65536}) {
      SCOPED_TRACE(std::string(c.name) + ", read size " + std::to_string(readSize));
      OpenMemoryFile(c.file, readSize);
      ASSERT_EQ(ReadCdfHeader(&endOfFile), 1);
      EXPECT_STREQ(g_columns[1].name, c.name1.c_str());
      do ASSERT_EQ(ReadCdfRecord(&endOfFile, &endOfLine), 1);
      while (g_columns[2].number != 12.0 && !endOfFile);
      EXPECT_EQ(g_cdfCharset, CDF_CP850);
      EXPECT_STREQ(g_columns[0].text, c.text0.c_str());
      EXPECT_STREQ(g_columns[1].text, c.text1.c_str());
    }

  UseCdfCharset(CDF_CP850);
  OpenMemoryFile("a,b\n1,2\n3," + std::string(20000, '\x82') + "\n", 65536);
  ASSERT_EQ(ReadCdfHeader(&endOfFile), 1);
  ASSERT_EQ(ReadCdfRecord(&endOfFile, &endOfLine), 1);
  EXPECT_EQ(ReadCdfRecord(&endOfFile, &endOfLine), 0);
  EXPECT_EQ(g_cdfFailure, CDF_FIELD_TOO_LONG_AS_UTF8);
  EXPECT_EQ(g_cdfFailureLine, 3);
  UseCdfCharset(CDF_CHARSET_UNDECIDED);
}

}  // namespace
