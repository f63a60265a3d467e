/* wide_statement.cpp: the W entry points that prepare and execute
 * statements and describe their results. SQL text and column names are
 * UTF-16 counted in characters; SQLColAttributeW counts in bytes. The
 * statement attributes hold no text: they are the ANSI calls'. */
#include "api/entry.h"
#include "core/results.h"
#include "core/statement.h"

DS_EXPORT SQLRETURN SQL_API SQLPrepareW(SQLHSTMT h, SQLWCHAR *sql, SQLINTEGER length) {
  ENTER_STMT(h);
  return Leave(stmt->diag, Prepare(stmt, Wide(sql, length)));
}

DS_EXPORT SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT h, SQLWCHAR *sql, SQLINTEGER length) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ExecDirect(stmt, Wide(sql, length)));
}

DS_EXPORT SQLRETURN SQL_API SQLSetStmtAttrW(SQLHSTMT h, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  ENTER_STMT(h);
  return Leave(stmt->diag, SetStmtAttr(stmt, attribute, value));
}

DS_EXPORT SQLRETURN SQL_API SQLGetStmtAttrW(SQLHSTMT h, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                            SQLINTEGER *) {
  ENTER_STMT(h);
  return Leave(stmt->diag, GetStmtAttr(stmt, attribute, value));
}

DS_EXPORT SQLRETURN SQL_API SQLDescribeColW(SQLHSTMT h, SQLUSMALLINT column, SQLWCHAR *name, SQLSMALLINT size,
                                            SQLSMALLINT *nameLength, SQLSMALLINT *type, SQLULEN *columnSize,
                                            SQLSMALLINT *digits, SQLSMALLINT *nullable) {
  ENTER_STMT(h);
  return Leave(stmt->diag, DescribeCol(stmt, column, WideOut(name, size, UNITS_WIDE_CHARS), nameLength, type,
                                       columnSize, digits, nullable));
}

DS_EXPORT SQLRETURN SQL_API SQLColAttributeW(SQLHSTMT h, SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text,
                                             SQLSMALLINT size, SQLSMALLINT *length, NumericAttributeOut number) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ColAttribute(stmt, column, field, WideOut(text, size, UNITS_WIDE_BYTES), length,
                                        (SQLLEN *)number));
}
