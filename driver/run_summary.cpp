/* run_summary.cpp: the summary, and the report of a dry run, built line by line in one static buffer
 * from the reader's report and what the data source tells. Only counts
 * that are not zero get a line. */
#include "run_summary.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "cdf_reader.h"
#include "charset.h"
#include "columns.h"
#include "dry_run.h"
#include "odbcout.h"
#include "run.h"

enum { INFO_TEXT_SIZE = 1024, SHOWN_NAME_LIMIT = 60 };
/* Room for the place and the reader's lines, or for a dry run's list of
 * every column. */
enum { SUMMARY_SIZE = 4 * INFO_TEXT_SIZE + 1024 + MAX_COLUMNS * (SHOWN_NAME_LIMIT + 16) };

static char s_summary[SUMMARY_SIZE];
static int32_t s_length;

/* The words that differ between a summary and a dry run's report. */
static const struct {
  const char *heldNoRecord, *became, *lost, *mendCharset;
} kTense[] = {
  {"held no record", "became", "lost", "drop the table and import the file again"}, /* a run */
  {"would hold no record", "would become", "would lose", "import the file"},        /* a dry run */
};
static int32_t s_tense; /* 1 in a dry run's report */

__attribute__((format(printf, 1, 2))) static void Append(const char *format, ...) {
  if (s_length >= SUMMARY_SIZE - 1) return;
  va_list args;
  va_start(args, format);
  int n = vsnprintf(s_summary + s_length, (size_t)(SUMMARY_SIZE - s_length), format, args);
  va_end(args);
  if (n > 0) s_length += n;
  if (s_length > SUMMARY_SIZE - 1) s_length = SUMMARY_SIZE - 1;
}

/* "1 record", "2 records": the noun as the count wants it. */
static const char *Noun(int64_t count, const char *one, const char *many) {
  return count == 1 ? one : many;
}

/* The first line: what the table holds now. */
static void AppendTable(HDBC hdbc, const char *tableName, int32_t outcome, int32_t count) {
  if (outcome == RUN_IMPORTED) {
    Append("%d %s imported into the table \"%s\"\n", count, Noun(count, "record", "records"), tableName);
    return;
  }
  int64_t rows = CountTableRows(hdbc, tableName);
  if (rows >= 0)
    Append("The table \"%s\" keeps %lld %s\n", tableName, (long long)rows, Noun(rows, "row", "rows"));
  else
    Append("%d %s inserted into the table \"%s\" before the end\n", count, Noun(count, "record was", "records were"),
           tableName);
}

/* Where the table is: the data source (none for a connection string
 * without DSN), its database and its server. */
static void AppendPlace(HDBC hdbc) {
  static char dataSource[INFO_TEXT_SIZE], dbms[INFO_TEXT_SIZE], database[INFO_TEXT_SIZE], server[INFO_TEXT_SIZE];
  GetOdbcInfoText(hdbc, SQL_DATA_SOURCE_NAME, dataSource, INFO_TEXT_SIZE);
  GetOdbcInfoText(hdbc, SQL_DBMS_NAME, dbms, INFO_TEXT_SIZE);
  GetOdbcInfoText(hdbc, SQL_DATABASE_NAME, database, INFO_TEXT_SIZE);
  GetOdbcInfoText(hdbc, SQL_SERVER_NAME, server, INFO_TEXT_SIZE);
  int32_t hasDatabase = dbms[0] || database[0];
  if (!dataSource[0] && !hasDatabase) return; /* a connection string to a driver that tells nothing */
  if (dataSource[0]) Append("  in the data source \"%s\"%s", dataSource, hasDatabase ? ": " : "");
  else Append("  in the ");
  if (hasDatabase) Append("%s%sdatabase %s", dbms, dbms[0] ? " " : "", database[0] ? database : "?");
  if (server[0] && strcmp(server, dataSource) != 0) Append(" on %s", server);
  Append("\n");
}

static void AppendSkippedLines(void) {
  int64_t n = g_cdfReport.skippedLines;
  if (n == 0) return;
  Append("  %lld %s of a single field %s: %s", (long long)n, Noun(n, "line", "lines"), kTense[s_tense].heldNoRecord,
         Noun(n, "line", "lines"));
  int64_t shown = n < SKIPPED_LINES_KEPT ? n : (int64_t)SKIPPED_LINES_KEPT;
  for (int64_t i = 0; i < shown; i++) Append("%s%lld", i ? ", " : " ", (long long)g_cdfReport.firstSkipped[i]);
  Append("%s\n", n > shown ? ", ..." : "");
}

static void AppendLosses(void) {
  int64_t dates = g_cdfReport.nullDates, numbers = g_cdfReport.cutNumbers;
  if (dates)
    Append("  %lld %s %s NULL: not 8 digits YYYYMMDD\n", (long long)dates, Noun(dates, "date", "dates"),
           kTense[s_tense].became);
  if (numbers)
    Append("  %lld %s %s digits: past the second decimal, or decimals in a whole-number @N column\n",
           (long long)numbers, Noun(numbers, "number", "numbers"), kTense[s_tense].lost);
}

/* The code page of the text, when the program had to guess it: a guess
 * that the letters make clear, or one they do not, with the option that
 * names the code page. */
static void AppendCharset(void) {
  if (g_cdfCharsetSource == CHARSET_GIVEN || g_cdfCharset < 0) return;
  const char *name = CdfCharsetName(g_cdfCharset);
  if (g_cdfCharsetSource == CHARSET_GUESSED) {
    if (g_cdfCharset != CDF_UTF8) Append("  text read as %s, as its letters show, and stored as UTF-8\n", name);
    return;
  }
  const char *other = g_cdfCharset == CDF_CP850 ? "CP437" : g_cdfCharset == CDF_CP437 ? "CP850" : "CP850 or CP437";
  Append("  warning: the letters do not show the file's code page; the text was read as %s.\n"
         "  If letters look wrong, %s with --charset %s\n",
         name, kTense[s_tense].mendCharset, other);
}

void ShowRunSummary(UiWindow window, HDBC hdbc, const char *tableName, int32_t outcome, int32_t count) {
  s_length = 0;
  s_summary[0] = 0;
  s_tense = 0;
  AppendTable(hdbc, tableName, outcome, count);
  AppendPlace(hdbc);
  AppendSkippedLines();
  AppendLosses();
  AppendCharset();
  ShowSummary(window, s_summary);
}

void BuildDryRunReport(const char *fileName, const char *tableName, int32_t records) {
  s_length = 0;
  s_summary[0] = 0;
  s_tense = 1;
  int32_t columns = 0;
  for (int32_t i = 0; i < g_columnCount; i++) columns += IsTableColumn(i);
  Append("%s would give the table \"%s\" with %d %s:\n", fileName, tableName, columns,
         Noun(columns, "column", "columns"));
  for (int32_t i = 0; i < g_columnCount; i++)
    if (IsTableColumn(i))
      Append("  %.*s%s %s\n", SHOWN_NAME_LIMIT, g_columns[i].name,
             strlen(g_columns[i].name) > SHOWN_NAME_LIMIT ? "..." : "", SqlTypeNameOfColumn(&g_columns[i]));
  Append("and %d %s; nothing was written\n", records, Noun(records, "record", "records"));
  AppendSkippedLines();
  AppendLosses();
  AppendCharset();
}

const char *DryRunReport(void) {
  return s_summary;
}
