/* wide_test.cpp: the W entry points through the driver manager, as a
 * Unicode client (pyodbc, LibreOffice) calls them: text beyond Latin-1
 * and beyond the BMP in SQL, values, names, the catalog and diagnostics,
 * lengths in characters or bytes as each call counts them, and the cut
 * of a too-small buffer (01004 with the full length). */
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dsn_environment.h"

TempDsn *g_dsn;

namespace {

const auto *const kEnvironment = ::testing::AddGlobalTestEnvironment(new DsnEnvironment);

typedef std::basic_string<SQLWCHAR> WString;

/* UTF-16 text as SQLWCHARs, which are 2-byte units on unixODBC. */
WString W(const std::u16string &s) { return WString(s.begin(), s.end()); }
/* A terminated SQLWCHAR buffer as UTF-16 text. */
std::u16string U(const SQLWCHAR *s) {
  std::u16string text;
  while (*s) text.push_back((char16_t)*s++);
  return text;
}

const std::u16string kOmega = u"Ωμέγα";         /* 5 characters, each 2 bytes in UTF-8 */
const std::u16string kMoon = u"Ωμέγα 🌜";      /* 8 UTF-16 units: the moon is a surrogate pair */

/* An ODBC 3 session made through the W calls, or connected as an ANSI
 * client (ansi) and then calling the W functions. */
struct WideSession {
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  explicit WideSession(bool ansi = false) {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    WString dsn = W(u"Lumetra Data Source");
    if (ansi) EXPECT_EQ(SQLConnect(dbc, (SQLCHAR *)"Lumetra Data Source", SQL_NTS, nullptr, 0, nullptr, 0), SQL_SUCCESS);
    else EXPECT_EQ(SQLConnectW(dbc, dsn.data(), SQL_NTS, nullptr, 0, nullptr, 0), SQL_SUCCESS);
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
  }
  ~WideSession() {
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
  }
  SQLRETURN Exec(const std::u16string &sql) {
    SQLFreeStmt(stmt, SQL_CLOSE);
    WString text = W(sql);
    return SQLExecDirectW(stmt, text.data(), (SQLINTEGER)text.size());
  }
  /* The first record of a handle: its state and message. */
  std::u16string Diag(SQLSMALLINT type, SQLHANDLE h, std::u16string *message = nullptr) {
    SQLWCHAR state[6] = {0}, text[512] = {0};
    SQLSMALLINT length = 0;
    SQLGetDiagRecW(type, h, 1, state, nullptr, text, 512, &length);
    if (message) *message = std::u16string(text, text + length);
    return std::u16string(state, state + 5);
  }
  /* Column 1 of the current row as SQL_C_WCHAR. */
  std::u16string Text() {
    SQLWCHAR buffer[256] = {0};
    SQLLEN indicator = 0;
    EXPECT_EQ(SQLGetData(stmt, 1, SQL_C_WCHAR, buffer, sizeof buffer, &indicator), SQL_SUCCESS);
    return std::u16string(buffer, buffer + indicator / sizeof(SQLWCHAR));
  }
};

class Wide : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WideSession s;
    ASSERT_EQ(s.Exec(u"CREATE TABLE \"Ωμέγα\" (\"Ωμέγα\" TEXT, \"a🌜\" INTEGER)"), SQL_SUCCESS);
    ASSERT_EQ(s.Exec(u"INSERT INTO \"Ωμέγα\" VALUES ('Ωμέγα 🌜', 1)"), SQL_SUCCESS);
  }
};

/* Text in SQL, a bound parameter, a value and a name come back whole. */
TEST_F(Wide, RoundTripsThroughTheWCalls) {
  WideSession s;
  ASSERT_EQ(s.Exec(u"SELECT 'Ωμέγα 🌜'"), SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(s.stmt), SQL_SUCCESS);
  EXPECT_EQ(s.Text(), kMoon);

  ASSERT_EQ(s.Exec(u"SELECT \"Ωμέγα\" FROM \"Ωμέγα\""), SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(s.stmt), SQL_SUCCESS);
  EXPECT_EQ(s.Text(), kMoon);

  SQLFreeStmt(s.stmt, SQL_CLOSE);
  WString sql = W(u"SELECT \"a🌜\" FROM \"Ωμέγα\" WHERE \"Ωμέγα\" = ?"), value = W(kMoon);
  SQLLEN valueLength = (SQLLEN)(value.size() * sizeof(SQLWCHAR));
  ASSERT_EQ(SQLPrepareW(s.stmt, sql.data(), SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(SQLBindParameter(s.stmt, 1, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 20, 0, value.data(),
                             valueLength, &valueLength),
            SQL_SUCCESS);
  ASSERT_EQ(SQLExecute(s.stmt), SQL_SUCCESS);
  SQLINTEGER found = 0;
  ASSERT_EQ(SQLFetch(s.stmt), SQL_SUCCESS);
  ASSERT_EQ(SQLGetData(s.stmt, 1, SQL_C_SLONG, &found, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(found, 1);

  std::u16string message;
  EXPECT_EQ(s.Exec(u"SELECT * FROM \"Ωμέγα 🌜\""), SQL_ERROR);
  EXPECT_EQ(s.Diag(SQL_HANDLE_STMT, s.stmt, &message), u"42S02");
  EXPECT_NE(message.find(kMoon), std::u16string::npos);

  /* SQLGetDiagFieldW counts in bytes */
  SQLWCHAR field[512] = {0};
  SQLSMALLINT bytes = 0;
  ASSERT_EQ(SQLGetDiagFieldW(SQL_HANDLE_STMT, s.stmt, 1, SQL_DIAG_MESSAGE_TEXT, field, sizeof field, &bytes),
            SQL_SUCCESS);
  EXPECT_EQ(U(field), message);
  EXPECT_EQ(bytes, (SQLSMALLINT)(message.size() * sizeof(SQLWCHAR)));
  ASSERT_EQ(SQLGetDiagFieldW(SQL_HANDLE_STMT, s.stmt, 1, SQL_DIAG_SQLSTATE, field, sizeof field, &bytes),
            SQL_SUCCESS);
  EXPECT_EQ(U(field), u"42S02");
  EXPECT_EQ(bytes, 10);
}

/* A client connected through the W calls is given text columns with the
 * wide types, everywhere a type is described, and SQL_C_DEFAULT fetches
 * them as SQL_C_WCHAR; an ANSI client keeps the narrow types. SQL_C_CHAR
 * stays UTF-8 for both. */
TEST_F(Wide, TextTypesAreWideForAUnicodeClient) {
  for (bool ansi : {false, true}) {
    WideSession s(ansi);
    SQLSMALLINT text = ansi ? SQL_VARCHAR : SQL_WVARCHAR;
    ASSERT_EQ(s.Exec(u"SELECT \"Ωμέγα\", \"a🌜\" FROM \"Ωμέγα\""), SQL_SUCCESS);
    SQLSMALLINT type = 0, nullable = -1;
    SQLLEN concise = 0, verbose = 0;
    ASSERT_EQ(SQLDescribeColW(s.stmt, 1, nullptr, 0, nullptr, &type, nullptr, nullptr, &nullable), SQL_SUCCESS);
    EXPECT_EQ(type, text) << ansi;
    EXPECT_EQ(nullable, SQL_NULLABLE) << ansi;
    SQLColAttributeW(s.stmt, 1, SQL_DESC_CONCISE_TYPE, nullptr, 0, nullptr, &concise);
    SQLColAttributeW(s.stmt, 1, SQL_DESC_TYPE, nullptr, 0, nullptr, &verbose);
    EXPECT_EQ(concise, text) << ansi;
    EXPECT_EQ(verbose, text) << ansi;
    ASSERT_EQ(SQLDescribeColW(s.stmt, 2, nullptr, 0, nullptr, &type, nullptr, nullptr, nullptr), SQL_SUCCESS);
    EXPECT_EQ(type, SQL_BIGINT) << ansi;

    ASSERT_EQ(SQLFetch(s.stmt), SQL_SUCCESS);
    char utf8[32] = "";
    SQLLEN length = 0;
    ASSERT_EQ(SQLGetData(s.stmt, 1, SQL_C_CHAR, utf8, sizeof utf8, &length), SQL_SUCCESS);
    EXPECT_STREQ(utf8, "\xce\xa9\xce\xbc\xce\xad\xce\xb3\xce\xb1 \xf0\x9f\x8c\x9c") << ansi;

    SQLFreeStmt(s.stmt, SQL_CLOSE);
    WString table = W(u"Ωμέγα");
    ASSERT_EQ(SQLColumnsW(s.stmt, nullptr, 0, nullptr, 0, table.data(), SQL_NTS, nullptr, 0), SQL_SUCCESS);
    SQLSMALLINT dataType = 0;
    ASSERT_EQ(SQLFetch(s.stmt), SQL_SUCCESS);
    ASSERT_EQ(SQLGetData(s.stmt, 5, SQL_C_SSHORT, &dataType, 0, nullptr), SQL_SUCCESS);
    EXPECT_EQ(dataType, text) << ansi;

    /* the type list: ordered by type code, the wide text type offered only to a Unicode client */
    SQLFreeStmt(s.stmt, SQL_CLOSE);
    ASSERT_EQ(SQLGetTypeInfoW(s.stmt, SQL_ALL_TYPES), SQL_SUCCESS);
    std::vector<SQLSMALLINT> codes;
    while (SQLFetch(s.stmt) == SQL_SUCCESS) {
      ASSERT_EQ(SQLGetData(s.stmt, 2, SQL_C_SSHORT, &dataType, 0, nullptr), SQL_SUCCESS);
      codes.push_back(dataType);
    }
    EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end())) << ansi;
    EXPECT_EQ(std::count(codes.begin(), codes.end(), SQL_WVARCHAR), ansi ? 0 : 1);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), SQL_VARCHAR), 1);
  }
  /* SQL_C_DEFAULT of a wide column is SQL_C_WCHAR */
  WideSession s;
  ASSERT_EQ(s.Exec(u"SELECT \"Ωμέγα\" FROM \"Ωμέγα\""), SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(s.stmt), SQL_SUCCESS);
  SQLWCHAR wide[32] = {0};
  SQLLEN length = 0;
  ASSERT_EQ(SQLGetData(s.stmt, 1, SQL_C_DEFAULT, wide, sizeof wide, &length), SQL_SUCCESS);
  EXPECT_EQ(U(wide), kMoon);
}

/* Names and text answers with their exact lengths, no trailing NULs; a
 * buffer too small keeps what fits, never half a surrogate pair. */
TEST_F(Wide, NamesAndLengthsInCharactersOrBytes) {
  WideSession s;
  ASSERT_EQ(s.Exec(u"SELECT \"Ωμέγα\", \"a🌜\" FROM \"Ωμέγα\""), SQL_SUCCESS);
  const struct { SQLUSMALLINT column; SQLSMALLINT size; SQLRETURN rc; std::u16string name; SQLSMALLINT length; } names[] = {
    {1, 64, SQL_SUCCESS, kOmega, 5},
    {1, 6, SQL_SUCCESS, kOmega, 5},
    {1, 5, SQL_SUCCESS_WITH_INFO, u"Ωμέγ", 5},
    {2, 64, SQL_SUCCESS, u"a🌜", 3},
    {2, 3, SQL_SUCCESS_WITH_INFO, u"a", 3}, /* room for two units: the pair is not split */
  };
  for (const auto &n : names) {
    SQLWCHAR name[64];
    SQLSMALLINT length = -1, type = 0;
    EXPECT_EQ(SQLDescribeColW(s.stmt, n.column, name, n.size, &length, &type, nullptr, nullptr, nullptr), n.rc)
        << "column " << n.column << " size " << n.size;
    EXPECT_EQ(U(name), n.name);
    EXPECT_EQ(length, n.length);
    if (n.rc == SQL_SUCCESS_WITH_INFO) {
      EXPECT_EQ(s.Diag(SQL_HANDLE_STMT, s.stmt), u"01004");
    }
  }

  SQLWCHAR label[64] = {0};
  SQLSMALLINT bytes = 0;
  ASSERT_EQ(SQLColAttributeW(s.stmt, 1, SQL_DESC_NAME, label, sizeof label, &bytes, nullptr), SQL_SUCCESS);
  EXPECT_EQ(std::u16string(label, label + bytes / 2), kOmega);
  EXPECT_EQ(bytes, 10);

  const struct { SQLSMALLINT size; SQLRETURN rc; std::u16string text; } infos[] = {
    {64, SQL_SUCCESS, u"SQLite"}, {14, SQL_SUCCESS, u"SQLite"}, {8, SQL_SUCCESS_WITH_INFO, u"SQL"},
  };
  for (const auto &i : infos) {
    SQLWCHAR text[32] = {0};
    SQLSMALLINT length = -1;
    EXPECT_EQ(SQLGetInfoW(s.dbc, SQL_DBMS_NAME, text, i.size, &length), i.rc) << "size " << i.size;
    EXPECT_EQ(U(text), i.text);
    EXPECT_EQ(length, 12) << "bytes of the whole name";
  }
}

/* The catalog takes and gives wide names. */
TEST_F(Wide, CatalogNamesAreWide) {
  WideSession s;
  WString table = W(kOmega);
  ASSERT_EQ(SQLTablesW(s.stmt, nullptr, 0, nullptr, 0, table.data(), (SQLSMALLINT)table.size(), nullptr, 0),
            SQL_SUCCESS);
  ASSERT_EQ(SQLFetch(s.stmt), SQL_SUCCESS);
  SQLWCHAR name[64] = {0};
  SQLLEN indicator = 0;
  ASSERT_EQ(SQLGetData(s.stmt, 3, SQL_C_WCHAR, name, sizeof name, &indicator), SQL_SUCCESS);
  EXPECT_EQ(std::u16string(name, name + indicator / 2), kOmega);
  EXPECT_EQ(SQLFetch(s.stmt), SQL_NO_DATA);

  SQLFreeStmt(s.stmt, SQL_CLOSE);
  ASSERT_EQ(SQLColumnsW(s.stmt, nullptr, 0, nullptr, 0, table.data(), SQL_NTS, nullptr, 0), SQL_SUCCESS);
  std::u16string columns;
  while (SQLFetch(s.stmt) == SQL_SUCCESS) {
    ASSERT_EQ(SQLGetData(s.stmt, 4, SQL_C_WCHAR, name, sizeof name, &indicator), SQL_SUCCESS);
    columns += std::u16string(name, name + indicator / 2) + u";";
  }
  EXPECT_EQ(columns, u"Ωμέγα;a🌜;");

  SQLFreeStmt(s.stmt, SQL_CLOSE);
  ASSERT_EQ(SQLPrimaryKeysW(s.stmt, nullptr, 0, nullptr, 0, table.data(), SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(SQLFetch(s.stmt), SQL_NO_DATA);
  SQLFreeStmt(s.stmt, SQL_CLOSE);
  ASSERT_EQ(SQLGetTypeInfoW(s.stmt, SQL_ALL_TYPES), SQL_SUCCESS);
  EXPECT_EQ(SQLFetch(s.stmt), SQL_SUCCESS);
}

/* Connection strings and SQL given back are counted in characters. */
TEST_F(Wide, ConnectionStringAndNativeSql) {
  SQLHENV env;
  SQLHDBC dbc;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
  SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
  WString in = W(u"DSN=Lumetra Data Source");
  SQLWCHAR out[64] = {0};
  SQLSMALLINT length = -1;
  ASSERT_EQ(SQLDriverConnectW(dbc, nullptr, in.data(), SQL_NTS, out, 64, &length, SQL_DRIVER_NOPROMPT), SQL_SUCCESS);
  EXPECT_EQ(U(out), u"DSN=Lumetra Data Source");
  EXPECT_EQ(length, 23);

  WString sql = W(u"SELECT '🌜'");
  SQLWCHAR native[64] = {0};
  SQLINTEGER nativeLength = -1;
  ASSERT_EQ(SQLNativeSqlW(dbc, sql.data(), SQL_NTS, native, 64, &nativeLength), SQL_SUCCESS);
  EXPECT_EQ(U(native), u"SELECT '🌜'");
  EXPECT_EQ(nativeLength, 11);
  SQLDisconnect(dbc);
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  SQLFreeHandle(SQL_HANDLE_ENV, env);
}

}  // namespace
