/* diagnostics.cpp: the entry points that read a handle's diagnostics.
 * They check the handle and leave its records as they are: nothing is
 * cleared and no lock is taken. */
#include "api/entry.h"
#include "core/diagnostics.h"

DS_EXPORT SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLCHAR *state,
                                          SQLINTEGER *native, SQLCHAR *message, SQLSMALLINT size,
                                          SQLSMALLINT *length) {
  Diagnostics *diag = DiagnosticsOf(type, handle);
  if (!diag) return SQL_INVALID_HANDLE;
  return GetDiagRec(*diag, record, NarrowOut(state, kStateSize), native, NarrowOut(message, size), length);
}

DS_EXPORT SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                            SQLSMALLINT field, SQLPOINTER info, SQLSMALLINT size,
                                            SQLSMALLINT *length) {
  Diagnostics *diag = DiagnosticsOf(type, handle);
  if (!diag) return SQL_INVALID_HANDLE;
  return GetDiagField(*diag, type == SQL_HANDLE_STMT ? (Stmt *)handle : nullptr, record, field, NarrowOut(info, size),
                      length);
}

DS_EXPORT SQLRETURN SQL_API SQLError(SQLHENV henv, SQLHDBC hdbc, SQLHSTMT hstmt, SQLCHAR *state, SQLINTEGER *native,
                                     SQLCHAR *message, SQLSMALLINT size, SQLSMALLINT *length) {
  Diagnostics *diag = ErrorDiagnosticsOf(henv, hdbc, hstmt);
  if (!diag) return SQL_INVALID_HANDLE;
  return NextError(*diag, NarrowOut(state, kStateSize), native, NarrowOut(message, size), length);
}
