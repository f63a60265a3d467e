/* run.cpp: RunImport, one straight sequence with message pumps at fixed
 * points. Every failure is shown where it is found; Cancel is seen only
 * after the pumps. When the record loop ends at the end of the file or at
 * Cancel, the connection is committed and the result checked, so that a
 * driver that defers its commits cannot lose the last rows unseen; when
 * it ends at a failure, the table is asked what it holds, and the count
 * shown and the message say which counted records it lacks. All
 * ends go through one teardown that releases what was obtained, in the
 * reverse order. The table and the rows inserted stay in the data source
 * whatever the end, except where the table is replaced: then the drop,
 * the new table and its rows are one transaction, rolled back at a
 * failure or Cancel so that the old table stays. A front end that wants
 * one gets a summary before the teardown. */

#include <string.h>

#include "cdf_file.h"
#include "cdf_reader.h"
#include "columns.h"
#include "odbcout.h"
#include "run.h"
#include "run_messages.h"
#include "run_summary.h"

ImportOptions g_importOptions;
int32_t g_runCount;

/* The data source of the runs, told that the text comes as UTF-8. */
static char s_connectionString[CONNECTION_STRING_SIZE];
enum { CONNECTION_OUT_SIZE = 1024 };
enum { COUNT_TEXT_SIZE = 12 };
/* Seconds a data source may take to answer each call once the user has
 * cancelled, or while the run asks what a failed import stored: a server
 * that stopped answering must not hold the run. */
enum { LATE_CALL_LIMIT_S = 5 };

/* What the run holds; the teardown releases what is not null. */
struct RunState {
  const char *fileName;
  UiWindow window;
  HENV henv;
  HDBC hdbc;
  HSTMT hstmt;
  int32_t tableCreated; /* the run made or filled the table: the summary tells of it */
  int32_t inTransaction; /* a replacement under way: rolled back unless it is complete */
  int32_t tableExisted;  /* the table was there before the run */
  int32_t count;        /* records inserted, and after a failure the rows the table holds */
};

/* How the record loop and its commit ended. */
enum LoopEnd { LOOP_DONE, LOOP_READ_FAILED, LOOP_INSERT_FAILED, LOOP_COMMIT_FAILED };

/* The statement of the run while it is connected, for the interrupt
 * hook, which a front end may call from another thread. */
static HSTMT volatile s_runningStmt = SQL_NULL_HSTMT;

/* Asks the data source to stop the call the run waits in; one that ends
 * by itself soon after keeps what it did. */
static void StopRunningCall(void) {
  HSTMT hstmt = s_runningStmt;
  if (hstmt != SQL_NULL_HSTMT) SQLCancel(hstmt);
}

/* What a failed insert or commit said, and the line of the record, kept
 * while the run asks the data source what it stored. */
static char s_driverText[ODBC_MESSAGE_SIZE];
static int64_t s_failedLine;

static void Teardown(RunState *s) {
  s_runningStmt = SQL_NULL_HSTMT;
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
  rc = SQLDriverConnect(s->hdbc, 0, (SQLCHAR *)s_connectionString, SQL_NTS, completed, CONNECTION_OUT_SIZE,
                        &completedLength, SQL_DRIVER_NOPROMPT);
  if (!CheckOdbc(s->window, rc, s->henv, s->hdbc, SQL_NULL_HSTMT)) return 0;
  rc = SQLAllocStmt(s->hdbc, &s->hstmt);
  if (!CheckOdbc(s->window, rc, s->henv, s->hdbc, SQL_NULL_HSTMT)) {
    s->hstmt = SQL_NULL_HSTMT;
    return 0;
  }
  s_runningStmt = s->hstmt;
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

/* Keeps the message of the failed call for the run's own message. */
static void KeepDriverText(RunState *s, HSTMT hstmt) {
  const char *text = FetchOdbcMessage(s->henv, s->hdbc, hstmt);
  size_t n = strlen(text);
  memcpy(s_driverText, text, n + 1);
}

/* Inserts every line that the record reader reports as a record, up to
 * the end of the file, the first failure, or Cancel. */
static int32_t ImportRecords(RunState *s) {
  int32_t endOfFile = 0, endOfLine = 0;
  char countText[COUNT_TEXT_SIZE];
  for (;;) {
    if (!ReadCdfRecord(&endOfFile, &endOfLine)) return LOOP_READ_FAILED;
    if (!endOfLine) {
      RETCODE rc = SQLExecute(s->hstmt);
      if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
        KeepDriverText(s, s->hstmt);
        s_failedLine = CdfRecordLine();
        return LOOP_INSERT_FAILED;
      }
      s->count++;
      FormatCount(s->count, countText);
      if (s->window) SetProgressText(s->window, countText);
      PumpMessages();
    }
    if (endOfFile || g_cancelled) return LOOP_DONE;
  }
}

/* Commits what the driver may still hold back; in plain autocommit this
 * is a successful no-op. */
static int32_t CommitImport(RunState *s) {
  RETCODE rc = SQLEndTran(SQL_HANDLE_DBC, s->hdbc, SQL_COMMIT);
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) return LOOP_DONE;
  KeepDriverText(s, SQL_NULL_HSTMT);
  return LOOP_COMMIT_FAILED;
}

/* The table's rows, asked through a connection of its own: the run's may
 * be the one that was lost. -1 when the data source does not tell. */
static int64_t CountOnNewConnection(RunState *s, const char *tableName) {
  HDBC hdbc = SQL_NULL_HDBC;
  int64_t rows = -1;
  if (SQLAllocConnect(s->henv, &hdbc) != SQL_SUCCESS) return -1;
  RETCODE rc = SQLDriverConnect(hdbc, 0, (SQLCHAR *)s_connectionString, SQL_NTS, 0, 0, 0, SQL_DRIVER_NOPROMPT);
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) {
    SQLSetConnectAttr(hdbc, SQL_ATTR_CONNECTION_TIMEOUT, (SQLPOINTER)(SQLULEN)LATE_CALL_LIMIT_S, 0);
    rows = CountTableRows(hdbc, tableName);
    SQLDisconnect(hdbc);
  }
  SQLFreeConnect(hdbc);
  return rows;
}

/* After a failure in the record loop: a driver that groups its commits
 * may have lost the rows of a batch with it (a full disk, a lock held too
 * long, a lost connection). What can be kept is committed, the table is
 * asked what it holds, and the count on screen becomes that; the counted
 * records it lacks are named after the failure. *lostFrom is 0 when none
 * are lacking, -1 when the data source cannot tell. */
static void SettleCount(RunState *s, const char *tableName, int64_t *lostFrom) {
  char countText[COUNT_TEXT_SIZE];
  *lostFrom = 0;
  if (s->count == 0) return;
  SQLEndTran(SQL_HANDLE_DBC, s->hdbc, SQL_COMMIT);
  int64_t stored = CountTableRows(s->hdbc, tableName);
  if (stored < 0) stored = CountOnNewConnection(s, tableName);
  *lostFrom = stored < 0 ? -1 : 0;
  if (stored < 0 || stored >= s->count) return;
  *lostFrom = stored + 1;
  s->count = (int32_t)stored;
  FormatCount(s->count, countText);
  if (s->window) SetProgressText(s->window, countText);
}

/* Shows why the record loop failed, then what it cost. */
static void ShowLoopFailure(RunState *s, int32_t end, int64_t lostFrom, int32_t counted) {
  if (end == LOOP_READ_FAILED) ShowReadFailure(s->window, s->fileName, 0);
  else if (end == LOOP_INSERT_FAILED) ShowInsertFailure(s->window, s->fileName, s_failedLine, s_driverText);
  else ShowMessage(s->window, s_driverText);
  if (lostFrom != 0) ShowLostRecords(s->window, lostFrom, counted);
}

/* The table made ready for the records as the table mode asks. */
static int32_t MakeTable(RunState *s, const char *tableName) {
  int32_t mode = g_importOptions.tableMode;
  if (mode == TABLE_NEW) return CreateImportTable(s->window, tableName, s->henv, s->hdbc, s->hstmt);
  int32_t match = MatchImportTable(s->window, tableName, s->henv, s->hdbc);
  if (match == TABLE_NOT_TOLD) return 0;
  s->tableExisted = match != TABLE_ABSENT;
  if (mode == TABLE_APPEND) {
    if (match == TABLE_DIFFERS) {
      ShowAppendRefused(s->window, s->fileName, tableName, TableDifference());
      return 0;
    }
    return match == TABLE_MATCHES || CreateImportTable(s->window, tableName, s->henv, s->hdbc, s->hstmt);
  }
  SQLUSMALLINT capable = SQL_TC_NONE;
  SQLGetInfo(s->hdbc, SQL_TXN_CAPABLE, &capable, sizeof capable, 0);
  if (capable == SQL_TC_ALL) {
    RETCODE rc = SQLSetConnectAttr(s->hdbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)(SQLULEN)SQL_AUTOCOMMIT_OFF, 0);
    if (!CheckOdbc(s->window, rc, s->henv, s->hdbc, SQL_NULL_HSTMT)) return 0;
    s->inTransaction = 1;
  }
  if (s->tableExisted && !DropImportTable(s->window, tableName, s->henv, s->hdbc, s->hstmt)) return 0;
  return CreateImportTable(s->window, tableName, s->henv, s->hdbc, s->hstmt);
}

/* The records of a replacement, in its one transaction: all of them are
 * committed with the new table, or none is and the old table stays (the
 * teardown rolls back). Returns a RunOutcome. */
static int32_t FillReplacement(RunState *s, int32_t endOfFile) {
  int32_t end = endOfFile ? LOOP_DONE : ImportRecords(s);
  if (end != LOOP_DONE) {
    if (end != LOOP_READ_FAILED && PumpAndCancelled()) return RUN_CANCELLED; /* a call Cancel cut short */
    ShowLoopFailure(s, end, 0, s->count);
    return RUN_FAILED;
  }
  if (g_cancelled) return RUN_CANCELLED;
  if (CommitImport(s) != LOOP_DONE) {
    ShowMessage(s->window, s_driverText);
    return RUN_FAILED;
  }
  s->inTransaction = 0;
  return RUN_IMPORTED;
}

/* Ends a replacement that did not complete: the old table comes back. */
static void RollBackReplacement(RunState *s, const char *tableName) {
  s->inTransaction = 0;
  RETCODE rc = SQLEndTran(SQL_HANDLE_DBC, s->hdbc, SQL_ROLLBACK);
  if (!CheckOdbc(s->window, rc, s->henv, s->hdbc, SQL_NULL_HSTMT)) return;
  s->tableCreated = s->tableExisted;
  ShowReplacementUndone(s->window, tableName, s->tableExisted);
}

int32_t RunImport(UiInstance instance) {
  char fileName[FILE_NAME_SIZE];
  RunState s = {fileName, 0, SQL_NULL_HENV, SQL_NULL_HDBC, SQL_NULL_HSTMT, 0, 0, 0, 0};
  char tableName[TABLE_NAME_SIZE];
  int32_t endOfFile = 0;
  int32_t outcome = RUN_FAILED; /* what a plain goto teardown means */

  g_hCdfFile = CDF_NO_FILE;
  g_cancelled = 0;
  g_runCount = 0;
  SetOdbcMessageSink(ShowMessage);
  g_interruptHook = StopRunningCall;
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
  if (!MakeConnectionString(g_importOptions.dataSource, s_connectionString)) {
    ShowMessage(s.window, "the data source's name or connection string is too long");
    goto teardown;
  }
  if (!Connect(&s)) goto teardown;
  ImportTableName(fileName, tableName);
  if (PumpAndCancelled()) goto cancelled;
  if (!MakeTable(&s, tableName)) goto teardown;
  s.tableCreated = 1;
  if (PumpAndCancelled()) goto cancelled;
  if (!PrepareImportInsert(s.window, tableName, s.henv, s.hdbc, s.hstmt)) goto teardown;
  if (PumpAndCancelled()) goto cancelled;
  if (s.inTransaction) {
    outcome = FillReplacement(&s, endOfFile);
    if (outcome == RUN_CANCELLED) goto cancelled;
    goto teardown;
  }
  if (!endOfFile) {
    int32_t cancelledBefore = 0; /* Cancel seen at a pump, before the commit */
    int32_t end = ImportRecords(&s);
    if (end == LOOP_DONE) {
      cancelledBefore = g_cancelled;
      if (g_cancelled) SQLSetConnectAttr(s.hdbc, SQL_ATTR_CONNECTION_TIMEOUT, (SQLPOINTER)(SQLULEN)LATE_CALL_LIMIT_S, 0);
      end = CommitImport(&s);
    }
    if (end != LOOP_DONE) {
      int32_t counted = s.count;
      int64_t lostFrom;
      /* a call that Cancel cut short failed as the user asked */
      int32_t cancelledInCall = end != LOOP_READ_FAILED && !cancelledBefore && PumpAndCancelled();
      SettleCount(&s, tableName, &lostFrom);
      if (cancelledInCall) {
        if (lostFrom != 0) ShowLostRecords(s.window, lostFrom, counted);
        goto cancelled;
      }
      ShowLoopFailure(&s, end, lostFrom, counted);
      goto teardown;
    }
    if (g_cancelled) goto cancelled;
  }
  outcome = RUN_IMPORTED;
  goto teardown;
cancelled:
  outcome = RUN_CANCELLED;
teardown:
  if (s.inTransaction) RollBackReplacement(&s, tableName);
  g_runCount = s.count;
  if (s.tableCreated && WantsSummary()) ShowRunSummary(s.window, s.hdbc, tableName, outcome, s.count);
  Teardown(&s);
  return outcome;
}
