/* fetch_test.cpp: what other clients read back through the driver
 * manager: every C type from every stored kind, with ODBC's truncation
 * rules, long text in pieces, bound columns, the described types of an
 * imported table, exact decimals and GUIDs, and the catalog. */
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "dsn_environment.h"
#include "odbc_session.h"

TempDsn *g_dsn;

namespace {

const auto *const kEnvironment = ::testing::AddGlobalTestEnvironment(new DsnEnvironment);

/* An ODBC 3 session over the imported shape of table "kinds". */
using Reader = Odbc3Session;

class Fetch : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    OdbcSession s;
    ASSERT_EQ(s.Exec("CREATE TABLE kinds(\"t\"LPWSTR,\"n\"I4,\"s\"I2,\"d\"FILETIME,\"r\" REAL,\"b\" BLOB)"), SQL_SUCCESS);
    ASSERT_EQ(s.Exec("INSERT INTO kinds VALUES ('0123 \xc3\xa9', -1234, 7, '1999-12-31 00:00:00', 2.5, x'00ff')"),
              SQL_SUCCESS) << s.Error();
  }
};

TEST_F(Fetch, EveryCTypeFromEveryKind) {
  const struct { const char *column; SQLSMALLINT cType; SQLLEN size; SQLRETURN rc; const char *state; std::string bytes; SQLLEN indicator; } cases[] = {
    {"t", SQL_C_CHAR, 16, SQL_SUCCESS, "", std::string("0123 \xc3\xa9\0", 8), 7},
    {"t", SQL_C_CHAR, 4, SQL_SUCCESS_WITH_INFO, "01004", std::string("012\0", 4), 7},
    {"t", SQL_C_WCHAR, 32, SQL_SUCCESS, "", std::string("0\0" "1\0" "2\0" "3\0" " \0" "\xe9\0" "\0\0", 14), 12},
    {"t", SQL_C_BINARY, 3, SQL_SUCCESS_WITH_INFO, "01004", "012", 7},
    {"t", SQL_C_LONG, 4, SQL_ERROR, "22018", "", 0},
    {"n", SQL_C_CHAR, 16, SQL_SUCCESS, "", std::string("-1234\0", 6), 5},
    {"n", SQL_C_LONG, 4, SQL_SUCCESS, "", std::string("\x2e\xfb\xff\xff", 4), 4},
    {"n", SQL_C_SHORT, 2, SQL_SUCCESS, "", std::string("\x2e\xfb", 2), 2},
    {"n", SQL_C_UTINYINT, 1, SQL_ERROR, "22003", "", 0},
    {"n", SQL_C_SBIGINT, 8, SQL_SUCCESS, "", std::string("\x2e\xfb\xff\xff\xff\xff\xff\xff", 8), 8},
    {"s", SQL_C_DOUBLE, 8, SQL_SUCCESS, "", std::string("\0\0\0\0\0\0\x1c\x40", 8), 8},
    {"r", SQL_C_LONG, 4, SQL_SUCCESS_WITH_INFO, "01S07", std::string("\2\0\0\0", 4), 4},
    {"d", SQL_C_TYPE_DATE, 6, SQL_SUCCESS, "", std::string("\xcf\x07\x0c\0\x1f\0", 6), 6},
    {"d", SQL_C_TYPE_TIMESTAMP, 16, SQL_SUCCESS, "", std::string("\xcf\x07\x0c\0\x1f\0\0\0\0\0\0\0\0\0\0\0", 16), 16},
    {"d", SQL_C_DOUBLE, 8, SQL_ERROR, "22018", "", 0},
    {"b", SQL_C_BINARY, 8, SQL_SUCCESS, "", std::string("\0\xff", 2), 2},
    {"b", SQL_C_CHAR, 8, SQL_SUCCESS, "", std::string("00FF\0", 5), 4},
  };
  Reader r;
  for (const auto &c : cases) {
    ASSERT_EQ(r.Exec(std::string("SELECT \"") + c.column + "\" FROM kinds"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(r.stmt), SQL_SUCCESS);
    char out[64];
    memset(out, 0x55, sizeof out);
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(r.stmt, 1, c.cType, out, c.size, &indicator);
    std::string what = std::string(c.column) + " as C type " + std::to_string(c.cType);
    EXPECT_EQ(rc, c.rc) << what;
    if (*c.state) {
      EXPECT_EQ(r.State(), c.state) << what;
    }
    if (rc == SQL_ERROR) continue;
    EXPECT_EQ(std::string(out, c.bytes.size()), c.bytes) << what;
    EXPECT_EQ(indicator, c.indicator) << what;
  }
}

/* The bytes of a SQL_NUMERIC_STRUCT with a magnitude below 2^64. */
std::string NumericBytes(int precision, int scale, bool positive, unsigned long long magnitude) {
  SQL_NUMERIC_STRUCT n;
  memset(&n, 0, sizeof n);
  n.precision = (SQLCHAR)precision, n.scale = (SQLSCHAR)scale, n.sign = positive;
  for (int i = 0; i < 8; i++) n.val[i] = (SQLCHAR)(magnitude >> (8 * i));
  return std::string((const char *)&n, sizeof n);
}

/* Exact decimals and GUIDs from numbers and from their text. */
TEST_F(Fetch, ExactDecimalsAndGuids) {
  SQLGUID guid = {0x12345678, 0x9abc, 0xdef0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef}};
  const std::string guidBytes((const char *)&guid, sizeof guid);
  const struct { const char *expression; SQLSMALLINT cType; SQLRETURN rc; const char *state; std::string bytes; } cases[] = {
    {"'123.456'", SQL_C_NUMERIC, SQL_SUCCESS, "", NumericBytes(6, 3, true, 123456)},
    {"-1234", SQL_C_NUMERIC, SQL_SUCCESS, "", NumericBytes(4, 0, false, 1234)},
    {"2.5", SQL_C_NUMERIC, SQL_SUCCESS, "", NumericBytes(2, 1, true, 25)},
    {"'0.123456789012345678901234567890123456789'", SQL_C_NUMERIC, SQL_SUCCESS_WITH_INFO, "01S07", ""},
    {"'1e40'", SQL_C_NUMERIC, SQL_ERROR, "22003", ""},
    {"'abc'", SQL_C_NUMERIC, SQL_ERROR, "22018", ""},
    {"x'01'", SQL_C_NUMERIC, SQL_ERROR, "07006", ""},
    {"'12345678-9ABC-def0-0123-456789abcdef'", SQL_C_GUID, SQL_SUCCESS, "", guidBytes},
    {"'{12345678-9abc-def0-0123-456789abcdef}'", SQL_C_GUID, SQL_SUCCESS, "", guidBytes},
    {"'12345678-9abc-def0-0123-456789abcdeg'", SQL_C_GUID, SQL_ERROR, "22018", ""},
    {"42", SQL_C_GUID, SQL_ERROR, "07006", ""},
  };
  Reader r;
  for (const auto &c : cases) {
    ASSERT_EQ(r.Exec(std::string("SELECT ") + c.expression), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(r.stmt), SQL_SUCCESS);
    char out[32];
    memset(out, 0x55, sizeof out);
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(r.stmt, 1, c.cType, out, sizeof out, &indicator);
    EXPECT_EQ(rc, c.rc) << c.expression;
    if (*c.state) {
      EXPECT_EQ(r.State(), c.state) << c.expression;
    }
    if (rc == SQL_ERROR) continue;
    EXPECT_EQ(indicator, c.cType == SQL_C_GUID ? (SQLLEN)sizeof(SQLGUID) : (SQLLEN)sizeof(SQL_NUMERIC_STRUCT));
    if (!c.bytes.empty()) {
      EXPECT_EQ(std::string(out, c.bytes.size()), c.bytes) << c.expression;
    }
  }
}

/* Whether a result column takes NULL, by SQLDescribeCol and by
 * SQLColAttribute alike: a NOT NULL column of a table (through a view or
 * an alias too) does not, any other column or expression may. */
TEST_F(Fetch, NullabilityOfResultColumns) {
  Reader r;
  ASSERT_EQ(r.Exec("CREATE TABLE strict(a INTEGER NOT NULL, b TEXT)"), SQL_SUCCESS);
  ASSERT_EQ(r.Exec("CREATE VIEW strict_view AS SELECT a AS x, b FROM strict"), SQL_SUCCESS);
  const struct { const char *query; SQLSMALLINT nullable[3]; } cases[] = {
    {"SELECT a, b, a + 1 FROM strict", {SQL_NO_NULLS, SQL_NULLABLE, SQL_NULLABLE}},
    {"SELECT a AS renamed, 1, b FROM strict", {SQL_NO_NULLS, SQL_NULLABLE, SQL_NULLABLE}},
    {"SELECT x, b, max(x) FROM strict_view", {SQL_NO_NULLS, SQL_NULLABLE, SQL_NULLABLE}},
  };
  for (const auto &c : cases) {
    ASSERT_EQ(r.Exec(c.query), SQL_SUCCESS) << c.query;
    for (SQLUSMALLINT i = 0; i < 3; i++) {
      SQLSMALLINT described = -1;
      SQLLEN attribute = -1;
      ASSERT_EQ(SQLDescribeCol(r.stmt, i + 1, nullptr, 0, nullptr, nullptr, nullptr, nullptr, &described), SQL_SUCCESS);
      ASSERT_EQ(SQLColAttribute(r.stmt, i + 1, SQL_DESC_NULLABLE, nullptr, 0, nullptr, &attribute), SQL_SUCCESS);
      EXPECT_EQ(described, c.nullable[i]) << c.query << ", column " << i + 1;
      EXPECT_EQ(attribute, c.nullable[i]) << c.query << ", column " << i + 1;
    }
  }
}

/* Values beyond 32 bits in INTEGER columns that another program wrote:
 * described as BIGINT, read exactly in 64 bits and as text, and refused
 * (22003) only by a 32-bit buffer that the client asked for. */
TEST_F(Fetch, SixtyFourBitIntegersReadExactly) {
  ASSERT_EQ(g_dsn->Exec("CREATE TABLE wide_ints(i INTEGER, j INT);"
                        "INSERT INTO wide_ints VALUES (3000000000, -3000000000);"
                        "INSERT INTO wide_ints VALUES (9007199254740993, -9223372036854775808);"
                        "INSERT INTO wide_ints VALUES (9223372036854775807, 42);"),
            "");
  const char *const expected[][2] = {{"3000000000", "-3000000000"},
                                     {"9007199254740993", "-9223372036854775808"},
                                     {"9223372036854775807", "42"}};
  Reader r;
  ASSERT_EQ(r.Exec("SELECT i, j FROM wide_ints ORDER BY rowid"), SQL_SUCCESS);
  for (SQLUSMALLINT column = 1; column <= 2; column++) {
    SQLSMALLINT type = 0;
    SQLULEN size = 0;
    ASSERT_EQ(SQLDescribeCol(r.stmt, column, nullptr, 0, nullptr, &type, &size, nullptr, nullptr), SQL_SUCCESS);
    EXPECT_EQ(type, SQL_BIGINT) << column;
    EXPECT_EQ(size, 19u) << column;
  }
  /* each value once per C type: a second SQLGetData of a column gives no data */
  const SQLSMALLINT cTypes[] = {SQL_C_SBIGINT, SQL_C_CHAR, SQL_C_WCHAR, SQL_C_SLONG};
  for (SQLSMALLINT cType : cTypes) {
    ASSERT_EQ(r.Exec("SELECT i, j FROM wide_ints ORDER BY rowid"), SQL_SUCCESS);
    for (const auto &row : expected) {
      ASSERT_EQ(SQLFetch(r.stmt), SQL_SUCCESS);
      for (SQLUSMALLINT column = 1; column <= 2; column++) {
        const std::string want = row[column - 1], what = want + " as C type " + std::to_string(cType);
        SQLBIGINT big = 0;
        SQLINTEGER small = 0;
        char text[32] = "";
        SQLWCHAR wide[32] = {0};
        SQLLEN length = 0;
        SQLRETURN rc;
        std::string got;
        switch (cType) {
          case SQL_C_SBIGINT:
            rc = SQLGetData(r.stmt, column, cType, &big, 0, nullptr);
            got = std::to_string(big);
            break;
          case SQL_C_CHAR:
            rc = SQLGetData(r.stmt, column, cType, text, sizeof text, &length);
            got = text;
            break;
          case SQL_C_WCHAR:
            rc = SQLGetData(r.stmt, column, cType, wide, sizeof wide, &length);
            got = std::string(wide, wide + length / sizeof(SQLWCHAR));
            break;
          default:
            rc = SQLGetData(r.stmt, column, cType, &small, 0, nullptr);
            got = std::to_string(small);
            break;
        }
        bool fits = cType != SQL_C_SLONG || want == "42";
        EXPECT_EQ(rc, fits ? SQL_SUCCESS : SQL_ERROR) << what;
        if (fits) {
          EXPECT_EQ(got, want) << what;
        } else {
          EXPECT_EQ(r.State(), "22003") << what;
        }
      }
    }
    EXPECT_EQ(SQLFetch(r.stmt), SQL_NO_DATA);
  }
}

TEST_F(Fetch, LongTextInPiecesThenNoData) {
  OdbcSession s;
  std::string text;
  for (int i = 0; i < 1000; i++) text += "line " + std::to_string(i) + ";";
  ASSERT_EQ(s.Exec("CREATE TABLE longtext(t LONG_LPWSTR); INSERT INTO longtext VALUES ('" + text + "')"), SQL_SUCCESS);
  Reader r;
  ASSERT_EQ(r.Exec("SELECT t FROM longtext"), SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(r.stmt), SQL_SUCCESS);
  std::string back;
  char piece[100];
  SQLLEN indicator;
  SQLRETURN rc;
  int calls = 0;
  while ((rc = SQLGetData(r.stmt, 1, SQL_C_CHAR, piece, sizeof piece, &indicator)) != SQL_NO_DATA) {
    ASSERT_NE(rc, SQL_ERROR);
    EXPECT_EQ(indicator, (SQLLEN)(text.size() - back.size())); /* what is left, before this piece */
    back += piece;
    calls++;
  }
  EXPECT_EQ(back, text);
  EXPECT_EQ(calls, (int)(text.size() + 98) / 99);
}

TEST_F(Fetch, BoundColumnsAndDescribedTypes) {
  Reader r;
  ASSERT_EQ(r.Exec("SELECT t, n, s, d FROM kinds"), SQL_SUCCESS);
  /* SQLite's INTEGER, I4's column there, holds 64 bits: BIGINT */
  const struct { SQLSMALLINT type; const char *name; } described[] = {
    {SQL_VARCHAR, "t"}, {SQL_BIGINT, "n"}, {SQL_SMALLINT, "s"}, {SQL_TYPE_TIMESTAMP, "d"},
  };
  for (SQLUSMALLINT i = 0; i < 4; i++) {
    SQLCHAR name[16];
    SQLSMALLINT type, digits, nullable, nameLength;
    SQLULEN size;
    ASSERT_EQ(SQLDescribeCol(r.stmt, i + 1, name, sizeof name, &nameLength, &type, &size, &digits, &nullable), SQL_SUCCESS);
    EXPECT_EQ(type, described[i].type) << described[i].name;
    EXPECT_STREQ((char *)name, described[i].name);
    EXPECT_GT(size, 0u) << described[i].name;
  }
  char t[4];
  SQLINTEGER n = 0;
  TIMESTAMP_STRUCT d = {};
  SQLLEN tLength, nLength, dLength;
  SQLBindCol(r.stmt, 1, SQL_C_CHAR, t, sizeof t, &tLength);
  SQLBindCol(r.stmt, 2, SQL_C_LONG, &n, 0, &nLength);
  SQLBindCol(r.stmt, 4, SQL_C_TYPE_TIMESTAMP, &d, sizeof d, &dLength);
  EXPECT_EQ(SQLFetch(r.stmt), SQL_SUCCESS_WITH_INFO); /* t is cut */
  EXPECT_STREQ(t, "012");
  EXPECT_EQ(tLength, 7);
  EXPECT_EQ(n, -1234);
  EXPECT_EQ(d.year * 10000 + d.month * 100 + d.day, 19991231);
  SQLSMALLINT s = 0;
  EXPECT_EQ(SQLGetData(r.stmt, 3, SQL_C_SHORT, &s, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(s, 7);
  EXPECT_EQ(SQLFetch(r.stmt), SQL_NO_DATA);
}

TEST_F(Fetch, CatalogListsTheImportedTable) {
  Reader r;
  const struct { const char *pattern; int tables; } patterns[] = {{"kinds", 1}, {"KIN_S", 1}, {"k%", 1}, {"kinds\\_", 0}, {"x%", 0}};
  for (const auto &p : patterns) {
    ASSERT_EQ(SQLTables(r.stmt, nullptr, 0, nullptr, 0, (SQLCHAR *)p.pattern, SQL_NTS, (SQLCHAR *)"TABLE", SQL_NTS), SQL_SUCCESS);
    int rows = 0;
    while (SQLFetch(r.stmt) == SQL_SUCCESS) rows++;
    EXPECT_EQ(rows, p.tables) << p.pattern;
    SQLFreeStmt(r.stmt, SQL_CLOSE);
  }
  ASSERT_EQ(SQLColumns(r.stmt, nullptr, 0, nullptr, 0, (SQLCHAR *)"kinds", SQL_NTS, nullptr, 0), SQL_SUCCESS);
  std::string got;
  while (SQLFetch(r.stmt) == SQL_SUCCESS) {
    char name[32], isNullable[8];
    SQLSMALLINT type;
    SQLINTEGER ordinal;
    SQLLEN length;
    SQLGetData(r.stmt, 4, SQL_C_CHAR, name, sizeof name, &length);
    SQLGetData(r.stmt, 5, SQL_C_SHORT, &type, 0, &length);
    SQLGetData(r.stmt, 17, SQL_C_LONG, &ordinal, 0, &length);
    SQLGetData(r.stmt, 18, SQL_C_CHAR, isNullable, sizeof isNullable, &length);
    got += std::to_string(ordinal) + ":" + name + ":" + std::to_string(type) + ":" + isNullable + " ";
  }
  EXPECT_EQ(got, "1:t:12:YES 2:n:-5:YES 3:s:5:YES 4:d:93:YES 5:r:8:YES 6:b:-4:YES ");
  SQLFreeStmt(r.stmt, SQL_CLOSE);
  ASSERT_EQ(SQLGetTypeInfo(r.stmt, SQL_TYPE_TIMESTAMP), SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(r.stmt), SQL_SUCCESS);
  char typeName[32];
  SQLLEN length;
  SQLGetData(r.stmt, 1, SQL_C_CHAR, typeName, sizeof typeName, &length);
  EXPECT_STREQ(typeName, "TIMESTAMP");
  SQLFreeStmt(r.stmt, SQL_CLOSE);
  for (auto call : {+[](SQLHSTMT h) { return SQLPrimaryKeys(h, nullptr, 0, nullptr, 0, (SQLCHAR *)"kinds", SQL_NTS); },
                    +[](SQLHSTMT h) { return SQLForeignKeys(h, nullptr, 0, nullptr, 0, (SQLCHAR *)"kinds", SQL_NTS, nullptr, 0, nullptr, 0, nullptr, 0); },
                    +[](SQLHSTMT h) { return SQLStatistics(h, nullptr, 0, nullptr, 0, (SQLCHAR *)"kinds", SQL_NTS, SQL_INDEX_ALL, SQL_QUICK); },
                    +[](SQLHSTMT h) { return SQLSpecialColumns(h, SQL_BEST_ROWID, nullptr, 0, nullptr, 0, (SQLCHAR *)"kinds", SQL_NTS, SQL_SCOPE_SESSION, SQL_NULLABLE); }}) {
    ASSERT_EQ(call(r.stmt), SQL_SUCCESS);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(r.stmt, &columns);
    EXPECT_GE(columns, 6);
    EXPECT_EQ(SQLFetch(r.stmt), SQL_NO_DATA); /* no keys, no indexes */
    SQLFreeStmt(r.stmt, SQL_CLOSE);
  }
}

TEST_F(Fetch, DriverManagerListsTheFunctionsClientsNeed) {
  Reader r;
  SQLUSMALLINT supported[SQL_API_ODBC3_ALL_FUNCTIONS_SIZE] = {};
  ASSERT_EQ(SQLGetFunctions(r.dbc, SQL_API_ODBC3_ALL_FUNCTIONS, supported), SQL_SUCCESS);
  for (SQLUSMALLINT f : {SQL_API_SQLDRIVERCONNECT, SQL_API_SQLCOLUMNS, SQL_API_SQLTABLES, SQL_API_SQLPRIMARYKEYS,
                         SQL_API_SQLSTATISTICS, SQL_API_SQLGETTYPEINFO, SQL_API_SQLBINDCOL, SQL_API_SQLMORERESULTS})
    EXPECT_TRUE(SQL_FUNC_EXISTS(supported, f)) << f;
}

}  // namespace
