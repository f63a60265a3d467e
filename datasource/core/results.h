/* results.h: the result set of a statement: its description, bound
 * columns, fetching, and values in the C types the application asks for. */
#ifndef LUMETRA_DS_RESULTS_H
#define LUMETRA_DS_RESULTS_H

#include "core/app_text.h"
#include "core/handles.h"

SQLRETURN NumResultCols(Stmt *stmt, SQLSMALLINT *count);
SQLRETURN DescribeCol(Stmt *stmt, SQLUSMALLINT column, const AppBuffer &name, SQLSMALLINT *nameLength,
                      SQLSMALLINT *type, SQLULEN *columnSize, SQLSMALLINT *digits, SQLSMALLINT *nullable);
SQLRETURN ColAttribute(Stmt *stmt, SQLUSMALLINT column, SQLUSMALLINT field, const AppBuffer &text,
                       SQLSMALLINT *length, SQLLEN *number);
SQLRETURN BindCol(Stmt *stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER value, SQLLEN size,
                  SQLLEN *indicator);
SQLRETURN Fetch(Stmt *stmt);
/* Forward only: SQL_FETCH_NEXT is the one orientation. */
SQLRETURN FetchScroll(Stmt *stmt, SQLSMALLINT orientation);
SQLRETURN GetData(Stmt *stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER value, SQLLEN size,
                  SQLLEN *indicator);
SQLRETURN RowCount(Stmt *stmt, SQLLEN *count);
SQLRETURN MoreResults(Stmt *stmt);
/* SQLCloseCursor: 24000 when no result set is open. */
SQLRETURN CloseResultSet(Stmt *stmt);

/* Column `column` (from 0) of the current row in the C type cType, in
 * pieces over repeated calls for text and bytes (getdata.cpp). */
SQLRETURN GetValue(Stmt *stmt, int column, SQLSMALLINT cType, SQLPOINTER out, SQLLEN size, SQLLEN *indicator);

#endif
