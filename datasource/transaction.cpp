/* transaction.cpp: commit modes. With autocommit on, the backend commits
 * every statement itself; with it off, the first statement opens a
 * transaction that SQLEndTran ends. */
#include "handles.h"

SQLRETURN BeforeStatement(Dbc *dbc, Diagnostics &diag) {
  if (dbc->autocommit || dbc->backend->InTransaction()) return SQL_SUCCESS;
  return dbc->backend->Begin(diag);
}

SQLRETURN EndTransaction(Dbc *dbc, SQLSMALLINT completion, Diagnostics &diag) {
  if (!dbc->backend || !dbc->backend->InTransaction()) return SQL_SUCCESS;
  return completion == SQL_COMMIT ? dbc->backend->Commit(diag) : dbc->backend->Rollback(diag);
}
