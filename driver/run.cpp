/* run.cpp: RunImport, one straight sequence with message pumps at fixed
 * points. Every failure is shown where it is found; Cancel is seen only
 * after the pumps. When the record loop ends at the end of the file or at
 * Cancel, the connection is committed and the result checked, so that a
 * driver that defers its commits cannot lose the last rows unseen. All
 * ends go through one teardown that releases what was obtained, in the
 * reverse order. The table and the rows inserted stay in the data source
 * whatever the end; a front end that wants one gets a summary of them
 * before the teardown. */

#include "cdf_file.h"
#include "cdf_reader.h"
#include "columns.h"
#include "odbcout.h"
#include "run.h"
#include "run_messages.h"
#include "run_summary.h"

/* The data source, told that the text comes as UTF-8: the program has
 * converted it from the file's code page, whatever the DSN's Charset says
 * for other clients. */
static const char kConnectionString[] = "DSN=Lumetra Data Source;Charset=UTF-8";
enum { CONNECTION_OUT_SIZE = 1024 };
enum { COUNT_TEXT_SIZE = 12 };

/* What the run holds; the teardown releases what is not null. */
struct RunState {
  const char *fileName;
  UiWindow window;
  HENV henv;
  HDBC hdbc;
  HSTMT hstmt;
  int32_t tableCreated; /* the run made the table: the summary tells of it */
  int32_t count;        /* records inserted */
};

static void Teardown(RunState *s) {
  if (s->hstmt != SQL_NULL_HSTMT) SQLFreeStmt(s->hstmt, SQL_DROP);
  if (s->hdbc != SQL_NULL_HDBC) {
    SQLDisconnect(s->hdbc);
    SQLFreeConnect(s->hdbc);
  }
  if (s->henv != SQL_NULL_HENV) SQLFreeEnv(s->henv);
  CloseCdfFile();
  if (s->window) DestroyProgressWindow(s->window);
}

/* Allocates the environment, connection and statement and connects. */
static int32_t Connect(RunState *s) {
  RETCODE rc = SQLAllocEnv(&s->henv);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
    s->henv = SQL_NULL_HENV;
    ShowMessage(s->window, "ODBC call failed");
    return 0;
  }
  rc = SQLAllocConnect(s->henv, &s->hdbc);
  if (!CheckOdbc(s->window, rc, s->henv, SQL_NULL_HDBC, SQL_NULL_HSTMT)) {
    s->hdbc = SQL_NULL_HDBC;
    return 0;
  }
  static SQLCHAR completed[CONNECTION_OUT_SIZE];
  SQLSMALLINT completedLength = 0;
  rc = SQLDriverConnect(s->hdbc, 0, (SQLCHAR *)kConnectionString, SQL_NTS, completed, CONNECTION_OUT_SIZE,
                        &completedLength, SQL_DRIVER_NOPROMPT);
  if (!CheckOdbc(s->window, rc, s->henv, s->hdbc, SQL_NULL_HSTMT)) return 0;
  rc = SQLAllocStmt(s->hdbc, &s->hstmt);
  if (!CheckOdbc(s->window, rc, s->henv, s->hdbc, SQL_NULL_HSTMT)) {
    s->hstmt = SQL_NULL_HSTMT;
    return 0;
  }
  return 1;
}

/* Pumps, then tells whether the user has cancelled. */
static int32_t PumpAndCancelled(void) {
  PumpMessages();
  return g_cancelled;
}

/* The count, at least 1, as decimal digits into text: done for every
 * record, where snprintf took about 4% of a grouped import. */
static void FormatCount(int32_t count, char *text) {
  char digits[COUNT_TEXT_SIZE];
  int32_t n = 0;
  do {
    digits[n++] = (char)('0' + count % 10);
    count /= 10;
  } while (count > 0);
  for (int32_t i = 0; i < n; i++) text[i] = digits[n - 1 - i];
  text[n] = 0;
}

/* Inserts every line that the record reader reports as a record, up to
 * the end of the file, the first failure, or Cancel; 0 at a failure. */
static int32_t ImportRecords(RunState *s) {
  int32_t endOfFile = 0, endOfLine = 0;
  char countText[COUNT_TEXT_SIZE];
  for (;;) {
    if (!ReadCdfRecord(&endOfFile, &endOfLine)) {
      ShowReadFailure(s->window, s->fileName, 0);
      return 0;
    }
    if (!endOfLine) {
      RETCODE rc = SQLExecute(s->hstmt);
      if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
        ShowInsertFailure(s->window, s->fileName, CdfRecordLine(), FetchOdbcMessage(s->henv, s->hdbc, s->hstmt));
        return 0;
      }
      s->count++;
      FormatCount(s->count, countText);
      if (s->window) SetProgressText(s->window, countText);
      PumpMessages();
    }
    if (endOfFile || g_cancelled) return 1;
  }
}

/* Commits what the driver may still hold back; in plain autocommit this
 * is a successful no-op. */
static int32_t CommitImport(RunState *s) {
  RETCODE rc = SQLEndTran(SQL_HANDLE_DBC, s->hdbc, SQL_COMMIT);
  return CheckOdbc(s->window, rc, s->henv, s->hdbc, SQL_NULL_HSTMT);
}

int32_t RunImport(UiInstance instance) {
  char fileName[FILE_NAME_SIZE];
  RunState s = {fileName, 0, SQL_NULL_HENV, SQL_NULL_HDBC, SQL_NULL_HSTMT, 0, 0};
  char tableName[TABLE_NAME_SIZE];
  int32_t endOfFile = 0;
  int32_t outcome = RUN_FAILED; /* what a plain goto teardown means */

  g_hCdfFile = CDF_NO_FILE;
  g_cancelled = 0;
  s.window = CreateProgressWindow(instance);
  fileName[0] = 0;
  if (!ChooseImportFile(instance, s.window, fileName)) goto cancelled;
  if (!OpenCdfFile(fileName)) {
    ShowOpenFailure(s.window, fileName);
    goto teardown;
  }
  if (!ReadCdfHeader(&endOfFile)) {
    ShowReadFailure(s.window, fileName, 1);
    goto teardown;
  }
  if (g_columnCount == 0) {
    ShowNoHeader(s.window, fileName);
    goto teardown;
  }
  if (!Connect(&s)) goto teardown;
  TableNameFromPath(fileName, tableName);
  if (PumpAndCancelled()) goto cancelled;
  if (!CreateImportTable(s.window, tableName, s.henv, s.hdbc, s.hstmt)) goto teardown;
  s.tableCreated = 1;
  if (PumpAndCancelled()) goto cancelled;
  if (!PrepareImportInsert(s.window, tableName, s.henv, s.hdbc, s.hstmt)) goto teardown;
  if (PumpAndCancelled()) goto cancelled;
  if (!endOfFile) {
    if (!ImportRecords(&s) || !CommitImport(&s)) goto teardown;
    if (g_cancelled) goto cancelled;
  }
  outcome = RUN_IMPORTED;
  goto teardown;
cancelled:
  outcome = RUN_CANCELLED;
teardown:
  if (s.tableCreated && WantsSummary()) ShowRunSummary(s.window, s.hdbc, tableName, outcome, s.count);
  Teardown(&s);
  return outcome;
}
