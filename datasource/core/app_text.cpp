/* app_text.cpp: the application's input strings and output buffers. */
#include "core/app_text.h"

#include <string.h>

#include <limits>

/* Narrow text: bytes, the last one the terminator. */
static bool CopyNarrow(const std::string &s, SQLCHAR *out, SQLLEN size, SQLLEN *length) {
  if (length) *length = (SQLLEN)s.size();
  if (!out) return true; /* only the length was asked for */
  if (size <= 0) return s.empty();
  size_t n = s.size() < (size_t)size ? s.size() : (size_t)size - 1;
  memcpy(out, s.data(), n);
  out[n] = 0;
  return n == s.size();
}

static bool IsHighSurrogate(char16_t u) { return u >= 0xd800 && u <= 0xdbff; }

/* Wide text: SQLWCHARs, the last one the terminator; lengths in
 * characters or bytes. */
static bool CopyWide(const std::string &s, SQLPOINTER out, SQLLEN size, bool bytes, SQLLEN *length) {
  std::u16string units;
  Utf8ToUtf16(s.data(), s.size(), &units);
  const SQLLEN unit = bytes ? (SQLLEN)sizeof(SQLWCHAR) : 1;
  if (length) *length = (SQLLEN)units.size() * unit;
  SQLLEN room = size / unit;
  if (!out) return true; /* only the length was asked for */
  if (room <= 0) return units.empty();
  size_t n = units.size() < (size_t)room ? units.size() : (size_t)room - 1;
  if (n < units.size() && n > 0 && IsHighSurrogate(units[n - 1])) n--;
  SQLWCHAR *w = (SQLWCHAR *)out;
  for (size_t i = 0; i < n; i++) w[i] = (SQLWCHAR)units[i];
  w[n] = 0;
  return n == units.size();
}

SQLRETURN CopyOut(Diagnostics *diag, const std::string &s, const AppBuffer &out, SQLLEN *length) {
  bool whole = out.units == UNITS_NARROW ? CopyNarrow(s, (SQLCHAR *)out.out, out.size, length)
                                         : CopyWide(s, out.out, out.size, out.units == UNITS_WIDE_BYTES, length);
  if (whole) return SQL_SUCCESS;
  if (diag) PostInfo(*diag, "01004", "String data, right truncated");
  return SQL_SUCCESS_WITH_INFO;
}

SQLRETURN CopyOutShort(Diagnostics *diag, const std::string &s, const AppBuffer &out, SQLSMALLINT *length) {
  SQLLEN full;
  SQLRETURN rc = CopyOut(diag, s, out, &full);
  const SQLLEN most = std::numeric_limits<SQLSMALLINT>::max();
  if (length) *length = (SQLSMALLINT)(full > most ? most : full);
  return rc;
}

/* The SQLWCHARs of a wide input string. */
static size_t WideLength(const SQLWCHAR *s, SQLINTEGER length) {
  if (length != SQL_NTS) return (size_t)length;
  size_t n = 0;
  while (s[n]) n++;
  return n;
}

std::string InputText(const AppText &t) {
  if (!t.s || (t.length < 0 && t.length != SQL_NTS)) return "";
  if (!t.wide)
    return t.length == SQL_NTS ? std::string((const char *)t.s) : std::string((const char *)t.s, (size_t)t.length);
  const SQLWCHAR *w = (const SQLWCHAR *)t.s;
  size_t n = WideLength(w, t.length);
  std::u16string units(n, u'\0');
  for (size_t i = 0; i < n; i++) units[i] = (char16_t)w[i];
  std::string utf8;
  Utf16ToUtf8((const unsigned short *)units.data(), n, &utf8);
  return utf8;
}

TextResult InputUtf8(const Charset &charset, const AppText &t, std::string *out, size_t *badOffset) {
  std::string text = InputText(t);
  if (t.wide) {
    out->swap(text);
    return TEXT_CONVERTED;
  }
  TextResult r = charset.ToUtf8(text.data(), text.size(), out, badOffset);
  if (r == TEXT_KEPT) out->swap(text);
  return r;
}
