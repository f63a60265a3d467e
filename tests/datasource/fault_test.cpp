/* fault_test.cpp: faults found when other clients tried the driver, each
 * through the real driver manager: several statements in one call, a
 * fetch past the end, exact 64-bit parameters, diagnostics that end with
 * their call, constraint names that look like type words, readable
 * refused dates, connection strings, and the text encodings. */
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "dsn_environment.h"
#include "odbc_session.h"

TempDsn *g_dsn;

namespace {

const auto *const kEnvironment = ::testing::AddGlobalTestEnvironment(new DsnEnvironment);

int g_tableNumber;
std::string NewTable() { return "f" + std::to_string(++g_tableNumber); }

/* "STATE message" of the statement's first diagnostic. */
std::string Diag(SQLHSTMT hstmt) {
  SQLCHAR state[6] = "", message[256] = "";
  SQLINTEGER native;
  SQLSMALLINT length;
  SQLGetDiagRec(SQL_HANDLE_STMT, hstmt, 1, state, &native, message, sizeof message, &length);
  return std::string((char *)state) + " " + (char *)message;
}

TEST(Faults, SeveralStatementsRunAllOrFailLoudly) {
  const struct { std::string sql; RETCODE rc; const char *rows; } cases[] = {
    {"CREATE TABLE m1(x I4); INSERT INTO m1 VALUES (1);\n INSERT INTO m1 VALUES (2);", SQL_SUCCESS, "1\n2\n"},
    {"CREATE TABLE m2(x I4); INSERT INTO nowhere VALUES (1); INSERT INTO m2 VALUES (2)", SQL_ERROR, ""},
    {"CREATE TABLE m3(x I4); CREATE TRIGGER t3 AFTER INSERT ON m3 BEGIN INSERT INTO m3x VALUES (1); END; "
     "CREATE TABLE m3x(y I4); INSERT INTO m3 VALUES (3)", SQL_SUCCESS, "3\n"},
  };
  OdbcSession s;
  for (const auto &c : cases) {
    EXPECT_EQ(s.Exec(c.sql), c.rc) << c.sql << ": " << s.Error();
    std::string table = c.sql.substr(13, 2);
    EXPECT_EQ(g_dsn->Query("SELECT x FROM " + table), c.rows) << c.sql;
  }
  EXPECT_EQ(g_dsn->Query("SELECT y FROM m3x"), "1\n");
  /* a prepared text must be one statement */
  EXPECT_EQ(SQLPrepare(s.hstmt, (SQLCHAR *)"INSERT INTO m1 VALUES (5); INSERT INTO m1 VALUES (6)", SQL_NTS), SQL_ERROR);
  EXPECT_NE(Diag(s.hstmt).find("Only one statement"), std::string::npos) << Diag(s.hstmt);
  EXPECT_EQ(g_dsn->Query("SELECT count(*) FROM m1"), "2\n");
}

TEST(Faults, FetchAfterTheEndStaysThere) {
  OdbcSession s;
  std::string table = NewTable();
  ASSERT_EQ(s.Exec("CREATE TABLE " + table + "(x I4); INSERT INTO " + table + " VALUES (1)"), SQL_SUCCESS);
  ASSERT_EQ(s.Exec("SELECT x FROM " + table), SQL_SUCCESS);
  EXPECT_EQ(SQLFetch(s.hstmt), SQL_SUCCESS);
  for (int i = 0; i < 3; i++) EXPECT_EQ(SQLFetch(s.hstmt), SQL_NO_DATA) << i;
  ASSERT_EQ(SQLTables(s.hstmt, nullptr, 0, nullptr, 0, (SQLCHAR *)table.c_str(), SQL_NTS, nullptr, 0), SQL_SUCCESS);
  EXPECT_EQ(SQLFetch(s.hstmt), SQL_SUCCESS);
  for (int i = 0; i < 3; i++) EXPECT_EQ(SQLFetch(s.hstmt), SQL_NO_DATA) << i;
}

TEST(Faults, BigIntegersStayExact) {
  const struct { SQLBIGINT value; SQLSMALLINT sqlType; RETCODE rc; const char *stored; } cases[] = {
    {9007199254740993LL, SQL_BIGINT, SQL_SUCCESS, "9007199254740993"},
    {INT64_MAX, SQL_BIGINT, SQL_SUCCESS, "9223372036854775807"},
    {INT64_MIN, SQL_BIGINT, SQL_SUCCESS, "-9223372036854775808"},
    {2147483647, SQL_INTEGER, SQL_SUCCESS, "2147483647"},
    {2147483648LL, SQL_INTEGER, SQL_ERROR, nullptr},
    {-32769, SQL_SMALLINT, SQL_ERROR, nullptr},
  };
  OdbcSession s;
  for (const auto &c : cases) {
    std::string table = NewTable();
    ASSERT_EQ(s.Exec("CREATE TABLE " + table + "(n INTEGER)"), SQL_SUCCESS);
    SQLBIGINT value = c.value, back = 0;
    SQLLEN length = 8;
    SQLBindParameter(s.hstmt, 1, SQL_PARAM_INPUT, SQL_C_SBIGINT, c.sqlType, 19, 0, &value, 8, &length);
    ASSERT_EQ(SQLPrepare(s.hstmt, (SQLCHAR *)("INSERT INTO " + table + " VALUES (?)").c_str(), SQL_NTS), SQL_SUCCESS);
    EXPECT_EQ(SQLExecute(s.hstmt), c.rc) << c.value;
    if (c.rc == SQL_ERROR) {
      EXPECT_EQ(Diag(s.hstmt).substr(0, 5), "22003") << c.value;
    }
    EXPECT_EQ(g_dsn->Query("SELECT n FROM " + table), c.stored ? std::string(c.stored) + "\n" : "") << c.value;
    SQLFreeStmt(s.hstmt, SQL_RESET_PARAMS);
    if (!c.stored) continue;
    ASSERT_EQ(s.Exec("SELECT n FROM " + table), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(s.hstmt), SQL_SUCCESS);
    ASSERT_EQ(SQLGetData(s.hstmt, 1, SQL_C_SBIGINT, &back, 8, &length), SQL_SUCCESS);
    EXPECT_EQ(back, c.value);
    SQLFreeStmt(s.hstmt, SQL_CLOSE);
  }
}

/* Every record of the statement's last call: "STATE message" lines. */
std::string AllDiags(SQLHSTMT hstmt) {
  std::string all;
  SQLCHAR state[6], message[256];
  SQLINTEGER native;
  SQLSMALLINT length;
  for (SQLSMALLINT i = 1;
       SQL_SUCCEEDED(SQLGetDiagRec(SQL_HANDLE_STMT, hstmt, i, state, &native, message, sizeof message, &length)); i++)
    all += std::string((char *)state) + " " + (char *)message + "\n";
  return all;
}

/* Records are reused from call to call: none may outlive its call. */
TEST(Faults, EachCallShowsOnlyItsOwnDiagnostics) {
  const struct { double a, b; RETCODE rc; const char *diags; } cases[] = {
    {1.5, 2.5, SQL_SUCCESS_WITH_INFO,
     "01S07 [Lumetra] Fractional truncation (parameter 1)\n01S07 [Lumetra] Fractional truncation (parameter 2)\n"},
    {1, 3e10, SQL_ERROR, "22003 [Lumetra] Numeric value out of range: 30000000000 (parameter 2)\n"},
    {1, 2, SQL_SUCCESS, ""},
    {1, 2.5, SQL_SUCCESS_WITH_INFO, "01S07 [Lumetra] Fractional truncation (parameter 2)\n"},
  };
  OdbcSession s;
  std::string table = NewTable();
  ASSERT_EQ(s.Exec("CREATE TABLE " + table + "(a I4, b I4)"), SQL_SUCCESS);
  double a, b;
  SQLBindParameter(s.hstmt, 1, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_INTEGER, 10, 0, &a, 8, nullptr);
  SQLBindParameter(s.hstmt, 2, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_INTEGER, 10, 0, &b, 8, nullptr);
  ASSERT_EQ(SQLPrepare(s.hstmt, (SQLCHAR *)("INSERT INTO " + table + " VALUES (?, ?)").c_str(), SQL_NTS), SQL_SUCCESS);
  for (const auto &c : cases) {
    a = c.a, b = c.b;
    EXPECT_EQ(SQLExecute(s.hstmt), c.rc) << c.a << ", " << c.b;
    EXPECT_EQ(AllDiags(s.hstmt), c.diags) << c.a << ", " << c.b;
  }
  EXPECT_EQ(g_dsn->Query("SELECT a, b FROM " + table), "1|2\n1|2\n1|2\n");
}

TEST(Faults, ConstraintNamedLikeATypeWordKeepsItsName) {
  OdbcSession s;
  ASSERT_EQ(s.Exec("CREATE TABLE cn(a I4 CONSTRAINT I2 CHECK (a > 0), CONSTRAINT FILETIME UNIQUE (a))"), SQL_SUCCESS)
      << s.Error();
  EXPECT_EQ(g_dsn->Query("SELECT sql FROM sqlite_master WHERE name = 'cn'"),
            "CREATE TABLE cn(a INTEGER CONSTRAINT I2 CHECK (a > 0), CONSTRAINT FILETIME UNIQUE (a))\n");
}

TEST(Faults, RefusedDatesAreReadable) {
  const struct { DATE_STRUCT date; const char *shown; } cases[] = {
    {{0, 0, 0}, "0000-00-00 is no calendar date"},                                /* 00000000 */
    {{-17776, 65360, 65360}, "year -17776, month 65360, day 65360 is no"},      /* eight blanks */
  };
  OdbcSession s;
  std::string table = NewTable();
  ASSERT_EQ(s.Exec("CREATE TABLE " + table + "(d FILETIME)"), SQL_SUCCESS);
  DATE_STRUCT date;
  SQLLEN length = 6;
  SQLBindParameter(s.hstmt, 1, SQL_PARAM_INPUT, SQL_C_DATE, SQL_TIMESTAMP, 16, 0, &date, 10, &length);
  ASSERT_EQ(SQLPrepare(s.hstmt, (SQLCHAR *)("INSERT INTO " + table + " VALUES (?)").c_str(), SQL_NTS), SQL_SUCCESS);
  for (const auto &c : cases) {
    date = c.date;
    EXPECT_EQ(SQLExecute(s.hstmt), SQL_ERROR);
    EXPECT_NE(s.Error().find(c.shown), std::string::npos) << s.Error();
  }
}

/* Connects with a connection string on a fresh connection. */
struct StringSession {
  HENV henv = SQL_NULL_HENV;
  HDBC hdbc = SQL_NULL_HDBC;
  HSTMT hstmt = SQL_NULL_HSTMT;
  RETCODE rc;
  std::string out;
  explicit StringSession(const std::string &in, SQLSMALLINT outSize = 512) {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &henv);
    SQLSetEnvAttr(henv, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    SQLAllocHandle(SQL_HANDLE_DBC, henv, &hdbc);
    std::vector<SQLCHAR> buffer(512);
    SQLSMALLINT length = 0;
    rc = SQLDriverConnect(hdbc, nullptr, (SQLCHAR *)in.c_str(), SQL_NTS, buffer.data(), outSize, &length,
                          SQL_DRIVER_NOPROMPT);
    out = (char *)buffer.data();
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) SQLAllocHandle(SQL_HANDLE_STMT, hdbc, &hstmt);
  }
  ~StringSession() {
    if (hstmt) SQLFreeHandle(SQL_HANDLE_STMT, hstmt);
    SQLDisconnect(hdbc);
    SQLFreeHandle(SQL_HANDLE_DBC, hdbc);
    SQLFreeHandle(SQL_HANDLE_ENV, henv);
  }
  std::string Error() const {
    SQLCHAR state[6] = "", message[256] = "";
    SQLINTEGER native;
    SQLSMALLINT length;
    SQLGetDiagRec(SQL_HANDLE_DBC, hdbc, 1, state, &native, message, sizeof message, &length);
    return std::string((char *)state) + " " + (char *)message;
  }
};

TEST(Faults, ConnectionStrings) {
  std::string other = g_dsn->dir + "/other.db";
  const struct { std::string in; RETCODE rc; std::string out; const char *database; } cases[] = {
    {"DSN=Lumetra Data Source", SQL_SUCCESS, "DSN=Lumetra Data Source", "lumetra.db"},
    {"DSN={Lumetra Data Source};Database=" + other, SQL_SUCCESS, "DSN=Lumetra Data Source;Database=" + other, "other.db"},
    {"DRIVER={" + std::string(kDriverPath) + "};Database={" + other + "}", SQL_SUCCESS, "", "other.db"},
    {"DSN=Lumetra Data Source;JournalMode=SIDEWAYS", SQL_ERROR, "", nullptr},
    {"DSN=Lumetra Data Source;Charset=NO-SUCH-CODE", SQL_ERROR, "", nullptr},
    /* a malformed string is refused whole: a key dropped after the fault
     * could send the data to the default database */
    {"DSN=Lumetra Data Source;Database={" + other, SQL_ERROR,
     "08001 [Lumetra] Malformed connection string: the value of Database at character 34 opens a brace that is not closed",
     nullptr},
    {"DSN=Lumetra Data Source;Charset;Database=" + other, SQL_ERROR,
     "08001 [Lumetra] Malformed connection string: \"Charset\" at character 25 has no '='", nullptr},
    {"DSN=Lumetra Data Source;Database={" + other + "}x", SQL_ERROR,
     "08001 [Lumetra] Malformed connection string: the value of Database goes on at character " +
         std::to_string(36 + other.size()) + " after its closing brace",
     nullptr},
  };
  for (const auto &c : cases) {
    StringSession s(c.in);
    EXPECT_EQ(s.rc, c.rc) << c.in << ": " << s.Error();
    if (c.rc == SQL_ERROR && !c.out.empty()) {
      EXPECT_EQ(s.Error(), c.out);
    }
    if (!c.database) continue;
    if (!c.out.empty()) {
      EXPECT_EQ(s.out, c.out);
    }
    SQLCHAR name[512] = "";
    SQLSMALLINT length;
    ASSERT_EQ(SQLGetInfo(s.hdbc, SQL_DATABASE_NAME, name, sizeof name, &length), SQL_SUCCESS);
    std::string database = (char *)name;
    EXPECT_EQ(database.substr(database.rfind('/') + 1), c.database) << c.in;
  }
  /* a long Database path is named whole in the message, with its reason */
  std::string deep = g_dsn->dir + "/" + std::string(150, 'd');
  ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
  for (const std::string &database : {deep + "/missing/x.db", deep}) {
    StringSession s("DSN=Lumetra Data Source;Database=" + database);
    EXPECT_EQ(s.rc, SQL_ERROR) << database;
    SQLCHAR message[1024] = "";
    SQLGetDiagRec(SQL_HANDLE_DBC, s.hdbc, 1, nullptr, nullptr, message, sizeof message, nullptr);
    std::string shown = (char *)message;
    EXPECT_TRUE(shown.find("does not exist") != std::string::npos || shown.find("unable to open") != std::string::npos)
        << shown;
    EXPECT_NE(shown.find(deep), std::string::npos) << shown; /* the folder, or the file in it */
  }
  /* a short out buffer: the string is cut, with 01004 */
  StringSession cut("DSN=Lumetra Data Source", 8);
  EXPECT_EQ(cut.rc, SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(cut.out, "DSN=Lum");
}

/* Text in and out under each Charset rule: what is stored (hex of the
 * UTF-8) and what SQL_C_CHAR gives back. */
TEST(Faults, CharsetsConvertTextBothWays) {
  const struct { const char *charset; const char *in; RETCODE rc; const char *storedHex; const char *back; } cases[] = {
    {"CP850", "\x82t\x82", SQL_SUCCESS, "C3A974C3A9", "\x82t\x82"},          /* été */
    {"HP-ROMAN8", "\xc5l\xc9ve", SQL_SUCCESS, "C3A96CC3A87665", "\xc5l\xc9ve"}, /* élève */
    {"", "\xc3\xa9t\xc3\xa9", SQL_SUCCESS, "C3A974C3A9", "\xc3\xa9t\xc3\xa9"}, /* UTF-8 kept */
    {"", "\xe9t\xe9 \x80", SQL_SUCCESS, "C3A974C3A920E282AC", "\xc3\xa9t\xc3\xa9 \xe2\x82\xac"}, /* WINDOWS-1252 */
    {"WINDOWS-1252", "ok\x81", SQL_ERROR, nullptr, nullptr},                  /* 0x81 has no character */
    {"UTF-8", "\xc3\xa9t\xc3\xa9", SQL_SUCCESS, "C3A974C3A9", "\xc3\xa9t\xc3\xa9"}, /* named: kept */
    {"utf8", "\xe2\x82\xac", SQL_SUCCESS, "E282AC", "\xe2\x82\xac"},
    {"UTF-8", "\xc3\xa9t\xe9", SQL_ERROR, nullptr, nullptr},                /* named: no WINDOWS-1252 */
  };
  for (const auto &c : cases) {
    std::string table = NewTable();
    StringSession s(std::string("DSN=Lumetra Data Source;Charset=") + c.charset);
    ASSERT_EQ(s.rc, SQL_SUCCESS) << c.charset << ": " << s.Error();
    ASSERT_EQ(SQLExecDirect(s.hstmt, (SQLCHAR *)("CREATE TABLE " + table + "(t LPWSTR)").c_str(), SQL_NTS), SQL_SUCCESS);
    SQLLEN length = SQL_NTS;
    SQLBindParameter(s.hstmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 255, 0, (SQLPOINTER)c.in, 0, &length);
    std::string insert = "INSERT INTO " + table + " VALUES (?)";
    EXPECT_EQ(SQLExecDirect(s.hstmt, (SQLCHAR *)insert.c_str(), SQL_NTS), c.rc) << c.charset;
    if (!c.storedHex) {
      EXPECT_NE(Diag(s.hstmt).find("22018"), std::string::npos) << Diag(s.hstmt);
      EXPECT_NE(Diag(s.hstmt).find("parameter 1"), std::string::npos) << Diag(s.hstmt);
      EXPECT_EQ(g_dsn->Query("SELECT count(*) FROM " + table), "0\n");
      continue;
    }
    EXPECT_EQ(g_dsn->Query("SELECT hex(t) FROM " + table), std::string(c.storedHex) + "\n") << c.charset;
    SQLFreeStmt(s.hstmt, SQL_RESET_PARAMS);
    char back[64] = "";
    ASSERT_EQ(SQLExecDirect(s.hstmt, (SQLCHAR *)("SELECT t FROM " + table).c_str(), SQL_NTS), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(s.hstmt), SQL_SUCCESS);
    ASSERT_EQ(SQLGetData(s.hstmt, 1, SQL_C_CHAR, back, sizeof back, &length), SQL_SUCCESS);
    EXPECT_STREQ(back, c.back) << c.charset;
  }
}

}  // namespace
