/* group_commit_test.cpp: CommitInterval through the real driver manager:
 * a batch is invisible to other connections until it is committed, a
 * failing row keeps the rows before it, an idle batch is committed by the
 * timer so another writer gets in, and every end of a batch commits. */
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <string>

#include "dsn_environment.h"

TempDsn *g_dsn;

namespace {

const auto *const kEnvironment = ::testing::AddGlobalTestEnvironment(new DsnEnvironment);

bool Ok(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

/* A connection with these extra keys and an INSERT of one I2 prepared. */
struct Writer {
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  double value = 0;
  SQLLEN length = 8;
  Writer(const std::string &table, const std::string &keys) {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string in = "DSN=Lumetra Data Source;" + keys;
    EXPECT_TRUE(Ok(SQLDriverConnect(dbc, nullptr, (SQLCHAR *)in.c_str(), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)));
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    std::string create = "CREATE TABLE IF NOT EXISTS " + table + "(n I2)";
    EXPECT_EQ(SQLExecDirect(stmt, (SQLCHAR *)create.c_str(), SQL_NTS), SQL_SUCCESS);
    SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_SMALLINT, 5, 0, &value, 5, &length);
    std::string insert = "INSERT INTO " + table + " VALUES (?)";
    EXPECT_EQ(SQLPrepare(stmt, (SQLCHAR *)insert.c_str(), SQL_NTS), SQL_SUCCESS);
  }
  SQLRETURN Insert(double v) {
    value = v;
    return SQLExecute(stmt);
  }
  ~Writer() {
    if (stmt) SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
  }
};

const char kLong[] = "CommitInterval=60000"; /* never reached by a test */

TEST(GroupCommit, EveryEndOfABatchCommitsIt) {
  const struct { const char *what; void (*end)(Writer &); } cases[] = {
    {"SQLEndTran", [](Writer &w) { EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, w.dbc, SQL_COMMIT), SQL_SUCCESS); }},
    {"SQLFreeStmt", [](Writer &w) { EXPECT_EQ(SQLFreeStmt(w.stmt, SQL_CLOSE), SQL_SUCCESS); }},
    {"another statement", [](Writer &w) {
       SQLHSTMT other;
       SQLAllocHandle(SQL_HANDLE_STMT, w.dbc, &other);
       EXPECT_EQ(SQLExecDirect(other, (SQLCHAR *)"SELECT 1", SQL_NTS), SQL_SUCCESS);
       SQLFreeHandle(SQL_HANDLE_STMT, other);
     }},
    {"autocommit off", [](Writer &w) {
       EXPECT_EQ(SQLSetConnectAttr(w.dbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0), SQL_SUCCESS);
     }},
    {"SQLDisconnect", [](Writer &w) {
       SQLFreeHandle(SQL_HANDLE_STMT, w.stmt);
       w.stmt = SQL_NULL_HSTMT;
       EXPECT_EQ(SQLDisconnect(w.dbc), SQL_SUCCESS);
     }},
  };
  int n = 0;
  for (const auto &c : cases) {
    std::string table = "ends" + std::to_string(++n);
    Writer w(table, kLong);
    for (int i = 1; i <= 3; i++) ASSERT_EQ(w.Insert(i), SQL_SUCCESS);
    EXPECT_EQ(g_dsn->Query("SELECT count(*) FROM " + table), "0\n") << c.what << ": the batch is still open";
    c.end(w);
    EXPECT_EQ(g_dsn->Query("SELECT count(*) FROM " + table), "3\n") << c.what;
  }
}

/* Directly on SQLite, and through the ODBC backend onto it, where the
 * batch is a transaction on the target that a failure makes us replay. */
const char *const kBackends[] = {"", "Backend=ODBC;Target={DSN=Lumetra Data Source;Backend=SQLite};"};

TEST(GroupCommit, AFailingRowKeepsTheRowsBeforeIt) {
  const struct { const char *what; double bad; const char *state; } cases[] = {
    {"refused by the driver", 40000, "22003"},
    {"refused by SQLite", 7, "23000"},
  };
  int n = 0;
  for (const char *backend : kBackends) {
    for (const auto &c : cases) {
      std::string table = "fails" + std::to_string(++n);
      { Writer create(table, ""); }
      ASSERT_EQ(g_dsn->Exec("CREATE UNIQUE INDEX u" + table + " ON " + table + "(n)"), "");
      Writer w(table, std::string(backend) + kLong);
      for (int i = 1; i <= 7; i++) ASSERT_EQ(w.Insert(i), SQL_SUCCESS) << backend;
      EXPECT_EQ(g_dsn->Query("SELECT count(*) FROM " + table), "0\n") << backend << ": the batch is still open";
      EXPECT_EQ(w.Insert(c.bad), SQL_ERROR) << c.what;
      SQLCHAR state[6] = "";
      SQLGetDiagRec(SQL_HANDLE_STMT, w.stmt, 1, state, nullptr, nullptr, 0, nullptr);
      EXPECT_STREQ((char *)state, c.state) << c.what << " " << backend;
      EXPECT_EQ(g_dsn->Query("SELECT count(*), max(n) FROM " + table), "7|7\n") << c.what << " " << backend;
      ASSERT_EQ(w.Insert(8), SQL_SUCCESS) << backend; /* the batch goes on after the failure */
      ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, w.dbc, SQL_COMMIT), SQL_SUCCESS);
      EXPECT_EQ(g_dsn->Query("SELECT count(*), max(n) FROM " + table), "8|8\n") << c.what << " " << backend;
    }
  }
}

TEST(GroupCommit, IntervalAndIdleTimerCommitSoAnotherWriterGetsIn) {
  Writer w("timed", "CommitInterval=50");
  ASSERT_EQ(w.Insert(1), SQL_SUCCESS);
  auto start = std::chrono::steady_clock::now();
  /* the other writer waits on SQLite's lock until the idle batch is committed */
  EXPECT_EQ(g_dsn->Exec("INSERT INTO timed VALUES (2)"), "");
  double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(g_dsn->Query("SELECT group_concat(n) FROM timed"), "1,2\n");
  EXPECT_LT(waited, 2.0) << "the idle batch held the database";
}

TEST(GroupCommit, ZeroCommitsEveryRow) {
  Writer w("each", "CommitInterval=0");
  ASSERT_EQ(w.Insert(1), SQL_SUCCESS);
  EXPECT_EQ(g_dsn->Query("SELECT count(*) FROM each"), "1\n");
}

TEST(GroupCommit, BadIntervalIsRefused) {
  SQLHENV env;
  SQLHDBC dbc;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
  SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
  for (const char *keys : {"CommitInterval=soon", "CommitInterval=-5"}) {
    std::string in = std::string("DSN=Lumetra Data Source;") + keys;
    EXPECT_EQ(SQLDriverConnect(dbc, nullptr, (SQLCHAR *)in.c_str(), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
              SQL_ERROR) << keys;
  }
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  SQLFreeHandle(SQL_HANDLE_ENV, env);
}

}  // namespace
