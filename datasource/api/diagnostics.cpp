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
  return GetDiagRec(*diag, record, state, native, message, size, length);
}

DS_EXPORT SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                            SQLSMALLINT field, SQLPOINTER info, SQLSMALLINT size,
                                            SQLSMALLINT *length) {
  Diagnostics *diag = DiagnosticsOf(type, handle);
  if (!diag) return SQL_INVALID_HANDLE;
  return GetDiagField(*diag, type == SQL_HANDLE_STMT ? (Stmt *)handle : nullptr, record, field, info, size, length);
}
