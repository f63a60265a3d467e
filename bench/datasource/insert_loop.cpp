/* insert_loop.cpp: the two insert loops of the benchmarks. */
#include "insert_loop.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>
#include <stdio.h>
#include <string.h>

#include <chrono>

namespace {

enum { TEXT_SIZE = 32768, COLUMNS = 10 };

const char *const kNames[] = {"Ann Baker", "Smith, John", "Zo\303\251 M\303\274ller", "O\"Brien", "Li Wei"};
const char *const kCompanies[] = {"Acme, Inc.", "Globex", "Initech \"Software\"", "Umbrella Corp", "Hooli"};

/* One row, as the record reader would leave it in the column table. */
struct Row {
  char name[TEXT_SIZE], company[TEXT_SIZE], at[TEXT_SIZE], tags[TEXT_SIZE], notes[TEXT_SIZE];
  double amount, price, option, check;
  DATE_STRUCT born;
  SQLLEN textLength = SQL_NTS, numberLength = 8, dateLength = 6;
};

void FillRow(Row *r, long i) {
  unsigned r32 = (unsigned)(i * 2654435761u) >> 8;
  snprintf(r->name, TEXT_SIZE, "%s", kNames[i % 5]);
  snprintf(r->company, TEXT_SIZE, "%s", kCompanies[i % 5]);
  snprintf(r->at, TEXT_SIZE, "%02u:%02u", r32 % 24, r32 % 60);
  snprintf(r->tags, TEXT_SIZE, "red;green;%u", r32 % 1000);
  snprintf(r->notes, TEXT_SIZE, "Line one,\r\nline two");
  r->amount = (double)(r32 % 100000) + (r32 % 100) / 100.0;
  r->price = ((r32 % 5000) + 0.005) * 100.0;
  r->option = (double)(1 << (r32 % 3));
  r->check = (r32 >> 3) & 1;
  r->born.year = (SQLSMALLINT)(1900 + r32 % 120);
  r->born.month = (SQLUSMALLINT)(1 + r32 % 12);
  r->born.day = (SQLUSMALLINT)(1 + r32 % 28);
}

const char kColumns[] =
    "(\"Name\"LPWSTR,\"Company\"LPWSTR,\"Amount\"I4,\"Price\"I4,\"Born\"FILETIME,\"At\"LPWSTR,\"Mr\"I2,\"Vip\"I2,"
    "\"Tags\"LPWSTR,\"Notes\"LONG_LPWSTR)";
const char kMarkers[] = " VALUES (?,?,?,?,?,?,?,?,?,?)";

bool Ok(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

void Report(HENV env, HDBC dbc, HSTMT stmt, const char *what) {
  SQLCHAR message[512] = "";
  SQLError(env, dbc, stmt, nullptr, nullptr, message, sizeof message, nullptr);
  fprintf(stderr, "%s failed: %s\n", what, message);
}

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

double InsertRowsOdbc(const std::string &dsn, const std::string &table, long rows) {
  static Row row;
  HENV env = nullptr;
  HDBC dbc = nullptr;
  HSTMT stmt = nullptr;
  double result = -1;
  SQLAllocEnv(&env);
  SQLAllocConnect(env, &dbc);
  if (!Ok(SQLConnect(dbc, (SQLCHAR *)dsn.c_str(), SQL_NTS, nullptr, 0, nullptr, 0))) {
    Report(env, dbc, nullptr, "SQLConnect");
  } else {
    SQLAllocStmt(dbc, &stmt);
    std::string create = "CREATE TABLE \"" + table + "\"" + kColumns;
    std::string insert = "INSERT INTO \"" + table + "\"" + kMarkers;
    if (!Ok(SQLExecDirect(stmt, (SQLCHAR *)create.c_str(), SQL_NTS))) {
      Report(env, dbc, stmt, "CREATE TABLE");
    } else {
      char *texts[] = {row.name, row.company, row.at, row.tags, row.notes};
      int t = 0;
      SQLUSMALLINT p = 1;
      auto text = [&]() { SQLBindParameter(stmt, p++, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 32767, 0, texts[t++], 32767, &row.textLength); };
      auto number = [&](double *v, SQLSMALLINT type, SQLULEN size) {
        SQLBindParameter(stmt, p++, SQL_PARAM_INPUT, SQL_C_DOUBLE, type, size, 0, v, (SQLLEN)size, &row.numberLength);
      };
      text();
      text();
      number(&row.amount, SQL_INTEGER, 10);
      number(&row.price, SQL_INTEGER, 10);
      SQLBindParameter(stmt, p++, SQL_PARAM_INPUT, SQL_C_DATE, SQL_TIMESTAMP, 16, 0, &row.born, 10, &row.dateLength);
      text();
      number(&row.option, SQL_SMALLINT, 5);
      number(&row.check, SQL_SMALLINT, 5);
      text();
      text();
      SQLPrepare(stmt, (SQLCHAR *)insert.c_str(), SQL_NTS);
      auto start = std::chrono::steady_clock::now();
      long i = 0;
      for (; i < rows; i++) {
        FillRow(&row, i);
        if (!Ok(SQLExecute(stmt))) {
          Report(env, dbc, stmt, "SQLExecute");
          break;
        }
      }
      if (i == rows) result = Seconds(start);
    }
    SQLFreeStmt(stmt, SQL_DROP);
  }
  SQLDisconnect(dbc);
  SQLFreeConnect(dbc);
  SQLFreeEnv(env);
  return result;
}

double InsertRowsSqlite(const std::string &path, const std::string &journal, const std::string &sync,
                        const std::string &table, long rows) {
  static Row row;
  sqlite3 *db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return -1;
  std::string setup = "PRAGMA journal_mode=" + journal + "; PRAGMA synchronous=" + sync + "; CREATE TABLE \"" + table +
                      "\"(Name TEXT, Company TEXT, Amount INTEGER, Price INTEGER, Born TIMESTAMP, At TEXT, Mr SMALLINT,"
                      " Vip SMALLINT, Tags TEXT, Notes TEXT)";
  sqlite3_stmt *stmt = nullptr;
  std::string insert = "INSERT INTO \"" + table + "\"" + kMarkers;
  if (sqlite3_exec(db, setup.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_prepare_v2(db, insert.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    sqlite3_close(db);
    return -1;
  }
  auto start = std::chrono::steady_clock::now();
  char born[32];
  for (long i = 0; i < rows; i++) {
    FillRow(&row, i);
    sqlite3_bind_text(stmt, 1, row.name, -1, SQLITE_STATIC);
    sqlite3_bind_text(stmt, 2, row.company, -1, SQLITE_STATIC);
    sqlite3_bind_int64(stmt, 3, (sqlite3_int64)row.amount);
    sqlite3_bind_int64(stmt, 4, (sqlite3_int64)row.price);
    int n = snprintf(born, sizeof born, "%04d-%02u-%02u 00:00:00", row.born.year, row.born.month, row.born.day);
    sqlite3_bind_text(stmt, 5, born, n, SQLITE_STATIC);
    sqlite3_bind_text(stmt, 6, row.at, -1, SQLITE_STATIC);
    sqlite3_bind_int64(stmt, 7, (sqlite3_int64)row.option);
    sqlite3_bind_int64(stmt, 8, (sqlite3_int64)row.check);
    sqlite3_bind_text(stmt, 9, row.tags, -1, SQLITE_STATIC);
    sqlite3_bind_text(stmt, 10, row.notes, -1, SQLITE_STATIC);
    if (sqlite3_step(stmt) != SQLITE_DONE) {
      fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
      break;
    }
    sqlite3_reset(stmt);
  }
  double seconds = Seconds(start);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return seconds;
}
