/* app_text.cpp: the application's input strings and output buffers. */
#include "core/app_text.h"

#include <string.h>

#include <limits>

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
  const SQLLEN most = std::numeric_limits<SQLSMALLINT>::max();
  if (length) *length = (SQLSMALLINT)(full > most ? most : full);
  return rc;
}

std::string InputText(const SQLCHAR *s, SQLINTEGER length) {
  if (!s || (length < 0 && length != SQL_NTS)) return "";
  return length == SQL_NTS ? std::string((const char *)s) : std::string((const char *)s, (size_t)length);
}

