/* temp_dsn.cpp: the temporary data source of the tests. */
#include "temp_dsn.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <fstream>
#include <stdexcept>

const char kDriverPath[] = LUMETRA_DRIVER_PATH;

TempDsn::TempDsn(const std::string &journal, const std::string &sync, const std::string &extraLines)
    : journalMode(journal), synchronous(sync) {
  char tmpl[] = "/tmp/lumetra-dsn-XXXXXX";
  if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
  dir = tmpl;
  database = dir + "/lumetra.db";
  std::ofstream(dir + "/odbcinst.ini") << "";
  Write(extraLines);
  setenv("ODBCSYSINI", dir.c_str(), 1);
  setenv("ODBCINI", (dir + "/odbc.ini").c_str(), 1);
}

TempDsn::~TempDsn() {
  std::string command = "rm -rf '" + dir + "'";
  if (system(command.c_str()) != 0) { /* a leftover folder in /tmp is harmless */
  }
}

void TempDsn::Write(const std::string &extraLines) const {
  std::ofstream ini(dir + "/odbc.ini");
  ini << "[Lumetra Data Source]\n"
      << "Driver = " << kDriverPath << "\n"
      << (extraLines.rfind("Database", 0) == 0 ? "" : "Database = " + database + "\n")
      << "JournalMode = " << journalMode << "\n"
      << "Synchronous = " << synchronous << "\n"
      << extraLines;
}

std::string TempDsn::Query(const std::string &sql) const {
  sqlite3 *db = nullptr;
  std::string out;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return "cannot open " + database;
  }
  sqlite3_stmt *stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    out = std::string("error: ") + sqlite3_errmsg(db);
  } else {
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      for (int i = 0; i < sqlite3_column_count(stmt); i++) {
        if (i) out += "|";
        const unsigned char *t = sqlite3_column_text(stmt, i);
        out += t ? (const char *)t : "NULL";
      }
      out += "\n";
    }
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return out;
}

std::string TempDsn::Exec(const std::string &sql, int busyTimeoutMs) const {
  sqlite3 *db = nullptr;
  std::string out;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
    sqlite3_busy_timeout(db, busyTimeoutMs);
    char *error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) out = error ? error : "error";
    sqlite3_free(error);
  } else {
    out = "cannot open " + database;
  }
  sqlite3_close(db);
  return out;
}
