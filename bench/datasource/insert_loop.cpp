/* insert_loop.cpp: the same rows through an ODBC data source with the
 * utility's calls, or straight through the SQLite C API. */
#include "insert_loop.h"

#include <math.h>
#include <sqlite3.h>
#include <stdio.h>
#include <string.h>

#include <chrono>

namespace {

/* The utility's binding of each kind: C type, SQL type, column size and
 * buffer length as it passes them, and its type word in CREATE TABLE. */
struct KindBinding {
  SQLSMALLINT cType, sqlType;
  SQLULEN columnSize;
  SQLLEN bufferLength;
  const char *typeWord;    /* what the utility sends */
  const char *sqliteType;  /* what the Lumetra driver makes of it */
};

const KindBinding kBindings[] = {
  /* BENCH_TEXT   */ {SQL_C_CHAR, SQL_VARCHAR, 32767, 32767, "LPWSTR", "TEXT"},
  /* BENCH_NUMBER */ {SQL_C_DOUBLE, SQL_INTEGER, 10, 10, "I4", "INTEGER"},
  /* BENCH_DATE   */ {SQL_C_DATE, SQL_TIMESTAMP, 16, 10, "FILETIME", "TIMESTAMP"},
  /* BENCH_FLAG   */ {SQL_C_DOUBLE, SQL_SMALLINT, 5, 5, "I2", "SMALLINT"},
};

SQLPOINTER ValueOf(BenchColumn &c) {
  switch (c.kind) {
    case BENCH_TEXT: return c.text;
    case BENCH_DATE: return &c.date;
    default: return &c.number;
  }
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::string TableSql(const BenchTable &table, bool sqliteTypes) {
  std::string sql = "CREATE TABLE \"" + table.name + "\"(";
  for (size_t i = 0; i < table.columns.size(); i++) {
    const KindBinding &b = kBindings[table.columns[i]->kind];
    sql += (i ? ",\"" : "\"") + table.columns[i]->name + "\"" + (sqliteTypes ? b.sqliteType : b.typeWord);
  }
  return sql + ")";
}

std::string InsertSql(const BenchTable &table) {
  std::string sql = "INSERT INTO \"" + table.name + "\" VALUES (";
  for (size_t i = 0; i < table.columns.size(); i++) sql += i ? ",?" : "?";
  return sql + ")";
}

/* The utility's handles, released in its teardown order. */
struct OdbcRun {
  HENV henv = SQL_NULL_HENV;
  HDBC hdbc = SQL_NULL_HDBC;
  HSTMT hstmt = SQL_NULL_HSTMT;

  ~OdbcRun() {
    if (hstmt) SQLFreeStmt(hstmt, SQL_DROP);
    if (hdbc) {
      SQLDisconnect(hdbc);
      SQLFreeConnect(hdbc);
    }
    if (henv) SQLFreeEnv(henv);
  }

  std::string Error(const char *call) const {
    SQLCHAR message[128] = "";
    SQLError(henv, hdbc, hstmt, nullptr, nullptr, message, sizeof message, nullptr);
    return std::string(call) + ": " + (const char *)message;
  }
};

bool Ok(RETCODE rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

/* Connects, creates the table, binds every column and prepares the insert. */
bool PrepareOdbc(OdbcRun &run, const std::string &dsn, BenchTable &table, std::string *error) {
  if (!Ok(SQLAllocEnv(&run.henv))) return *error = "SQLAllocEnv failed", false;
  if (!Ok(SQLAllocConnect(run.henv, &run.hdbc))) return *error = run.Error("SQLAllocConnect"), false;
  if (!Ok(SQLConnect(run.hdbc, (SQLCHAR *)dsn.c_str(), SQL_NTS, nullptr, 0, nullptr, 0))) {
    *error = run.Error("SQLConnect");
    SQLFreeConnect(run.hdbc); /* never connected: nothing to disconnect */
    run.hdbc = SQL_NULL_HDBC;
    return false;
  }
  if (!Ok(SQLAllocStmt(run.hdbc, &run.hstmt))) return *error = run.Error("SQLAllocStmt"), false;
  std::string create = TableSql(table, false);
  if (!Ok(SQLExecDirect(run.hstmt, (SQLCHAR *)create.c_str(), SQL_NTS))) return *error = run.Error("CREATE TABLE"), false;
  for (size_t i = 0; i < table.columns.size(); i++) {
    BenchColumn &c = table[i];
    const KindBinding &b = kBindings[c.kind];
    RETCODE rc = SQLBindParameter(run.hstmt, (SQLUSMALLINT)(i + 1), SQL_PARAM_INPUT, b.cType, b.sqlType, b.columnSize,
                                  0, ValueOf(c), b.bufferLength, &c.length);
    if (!Ok(rc)) return *error = run.Error("SQLBindParameter"), false;
  }
  std::string insert = InsertSql(table);
  if (!Ok(SQLPrepare(run.hstmt, (SQLCHAR *)insert.c_str(), SQL_NTS))) return *error = run.Error("SQLPrepare"), false;
  return true;
}

/* Binds one column's value the way the Lumetra driver converts it. */
void BindDirect(sqlite3_stmt *stmt, int n, BenchColumn &c, char *dateText, size_t dateSize) {
  switch (c.kind) {
    case BENCH_TEXT: sqlite3_bind_text(stmt, n, c.text, (int)strlen(c.text), SQLITE_STATIC); return;
    case BENCH_DATE:
      if (c.length == SQL_NULL_DATA) {
        sqlite3_bind_null(stmt, n);
        return;
      }
      snprintf(dateText, dateSize, "%04d-%02u-%02u 00:00:00", c.date.year, c.date.month, c.date.day);
      sqlite3_bind_text(stmt, n, dateText, -1, SQLITE_STATIC);
      return;
    default: sqlite3_bind_int64(stmt, n, (sqlite3_int64)trunc(c.number)); return;
  }
}

enum { DATE_TEXT_SIZE = 32 };

}  // namespace

void BenchTable::Add(const std::string &column, BenchKind kind) {
  columns.push_back(std::make_unique<BenchColumn>());
  columns.back()->name = column;
  columns.back()->kind = kind;
  columns.back()->length = kind == BENCH_TEXT ? SQL_NTS : kind == BENCH_DATE ? 6 : 8;
}

std::string CreateTableSql(const BenchTable &table) { return TableSql(table, false); }

LoopResult OdbcInsertLoop(const std::string &dsn, BenchTable &table, int64_t rows, const RowSource &source) {
  LoopResult result;
  OdbcRun run;
  if (!PrepareOdbc(run, dsn, table, &result.error)) return result;
  auto start = std::chrono::steady_clock::now();
  for (int64_t i = 0; i < rows; i++) {
    source(i, table);
    RETCODE rc = SQLExecute(run.hstmt);
    if (!Ok(rc)) {
      result.error = run.Error("SQLExecute");
      break;
    }
    result.infoRows += rc == SQL_SUCCESS_WITH_INFO;
    result.rows++;
  }
  result.seconds = Seconds(start);
  return result;
}

LoopResult SqliteInsertLoop(const std::string &path, const std::string &journalMode, const std::string &synchronous,
                            BenchTable &table, int64_t rows, const RowSource &source) {
  LoopResult result;
  sqlite3 *db = nullptr;
  sqlite3_stmt *stmt = nullptr;
  std::string setup = "PRAGMA journal_mode=" + journalMode + "; PRAGMA synchronous=" + synchronous + "; " +
                      TableSql(table, true);
  std::string insert = InsertSql(table);
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK ||
      sqlite3_exec(db, setup.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_prepare_v2(db, insert.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    result.error = std::string("sqlite: ") + sqlite3_errmsg(db);
    sqlite3_close(db);
    return result;
  }
  std::vector<char> dates(table.columns.size() * DATE_TEXT_SIZE);
  auto start = std::chrono::steady_clock::now();
  for (int64_t i = 0; i < rows; i++) {
    source(i, table);
    for (size_t k = 0; k < table.columns.size(); k++)
      BindDirect(stmt, (int)k + 1, table[k], &dates[k * DATE_TEXT_SIZE], DATE_TEXT_SIZE);
    int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE) {
      result.error = std::string("sqlite: ") + sqlite3_errmsg(db);
      break;
    }
    result.rows++;
  }
  result.seconds = Seconds(start);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return result;
}
