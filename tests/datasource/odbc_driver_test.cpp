/* odbc_driver_test.cpp: the Lumetra ODBC driver through the real unixODBC driver
 * manager, with the import utility's calls and bindings: the type words,
 * every parameter conversion and its errors as SQLError reports them,
 * refused statements, commit modes, and a second reader. */
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <string>
#include <vector>

#include "odbc_session.h"
#include "dsn_environment.h"

TempDsn *g_dsn;

namespace {

const auto *const kEnvironment = ::testing::AddGlobalTestEnvironment(new DsnEnvironment);

bool Ok(RETCODE rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

int g_tableNumber;
std::string NewTable() { return "t" + std::to_string(++g_tableNumber); }

/* The people table of the utility's example, bound exactly as it binds. */
struct PeopleInsert {
  OdbcSession s;
  char name[32768] = "";
  DATE_STRUCT born = {0, 0, 0};
  double mr = 0, vip = 0;
  char tags[32768] = "";
  SQLLEN nameLength = SQL_NTS, bornLength = 6, mrLength = 8, vipLength = 8, tagsLength = SQL_NTS;

  explicit PeopleInsert(const std::string &table) {
    EXPECT_TRUE(Ok(s.connected)) << s.Error(false);
    std::string create = "CREATE TABLE \"" + table + "\"(\"Name\"LPWSTR,\"Born\"FILETIME,\"Mr\"I2,\"Vip\"I2,\"Tags\"LPWSTR)";
    EXPECT_EQ(s.Exec(create), SQL_SUCCESS) << s.Error();
    EXPECT_EQ(SQLBindParameter(s.hstmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 32767, 0, name, 32767, &nameLength), SQL_SUCCESS);
    EXPECT_EQ(SQLBindParameter(s.hstmt, 2, SQL_PARAM_INPUT, SQL_C_DATE, SQL_TIMESTAMP, 16, 0, &born, 10, &bornLength), SQL_SUCCESS);
    EXPECT_EQ(SQLBindParameter(s.hstmt, 3, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_SMALLINT, 5, 0, &mr, 5, &mrLength), SQL_SUCCESS);
    EXPECT_EQ(SQLBindParameter(s.hstmt, 4, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_SMALLINT, 5, 0, &vip, 5, &vipLength), SQL_SUCCESS);
    EXPECT_EQ(SQLBindParameter(s.hstmt, 5, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 32767, 0, tags, 32767, &tagsLength), SQL_SUCCESS);
    std::string insert = "INSERT INTO \"" + table + "\" VALUES (?,?,?,?,?)";
    EXPECT_EQ(SQLPrepare(s.hstmt, (SQLCHAR *)insert.c_str(), SQL_NTS), SQL_SUCCESS) << s.Error();
  }
};

TEST(OdbcDriver, UtilitySequenceStoresTypedRows) {
  std::string table = NewTable();
  {
    PeopleInsert p(table);
    const struct { const char *name; DATE_STRUCT born; SQLLEN bornLength; double mr, vip; const char *tags; } rows[] = {
      {"0123", {1999, 12, 31}, 6, 2, 1, "a;b"},
      {"", {0, 0, 0}, SQL_NULL_DATA, 0, 0, ""},
      {"Zo\xe9, \"Z\"", {2000, 2, 29}, 6, 7, 0, "x"},
    };
    for (const auto &r : rows) {
      strcpy(p.name, r.name);
      p.born = r.born;
      p.bornLength = r.bornLength;
      p.mr = r.mr;
      p.vip = r.vip;
      strcpy(p.tags, r.tags);
      EXPECT_EQ(SQLExecute(p.s.hstmt), SQL_SUCCESS) << p.s.Error();
    }
  }
  EXPECT_EQ(g_dsn->Query("SELECT typeof(Name), Name, Born, typeof(Mr), Mr, Vip, Tags FROM " + table),
            "text|0123|1999-12-31 00:00:00|integer|2|1|a;b\n"
            "text||NULL|integer|0|0|\n"
            "text|Zo\xc3\xa9, \"Z\"|2000-02-29 00:00:00|integer|7|0|x\n"); /* Latin-1 stored as UTF-8 */
  EXPECT_EQ(g_dsn->Query("SELECT type FROM pragma_table_info('" + table + "')"), "TEXT\nTIMESTAMP\nSMALLINT\nSMALLINT\nTEXT\n");
}

struct NumberCase {
  SQLSMALLINT sqlType;
  double value;
  RETCODE rc;
  const char *state; /* SQLSTATE as SQLError gives it to an ODBC 2 application, "" for none */
  const char *stored;
};

const NumberCase kNumbers[] = {
  {SQL_INTEGER, 1234.0, SQL_SUCCESS, "", "1234"},
  {SQL_INTEGER, 1234.5, SQL_SUCCESS_WITH_INFO, "01S07", "1234"},
  {SQL_INTEGER, -1234.5, SQL_SUCCESS_WITH_INFO, "01S07", "-1234"},
  {SQL_INTEGER, 2147483647.0, SQL_SUCCESS, "", "2147483647"},
  {SQL_INTEGER, -2147483648.0, SQL_SUCCESS, "", "-2147483648"},
  {SQL_INTEGER, 2147483647.9, SQL_SUCCESS_WITH_INFO, "01S07", "2147483647"},
  {SQL_INTEGER, 2147483648.0, SQL_ERROR, "22003", nullptr},
  {SQL_INTEGER, -2147483649.0, SQL_ERROR, "22003", nullptr},
  {SQL_INTEGER, NAN, SQL_ERROR, "22003", nullptr},
  {SQL_INTEGER, INFINITY, SQL_ERROR, "22003", nullptr},
  {SQL_SMALLINT, 32767.0, SQL_SUCCESS, "", "32767"},
  {SQL_SMALLINT, -32768.5, SQL_SUCCESS_WITH_INFO, "01S07", "-32768"},
  {SQL_SMALLINT, 32768.0, SQL_ERROR, "22003", nullptr},
  {SQL_SMALLINT, 0.5, SQL_SUCCESS_WITH_INFO, "01S07", "0"},
};

TEST(OdbcDriver, DoubleToIntegerTypes) {
  for (const NumberCase &c : kNumbers) {
    std::string table = NewTable();
    OdbcSession s;
    ASSERT_TRUE(Ok(s.connected));
    ASSERT_EQ(s.Exec("CREATE TABLE \"" + table + "\"(\"n\"" + (c.sqlType == SQL_INTEGER ? "I4" : "I2") + ")"), SQL_SUCCESS);
    double value = c.value;
    SQLLEN length = 8;
    SQLULEN size = c.sqlType == SQL_INTEGER ? 10 : 5;
    ASSERT_EQ(SQLBindParameter(s.hstmt, 1, SQL_PARAM_INPUT, SQL_C_DOUBLE, c.sqlType, size, 0, &value, (SQLLEN)size, &length), SQL_SUCCESS);
    ASSERT_EQ(SQLPrepare(s.hstmt, (SQLCHAR *)("INSERT INTO \"" + table + "\" VALUES (?)").c_str(), SQL_NTS), SQL_SUCCESS);
    RETCODE rc = SQLExecute(s.hstmt);
    EXPECT_EQ(rc, c.rc) << c.value;
    if (rc != SQL_SUCCESS) {
      EXPECT_EQ(s.Error().substr(0, 5), c.state) << c.value << ": " << s.Error();
    }
    EXPECT_EQ(g_dsn->Query("SELECT n FROM " + table), c.stored ? std::string(c.stored) + "\n" : "") << c.value;
  }
}

struct DateCase {
  DATE_STRUCT date;
  RETCODE rc;
  const char *stored;
};

const DateCase kDates[] = {
  {{1999, 12, 31}, SQL_SUCCESS, "1999-12-31 00:00:00"}, {{2000, 2, 29}, SQL_SUCCESS, "2000-02-29 00:00:00"},
  {{1, 1, 1}, SQL_SUCCESS, "0001-01-01 00:00:00"},      {{1999, 13, 45}, SQL_ERROR, nullptr},
  {{1999, 4, 31}, SQL_ERROR, nullptr},                  {{1900, 2, 29}, SQL_ERROR, nullptr},
  {{0, 1, 1}, SQL_ERROR, nullptr},                      {{2001, 0, 10}, SQL_ERROR, nullptr},
  {{2001, 1, 0}, SQL_ERROR, nullptr},                   {{-5, 1, 1}, SQL_ERROR, nullptr},
};

TEST(OdbcDriver, DatesToTimestamps) {
  for (const DateCase &c : kDates) {
    std::string table = NewTable();
    OdbcSession s;
    ASSERT_EQ(s.Exec("CREATE TABLE \"" + table + "\"(\"d\"FILETIME)"), SQL_SUCCESS);
    DATE_STRUCT date = c.date;
    SQLLEN length = 6;
    ASSERT_EQ(SQLBindParameter(s.hstmt, 1, SQL_PARAM_INPUT, SQL_C_DATE, SQL_TIMESTAMP, 16, 0, &date, 10, &length), SQL_SUCCESS);
    ASSERT_EQ(SQLPrepare(s.hstmt, (SQLCHAR *)("INSERT INTO \"" + table + "\" VALUES (?)").c_str(), SQL_NTS), SQL_SUCCESS);
    EXPECT_EQ(SQLExecute(s.hstmt), c.rc) << c.date.year << "-" << c.date.month << "-" << c.date.day;
    if (c.rc == SQL_ERROR) {
      EXPECT_EQ(s.Error().substr(0, 5), "22008");
    }
    EXPECT_EQ(g_dsn->Query("SELECT d FROM " + table), c.stored ? std::string(c.stored) + "\n" : "");
  }
}

/* Timestamps keep their fraction of a second where the target holds it;
 * a date target drops the time of day with 01S07. */
TEST(OdbcDriver, TimestampsKeepTheirFraction) {
  const struct { TIMESTAMP_STRUCT t; SQLSMALLINT sqlType; RETCODE rc; const char *state, *stored; } cases[] = {
    {{2026, 12, 8, 1, 2, 3, 123456000}, SQL_TYPE_TIMESTAMP, SQL_SUCCESS, "", "2026-12-08 01:02:03.123456"},
    {{2026, 12, 8, 1, 2, 3, 500000000}, SQL_TYPE_TIMESTAMP, SQL_SUCCESS, "", "2026-12-08 01:02:03.5"},
    {{2026, 12, 8, 1, 2, 3, 1}, SQL_TYPE_TIMESTAMP, SQL_SUCCESS, "", "2026-12-08 01:02:03.000000001"},
    {{2026, 12, 8, 1, 2, 3, 0}, SQL_TYPE_TIMESTAMP, SQL_SUCCESS, "", "2026-12-08 01:02:03"},
    {{2026, 12, 8, 0, 0, 0, 0}, SQL_TYPE_DATE, SQL_SUCCESS, "", "2026-12-08"},
    {{2026, 12, 8, 0, 0, 0, 1000}, SQL_TYPE_DATE, SQL_SUCCESS_WITH_INFO, "01S07", "2026-12-08"},
    {{2026, 12, 8, 13, 0, 0, 0}, SQL_TYPE_DATE, SQL_SUCCESS_WITH_INFO, "01S07", "2026-12-08"},
    {{2026, 12, 8, 1, 2, 3, 1000000000}, SQL_TYPE_TIMESTAMP, SQL_ERROR, "22008", nullptr},
  };
  for (const auto &c : cases) {
    std::string table = NewTable();
    OdbcSession s;
    ASSERT_EQ(s.Exec("CREATE TABLE \"" + table + "\"(\"t\" TEXT)"), SQL_SUCCESS);
    TIMESTAMP_STRUCT t = c.t;
    SQLLEN length = sizeof t;
    ASSERT_EQ(SQLBindParameter(s.hstmt, 1, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, c.sqlType, 29, 9, &t, 0, &length),
              SQL_SUCCESS);
    ASSERT_EQ(SQLPrepare(s.hstmt, (SQLCHAR *)("INSERT INTO \"" + table + "\" VALUES (?)").c_str(), SQL_NTS),
              SQL_SUCCESS);
    EXPECT_EQ(SQLExecute(s.hstmt), c.rc) << c.t.hour << " " << c.t.fraction;
    if (*c.state) {
      EXPECT_EQ(s.Error().substr(0, 5), c.state);
    }
    EXPECT_EQ(g_dsn->Query("SELECT t FROM " + table), c.stored ? std::string(c.stored) + "\n" : "");
  }
}

TEST(OdbcDriver, TextLengthsNullsAndUnconvertedTypes) {
  std::string table = NewTable();
  OdbcSession s;
  ASSERT_EQ(s.Exec("CREATE TABLE \"" + table + "\"(\"a\"LPWSTR,\"b\"LONG_LPWSTR,\"c\"I4)"), SQL_SUCCESS);
  char a[16] = "abcdef", b[16] = "0042";
  SQLLEN aLength = 3, bLength = SQL_NTS, cLength = SQL_NULL_DATA;
  double c = 5;
  SQLBindParameter(s.hstmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 32767, 0, a, 32767, &aLength);
  SQLBindParameter(s.hstmt, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 32767, 0, b, 32767, &bLength);
  SQLBindParameter(s.hstmt, 3, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_INTEGER, 10, 0, &c, 10, &cLength);
  ASSERT_EQ(SQLPrepare(s.hstmt, (SQLCHAR *)("INSERT INTO " + table + " VALUES (?,?,?)").c_str(), SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(SQLExecute(s.hstmt), SQL_SUCCESS) << s.Error();
  EXPECT_EQ(g_dsn->Query("SELECT a, typeof(b), b, typeof(c) FROM " + table), "abc|text|0042|null\n");

  /* text for an integer column is not a conversion this driver makes */
  SQLBindParameter(s.hstmt, 3, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_INTEGER, 10, 0, a, 10, &bLength);
  EXPECT_EQ(SQLExecute(s.hstmt), SQL_ERROR);
  EXPECT_EQ(s.Error().substr(0, 5), "07006");
  EXPECT_EQ(g_dsn->Query("SELECT count(*) FROM " + table), "1\n");
}

TEST(OdbcDriver, RefusedStatementsCarrySqliteReasons) {
  std::string table = NewTable();
  OdbcSession s;
  ASSERT_EQ(s.Exec("CREATE TABLE \"" + table + "\"(\"x\"I2)"), SQL_SUCCESS);
  const struct { std::string sql; const char *reason; } cases[] = {
    {"CREATE TABLE \"" + table + "\"(\"x\"I2)", "already exists"},
    {"CREATE TABLE \"empty\"()", "syntax error"},
    {"INSERT INTO \"missing\" VALUES (?)", "no such table"},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(s.Exec(c.sql), SQL_ERROR) << c.sql;
    std::string error = s.Error();
    EXPECT_NE(error.find("[Lumetra] SQLite: "), std::string::npos) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_LE(error.size(), 6u + 127u);
  }
}

/* SQLError exactly as the utility calls it: no SQLSTATE or native buffer,
 * 8192 bytes for the message, no length. */
std::string UtilityError(const OdbcSession &s) {
  SQLCHAR message[8192];
  memset(message, 'X', sizeof message);
  SQLError(s.henv, s.hdbc, s.hstmt, nullptr, nullptr, message, sizeof message, nullptr);
  return std::string((const char *)message, strnlen((const char *)message, sizeof message));
}

TEST(OdbcDriver, UtilitySqlErrorCallShowsTheWholeMessage) {
  std::string longName = "Quarterly customer export " + std::string(200, 'q');
  OdbcSession s;
  ASSERT_EQ(s.Exec("CREATE TABLE \"" + longName + "\"(\"n\"I4,\"d\"FILETIME)"), SQL_SUCCESS) << s.Error();
  double n = 0;
  DATE_STRUCT d = {2001, 2, 29};
  SQLLEN nLength = 8, dLength = 6;
  SQLBindParameter(s.hstmt, 1, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_INTEGER, 10, 0, &n, 10, &nLength);
  SQLBindParameter(s.hstmt, 2, SQL_PARAM_INPUT, SQL_C_DATE, SQL_TIMESTAMP, 16, 0, &d, 10, &dLength);
  std::string insert = "INSERT INTO \"" + longName + "\" VALUES (?,?)";
  ASSERT_EQ(SQLPrepare(s.hstmt, (SQLCHAR *)insert.c_str(), SQL_NTS), SQL_SUCCESS) << s.Error();

  const struct { const char *what; double number; std::vector<const char *> parts; } cases[] = {
    {"date", 0, {"Datetime field overflow", "2001-02-29", "parameter 2"}},
    {"number", 3e9, {"out of range", "3000000000", "parameter 1"}},
  };
  for (const auto &c : cases) {
    n = c.number;
    ASSERT_EQ(SQLExecute(s.hstmt), SQL_ERROR) << c.what;
    std::string message = UtilityError(s);
    EXPECT_EQ(message.rfind("[Lumetra] ", 0), 0u) << message;
    for (const char *part : c.parts) EXPECT_NE(message.find(part), std::string::npos) << message;
  }
  EXPECT_EQ(g_dsn->Query("SELECT count(*) FROM \"" + longName + "\""), "0\n");

  /* a long table name is shown whole, and the reason after it */
  ASSERT_EQ(s.Exec("CREATE TABLE \"" + longName + "\"(\"n\"I4)"), SQL_ERROR);
  std::string message = UtilityError(s);
  EXPECT_NE(message.find("table \"" + longName + "\" already exists"), std::string::npos) << message;
}

TEST(OdbcDriver, TypeWordsInsideQuotesAreKept) {
  std::string table = NewTable();
  OdbcSession s;
  ASSERT_EQ(s.Exec("CREATE TABLE \"" + table + "\"(\"I4\"I4,\"LPWSTR x\"LPWSTR,\"d\"FILETIME DEFAULT 'I2')"), SQL_SUCCESS) << s.Error();
  EXPECT_EQ(g_dsn->Query("SELECT name, type, dflt_value FROM pragma_table_info('" + table + "')"),
            "I4|INTEGER|NULL\nLPWSTR x|TEXT|NULL\nd|TIMESTAMP|'I2'\n");
}

/* Only a column's type is a type word: names, comments, parenthesized
 * constraints and a CREATE TABLE ... AS SELECT are left as written. */
TEST(OdbcDriver, OnlyTypePositionsAreMapped) {
  const struct { const char *create; const char *table; const char *columns; } cases[] = {
    {"CREATE TABLE filetime(i2 I2, lpwstr LONG_LPWSTR)", "filetime", "i2|SMALLINT\nlpwstr|TEXT\n"},
    {"create table i4(\"a\" i4 /* I2 */ CHECK (length('I4') > 0), b FILETIME -- LPWSTR\n)", "i4",
     "a|INTEGER\nb|TIMESTAMP\n"},
    {"CREATE TABLE lpwstr AS SELECT 1 AS I4", "lpwstr", "I4|\n"},
    {"CREATE TABLE named(a I4 CONSTRAINT I2 CHECK (a > 0), b I2 DEFAULT 0)", "named", "a|INTEGER\nb|SMALLINT\n"},
    {"CREATE TABLE keyed(a I4, CONSTRAINT I2 PRIMARY KEY (a))", "keyed", "a|INTEGER\n"},
  };
  OdbcSession s;
  for (const auto &c : cases) {
    ASSERT_EQ(s.Exec(c.create), SQL_SUCCESS) << c.create << ": " << s.Error();
    std::string got = g_dsn->Query(std::string("SELECT name, type FROM pragma_table_info('") + c.table + "')");
    EXPECT_EQ(got, c.columns) << c.create;
  }
}

TEST(OdbcDriver, AutocommitOffNeedsACommit) {
  std::string table = NewTable();
  OdbcSession s;
  ASSERT_EQ(s.Exec("CREATE TABLE \"" + table + "\"(\"x\"I4)"), SQL_SUCCESS);
  ASSERT_EQ(SQLSetConnectOption(s.hdbc, SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF), SQL_SUCCESS);
  ASSERT_EQ(s.Exec("INSERT INTO " + table + " VALUES (1)"), SQL_SUCCESS) << s.Error();
  EXPECT_EQ(g_dsn->Query("SELECT count(*) FROM " + table), "0\n");
  ASSERT_EQ(SQLTransact(s.henv, s.hdbc, SQL_ROLLBACK), SQL_SUCCESS);
  ASSERT_EQ(s.Exec("INSERT INTO " + table + " VALUES (2)"), SQL_SUCCESS);
  ASSERT_EQ(SQLTransact(s.henv, s.hdbc, SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(g_dsn->Query("SELECT x FROM " + table), "2\n");
}

TEST(OdbcDriver, SecondConnectionReadsRowsBack) {
  std::string table = NewTable();
  OdbcSession writer;
  ASSERT_EQ(writer.Exec("CREATE TABLE \"" + table + "\"(\"Name\"LPWSTR,\"n\"I4)"), SQL_SUCCESS);
  ASSERT_EQ(writer.Exec("INSERT INTO \"" + table + "\" VALUES ('0123', 7)"), SQL_SUCCESS);
  OdbcSession reader;
  ASSERT_EQ(reader.Exec("SELECT * FROM \"" + table + "\""), SQL_SUCCESS) << reader.Error();
  SQLSMALLINT columns = 0;
  SQLNumResultCols(reader.hstmt, &columns);
  EXPECT_EQ(columns, 2);
  ASSERT_EQ(SQLFetch(reader.hstmt), SQL_SUCCESS);
  char text[8];
  SQLLEN length;
  SQLINTEGER n = 0;
  ASSERT_EQ(SQLGetData(reader.hstmt, 1, SQL_C_CHAR, text, sizeof text, &length), SQL_SUCCESS);
  ASSERT_EQ(SQLGetData(reader.hstmt, 2, SQL_C_LONG, &n, 0, &length), SQL_SUCCESS);
  EXPECT_STREQ(text, "0123");
  EXPECT_EQ(n, 7);
  EXPECT_EQ(SQLFetch(reader.hstmt), SQL_NO_DATA);
}

}  // namespace
