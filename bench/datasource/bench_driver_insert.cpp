/* bench_driver_insert.cpp: rows/s of the same inserts through unixODBC
 * and our driver, straight through SQLite, and through the stock SQLite
 * ODBC driver, in the same journal and sync modes.
 *   bench_driver_insert [rows=1000000] [journal=WAL] [sync=NORMAL] */
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "insert_loop.h"

static const char kStockDriver[] = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

int main(int argc, char **argv) {
  long rows = argc > 1 ? atol(argv[1]) : 1000000;
  std::string journal = argc > 2 ? argv[2] : "WAL";
  std::string sync = argc > 3 ? argv[3] : "NORMAL";
  char tmpl[] = "/tmp/lumetra-bench-XXXXXX";
  std::string dir = mkdtemp(tmpl);
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

  double direct = InsertRowsSqlite(dir + "/direct.db", journal, sync, "people", rows);
  double ours = InsertRowsOdbc("Lumetra Data Source", "people", rows);
  double theirs = stock ? InsertRowsOdbc("Stock SQLite", "people", rows) : -1;
  printf("%ld rows, journal %s, synchronous %s\n", rows, journal.c_str(), sync.c_str());
  printf("  SQLite C API          %9.0f rows/s\n", rows / direct);
  printf("  unixODBC + Lumetra    %9.0f rows/s  (%.3f x the direct time)\n", rows / ours, ours / direct);
  if (theirs > 0) printf("  unixODBC + stock      %9.0f rows/s  (%.3f x the direct time)\n", rows / theirs, theirs / direct);
  if (system(("rm -rf '" + dir + "'").c_str()) != 0) return 1;
  return direct > 0 && ours > 0 ? 0 : 1;
}
