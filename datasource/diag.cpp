/* diag.cpp: the driver's diagnostic records and SQLGetDiagRec /
 * SQLGetDiagField. Messages start with a short vendor prefix, once: a
 * message that comes from this driver again, through a target that
 * reaches back to it, keeps the one it has. Messages are kept whole. */
#include <string.h>

#include "handles.h"

static const char kPrefix[] = "[Lumetra] ";

std::string WithoutDriverPrefix(const std::string &message) {
  if (message.compare(0, sizeof kPrefix - 1, kPrefix) != 0) return message;
  return message.substr(sizeof kPrefix - 1);
}

std::string WithDriverPrefix(const std::string &reason) {
  return kPrefix + reason;
}

/* A record with the prefix, unless the message has it already. */
static void Post(Diagnostics &diag, const char *state, SQLINTEGER native, const char *message, size_t length) {
  DiagRecord &r = diag.Add();
  /* clear and append, unlike assign, reuse the storage without further checks */
  r.state.clear();
  r.state.append(state, strnlen(state, 5));
  r.native = native;
  r.message.clear();
  if (length < sizeof kPrefix - 1 || memcmp(message, kPrefix, sizeof kPrefix - 1) != 0)
    r.message.append(kPrefix, sizeof kPrefix - 1);
  r.message.append(message, length);
}

SQLRETURN PostError(Diagnostics &diag, const char *state, SQLINTEGER native, const std::string &message) {
  Post(diag, state, native, message.data(), message.size());
  return SQL_ERROR;
}

void PostInfo(Diagnostics &diag, const char *state, const std::string &message) {
  Post(diag, state, 0, message.data(), message.size());
}

void PostInfo(Diagnostics &diag, const char *state, const char *message) {
  Post(diag, state, 0, message, strlen(message));
}

SQLRETURN CopyOut(Diagnostics *diag, const std::string &s, SQLCHAR *out, SQLLEN size, SQLLEN *length) {
  if (length) *length = (SQLLEN)s.size();
  if (!out || size <= 0) return s.empty() ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
  size_t n = s.size() < (size_t)size ? s.size() : (size_t)size - 1;
  memcpy(out, s.data(), n);
  out[n] = 0;
  if (n == s.size()) return SQL_SUCCESS;
  if (diag) PostInfo(*diag, "01004", "String data, right truncated");
  return SQL_SUCCESS_WITH_INFO;
}

SQLRETURN CopyOutShort(Diagnostics *diag, const std::string &s, SQLCHAR *out, SQLSMALLINT size,
                       SQLSMALLINT *length) {
  SQLLEN full;
  SQLRETURN rc = CopyOut(diag, s, out, size, &full);
  if (length) *length = (SQLSMALLINT)(full > 32767 ? 32767 : full);
  return rc;
}

std::string InputText(const SQLCHAR *s, SQLINTEGER length) {
  if (!s || (length < 0 && length != SQL_NTS)) return "";
  return length == SQL_NTS ? std::string((const char *)s) : std::string((const char *)s, (size_t)length);
}

template <typename Handle>
static Handle *Enter(SQLHANDLE h, int kind) {
  Handle *p = (Handle *)h;
  if (!p || p->kind != kind) return nullptr;
  p->diag.Clear();
  return p;
}

Env *EnterEnv(SQLHANDLE h) { return Enter<Env>(h, KIND_ENV); }
Dbc *EnterDbc(SQLHANDLE h) { return Enter<Dbc>(h, KIND_DBC); }
Stmt *EnterStmt(SQLHANDLE h) { return Enter<Stmt>(h, KIND_STMT); }

/* The diagnostics of a handle, left as they are for reading. */
static Diagnostics *DiagOf(SQLSMALLINT type, SQLHANDLE handle) {
  if (!handle) return nullptr;
  int kind = *(int *)handle;
  if (type == SQL_HANDLE_ENV && kind == KIND_ENV) return &((Env *)handle)->diag;
  if (type == SQL_HANDLE_DBC && kind == KIND_DBC) return &((Dbc *)handle)->diag;
  if (type == SQL_HANDLE_STMT && kind == KIND_STMT) return &((Stmt *)handle)->diag;
  return nullptr;
}

DS_EXPORT SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLCHAR *state,
                                          SQLINTEGER *native, SQLCHAR *message, SQLSMALLINT size,
                                          SQLSMALLINT *length) {
  Diagnostics *diag = DiagOf(type, handle);
  if (!diag) return SQL_INVALID_HANDLE;
  if (record < 1) return SQL_ERROR;
  if ((size_t)record > diag->Count()) return SQL_NO_DATA;
  const DiagRecord &r = (*diag)[record - 1];
  if (state) memcpy(state, r.state.c_str(), 6);
  if (native) *native = r.native;
  SQLLEN full;
  SQLRETURN rc = CopyOut(nullptr, r.message, message, size, &full);
  if (length) *length = (SQLSMALLINT)full;
  return rc;
}

DS_EXPORT SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                            SQLSMALLINT field, SQLPOINTER info, SQLSMALLINT size,
                                            SQLSMALLINT *length) {
  Diagnostics *diag = DiagOf(type, handle);
  if (!diag) return SQL_INVALID_HANDLE;
  if (!info) return SQL_ERROR;
  if (record == 0) {
    switch (field) {
      case SQL_DIAG_NUMBER: *(SQLINTEGER *)info = (SQLINTEGER)diag->Count(); return SQL_SUCCESS;
      case SQL_DIAG_CURSOR_ROW_COUNT: *(SQLLEN *)info = 0; return SQL_SUCCESS;
      case SQL_DIAG_RETURNCODE: *(SQLRETURN *)info = diag->lastResult; return SQL_SUCCESS;
      case SQL_DIAG_ROW_COUNT:
        *(SQLLEN *)info = type == SQL_HANDLE_STMT ? RowCountOf((Stmt *)handle) : 0;
        return SQL_SUCCESS;
      default: return SQL_ERROR;
    }
  }
  if ((size_t)record > diag->Count()) return SQL_NO_DATA;
  const DiagRecord &r = (*diag)[record - 1];
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
