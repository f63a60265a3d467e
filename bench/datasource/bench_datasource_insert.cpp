/* bench_datasource_insert.cpp: rows/s of the same inserts through unixODBC
 * and our driver, straight through SQLite, and through the stock SQLite
 * ODBC driver, in the same journal and sync modes.
 *   bench_datasource_insert [rows=1000000] [journal=WAL] [sync=NORMAL] [only]
 * With only (direct, ours or stock) it runs that loop once, for counting
 * instructions under callgrind, which a loaded machine does not disturb. */
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "insert_loop.h"

static const int kRounds = 2;
static const char kStockDriver[] = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

/* Rows of table in ours.db that direct.db lacks and the other way round,
 * so the driver is measured doing the same work: 0 when both hold the
 * same values; -1 when they cannot be compared. */
static long long RowsThatDiffer(const std::string &dir, const std::string &table) {
  sqlite3 *db = nullptr;
  sqlite3_stmt *stmt = nullptr;
  long long n = -1;
  std::string attach = "ATTACH '" + dir + "/direct.db' AS d";
  std::string t = "\"" + table + "\"";
  std::string count = "SELECT (SELECT count(*) FROM (SELECT * FROM main." + t + " EXCEPT SELECT * FROM d." + t +
                      ")) + (SELECT count(*) FROM (SELECT * FROM d." + t + " EXCEPT SELECT * FROM main." + t + "))";
  if (sqlite3_open_v2((dir + "/ours.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, count.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
    n = sqlite3_column_int64(stmt, 0);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return n;
}

int main(int argc, char **argv) {
  long rows = argc > 1 ? atol(argv[1]) : 1000000;
  std::string journal = argc > 2 ? argv[2] : "WAL";
  std::string sync = argc > 3 ? argv[3] : "NORMAL";
  char tmpl[] = "/tmp/lumetra-bench-XXXXXX";
  std::string dir = mkdtemp(tmpl);
  std::string only = argc > 4 ? argv[4] : "";
  bool stock = access(kStockDriver, R_OK) == 0;
  {
    std::ofstream ini(dir + "/odbc.ini");
    ini << "[Lumetra Data Source]\nDriver = " << LUMETRA_DRIVER_PATH << "\nDatabase = " << dir
        << "/ours.db\nJournalMode = " << journal << "\nSynchronous = " << sync << "\n";
    if (stock)
      ini << "[Stock SQLite]\nDriver = " << kStockDriver << "\nDatabase = " << dir << "/stock.db\nJournalMode = "
          << journal << "\nSyncPragma = " << sync << "\n";
    std::ofstream(dir + "/odbcinst.ini") << "";
  }
  setenv("ODBCSYSINI", dir.c_str(), 1);
  setenv("ODBCINI", (dir + "/odbc.ini").c_str(), 1);

  if (!only.empty()) {
    double t = only == "direct" ? InsertRowsSqlite(dir + "/direct.db", journal, sync, "people", rows)
               : only == "ours" ? InsertRowsOdbc("Lumetra Data Source", "people", rows)
                                : InsertRowsOdbc("Stock SQLite", "people", rows);
    printf("%s: %ld rows in %.3f s\n", only.c_str(), rows, t);
    return system(("rm -rf '" + dir + "'").c_str()) != 0 || t < 0;
  }
  /* alternate the two, twice, and keep the best of each, so neither pays
   * alone for what the machine was doing meanwhile */
  double direct = 1e300, ours = 1e300;
  for (int round = 0; round < kRounds; round++) {
    std::string table = "people" + std::to_string(round);
    double d = InsertRowsSqlite(dir + "/direct.db", journal, sync, table, rows);
    double o = InsertRowsOdbc("Lumetra Data Source", table, rows);
    if (d < 0 || o < 0) return 1;
    if (d < direct) direct = d;
    if (o < ours) ours = o;
  }
  double theirs = stock ? InsertRowsOdbc("Stock SQLite", "people0", rows) : -1;
  printf("%ld rows, journal %s, synchronous %s (best of %d for ours and direct)\n", rows, journal.c_str(),
         sync.c_str(), kRounds);
  printf("  SQLite C API          %9.0f rows/s\n", rows / direct);
  printf("  unixODBC + Lumetra    %9.0f rows/s  (%.3f x the direct time)\n", rows / ours, ours / direct);
  if (theirs > 0) printf("  unixODBC + stock      %9.0f rows/s  (%.3f x the direct time)\n", rows / theirs, theirs / direct);
  long long differ = RowsThatDiffer(dir, "people0");
  printf("  rows that differ between the driver's and the direct database: %lld\n", differ);
  if (system(("rm -rf '" + dir + "'").c_str()) != 0) return 1;
  return direct > 0 && ours > 0 && differ == 0 ? 0 : 1;
}
