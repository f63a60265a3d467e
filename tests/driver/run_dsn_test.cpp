/* run_dsn_test.cpp: whole runs through the real driver manager into our
 * data source, with a scripted front end; the rows are checked in SQLite. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run.h"
#include "scripted_ui.h"
#include "temp_cdf.h"
#include "dsn_environment.h"

TempDsn *g_dsn;

namespace {

const auto *const kEnvironment = ::testing::AddGlobalTestEnvironment(new DsnEnvironment);

void Import(const std::string &file, int cancelAtPump = 0) {
  UiScript script;
  script.chosenFile = file;
  script.cancelAtPump = cancelAtPump;
  UseScriptedUi(script);
  RunImport(nullptr);
}

TEST(RunDsn, ImportsEveryTypeExactly) {
  TempFolder dir;
  Import(dir.Write("people.cdf",
                   "Name,Phone,Born@D,At@M,Mr@O,Mrs@O,Ms@O,Vip@C,Tags@G,Amt@N,Price@N*,Notes@L\r\n"
                   "\"Baker, Ann\",0123,19991231,0930,0,1,0,1,a;b;,12.34,12.34,\"two\r\nlines\"\r\n"
                   "Bob \"B\",,1999123,930,1,0,0,0,x,-1.5,5-,\\n\r\n"
                   "\xe9l\xe8ve,007,20000229,,0,0,1,1,,1.999,,"));
  EXPECT_TRUE(g_messages.empty()) << g_messages[0];
  EXPECT_EQ(g_countShown, "3");
  EXPECT_EQ(g_dsn->Query("SELECT * FROM people"),
            "Baker, Ann|0123|1999-12-31 00:00:00|09:30|2|1|a;b|12|1234|two\r\nlines\n"
            "Bob \"B\"||NULL|930|4|0|x|-1|-500|\r\n\n"
            "\xc3\xa9l\xc3\xa8ve|007|2000-02-29 00:00:00||1|1||1|0|\n");
  EXPECT_EQ(g_dsn->Query("SELECT typeof(Phone), typeof(Amt), typeof(Mr) FROM people LIMIT 1"), "text|integer|integer\n");
}

TEST(RunDsn, RefusalsAndTheirMessages) {
  TempFolder dir;
  Import(dir.Write("dup.cdf", "a,b\n1,2\n"));
  ASSERT_TRUE(g_messages.empty());
  Import(dir.Write("dup.cdf", "a,b\n3,4\n"));
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_NE(g_messages[0].find("already exists"), std::string::npos) << g_messages[0];
  EXPECT_EQ(g_dsn->Query("SELECT * FROM dup"), "1|2\n"); /* nothing added to the existing table */

  Import(dir.Write("dates.cdf", "n@N,d@D\n1,19991231\n2,19991345\n3,20000101\n"));
  /* the driver's own text, after the line, the column and the value */
  EXPECT_EQ(g_messages, std::vector<std::string>{"dates.cdf, line 3, column d, value \"19991345\": [Lumetra] "
                                                 "Datetime field overflow: 1999-13-45 is no calendar date (parameter 2)"});
  EXPECT_EQ(g_countShown, "1");
  EXPECT_EQ(g_dsn->Query("SELECT n FROM dates"), "1\n");

  Import(dir.Write("empty.cdf", ""));
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_EQ(g_messages[0].rfind("Error reading file empty.cdf: there is no header line", 0), 0u) << g_messages[0];
  EXPECT_EQ(g_dsn->Query("SELECT count(*) FROM sqlite_master WHERE name = 'empty'"), "0\n");
}

/* Groups of 16 and 40 members with the first one set: the values that an
 * I2 column refused are stored whole. */
TEST(RunDsn, WideOptionGroupsStoredWhole) {
  TempFolder dir;
  std::string header = "n@N", first = "1", last = "2";
  for (int i = 0; i < 16; i++) header += ",a" + std::to_string(i) + "@O", first += i ? ",0" : ",1", last += i == 15 ? ",1" : ",0";
  for (int i = 0; i < 40; i++) header += ",b" + std::to_string(i) + (i ? "@O" : "@O*"), first += i ? ",0" : ",1", last += i == 39 ? ",1" : ",0";
  Import(dir.Write("groups.cdf", header + "\n" + first + "\n" + last + "\n"));
  EXPECT_TRUE(g_messages.empty()) << g_messages[0];
  EXPECT_EQ(g_dsn->Query("SELECT n, a0, typeof(a0), b0, typeof(b0) FROM groups"),
            "1|32768|integer|1" + std::string(39, '0') + "|text\n"
            "2|1|integer|" + std::string(39, '0') + "1|text\n");
}

TEST(RunDsn, HeaderOnlyAndCancel) {
  TempFolder dir;
  Import(dir.Write("header.cdf", "a,b"));
  EXPECT_TRUE(g_messages.empty());
  EXPECT_EQ(g_countShown, "");
  EXPECT_EQ(g_dsn->Query("SELECT count(*) FROM header"), "0\n");

  std::string many = "n@N,t\n";
  for (int i = 1; i <= 100; i++) many += std::to_string(i) + ",x\n";
  Import(dir.Write("cancelled.cdf", many), 3 + 40); /* Cancel at the 40th insert's pump */
  EXPECT_TRUE(g_messages.empty());
  EXPECT_EQ(g_countShown, "40");
  EXPECT_EQ(g_dsn->Query("SELECT count(*), max(n) FROM cancelled"), "40|40\n");
}

TEST(RunDsn, CountShownLastEqualsRowsOfALargerFile) {
  TempFolder dir;
  std::string body = "id@N,name,day@D\r\n";
  for (int i = 0; i < 5000; i++) body += std::to_string(i) + ",\"n, " + std::to_string(i) + "\",20240101\r\n";
  Import(dir.Write("bulk.cdf", body));
  EXPECT_TRUE(g_messages.empty());
  EXPECT_EQ(g_countShown, "5000");
  EXPECT_EQ(g_dsn->Query("SELECT count(*), sum(id) FROM bulk"), "5000|12497500\n");
}

/* The table modes in SQLite itself: a replacement that fails keeps the
 * old table and its rows; one that succeeds holds only the new rows; an
 * append adds to a table of the same columns and leaves one of others
 * untouched. */
TEST(RunDsn, ReplaceAndAppend) {
  TempFolder dir;
  Import(dir.Write("modes.cdf", "n@N,t\n1,a\n2,b\n"));
  ASSERT_TRUE(g_messages.empty()) << g_messages[0];
  g_importOptions.tableMode = TABLE_REPLACE;
  Import(dir.Write("modes.cdf", "n@N,t\n3,c\n4,\"d\"x\n"));
  EXPECT_EQ(g_messages.size(), 2u);
  EXPECT_EQ(g_dsn->Query("SELECT * FROM modes"), "1|a\n2|b\n");
  Import(dir.Write("modes.cdf", "n@N,t\n5,e\n"));
  EXPECT_TRUE(g_messages.empty()) << g_messages[0];
  EXPECT_EQ(g_dsn->Query("SELECT * FROM modes"), "5|e\n");
  g_importOptions.tableMode = TABLE_APPEND;
  Import(dir.Write("modes.cdf", "n@N,t\n6,f\n"));
  EXPECT_TRUE(g_messages.empty()) << g_messages[0];
  Import(dir.Write("modes.cdf", "n@D,t\n19990101,g\n"));
  EXPECT_EQ(g_messages, std::vector<std::string>{"modes.cdf not appended: the table \"modes\" has other columns than "
                                                 "the file: column 1 is n TIMESTAMP in the file but n INTEGER in the table"});
  g_importOptions.tableMode = TABLE_NEW;
  EXPECT_EQ(g_dsn->Query("SELECT * FROM modes"), "5|e\n6|f\n");
}

}  // namespace
