/* results.cpp: the entry points that describe and fetch a result set. */
#include "api/entry.h"
#include "core/results.h"

DS_EXPORT SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT h, SQLSMALLINT *count) {
  ENTER_STMT(h);
  return Leave(stmt->diag, NumResultCols(stmt, count));
}

DS_EXPORT SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT h, SQLUSMALLINT column, SQLCHAR *name, SQLSMALLINT size,
                                           SQLSMALLINT *nameLength, SQLSMALLINT *type, SQLULEN *columnSize,
                                           SQLSMALLINT *digits, SQLSMALLINT *nullable) {
  ENTER_STMT(h);
  return Leave(stmt->diag,
               DescribeCol(stmt, column, NarrowOut(name, size), nameLength, type, columnSize, digits, nullable));
}

DS_EXPORT SQLRETURN SQL_API SQLColAttribute(SQLHSTMT h, SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text,
                                            SQLSMALLINT size, SQLSMALLINT *length, NumericAttributeOut number) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ColAttribute(stmt, column, field, NarrowOut(text, size), length, (SQLLEN *)number));
}

DS_EXPORT SQLRETURN SQL_API SQLBindCol(SQLHSTMT h, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER value,
                                       SQLLEN size, SQLLEN *indicator) {
  ENTER_STMT(h);
  return Leave(stmt->diag, BindCol(stmt, column, cType, value, size, indicator));
}

DS_EXPORT SQLRETURN SQL_API SQLFetch(SQLHSTMT h) {
  ENTER_STMT(h);
  return Leave(stmt->diag, Fetch(stmt));
}

DS_EXPORT SQLRETURN SQL_API SQLFetchScroll(SQLHSTMT h, SQLSMALLINT orientation, SQLLEN) {
  ENTER_STMT(h);
  return Leave(stmt->diag, FetchScroll(stmt, orientation));
}

DS_EXPORT SQLRETURN SQL_API SQLGetData(SQLHSTMT h, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER value,
                                       SQLLEN size, SQLLEN *indicator) {
  ENTER_STMT(h);
  return Leave(stmt->diag, GetData(stmt, column, cType, value, size, indicator));
}

DS_EXPORT SQLRETURN SQL_API SQLRowCount(SQLHSTMT h, SQLLEN *count) {
  ENTER_STMT(h);
  return Leave(stmt->diag, RowCount(stmt, count));
}

DS_EXPORT SQLRETURN SQL_API SQLMoreResults(SQLHSTMT h) {
  ENTER_STMT(h);
  return Leave(stmt->diag, MoreResults(stmt));
}

DS_EXPORT SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT h) {
  ENTER_STMT(h);
  return Leave(stmt->diag, CloseResultSet(stmt));
}
