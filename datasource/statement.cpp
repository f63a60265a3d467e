/* statement.cpp: preparing and executing statements. A prepared
 * statement is compiled once by SQLPrepare; each SQLExecute converts the
 * parameters anew from the application's buffers and runs it. A text of
 * several statements given to SQLExecDirect runs them all, in order,
 * stopping at the first that fails; the last one's rows are the result. */
#include "handles.h"
#include "sql_rewrite.h"

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
static SQLRETURN StatementsOf(Stmt *stmt, SQLCHAR *sql, SQLINTEGER length, std::vector<std::string> *out) {
  if (!sql) return PostError(stmt->diag, "HY009", 0, "Invalid use of null pointer");
  std::string text = InputText(sql, length), utf8;
  size_t bad = 0;
  switch (stmt->dbc->charset.ToUtf8(text.data(), text.size(), &utf8, &bad)) {
    case TEXT_KEPT: break;
    case TEXT_CONVERTED: text.swap(utf8); break;
    case TEXT_INVALID:
      return PostError(stmt->diag, "22018", 0,
                       "Invalid character value: byte " + std::to_string(bad) + " of the statement is not " +
                           stmt->dbc->charset.Name());
  }
  size_t count;
  const TypeWord *words = stmt->dbc->backend->TypeWords(&count);
  for (const std::string &s : SplitStatements(text)) out->push_back(RewriteSql(s, words, count));
  if (out->empty()) return PostError(stmt->diag, "42000", 0, "The statement holds no SQL");
  return SQL_SUCCESS;
}

static SQLRETURN Prepare(Stmt *stmt, const std::string &sql) {
  CloseCursor(stmt);
  if (stmt->prepared && stmt->dbc->group.owner == stmt->prepared.get() &&
      CommitBatch(stmt->dbc, stmt->diag) == SQL_ERROR)
    return SQL_ERROR;
  stmt->prepared.reset();
  stmt->executed = false;
  return stmt->dbc->backend->Prepare(sql, &stmt->prepared, stmt->diag);
}

SQLRETURN ExecutePrepared(Stmt *stmt, bool grouped) {
  if (!stmt->prepared) return PostError(stmt->diag, "HY010", 0, "Function sequence error: nothing prepared");
  CloseCursor(stmt);
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
  return converted;
}

static SQLRETURN PrepareText(Stmt *stmt, SQLCHAR *sql, SQLINTEGER length) {
  std::vector<std::string> statements;
  if (StatementsOf(stmt, sql, length, &statements) == SQL_ERROR) return SQL_ERROR;
  if (statements.size() > 1)
    return PostError(stmt->diag, "42000", 0,
                     "Only one statement can be prepared at a time; this text holds " +
                         std::to_string(statements.size()));
  return Prepare(stmt, statements[0]);
}

static SQLRETURN ExecDirect(Stmt *stmt, SQLCHAR *sql, SQLINTEGER length) {
  std::vector<std::string> statements;
  if (StatementsOf(stmt, sql, length, &statements) == SQL_ERROR) return SQL_ERROR;
  SQLRETURN result = SQL_SUCCESS;
  for (size_t i = 0; i < statements.size(); i++) {
    if (Prepare(stmt, statements[i]) == SQL_ERROR) return SQL_ERROR;
    if (statements.size() > 1 && stmt->prepared->ParamCount() > 0)
      return PostError(stmt->diag, "07002", 0, "Parameters are taken only by a text of one statement");
    SQLRETURN rc = ExecutePrepared(stmt, false);
    if (rc == SQL_ERROR) return rc;
    if (rc == SQL_SUCCESS_WITH_INFO) result = rc;
  }
  return result;
}

static SQLRETURN FreeStmt(Stmt *stmt, SQLUSMALLINT option) {
  if (stmt->prepared && stmt->dbc->group.owner == stmt->prepared.get() &&
      CommitBatch(stmt->dbc, stmt->diag) == SQL_ERROR)
    return SQL_ERROR;
  switch (option) {
    case SQL_CLOSE: CloseCursor(stmt); return SQL_SUCCESS;
    case SQL_UNBIND: stmt->bindings.clear(); return SQL_SUCCESS;
    case SQL_RESET_PARAMS: stmt->params.clear(); return SQL_SUCCESS;
    default: return PostError(stmt->diag, "HY092", 0, "Invalid attribute/option identifier");
  }
}

static SQLRETURN SetStmtAttr(Stmt *stmt, SQLINTEGER attribute, SQLPOINTER value) {
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

static SQLRETURN GetStmtAttr(Stmt *stmt, SQLINTEGER attribute, SQLPOINTER value) {
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

DS_EXPORT SQLRETURN SQL_API SQLPrepare(SQLHSTMT h, SQLCHAR *sql, SQLINTEGER length) {
  ENTER_STMT(h);
  return Leave(stmt->diag, PrepareText(stmt, sql, length));
}

DS_EXPORT SQLRETURN SQL_API SQLExecute(SQLHSTMT h) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ExecutePrepared(stmt, true));
}

DS_EXPORT SQLRETURN SQL_API SQLExecDirect(SQLHSTMT h, SQLCHAR *sql, SQLINTEGER length) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ExecDirect(stmt, sql, length));
}

DS_EXPORT SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT h, SQLUSMALLINT option) {
  ENTER_STMT(h);
  if (option == SQL_DROP) return SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  return Leave(stmt->diag, FreeStmt(stmt, option));
}

DS_EXPORT SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT h, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  ENTER_STMT(h);
  return Leave(stmt->diag, SetStmtAttr(stmt, attribute, value));
}

DS_EXPORT SQLRETURN SQL_API SQLGetStmtAttr(SQLHSTMT h, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                           SQLINTEGER *) {
  ENTER_STMT(h);
  return Leave(stmt->diag, GetStmtAttr(stmt, attribute, value));
}

DS_EXPORT SQLRETURN SQL_API SQLCancel(SQLHSTMT h) {
  ENTER_STMT(h);
  return Leave(stmt->diag, SQL_SUCCESS); /* every call runs to its end before it returns */
}
