/* odbcout.h: the ODBC output of the import: judging ODBC results, the
 * CREATE TABLE statement, and the prepared INSERT whose parameters are
 * bound to the column table. */
#ifndef LUMETRA_ODBCOUT_H
#define LUMETRA_ODBCOUT_H

#include <stdint.h>

#include "odbc_types.h"
#include "ui.h"

/* 1 for SQL_SUCCESS and SQL_SUCCESS_WITH_INFO; otherwise shows the first
 * message SQLError gives for the handles and returns 0. */
int32_t CheckOdbc(UiWindow owner, RETCODE rc, HENV henv, HDBC hdbc, HSTMT hstmt);

/* Sends CREATE TABLE for the table columns; 1 when the driver accepted it. */
int32_t CreateImportTable(UiWindow owner, const char *tableName, HENV henv, HDBC hdbc, HSTMT hstmt);

/* Binds one parameter per table column and prepares the INSERT; 1 on success. */
int32_t PrepareImportInsert(UiWindow owner, const char *tableName, HENV henv, HDBC hdbc, HSTMT hstmt);

#endif
