/* statement.h: the statement handle: its life, preparing and executing,
 * its attributes, and the result set it has open. */
#ifndef LUMETRA_DS_STATEMENT_H
#define LUMETRA_DS_STATEMENT_H

#include "core/app_text.h"
#include "core/handles.h"

/* A statement on an open connection. */
SQLRETURN AllocStatement(Dbc *dbc, SQLHANDLE *output);
/* Unlinks the statement from its connection and deletes it. */
void FreeStatement(Stmt *stmt);
/* SQLFreeHandle and SQLFreeStmt(SQL_DROP): its batch committed, freed. */
SQLRETURN DropStatement(Stmt *stmt);
/* SQLFreeStmt with SQL_CLOSE, SQL_UNBIND or SQL_RESET_PARAMS. */
SQLRETURN FreeStmt(Stmt *stmt, SQLUSMALLINT option);

SQLRETURN Prepare(Stmt *stmt, const AppText &sql);
/* SQLExecute: the prepared statement, which may join a group commit. */
SQLRETURN Execute(Stmt *stmt);
SQLRETURN ExecDirect(Stmt *stmt, const AppText &sql);
/* SQLParamData: the next parameter sent at execution, or the execution
 * once all were sent (data_at_exec.h). */
SQLRETURN ParamData(Stmt *stmt, SQLPOINTER *token);
/* SQLNativeSql: the text as the backend would be given it. */
SQLRETURN NativeSql(Dbc *dbc, const AppText &sql, const AppBuffer &out, SQLINTEGER *length);

SQLRETURN SetStmtAttr(Stmt *stmt, SQLINTEGER attribute, SQLPOINTER value);
SQLRETURN GetStmtAttr(Stmt *stmt, SQLINTEGER attribute, SQLPOINTER value);

/* Ends the open result set, if any. */
void CloseCursor(Stmt *stmt);
/* Rows the last execution changed, -1 when unknown; asked of the backend
 * only when the application wants it. */
SQLLEN RowCountOf(Stmt *stmt);
/* Opens a catalog result set on the statement. */
void OpenCatalog(Stmt *stmt, std::unique_ptr<Cursor> rows);

#endif
