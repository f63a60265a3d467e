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
  return Leave(stmt->diag, DescribeCol(stmt, column, name, size, nameLength, type, columnSize, digits, nullable));
}

/* The numeric attribute's pointer: SQLLEN *, but an untyped pointer in
 * the 32-bit Windows SDK's declaration. */
#if defined(_WIN32) && !defined(_WIN64)
typedef SQLPOINTER NumericAttributeOut;
#else
typedef SQLLEN *NumericAttributeOut;
#endif

DS_EXPORT SQLRETURN SQL_API SQLColAttribute(SQLHSTMT h, SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text,
                                            SQLSMALLINT size, SQLSMALLINT *length, NumericAttributeOut number) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ColAttribute(stmt, column, field, text, size, length, (SQLLEN *)number));
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
