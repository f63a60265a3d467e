/* data_at_exec.h: parameter values sent at execution with SQLParamData
 * and SQLPutData. */
#ifndef LUMETRA_DS_DATA_AT_EXEC_H
#define LUMETRA_DS_DATA_AT_EXEC_H

#include "core/handles.h"

/* Marks the first count parameters whose indicator asks for data at
 * execution; true when there is one, and the statement then awaits it.
 * grouped: the execution, once run, may join a group commit. */
bool StartDataAtExecution(Stmt *stmt, int count, bool grouped);
/* The statement awaits no data any more; the parameters read their
 * buffers again. */
void EndDataAtExecution(Stmt *stmt);
/* SQL_NEED_DATA with the next parameter's token (its bound pointer), or
 * *done when every one was asked for; HY010 when none is awaited. */
SQLRETURN NextDataAtExecution(Stmt *stmt, SQLPOINTER *token, bool *done);
/* SQLPutData: a piece of the value of the parameter asked for. */
SQLRETURN PutData(Stmt *stmt, SQLPOINTER data, SQLLEN length);

#endif
