/* statement.cpp: statement handles, preparing and executing. A prepared
 * statement is compiled once by SQLPrepare; each SQLExecute converts the
 * parameters anew from the application's buffers and runs it. A text of
 * several statements given to SQLExecDirect runs them all, in order,
 * stopping at the first that fails; the last one's rows are the result. */
#include "core/statement.h"

#include <algorithm>

#include "core/app_text.h"
#include "core/data_at_exec.h"
#include "core/parameters.h"
#include "core/transaction.h"
#include "text/sql_rewrite.h"

SQLRETURN AllocStatement(Dbc *dbc, SQLHANDLE *output) {
  if (!dbc->backend) return PostError(dbc->diag, "08003", 0, "Connection not open");
  Stmt *stmt = new Stmt;
  stmt->dbc = dbc;
  dbc->statements.push_back(stmt);
  *output = stmt;
  return SQL_SUCCESS;
}

void FreeStatement(Stmt *stmt) {
  std::vector<Stmt *> &list = stmt->dbc->statements;
  list.erase(std::remove(list.begin(), list.end(), stmt), list.end());
  stmt->kind = 0;
  delete stmt;
}

/* The batch of the statement's own executions is committed first; a
 * failure there cannot keep the handle. */
SQLRETURN DropStatement(Stmt *stmt) {
  CommitBatchOf(stmt->dbc, stmt->prepared.get(), stmt->diag);
  FreeStatement(stmt);
  return SQL_SUCCESS;
}

void CloseCursor(Stmt *stmt) {
  if (stmt->prepared) stmt->prepared->Close();
  stmt->catalog.reset();
  stmt->cursor = nullptr;
  stmt->state = CURSOR_NONE;
}

SQLLEN RowCountOf(Stmt *stmt) { return stmt->executed && stmt->prepared ? stmt->prepared->RowCount() : -1; }

void OpenCatalog(Stmt *stmt, std::unique_ptr<Cursor> rows) {
  CloseCursor(stmt);
  stmt->catalog = std::move(rows);
  stmt->cursor = stmt->catalog.get();
  stmt->state = CURSOR_BEFORE;
  stmt->executed = false;
}

/* The application's SQL as the backend takes it: UTF-8, split into its
 * statements, each with the type words mapped. */
static SQLRETURN StatementsOf(Dbc *dbc, Diagnostics &diag, const AppText &sql, std::vector<std::string> *out) {
  if (!sql.s) return PostError(diag, "HY009", 0, "Invalid use of null pointer");
  std::string text;
  size_t bad = 0;
  if (InputUtf8(dbc->charset, sql, &text, &bad) == TEXT_INVALID)
    return PostError(diag, "22018", 0,
                     "Invalid character value: byte " + std::to_string(bad) + " of the statement is not " +
                         dbc->charset.Name());
  const char *const *names = dbc->backend->TypeNames();
  for (const std::string &s : SplitStatements(text)) out->push_back(RewriteSql(s, names));
  if (out->empty()) return PostError(diag, "42000", 0, "The statement holds no SQL");
  return SQL_SUCCESS;
}

static SQLRETURN PrepareOne(Stmt *stmt, const std::string &sql) {
  CloseCursor(stmt);
  EndDataAtExecution(stmt);
  if (CommitBatchOf(stmt->dbc, stmt->prepared.get(), stmt->diag) == SQL_ERROR) return SQL_ERROR;
  stmt->prepared.reset();
  stmt->executed = false;
  return stmt->dbc->backend->Prepare(sql, &stmt->prepared, stmt->diag);
}

/* Runs the prepared statement; grouped: an SQLExecute, which may join a
 * group commit. A parameter sent at execution makes it wait for the
 * data: SQL_NEED_DATA, and SQLParamData runs it (RunPrepared). */
static SQLRETURN RunPrepared(Stmt *stmt, bool grouped);

static SQLRETURN ExecutePrepared(Stmt *stmt, bool grouped) {
  if (!stmt->prepared) return PostError(stmt->diag, "HY010", 0, "Function sequence error: nothing prepared");
  CloseCursor(stmt);
  if (StartDataAtExecution(stmt, stmt->prepared->ParamCount(), grouped)) return SQL_NEED_DATA;
  return RunPrepared(stmt, grouped);
}

static SQLRETURN RunPrepared(Stmt *stmt, bool grouped) {
  Prepared *p = stmt->prepared.get();
  int count = p->ParamCount();
  grouped = grouped && !p->HasResultSet();
  SQLRETURN converted = ConvertParameters(stmt, count);
  if (converted == SQL_ERROR) return AfterStatement(stmt->dbc, SQL_ERROR, stmt->diag);
  stmt->executed = false;
  if (BeforeStatement(stmt->dbc, p, grouped, stmt->diag) == SQL_ERROR) return SQL_ERROR;
  SQLRETURN ran = p->Execute(stmt->values.data(), count, stmt->diag);
  if (AfterStatement(stmt->dbc, ran, stmt->diag) == SQL_ERROR) return SQL_ERROR;
  stmt->executed = true;
  if (p->HasResultSet()) {
    stmt->cursor = p;
    stmt->state = CURSOR_BEFORE;
  }
  return ran == SQL_SUCCESS_WITH_INFO ? ran : converted;
}

SQLRETURN Prepare(Stmt *stmt, const AppText &sql) {
  std::vector<std::string> statements;
  if (StatementsOf(stmt->dbc, stmt->diag, sql, &statements) == SQL_ERROR) return SQL_ERROR;
  if (statements.size() > 1)
    return PostError(stmt->diag, "42000", 0,
                     "Only one statement can be prepared at a time; this text holds " +
                         std::to_string(statements.size()));
  return PrepareOne(stmt, statements[0]);
}

SQLRETURN ExecDirect(Stmt *stmt, const AppText &sql) {
  std::vector<std::string> statements;
  if (StatementsOf(stmt->dbc, stmt->diag, sql, &statements) == SQL_ERROR) return SQL_ERROR;
  SQLRETURN result = SQL_SUCCESS;
  for (size_t i = 0; i < statements.size(); i++) {
    if (PrepareOne(stmt, statements[i]) == SQL_ERROR) return SQL_ERROR;
    if (statements.size() > 1 && stmt->prepared->ParamCount() > 0)
      return PostError(stmt->diag, "07002", 0, "Parameters are taken only by a text of one statement");
    SQLRETURN rc = ExecutePrepared(stmt, false);
    if (rc == SQL_ERROR || rc == SQL_NEED_DATA) return rc;
    if (rc == SQL_SUCCESS_WITH_INFO) result = rc;
  }
  return result;
}

SQLRETURN NativeSql(Dbc *dbc, const AppText &sql, const AppBuffer &out, SQLINTEGER *length) {
  if (!dbc->backend) return PostError(dbc->diag, "08003", 0, "Connection not open");
  std::vector<std::string> statements;
  if (StatementsOf(dbc, dbc->diag, sql, &statements) == SQL_ERROR) return SQL_ERROR;
  std::string text;
  for (const std::string &s : statements) text += (text.empty() ? "" : ";\n") + s;
  SQLLEN full;
  SQLRETURN rc = CopyOut(&dbc->diag, text, out, &full);
  if (length) *length = (SQLINTEGER)full;
  return rc;
}

SQLRETURN FreeStmt(Stmt *stmt, SQLUSMALLINT option) {
  if (CommitBatchOf(stmt->dbc, stmt->prepared.get(), stmt->diag) == SQL_ERROR) return SQL_ERROR;
  switch (option) {
    case SQL_CLOSE: CloseCursor(stmt); EndDataAtExecution(stmt); return SQL_SUCCESS;
    case SQL_UNBIND: stmt->bindings.clear(); return SQL_SUCCESS;
    case SQL_RESET_PARAMS: EndDataAtExecution(stmt); stmt->params.clear(); return SQL_SUCCESS;
    default: return PostError(stmt->diag, "HY092", 0, "Invalid attribute/option identifier");
  }
}

SQLRETURN SetStmtAttr(Stmt *stmt, SQLINTEGER attribute, SQLPOINTER value) {
  switch (attribute) {
    case SQL_ATTR_ROWS_FETCHED_PTR: stmt->rowsFetched = (SQLULEN *)value; return SQL_SUCCESS;
    case SQL_ATTR_ROW_STATUS_PTR: stmt->rowStatus = (SQLUSMALLINT *)value; return SQL_SUCCESS;
    case SQL_ATTR_ROW_ARRAY_SIZE:
    case SQL_ATTR_PARAMSET_SIZE:
      if ((SQLULEN)value == 1) return SQL_SUCCESS;
      return PostError(stmt->diag, "HYC00", 0, "Only one row or parameter set at a time is supported");
    case SQL_ATTR_CURSOR_TYPE:
      if ((SQLULEN)value == SQL_CURSOR_FORWARD_ONLY) return SQL_SUCCESS;
      PostInfo(stmt->diag, "01S02", "Option value changed: the cursor is forward only");
      return SQL_SUCCESS_WITH_INFO;
    default: return SQL_SUCCESS; /* timeouts, row limits and the like: taken, not applied */
  }
}

SQLRETURN GetStmtAttr(Stmt *stmt, SQLINTEGER attribute, SQLPOINTER value) {
  if (!value) return SQL_SUCCESS;
  switch (attribute) {
    case SQL_ATTR_APP_ROW_DESC:
    case SQL_ATTR_APP_PARAM_DESC:
    case SQL_ATTR_IMP_ROW_DESC:
    case SQL_ATTR_IMP_PARAM_DESC: *(SQLPOINTER *)value = stmt; break; /* no descriptors of their own */
    case SQL_ATTR_CURSOR_TYPE: *(SQLULEN *)value = SQL_CURSOR_FORWARD_ONLY; break;
    case SQL_ATTR_CONCURRENCY: *(SQLULEN *)value = SQL_CONCUR_READ_ONLY; break;
    case SQL_ATTR_ROW_ARRAY_SIZE: case SQL_ATTR_PARAMSET_SIZE: *(SQLULEN *)value = 1; break;
    case SQL_ATTR_ROWS_FETCHED_PTR: *(SQLULEN **)value = stmt->rowsFetched; break;
    case SQL_ATTR_ROW_STATUS_PTR: *(SQLUSMALLINT **)value = stmt->rowStatus; break;
    default: *(SQLULEN *)value = 0; break;
  }
  return SQL_SUCCESS;
}

SQLRETURN Execute(Stmt *stmt) { return ExecutePrepared(stmt, true); }

SQLRETURN ParamData(Stmt *stmt, SQLPOINTER *token) {
  bool done = false;
  SQLRETURN rc = NextDataAtExecution(stmt, token, &done);
  if (!done) return rc;
  bool grouped = stmt->atExec.grouped;
  rc = RunPrepared(stmt, grouped);
  EndDataAtExecution(stmt);
  return rc;
}

/* Every call runs to its end before it returns: there is nothing to cancel. */
