/* data_at_exec.cpp: parameters whose values the application sends at
 * execution (SQL_DATA_AT_EXEC, SQL_LEN_DATA_AT_EXEC), as clients do for
 * long values: SQLExecute returns SQL_NEED_DATA, each SQLParamData names
 * the next such parameter by its bound pointer, SQLPutData appends to its
 * value in pieces, and the SQLParamData after the last runs the statement. */
#include "core/data_at_exec.h"

#include <string.h>

static bool IsAtExecution(const Param &p) {
  if (!p.indicator) return false;
  SQLLEN i = *p.indicator;
  return i == SQL_DATA_AT_EXEC || i <= SQL_LEN_DATA_AT_EXEC_OFFSET;
}

bool StartDataAtExecution(Stmt *stmt, int count, bool grouped) {
  bool any = false;
  for (int n = 0; n < count && (size_t)n < stmt->params.size(); n++) {
    Param &p = stmt->params[(size_t)n];
    p.atExec = p.bound && IsAtExecution(p);
    p.sent.clear();
    p.sentNull = false;
    any = any || p.atExec;
  }
  stmt->atExec = AtExecution();
  stmt->atExec.awaiting = any;
  stmt->atExec.grouped = grouped;
  return any;
}

void EndDataAtExecution(Stmt *stmt) {
  for (Param &p : stmt->params) p.atExec = false;
  stmt->atExec = AtExecution();
}

SQLRETURN NextDataAtExecution(Stmt *stmt, SQLPOINTER *token, bool *done) {
  if (!stmt->atExec.awaiting) return PostError(stmt->diag, "HY010", 0, "Function sequence error: no data is asked for");
  size_t n = (size_t)stmt->atExec.next;
  while (n < stmt->params.size() && !stmt->params[n].atExec) n++;
  *done = n >= stmt->params.size();
  if (*done) return SQL_SUCCESS;
  stmt->atExec.current = (int)n;
  stmt->atExec.next = (int)n + 1;
  if (token) *token = stmt->params[n].value;
  return SQL_NEED_DATA;
}

/* The bytes of a value of a fixed-size C type. */
static size_t FixedSizeOf(SQLSMALLINT cType) {
  switch (cType) {
    case SQL_C_DOUBLE: case SQL_C_SBIGINT: case SQL_C_UBIGINT: return 8;
    case SQL_C_FLOAT: case SQL_C_LONG: case SQL_C_SLONG: case SQL_C_ULONG: return 4;
    case SQL_C_SHORT: case SQL_C_SSHORT: case SQL_C_USHORT: return 2;
    case SQL_C_TINYINT: case SQL_C_STINYINT: case SQL_C_UTINYINT: case SQL_C_BIT: return 1;
    case SQL_C_DATE: case SQL_C_TYPE_DATE: return sizeof(DATE_STRUCT);
    case SQL_C_TIME: case SQL_C_TYPE_TIME: return sizeof(TIME_STRUCT);
    case SQL_C_TIMESTAMP: case SQL_C_TYPE_TIMESTAMP: return sizeof(TIMESTAMP_STRUCT);
    case SQL_C_NUMERIC: return sizeof(SQL_NUMERIC_STRUCT);
    case SQL_C_GUID: return sizeof(SQLGUID);
    default: return 0; /* text and bytes: as long as the application says */
  }
}

/* The bytes of a terminated piece of text, narrow or wide. */
static size_t TerminatedLength(SQLSMALLINT cType, const void *data) {
  if (cType != SQL_C_WCHAR) return strlen((const char *)data);
  const SQLWCHAR *w = (const SQLWCHAR *)data;
  size_t n = 0;
  while (w[n]) n++;
  return n * sizeof(SQLWCHAR);
}

SQLRETURN PutData(Stmt *stmt, SQLPOINTER data, SQLLEN length) {
  if (!stmt->atExec.awaiting || stmt->atExec.current < 0)
    return PostError(stmt->diag, "HY010", 0, "Function sequence error: no parameter is asked for");
  Param &p = stmt->params[(size_t)stmt->atExec.current];
  if (length == SQL_NULL_DATA) {
    p.sentNull = true;
    return SQL_SUCCESS;
  }
  size_t fixed = FixedSizeOf(p.cType);
  if (fixed) length = (SQLLEN)fixed;
  else if (length == SQL_NTS && data) length = (SQLLEN)TerminatedLength(p.cType, data);
  if (length < 0 || (!data && length > 0))
    return PostError(stmt->diag, "HY090", 0, "Invalid string or buffer length");
  if (fixed && !p.sent.empty())
    return PostError(stmt->diag, "22001", 0, "String data, right truncated: a fixed-size value is sent once");
  p.sent.append((const char *)data, (size_t)length);
  return SQL_SUCCESS;
}
