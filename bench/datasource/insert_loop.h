/* insert_loop.h: the driver-level insert loop of the benchmarks, reusable
 * by any benchmark that wants to compare against it. A BenchTable holds
 * one bound value record per table column, laid out like the utility's
 * column records; a RowSource writes the values of row i into them. The
 * same rows can then be inserted
 *   - through an ODBC data source with the utility's calls and bindings
 *     (CREATE TABLE, SQLBindParameter before SQLPrepare, one autocommit
 *     SQLExecute per row), or
 *   - straight through the SQLite C API, one autocommit insert each with a
 *     statement prepared once, converting the values the way the Lumetra
 *     driver does (whole numbers, dates as "YYYY-MM-DD 00:00:00").
 *
 *   BenchTable t = PeopleTable();                 // bench_rows.h
 *   LoopResult r = OdbcInsertLoop("Lumetra Data Source", t, 1000000, PeopleRows);
 *   printf("%.0f rows/s\n", r.RowsPerSecond());
 */
#ifndef LUMETRA_BENCH_INSERT_LOOP_H
#define LUMETRA_BENCH_INSERT_LOOP_H

#include <sql.h>
#include <sqlext.h>
#include <stdint.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

enum BenchKind {
  BENCH_TEXT,   /* SQL_C_CHAR as SQL_VARCHAR, type word LPWSTR */
  BENCH_NUMBER, /* SQL_C_DOUBLE as SQL_INTEGER, type word I4 */
  BENCH_DATE,   /* SQL_C_DATE as SQL_TIMESTAMP, type word FILETIME */
  BENCH_FLAG    /* SQL_C_DOUBLE as SQL_SMALLINT, type word I2 (check box, option group) */
};

enum { BENCH_TEXT_SIZE = 32768 };

struct BenchColumn {
  std::string name;
  BenchKind kind;
  char text[BENCH_TEXT_SIZE] = "";
  double number = 0;
  DATE_STRUCT date = {0, 0, 0};
  SQLLEN length = 0; /* SQL_NTS for text, 8 for doubles, 6 or SQL_NULL_DATA for dates */
};

struct BenchTable {
  std::string name;
  std::vector<std::unique_ptr<BenchColumn>> columns; /* records never move once bound */

  void Add(const std::string &column, BenchKind kind);
  BenchColumn &operator[](size_t i) { return *columns[i]; }
};

/* Writes row i (counting from 0, called in order) into the table's records. */
using RowSource = std::function<void(int64_t row, BenchTable &table)>;

struct LoopResult {
  int64_t rows = 0;     /* rows inserted */
  double seconds = 0;   /* the insert loop alone, without connect and CREATE TABLE */
  int64_t infoRows = 0; /* executes that returned SQL_SUCCESS_WITH_INFO */
  std::string error;    /* empty when every row went in */

  double RowsPerSecond() const { return seconds > 0 ? (double)rows / seconds : 0; }
};

/* CREATE TABLE "name"("col"TYPE,...) with the utility's type words. */
std::string CreateTableSql(const BenchTable &table);

/* The utility's run, minus the file: connect to the data source, create the
 * table, bind, prepare, and execute once per row. */
LoopResult OdbcInsertLoop(const std::string &dsn, BenchTable &table, int64_t rows, const RowSource &source);

/* The same rows straight into the SQLite file at path, opened with the
 * given journal and synchronous modes. */
LoopResult SqliteInsertLoop(const std::string &path, const std::string &journalMode, const std::string &synchronous,
                            BenchTable &table, int64_t rows, const RowSource &source);

#endif
