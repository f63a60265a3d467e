/* pg_backend_test.cpp: the driver's PostgreSQL backend through the real
 * driver manager: an import run cancelled after N records, failures
 * (COPY with the client among them) inside an open transaction that keep
 * the earlier rows committable, values
 * exact both ways in the SQL types of the SQLite backend, markers in
 * literals left alone, a connection the server ends, and the rows of a
 * group-commit batch streamed by COPY. */
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "odbc_session.h"
#include "pg_server.h"
#include "run.h"
#include "scripted_ui.h"
#include "temp_cdf.h"

namespace {

const auto *const kEnvironment = ::testing::AddGlobalTestEnvironment(new PgEnvironment);

bool Ok(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

TEST(PgRun, CancelAfterNRecordsKeepsN) {
  TempFolder dir;
  std::string many = "n@N,t\n";
  for (int i = 1; i <= 100; i++) many += std::to_string(i) + ",x\n";
  UiScript script;
  script.chosenFile = dir.Write("cancelled.cdf", many);
  script.cancelAtPump = 3 + 40; /* Cancel at the 40th insert's pump */
  UseScriptedUi(script);
  EXPECT_EQ(RunImport(nullptr), RUN_CANCELLED);
  EXPECT_TRUE(g_messages.empty()) << g_messages[0];
  EXPECT_EQ(g_countShown, "40");
  EXPECT_EQ(g_pg.Query("SELECT count(*), max(n) FROM cancelled"), "40|40\n");
}

/* An INSERT prepared once with an integer and a text parameter. */
struct Insert {
  OdbcSession &s;
  SQLINTEGER id = 0;
  char text[16] = "";
  SQLLEN textLength = SQL_NTS;

  Insert(OdbcSession &session, const char *table) : s(session) {
    std::string sql = std::string("INSERT INTO ") + table + " VALUES (?, ?)";
    EXPECT_EQ(SQLPrepare(s.hstmt, (SQLCHAR *)sql.c_str(), SQL_NTS), SQL_SUCCESS) << s.Error();
    SQLBindParameter(s.hstmt, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 10, 0, &id, 0, nullptr);
    SQLBindParameter(s.hstmt, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 15, 0, text, sizeof text, &textLength);
  }
  SQLRETURN Run(int n, const char *t = "x") {
    id = n;
    snprintf(text, sizeof text, "%s", t);
    return SQLExecute(s.hstmt);
  }
};

/* Inside one transaction, each kind of failure is reported with the
 * server's SQLSTATE and leaves the rows before it, and those after it,
 * to the commit. */
TEST(PgTransaction, FailuresKeepTheEarlierRowsCommittable) {
  struct Case {
    const char *name;
    int failing;            /* the id of the row that fails */
    const char *failingText;
    const char *state, *message;
  };
  const Case kCases[] = {
    {"duplicate", 1, "x", "23505", "duplicate key value violates unique constraint"},
    {"check", 7, "x", "23514", "new row for relation \"tx\" violates check constraint \"tx_id_check\""},
    {"too long", 8, "far too long!", "22001", "value too long for type character varying(5)"},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(g_pg.Query("DROP TABLE IF EXISTS tx; CREATE TABLE tx (id integer PRIMARY KEY CHECK (id <> 7), t varchar(5))"), "");
    OdbcSession s;
    ASSERT_TRUE(Ok(s.connected)) << s.Error(false);
    ASSERT_EQ(SQLSetConnectAttr(s.hdbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0), SQL_SUCCESS);
    Insert insert(s, "tx");
    ASSERT_EQ(insert.Run(1), SQL_SUCCESS) << s.Error();
    ASSERT_EQ(insert.Run(2), SQL_SUCCESS) << s.Error();
    ASSERT_EQ(insert.Run(c.failing, c.failingText), SQL_ERROR);
    std::string error = s.Error();
    EXPECT_EQ(error.substr(0, 5), c.state) << error;
    EXPECT_NE(error.find(std::string("[Lumetra] PostgreSQL: ") + c.message), std::string::npos) << error;
    ASSERT_EQ(insert.Run(3), SQL_SUCCESS) << s.Error();
    EXPECT_EQ(g_pg.Query("SELECT count(*) FROM tx"), "0\n"); /* nothing committed yet */
    ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, s.hdbc, SQL_COMMIT), SQL_SUCCESS) << s.Error(false);
    EXPECT_EQ(g_pg.Query("SELECT id FROM tx ORDER BY id"), "1\n2\n3\n");
  }
}

TEST(PgTransaction, StatementsThatFailToPrepareOrRunDoNotAbortIt) {
  ASSERT_EQ(g_pg.Query("DROP TABLE IF EXISTS tp; CREATE TABLE tp (id integer, t text)"), "");
  OdbcSession s;
  ASSERT_EQ(SQLSetConnectAttr(s.hdbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0), SQL_SUCCESS);
  ASSERT_EQ(s.Exec("INSERT INTO tp VALUES (1, 'a')"), SQL_SUCCESS) << s.Error();
  /* a COPY with the client is refused before it reaches the server */
  const struct { const char *sql, *state; } kFailing[] = {
    {"INSERT INTO missing VALUES (1)", "42P01"}, {"SELEKT 1", "42601"}, {"SELECT 1 / 0", "22012"},
    {"COPY tp FROM STDIN", "0A000"},             {"COPY tp TO STDOUT", "0A000"},
  };
  for (const auto &f : kFailing) {
    EXPECT_EQ(s.Exec(f.sql), SQL_ERROR) << f.sql;
    EXPECT_EQ(s.Error().substr(0, 5), f.state) << f.sql << ": " << s.Error();
  }
  ASSERT_EQ(s.Exec("INSERT INTO tp VALUES (2, 'b')"), SQL_SUCCESS) << s.Error();
  ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, s.hdbc, SQL_COMMIT), SQL_SUCCESS) << s.Error(false);
  EXPECT_EQ(g_pg.Query("SELECT id FROM tp ORDER BY id"), "1\n2\n");

  ASSERT_EQ(s.Exec("INSERT INTO tp VALUES (3, 'c')"), SQL_SUCCESS) << s.Error();
  ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, s.hdbc, SQL_ROLLBACK), SQL_SUCCESS) << s.Error(false);
  EXPECT_EQ(g_pg.Query("SELECT count(*) FROM tp"), "2\n");

  /* The application's own transaction control is passed through as written. */
  ASSERT_EQ(SQLSetConnectAttr(s.hdbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_ON, 0), SQL_SUCCESS);
  ASSERT_EQ(s.Exec("BEGIN"), SQL_SUCCESS) << s.Error();
  ASSERT_EQ(s.Exec("INSERT INTO tp VALUES (4, 'd')"), SQL_SUCCESS) << s.Error();
  ASSERT_EQ(s.Exec("SAVEPOINT mine"), SQL_SUCCESS) << s.Error();
  ASSERT_EQ(s.Exec("INSERT INTO tp VALUES (5, 'e')"), SQL_SUCCESS) << s.Error();
  ASSERT_EQ(s.Exec("ROLLBACK TO SAVEPOINT mine"), SQL_SUCCESS) << s.Error();
  ASSERT_EQ(s.Exec("COMMIT"), SQL_SUCCESS) << s.Error();
  EXPECT_EQ(g_pg.Query("SELECT id FROM tp ORDER BY id"), "1\n2\n4\n");
}

/* Values sent as parameters and read back by SQLGetData, with the column's
 * SQL type from SQLDescribeCol. */
TEST(PgValues, ExactBothWaysWithTheSqliteBackendsTypes) {
  ASSERT_EQ(g_pg.Query("DROP TABLE IF EXISTS vals; CREATE TABLE vals (b bigint, i integer, s smallint, d double precision, "
                       "n numeric, t text, v varchar(20), ts timestamp, dt date, by bytea)"),
            "");
  OdbcSession s;
  SQLBIGINT big = INT64_MAX;
  SQLINTEGER integer = INT32_MIN;
  double small = -32768, real = 0.1, numeric = 12345678901234.0;
  char text[] = "caf\xc3\xa9 'x' ?";
  TIMESTAMP_STRUCT ts = {1999, 12, 31, 23, 59, 58, 0};
  DATE_STRUCT date = {2000, 2, 29};
  unsigned char bytes[] = {0, 1, 0xfe, 0x27};
  SQLLEN textLength = SQL_NTS, bytesLength = sizeof bytes, nullLength = SQL_NULL_DATA;
  ASSERT_EQ(SQLPrepare(s.hstmt, (SQLCHAR *)"INSERT INTO vals VALUES (?,?,?,?,?,?,?,?,?,?)", SQL_NTS), SQL_SUCCESS)
      << s.Error();
  SQLBindParameter(s.hstmt, 1, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 19, 0, &big, 0, nullptr);
  SQLBindParameter(s.hstmt, 2, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 10, 0, &integer, 0, nullptr);
  SQLBindParameter(s.hstmt, 3, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_SMALLINT, 5, 0, &small, 0, nullptr);
  SQLBindParameter(s.hstmt, 4, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, &real, 0, nullptr);
  SQLBindParameter(s.hstmt, 5, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, &numeric, 0, nullptr);
  SQLBindParameter(s.hstmt, 6, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 20, 0, text, 0, &textLength);
  SQLBindParameter(s.hstmt, 7, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 20, 0, text, 0, &nullLength);
  SQLBindParameter(s.hstmt, 8, SQL_PARAM_INPUT, SQL_C_TIMESTAMP, SQL_TIMESTAMP, 19, 0, &ts, 0, nullptr);
  SQLBindParameter(s.hstmt, 9, SQL_PARAM_INPUT, SQL_C_DATE, SQL_TYPE_DATE, 10, 0, &date, 0, nullptr);
  SQLBindParameter(s.hstmt, 10, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY, 4, 0, bytes, 4, &bytesLength);
  ASSERT_EQ(SQLExecute(s.hstmt), SQL_SUCCESS) << s.Error();
  EXPECT_EQ(g_pg.Query("SELECT * FROM vals"),
            "9223372036854775807|-2147483648|-32768|0.1|12345678901234|caf\xc3\xa9 'x' ?|NULL|1999-12-31 23:59:58|2000-02-29|"
            "\\x0001fe27\n");

  ASSERT_EQ(SQLFreeStmt(s.hstmt, SQL_RESET_PARAMS), SQL_SUCCESS);
  ASSERT_EQ(s.Exec("SELECT * FROM vals"), SQL_SUCCESS) << s.Error();
  /* The session is ODBC 2's, as the utility's: its date and time types. */
  /* numeric without a precision as psqlODBC describes it; timestamps keep microseconds */
  const SQLSMALLINT kTypes[] = {SQL_BIGINT, SQL_INTEGER, SQL_SMALLINT, SQL_DOUBLE, SQL_NUMERIC,
                                SQL_VARCHAR, SQL_VARCHAR, SQL_TIMESTAMP, SQL_DATE, SQL_LONGVARBINARY};
  const SQLULEN kSizes[] = {19, 10, 5, 15, 28, 32767, 20, 26, 10, 2147483647};
  for (SQLUSMALLINT col = 1; col <= 10; col++) {
    SQLSMALLINT type = 0;
    SQLULEN size = 0;
    ASSERT_TRUE(Ok(SQLDescribeCol(s.hstmt, col, nullptr, 0, nullptr, &type, &size, nullptr, nullptr)));
    EXPECT_EQ(type, kTypes[col - 1]) << "column " << col;
    EXPECT_EQ(size, kSizes[col - 1]) << "column " << col;
  }
  ASSERT_EQ(SQLFetch(s.hstmt), SQL_SUCCESS) << s.Error();
  SQLBIGINT gotBig = 0;
  SQLINTEGER gotInt = 0;
  double gotReal = 0, gotNumeric = 0;
  char gotText[32] = "";
  TIMESTAMP_STRUCT gotTs = {};
  unsigned char gotBytes[8] = {};
  SQLLEN length = 0, nullIndicator = 0;
  EXPECT_EQ(SQLGetData(s.hstmt, 1, SQL_C_SBIGINT, &gotBig, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(gotBig, INT64_MAX);
  EXPECT_EQ(SQLGetData(s.hstmt, 2, SQL_C_SLONG, &gotInt, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(gotInt, INT32_MIN);
  EXPECT_EQ(SQLGetData(s.hstmt, 4, SQL_C_DOUBLE, &gotReal, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(gotReal, 0.1);
  EXPECT_EQ(SQLGetData(s.hstmt, 5, SQL_C_DOUBLE, &gotNumeric, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(gotNumeric, numeric);
  EXPECT_EQ(SQLGetData(s.hstmt, 6, SQL_C_CHAR, gotText, sizeof gotText, &length), SQL_SUCCESS);
  EXPECT_STREQ(gotText, text);
  EXPECT_EQ(SQLGetData(s.hstmt, 7, SQL_C_CHAR, gotText, sizeof gotText, &nullIndicator), SQL_SUCCESS);
  EXPECT_EQ(nullIndicator, SQL_NULL_DATA);
  EXPECT_EQ(SQLGetData(s.hstmt, 8, SQL_C_TYPE_TIMESTAMP, &gotTs, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(gotTs.year * 10000 + gotTs.month * 100 + gotTs.day, 19991231);
  EXPECT_EQ(gotTs.hour * 10000 + gotTs.minute * 100 + gotTs.second, 235958);
  EXPECT_EQ(SQLGetData(s.hstmt, 10, SQL_C_BINARY, gotBytes, sizeof gotBytes, &length), SQL_SUCCESS);
  ASSERT_EQ(length, 4);
  EXPECT_EQ(std::string((char *)gotBytes, 4), std::string((char *)bytes, 4));
  EXPECT_EQ(SQLFetch(s.hstmt), SQL_NO_DATA);
}

/* Marker numbering through the server: a '?' in a literal, a quoted name
 * or a comment is not a parameter. */
TEST(PgValues, MarkersOutsideLiteralsOnly) {
  OdbcSession s;
  SQLINTEGER a = 5, b = 7;
  ASSERT_EQ(SQLPrepare(s.hstmt,
                       (SQLCHAR *)"SELECT ?::integer + ? AS \"sum?\", '?' AS q, $$?$$ AS d /* ? */ -- ?\n, E'\\'?' AS e", SQL_NTS),
            SQL_SUCCESS)
      << s.Error();
  SQLSMALLINT count = 0;
  SQLNumParams(s.hstmt, &count);
  ASSERT_EQ(count, 2);
  SQLBindParameter(s.hstmt, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 10, 0, &a, 0, nullptr);
  SQLBindParameter(s.hstmt, 2, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 10, 0, &b, 0, nullptr);
  ASSERT_EQ(SQLExecute(s.hstmt), SQL_SUCCESS) << s.Error();
  ASSERT_EQ(SQLFetch(s.hstmt), SQL_SUCCESS);
  char v[4][8] = {};
  for (SQLUSMALLINT c = 1; c <= 4; c++) SQLGetData(s.hstmt, c, SQL_C_CHAR, v[c - 1], sizeof v[0], nullptr);
  EXPECT_STREQ(v[0], "12");
  EXPECT_STREQ(v[1], "?");
  EXPECT_STREQ(v[2], "?");
  EXPECT_STREQ(v[3], "'?");
}

/* A result column's type by the server's own name, for the types the
 * driver knows and for those it does not. */
TEST(PgValues, ResultColumnsNameTheServersTypes) {
  OdbcSession s;
  ASSERT_EQ(s.Exec("SELECT 1::int4, 'x'::varchar, now(), 1.5, '{}'::json, '127.0.0.1'::inet, 'x'::text"),
            SQL_SUCCESS) << s.Error();
  const char *const names[] = {"int4", "varchar", "timestamptz", "numeric", "json", "inet", "text"};
  for (SQLUSMALLINT c = 1; c <= 7; c++) {
    char name[32] = "";
    ASSERT_EQ(SQLColAttribute(s.hstmt, c, SQL_DESC_TYPE_NAME, name, sizeof name, nullptr, nullptr), SQL_SUCCESS);
    EXPECT_STREQ(name, names[c - 1]) << "column " << c;
  }
}

/* Fractions of a second: microseconds kept, a nanosecond more dropped
 * with 01S07 (PostgreSQL keeps six digits). */
TEST(PgValues, TimestampFractionsToMicroseconds) {
  OdbcSession s;
  ASSERT_EQ(s.Exec("CREATE TABLE fractions (t timestamp)"), SQL_SUCCESS) << s.Error();
  const struct { SQLUINTEGER nanos; RETCODE rc; const char *stored; } cases[] = {
    {123456000, SQL_SUCCESS, "2026-12-08 01:02:03.123456"},
    {123456789, SQL_SUCCESS_WITH_INFO, "2026-12-08 01:02:03.123456"},
    {0, SQL_SUCCESS, "2026-12-08 01:02:03"},
  };
  for (const auto &c : cases) {
    ASSERT_EQ(s.Exec("DELETE FROM fractions"), SQL_SUCCESS) << s.Error();
    TIMESTAMP_STRUCT t = {2026, 12, 8, 1, 2, 3, c.nanos};
    SQLLEN length = sizeof t;
    SQLFreeStmt(s.hstmt, SQL_RESET_PARAMS);
    SQLBindParameter(s.hstmt, 1, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 29, 9, &t, 0, &length);
    EXPECT_EQ(SQLExecDirect(s.hstmt, (SQLCHAR *)"INSERT INTO fractions VALUES (?)", SQL_NTS), c.rc) << c.nanos;
    if (c.rc == SQL_SUCCESS_WITH_INFO) {
      EXPECT_EQ(s.Error().substr(0, 5), "01S07");
    }
    SQLFreeStmt(s.hstmt, SQL_RESET_PARAMS);
    EXPECT_EQ(g_pg.Query("SELECT t FROM fractions"), std::string(c.stored) + "\n") << c.nanos;
  }
}

/* A group-commit batch of a plain insert goes by COPY: its text and bytes
 * arrive exactly, and a row the server refuses is reported at the commit,
 * keeping the rows before it, also those of a part of the batch that a
 * catalog call ended first. */
TEST(PgBatch, StreamedRowsExactAndARefusalKeepsTheRowsBeforeIt) {
  ASSERT_EQ(g_pg.Query("DROP TABLE IF EXISTS bt; CREATE TABLE bt (id integer CHECK (id <> 7), t text, by bytea)"), "");
  SQLHENV env;
  SQLHDBC dbc;
  SQLHSTMT stmt;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
  SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
  const char in[] = "DSN=Lumetra Data Source;CommitInterval=60000";
  ASSERT_TRUE(Ok(SQLDriverConnect(dbc, nullptr, (SQLCHAR *)in, SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)));
  SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
  ASSERT_EQ(SQLPrepare(stmt, (SQLCHAR *)"INSERT INTO bt VALUES (?, ?, ?)", SQL_NTS), SQL_SUCCESS);
  SQLINTEGER id = 0;
  char text[] = "tab\t line\n cr\r back\\slash \\N caf\xc3\xa9";
  unsigned char bytes[] = {0, '\\', '\t', 0xff};
  SQLLEN textLength = SQL_NTS, bytesLength = sizeof bytes;
  SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 10, 0, &id, 0, nullptr);
  SQLBindParameter(stmt, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 60, 0, text, 0, &textLength);
  SQLBindParameter(stmt, 3, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY, 4, 0, bytes, 4, &bytesLength);
  const int kIds[] = {1, 2, 3, -1, 4, 7, 8};  /* -1: a catalog call */
  for (int n : kIds) {
    if (n < 0) {
      SQLHSTMT catalog;
      SQLAllocHandle(SQL_HANDLE_STMT, dbc, &catalog);
      EXPECT_TRUE(Ok(SQLTables(catalog, nullptr, 0, nullptr, 0, (SQLCHAR *)"bt", SQL_NTS, nullptr, 0)));
      SQLFreeHandle(SQL_HANDLE_STMT, catalog);
      continue;
    }
    id = n;
    textLength = n == 2 ? SQL_NULL_DATA : SQL_NTS;
    ASSERT_EQ(SQLExecute(stmt), SQL_SUCCESS) << "row " << n;
  }
  EXPECT_EQ(g_pg.Query("SELECT count(*) FROM bt"), "0\n"); /* nothing committed yet */
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT), SQL_ERROR);
  SQLCHAR state[6] = "", message[512] = "";
  SQLGetDiagRec(SQL_HANDLE_DBC, dbc, 1, state, nullptr, message, sizeof message, nullptr);
  EXPECT_STREQ((char *)state, "23514");
  EXPECT_NE(std::string((char *)message).find("[Lumetra] PostgreSQL: row 5 and the rows after it not stored: new row for "
                                             "relation \"bt\" violates check constraint"),
            std::string::npos)
      << message;
  EXPECT_EQ(g_pg.Query("SELECT id, coalesce(t = $$" + std::string(text) + "$$, id = 2), by = '\\x005c09ff' FROM bt ORDER BY id"),
            "1|t|t\n2|t|t\n3|t|t\n4|t|t\n");
  /* The statement goes on: a new batch, committed when the statement is freed. */
  id = 9;
  ASSERT_EQ(SQLExecute(stmt), SQL_SUCCESS);
  ASSERT_EQ(SQLFreeStmt(stmt, SQL_DROP), SQL_SUCCESS);
  EXPECT_EQ(g_pg.Query("SELECT string_agg(id::text, ',' ORDER BY id) FROM bt"), "1,2,3,4,9\n");
  SQLDisconnect(dbc);
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  SQLFreeHandle(SQL_HANDLE_ENV, env);
}

TEST(PgConnection, EndedByTheServerIs08S01) {
  OdbcSession s;
  ASSERT_TRUE(Ok(s.connected)) << s.Error(false);
  ASSERT_EQ(s.Exec("CREATE TEMP TABLE mark (n integer)"), SQL_SUCCESS) << s.Error();
  std::string ended = g_pg.Query(
      "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE application_name = 'Lumetra Data Source'");
  ASSERT_NE(ended.find('t'), std::string::npos) << ended;
  EXPECT_EQ(s.Exec("SELECT 1"), SQL_ERROR);
  std::string error = s.Error();
  EXPECT_EQ(error.substr(0, 5), "08S01") << error;
  EXPECT_NE(error.find("[Lumetra] PostgreSQL: connection to the server lost"), std::string::npos) << error;
}

TEST(PgConnection, ABadKeyOrServerFailsWith08001) {
  SQLHENV env;
  SQLHDBC dbc;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
  SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
  struct Case {
    std::string keys, state, message;
  };
  const Case kCases[] = {
    {"Port=1", "08001", "failed: No such file or directory"},
    {"Database=nowhere", "08001", "database \"nowhere\" does not exist"},
    {"SSLMode=sometimes", "08001", "invalid sslmode value: \"sometimes\""},
  };
  for (const Case &c : kCases) {
    std::string in = "DSN=Lumetra Data Source;" + c.keys;
    EXPECT_EQ(SQLDriverConnect(dbc, nullptr, (SQLCHAR *)in.c_str(), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
              SQL_ERROR);
    SQLCHAR state[6] = "", message[256] = "";
    SQLGetDiagRec(SQL_HANDLE_DBC, dbc, 1, state, nullptr, message, sizeof message, nullptr);
    EXPECT_EQ((char *)state, c.state) << c.keys;
    EXPECT_NE(std::string((char *)message).find(c.message), std::string::npos) << c.keys << ": " << message;
  }
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  SQLFreeHandle(SQL_HANDLE_ENV, env);
}

}  // namespace
