/* wide_diagnostics.cpp: the W entry points that read a handle's
 * diagnostics: SQLSTATEs and messages in UTF-16, SQLGetDiagRecW's and
 * SQLErrorW's counted in characters, SQLGetDiagFieldW's in bytes. Like
 * the ANSI ones they leave the records alone and take no lock. */
#include "api/entry.h"
#include "core/diagnostics.h"

DS_EXPORT SQLRETURN SQL_API SQLGetDiagRecW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                           SQLWCHAR *state, SQLINTEGER *native, SQLWCHAR *message,
                                           SQLSMALLINT size, SQLSMALLINT *length) {
  Diagnostics *diag = DiagnosticsOf(type, handle);
  if (!diag) return SQL_INVALID_HANDLE;
  return GetDiagRec(*diag, record, WideOut(state, kStateSize, UNITS_WIDE_CHARS), native,
                    WideOut(message, size, UNITS_WIDE_CHARS), length);
}

DS_EXPORT SQLRETURN SQL_API SQLGetDiagFieldW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                             SQLSMALLINT field, SQLPOINTER info, SQLSMALLINT size,
                                             SQLSMALLINT *length) {
  Diagnostics *diag = DiagnosticsOf(type, handle);
  if (!diag) return SQL_INVALID_HANDLE;
  return GetDiagField(*diag, type == SQL_HANDLE_STMT ? (Stmt *)handle : nullptr, record, field,
                      WideOut(info, size, UNITS_WIDE_BYTES), length);
}

DS_EXPORT SQLRETURN SQL_API SQLErrorW(SQLHENV henv, SQLHDBC hdbc, SQLHSTMT hstmt, SQLWCHAR *state,
                                      SQLINTEGER *native, SQLWCHAR *message, SQLSMALLINT size,
                                      SQLSMALLINT *length) {
  Diagnostics *diag = ErrorDiagnosticsOf(henv, hdbc, hstmt);
  if (!diag) return SQL_INVALID_HANDLE;
  return NextError(*diag, WideOut(state, kStateSize, UNITS_WIDE_CHARS), native,
                   WideOut(message, size, UNITS_WIDE_CHARS), length);
}
