/* diagnostics.cpp: SQLGetDiagRec and SQLGetDiagField, the reading of a
 * handle's diagnostic records, which leaves them as they are. */
#include "core/diagnostics.h"

#include <string.h>

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

SQLRETURN GetDiagRec(const Diagnostics &diag, SQLSMALLINT record, SQLCHAR *state, SQLINTEGER *native,
                     SQLCHAR *message, SQLSMALLINT size, SQLSMALLINT *length) {
  if (record < 1) return SQL_ERROR;
  if ((size_t)record > diag.Count()) return SQL_NO_DATA;
  const DiagRecord &r = diag[record - 1];
  if (state) memcpy(state, r.state.c_str(), 6);
  if (native) *native = r.native;
  SQLLEN full;
  SQLRETURN rc = CopyOut(nullptr, r.message, message, size, &full);
  if (length) *length = (SQLSMALLINT)full;
  return rc;
}

SQLRETURN GetDiagField(const Diagnostics &diag, Stmt *stmt, SQLSMALLINT record, SQLSMALLINT field, SQLPOINTER info,
                       SQLSMALLINT size, SQLSMALLINT *length) {
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
  SQLLEN full;
  SQLRETURN rc;
  switch (field) {
    case SQL_DIAG_SQLSTATE: rc = CopyOut(nullptr, r.state, (SQLCHAR *)info, size, &full); break;
    case SQL_DIAG_MESSAGE_TEXT: rc = CopyOut(nullptr, r.message, (SQLCHAR *)info, size, &full); break;
    case SQL_DIAG_CLASS_ORIGIN:
    case SQL_DIAG_SUBCLASS_ORIGIN: rc = CopyOut(nullptr, "ISO 9075", (SQLCHAR *)info, size, &full); break;
    case SQL_DIAG_CONNECTION_NAME:
    case SQL_DIAG_SERVER_NAME: rc = CopyOut(nullptr, "", (SQLCHAR *)info, size, &full); break;
    case SQL_DIAG_NATIVE: *(SQLINTEGER *)info = r.native; return SQL_SUCCESS;
    case SQL_DIAG_ROW_NUMBER: *(SQLLEN *)info = SQL_ROW_NUMBER_UNKNOWN; return SQL_SUCCESS;
    case SQL_DIAG_COLUMN_NUMBER: *(SQLINTEGER *)info = SQL_COLUMN_NUMBER_UNKNOWN; return SQL_SUCCESS;
    default: return SQL_ERROR;
  }
  if (length) *length = (SQLSMALLINT)full;
  return rc;
}
