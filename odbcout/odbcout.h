/* odbcout.h: the ODBC output of the import: judging ODBC results, the
 * CREATE TABLE statement, and the prepared INSERT whose parameters are
 * bound to the column table. */
#ifndef LUMETRA_ODBCOUT_H
#define LUMETRA_ODBCOUT_H

#include <stdint.h>

#include "columns.h"
#include "odbc_types.h"

/* A driver's message is kept whole up to this size, terminator included. */
enum { ODBC_MESSAGE_SIZE = 8192 };

/* Shows the text of a failed ODBC call to the user, owned by the window
 * that CheckOdbc was given. The run installs one before its first ODBC
 * call; without one, a failure is only returned. */
typedef void (*OdbcMessageSink)(void *owner, const char *text);
void SetOdbcMessageSink(OdbcMessageSink sink);

/* 1 for SQL_SUCCESS and SQL_SUCCESS_WITH_INFO; otherwise hands the first
 * message SQLError gives for the handles to the sink and returns 0. */
int32_t CheckOdbc(void *owner, RETCODE rc, HENV henv, HDBC hdbc, HSTMT hstmt);

/* The first message SQLError gives for the handles of a failed call, or
 * "ODBC call failed" when it gives none; kept in a static buffer until the
 * next call. */
const char *FetchOdbcMessage(HENV henv, HDBC hdbc, HSTMT hstmt);

/* The column of the column table that the insert's parameter number
 * (from 1) is bound to; -1 when there is none. */
int32_t ColumnOfParameter(int32_t parameter);

/* The SQL type the insert binds column c as: SQL_VARCHAR, SQL_INTEGER,
 * SQL_SMALLINT or SQL_TIMESTAMP. */
SQLSMALLINT SqlTypeOfColumn(const ImportColumn *c);

/* The plain name of that type, as a user reads it: TEXT, INTEGER,
 * SMALLINT, TIMESTAMP. */
const char *SqlTypeNameOfColumn(const ImportColumn *c);

/* Sends CREATE TABLE for the table columns; 1 when the driver accepted it. */
int32_t CreateImportTable(void *owner, const char *tableName, HENV henv, HDBC hdbc, HSTMT hstmt);

/* Binds one parameter per table column and prepares the INSERT; 1 on success. */
int32_t PrepareImportInsert(void *owner, const char *tableName, HENV henv, HDBC hdbc, HSTMT hstmt);

/* The text that SQLGetInfo gives for item into out (size bytes); "" when
 * the driver gives none. */
void GetOdbcInfoText(HDBC hdbc, SQLUSMALLINT item, char *out, int32_t size);

/* The rows that the table holds, asked through a statement of its own;
 * -1 when the data source does not tell. */
int64_t CountTableRows(HDBC hdbc, const char *tableName);

/* What the data source's catalog says of a table against the file's
 * columns, for an append. */
enum TableMatch {
  TABLE_ABSENT,      /* no table of that name */
  TABLE_MATCHES,     /* the same names and types, in the same order */
  TABLE_DIFFERS,     /* TableDifference() says how */
  TABLE_NOT_TOLD     /* the catalog could not be asked; the message is shown */
};

/* Compares the columns of the existing table with the table columns of
 * the column table, through a statement of its own. */
int32_t MatchImportTable(void *owner, const char *tableName, HENV henv, HDBC hdbc);

/* How the table and the file differ after TABLE_DIFFERS: one clause per
 * difference, "; " between them. */
const char *TableDifference(void);

/* Sends DROP TABLE for the table; 1 when the driver accepted it. */
int32_t DropImportTable(void *owner, const char *tableName, HENV henv, HDBC hdbc, HSTMT hstmt);

#endif
