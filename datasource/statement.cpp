/* statement.cpp: preparing and executing statements. A prepared
 * statement is compiled once by SQLPrepare; each SQLExecute only resets
 * it, binds the parameters anew from the application's buffers and steps.
 * With autocommit on, SQLite commits every statement by itself. */
#include "driver.h"

void CloseCursor(Stmt *stmt) {
  if (stmt->prepared) sqlite3_reset(stmt->prepared);
  stmt->executed = false;
  stmt->rowPending = false;
  stmt->onRow = false;
}

SQLRETURN PrepareStatement(Stmt *stmt, const std::string &sql) {
  CloseCursor(stmt);
  sqlite3_finalize(stmt->prepared);
  stmt->prepared = nullptr;
  stmt->rowCount = -1;
  sqlite3 *db = stmt->dbc->db;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), (int)sql.size() + 1, &stmt->prepared, nullptr);
  if (rc != SQLITE_OK) return PostSqliteError(stmt->diag, db, rc);
  if (!stmt->prepared) return PostError(stmt->diag, "42000", 0, "The statement holds no SQL");
  return SQL_SUCCESS;
}

/* With autocommit off, every statement runs inside a transaction that
 * SQLEndTran ends. */
static SQLRETURN BeginIfManual(Stmt *stmt) {
  sqlite3 *db = stmt->dbc->db;
  if (stmt->dbc->autocommit || !sqlite3_get_autocommit(db)) return SQL_SUCCESS;
  int rc = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  return rc == SQLITE_OK ? SQL_SUCCESS : PostSqliteError(stmt->diag, db, rc);
}

SQLRETURN ExecuteStatement(Stmt *stmt) {
  if (!stmt->prepared) return PostError(stmt->diag, "HY010", 0, "Function sequence error: nothing prepared");
  CloseCursor(stmt);
  SQLRETURN bound = BindParameters(stmt);
  if (bound == SQL_ERROR) return bound;
  if (BeginIfManual(stmt) == SQL_ERROR) return SQL_ERROR;
  sqlite3 *db = stmt->dbc->db;
  int rc = sqlite3_step(stmt->prepared);
  if (rc == SQLITE_ROW) {
    stmt->executed = true;
    stmt->rowPending = true;
    stmt->rowCount = -1;
    stmt->getDataOffset.assign(sqlite3_column_count(stmt->prepared), 0);
    return bound;
  }
  if (rc != SQLITE_DONE) {
    SQLRETURN error = PostSqliteError(stmt->diag, db, rc);
    sqlite3_reset(stmt->prepared);
    return error;
  }
  stmt->rowCount = sqlite3_column_count(stmt->prepared) ? 0 : sqlite3_changes(db);
  stmt->executed = sqlite3_column_count(stmt->prepared) > 0;
  if (!stmt->executed) sqlite3_reset(stmt->prepared);
  return bound;
}

static Stmt *Begin(SQLHSTMT hstmt) {
  Stmt *stmt = (Stmt *)hstmt;
  stmt->diag.Clear();
  return stmt;
}

DS_EXPORT SQLRETURN SQL_API SQLPrepare(SQLHSTMT hstmt, SQLCHAR *sql, SQLINTEGER length) {
  Stmt *stmt = Begin(hstmt);
  if (!sql) return PostError(stmt->diag, "HY009", 0, "Invalid use of null pointer");
  return PrepareStatement(stmt, RewriteSql((const char *)sql, length));
}

DS_EXPORT SQLRETURN SQL_API SQLExecute(SQLHSTMT hstmt) {
  return ExecuteStatement(Begin(hstmt));
}

DS_EXPORT SQLRETURN SQL_API SQLExecDirect(SQLHSTMT hstmt, SQLCHAR *sql, SQLINTEGER length) {
  Stmt *stmt = Begin(hstmt);
  if (!sql) return PostError(stmt->diag, "HY009", 0, "Invalid use of null pointer");
  SQLRETURN rc = PrepareStatement(stmt, RewriteSql((const char *)sql, length));
  if (rc == SQL_ERROR) return rc;
  return ExecuteStatement(stmt);
}

DS_EXPORT SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT hstmt, SQLUSMALLINT option) {
  Stmt *stmt = Begin(hstmt);
  switch (option) {
    case SQL_CLOSE: CloseCursor(stmt); return SQL_SUCCESS;
    case SQL_UNBIND: return SQL_SUCCESS; /* columns are never bound: SQLGetData only */
    case SQL_RESET_PARAMS: stmt->params.clear(); return SQL_SUCCESS;
    case SQL_DROP: return SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    default: return PostError(stmt->diag, "HY092", 0, "Invalid attribute/option identifier");
  }
}

DS_EXPORT SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT hstmt, SQLINTEGER, SQLPOINTER, SQLINTEGER) {
  Begin(hstmt);
  return SQL_SUCCESS;
}

DS_EXPORT SQLRETURN SQL_API SQLGetStmtAttr(SQLHSTMT hstmt, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                           SQLINTEGER *) {
  Stmt *stmt = Begin(hstmt);
  if (!value) return SQL_SUCCESS;
  switch (attribute) {
    case SQL_ATTR_APP_ROW_DESC:
    case SQL_ATTR_APP_PARAM_DESC:
    case SQL_ATTR_IMP_ROW_DESC:
    case SQL_ATTR_IMP_PARAM_DESC: *(SQLPOINTER *)value = stmt; break; /* no descriptors of their own */
    case SQL_ATTR_CURSOR_TYPE: *(SQLULEN *)value = SQL_CURSOR_FORWARD_ONLY; break;
    case SQL_ATTR_CONCURRENCY: *(SQLULEN *)value = SQL_CONCUR_READ_ONLY; break;
    case SQL_ATTR_ROW_ARRAY_SIZE: *(SQLULEN *)value = 1; break;
    default: *(SQLULEN *)value = 0; break;
  }
  return SQL_SUCCESS;
}
