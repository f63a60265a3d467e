/* diagnostics.cpp: SQLGetDiagRec and SQLGetDiagField, the reading of a
 * handle's diagnostic records, which leaves them as they are. */
#include "core/diagnostics.h"

#include "core/app_text.h"
#include "core/statement.h"


Diagnostics *DiagnosticsOf(SQLSMALLINT type, SQLHANDLE handle) {
  if (!handle) return nullptr;
  int kind = *(int *)handle;
  if (type == SQL_HANDLE_ENV && kind == KIND_ENV) return &((Env *)handle)->diag;
  if (type == SQL_HANDLE_DBC && kind == KIND_DBC) return &((Dbc *)handle)->diag;
  if (type == SQL_HANDLE_STMT && kind == KIND_STMT) return &((Stmt *)handle)->diag;
  return nullptr;
}

Diagnostics *ErrorDiagnosticsOf(SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt) {
  if (stmt) return DiagnosticsOf(SQL_HANDLE_STMT, stmt);
  if (dbc) return DiagnosticsOf(SQL_HANDLE_DBC, dbc);
  return DiagnosticsOf(SQL_HANDLE_ENV, env);
}

SQLRETURN GetDiagRec(const Diagnostics &diag, SQLSMALLINT record, const AppBuffer &state, SQLINTEGER *native,
                     const AppBuffer &message, SQLSMALLINT *length) {
  if (record < 1) return SQL_ERROR;
  if ((size_t)record > diag.Count()) return SQL_NO_DATA;
  const DiagRecord &r = diag[record - 1];
  CopyOut(nullptr, r.state, state, nullptr);
  if (native) *native = r.native;
  return CopyOutShort(nullptr, r.message, message, length);
}

SQLRETURN NextError(Diagnostics &diag, const AppBuffer &state, SQLINTEGER *native, const AppBuffer &message,
                    SQLSMALLINT *length) {
  if (diag.errorsGiven >= diag.Count()) return SQL_NO_DATA;
  return GetDiagRec(diag, (SQLSMALLINT)++diag.errorsGiven, state, native, message, length);
}

SQLRETURN GetDiagField(const Diagnostics &diag, Stmt *stmt, SQLSMALLINT record, SQLSMALLINT field,
                       const AppBuffer &text, SQLSMALLINT *length) {
  SQLPOINTER info = text.out;
  if (!info) return SQL_ERROR;
  if (record == 0) {
    switch (field) {
      case SQL_DIAG_NUMBER: *(SQLINTEGER *)info = (SQLINTEGER)diag.Count(); return SQL_SUCCESS;
      case SQL_DIAG_CURSOR_ROW_COUNT: *(SQLLEN *)info = 0; return SQL_SUCCESS;
      case SQL_DIAG_RETURNCODE: *(SQLRETURN *)info = diag.lastResult; return SQL_SUCCESS;
      case SQL_DIAG_ROW_COUNT:
        *(SQLLEN *)info = stmt ? RowCountOf(stmt) : 0;
        return SQL_SUCCESS;
      default: return SQL_ERROR;
    }
  }
  if ((size_t)record > diag.Count()) return SQL_NO_DATA;
  const DiagRecord &r = diag[record - 1];
  switch (field) {
    case SQL_DIAG_SQLSTATE: return CopyOutShort(nullptr, r.state, text, length);
    case SQL_DIAG_MESSAGE_TEXT: return CopyOutShort(nullptr, r.message, text, length);
    case SQL_DIAG_CLASS_ORIGIN:
    case SQL_DIAG_SUBCLASS_ORIGIN: return CopyOutShort(nullptr, "ISO 9075", text, length);
    case SQL_DIAG_CONNECTION_NAME:
    case SQL_DIAG_SERVER_NAME: return CopyOutShort(nullptr, "", text, length);
    case SQL_DIAG_NATIVE: *(SQLINTEGER *)info = r.native; return SQL_SUCCESS;
    case SQL_DIAG_ROW_NUMBER: *(SQLLEN *)info = SQL_ROW_NUMBER_UNKNOWN; return SQL_SUCCESS;
    case SQL_DIAG_COLUMN_NUMBER: *(SQLINTEGER *)info = SQL_COLUMN_NUMBER_UNKNOWN; return SQL_SUCCESS;
    default: return SQL_ERROR;
  }
}
