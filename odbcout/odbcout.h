/* odbcout.h: the ODBC output of the import: judging ODBC results, the
 * CREATE TABLE statement, and the prepared INSERT whose parameters are
 * bound to the column table. */
#ifndef LUMETRA_ODBCOUT_H
#define LUMETRA_ODBCOUT_H

#include <stdint.h>

#include "odbc_types.h"

/* Shows the text of a failed ODBC call to the user, owned by the window
 * that CheckOdbc was given. The run installs one before its first ODBC
 * call; without one, a failure is only returned. */
typedef void (*OdbcMessageSink)(void *owner, const char *text);
void SetOdbcMessageSink(OdbcMessageSink sink);

/* 1 for SQL_SUCCESS and SQL_SUCCESS_WITH_INFO; otherwise hands the first
 * message SQLError gives for the handles to the sink and returns 0. */
int32_t CheckOdbc(void *owner, RETCODE rc, HENV henv, HDBC hdbc, HSTMT hstmt);

/* Sends CREATE TABLE for the table columns; 1 when the driver accepted it. */
int32_t CreateImportTable(void *owner, const char *tableName, HENV henv, HDBC hdbc, HSTMT hstmt);

/* Binds one parameter per table column and prepares the INSERT; 1 on success. */
int32_t PrepareImportInsert(void *owner, const char *tableName, HENV henv, HDBC hdbc, HSTMT hstmt);

#endif
