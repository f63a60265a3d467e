/* transaction.h: commit modes, the transactions of manual commit and the
 * batches of group commit. */
#ifndef LUMETRA_DS_TRANSACTION_H
#define LUMETRA_DS_TRANSACTION_H

#include "core/handles.h"

/* Starts and stops the idle timer of a connection's group commit. */
void StartGroupCommit(Dbc *dbc, long intervalMs);
void StopGroupCommit(Dbc *dbc);
/* Before a statement runs: ends a batch it does not belong to, opens one
 * it starts, or opens the transaction of manual commit mode. */
SQLRETURN BeforeStatement(Dbc *dbc, const void *prepared, bool grouped, Diagnostics &diag);
/* After it ran: commits a batch whose interval has passed; after a
 * failure, commits the rows before it. */
SQLRETURN AfterStatement(Dbc *dbc, SQLRETURN rc, Diagnostics &diag);
/* Commits an open batch (SQLFreeStmt, a change of autocommit). */
SQLRETURN CommitBatch(Dbc *dbc, Diagnostics &diag);
/* Commits the open batch when it holds the executions of owner, a
 * prepared statement that is about to change or go away. */
SQLRETURN CommitBatchOf(Dbc *dbc, const void *owner, Diagnostics &diag);
/* SQLEndTran on a connection. */
SQLRETURN EndTransaction(Dbc *dbc, SQLSMALLINT completion, Diagnostics &diag);

#endif
