/* bench_driver_insert.cpp: one million rows with the utility's binding
 * shape through unixODBC and the Lumetra driver, against the same inserts
 * straight through the SQLite C API in the same journal and sync modes,
 * and through the stock SQLite ODBC driver (libsqliteodbc) for comparison.
 * Every database is a fresh file in a temporary folder under /tmp.
 *
 *   bench_driver_insert [--rows N] [--rowset people|cdf] [--journal WAL]
 *                       [--sync NORMAL] [--stock /path/libsqlite3odbc.so] [--keep]
 */
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "bench_rows.h"
#include "insert_loop.h"

namespace {

const char kOurDsn[] = "Lumetra Data Source";
const char kStockDsn[] = "Lumetra Bench Stock SQLite";
const char kDefaultStock[] = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

struct Options {
  long long rows = 1000000;
  std::string rowset = "people", journal = "WAL", sync = "NORMAL", stock = kDefaultStock;
  bool keep = false;
};

bool ParseOptions(int argc, char **argv, Options *o) {
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    bool hasValue = i + 1 < argc;
    if (a == "--keep") o->keep = true;
    else if (a == "--rows" && hasValue) o->rows = atoll(argv[++i]);
    else if (a == "--rowset" && hasValue) o->rowset = argv[++i];
    else if (a == "--journal" && hasValue) o->journal = argv[++i];
    else if (a == "--sync" && hasValue) o->sync = argv[++i];
    else if (a == "--stock" && hasValue) o->stock = argv[++i];
    else return false;
  }
  return o->rows > 0 && (o->rowset == "people" || o->rowset == "cdf");
}

/* Both data sources in one temporary odbc.ini; set before the first ODBC call. */
void WriteDataSources(const std::string &dir, const Options &o) {
  std::ofstream(dir + "/odbcinst.ini") << "";
  std::ofstream ini(dir + "/odbc.ini");
  ini << "[" << kOurDsn << "]\nDriver = " << LUMETRA_DRIVER_PATH << "\nDatabase = " << dir << "/ours.db\n"
      << "JournalMode = " << o.journal << "\nSynchronous = " << o.sync << "\n\n"
      << "[" << kStockDsn << "]\nDriver = " << o.stock << "\nDatabase = " << dir << "/stock.db\n"
      << "JournalMode = " << o.journal << "\nSyncPragma = " << o.sync << "\n";
  setenv("ODBCSYSINI", dir.c_str(), 1);
  setenv("ODBCINI", (dir + "/odbc.ini").c_str(), 1);
}

/* Rows the file really holds, so a loop cannot report rows it lost. */
long long CountRows(const std::string &path, const std::string &table) {
  sqlite3 *db = nullptr;
  sqlite3_stmt *stmt = nullptr;
  long long n = -1;
  std::string sql = "SELECT count(*) FROM \"" + table + "\"";
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
    n = sqlite3_column_int64(stmt, 0);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return n;
}

/* Rows of table in a that b lacks, and the other way round: 0 when both
 * files hold the same values. */
long long RowsThatDiffer(const std::string &a, const std::string &b, const std::string &table) {
  sqlite3 *db = nullptr;
  sqlite3_stmt *stmt = nullptr;
  long long n = -1;
  std::string t = "\"" + table + "\"";
  std::string sql = "ATTACH '" + b + "' AS other; ";
  std::string count = "SELECT (SELECT count(*) FROM (SELECT * FROM main." + t + " EXCEPT SELECT * FROM other." + t +
                      ")) + (SELECT count(*) FROM (SELECT * FROM other." + t + " EXCEPT SELECT * FROM main." + t + "))";
  if (sqlite3_open_v2(a.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, count.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
    n = sqlite3_column_int64(stmt, 0);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return n;
}

void Report(const char *label, const LoopResult &r, long long stored, const LoopResult *floor) {
  printf("%-34s %9lld rows %8.3f s %10.0f rows/s  stored %lld", label, (long long)r.rows, r.seconds,
         r.RowsPerSecond(), stored);
  if (floor && floor->seconds > 0 && r.rows == floor->rows) printf("  time x%.3f of direct", r.seconds / floor->seconds);
  if (r.infoRows) printf("  (%lld with info)", (long long)r.infoRows);
  printf("\n");
  if (!r.error.empty()) printf("  stopped: %s\n", r.error.c_str());
}

}  // namespace

int main(int argc, char **argv) {
  Options o;
  if (!ParseOptions(argc, argv, &o)) {
    fprintf(stderr, "usage: %s [--rows N] [--rowset people|cdf] [--journal MODE] [--sync MODE] [--stock LIB] [--keep]\n",
            argv[0]);
    return 2;
  }
  char tmpl[] = "/tmp/lumetra-bench-XXXXXX";
  if (!mkdtemp(tmpl)) return perror("mkdtemp"), 1;
  std::string dir = tmpl;
  WriteDataSources(dir, o);
  bool cdf = o.rowset == "cdf";
  RowSource source = cdf ? RowSource(GeneratedCdfRows) : RowSource(PeopleRows);
  auto table = [&] { return cdf ? GeneratedCdfTable("people") : PeopleTable("people"); };
  printf("%lld rows, rowset %s, journal_mode=%s synchronous=%s, databases in %s\n", o.rows, o.rowset.c_str(),
         o.journal.c_str(), o.sync.c_str(), dir.c_str());

  BenchTable directTable = table(), ourTable = table(), stockTable = table();
  LoopResult direct = SqliteInsertLoop(dir + "/direct.db", o.journal, o.sync, directTable, o.rows, source);
  Report("SQLite C API, direct", direct, CountRows(dir + "/direct.db", "people"), nullptr);
  LoopResult ours = OdbcInsertLoop(kOurDsn, ourTable, o.rows, source);
  Report("unixODBC + liblumetraodbc", ours, CountRows(dir + "/ours.db", "people"), &direct);
  printf("rows that differ between the driver's and the direct database: %lld\n",
         RowsThatDiffer(dir + "/ours.db", dir + "/direct.db", "people"));
  bool haveStock = access(o.stock.c_str(), R_OK) == 0;
  LoopResult stock;
  if (haveStock) {
    stock = OdbcInsertLoop(kStockDsn, stockTable, o.rows, source);
    Report("unixODBC + libsqlite3odbc (stock)", stock, CountRows(dir + "/stock.db", "people"), &direct);
  } else {
    printf("stock driver %s not found: skipped\n", o.stock.c_str());
  }
  if (direct.seconds > 0 && ours.rows == direct.rows)
    printf("ratio ours/direct: %.3f (goal at most 1.15)\n", ours.seconds / direct.seconds);
  if (haveStock && ours.seconds > 0 && stock.rows == ours.rows)
    printf("ratio stock/ours: %.3f\n", stock.seconds / ours.seconds);

  if (!o.keep) {
    std::string command = "rm -rf '" + dir + "'";
    if (system(command.c_str()) != 0) fprintf(stderr, "could not remove %s\n", dir.c_str());
  }
  bool failed = !direct.error.empty() || !ours.error.empty() || (haveStock && !stock.error.empty());
  return failed ? 1 : 0;
}
