/* app_text.h: strings across the ODBC interface: the application's input
 * strings (NTS or counted) and its output buffers, narrow (the bytes of
 * the ANSI entry points) or wide (UTF-16 SQLWCHAR, of the W entry points).
 * The driver's own text is UTF-8; wide text is converted exactly, with
 * lengths counted in characters (SQLWCHAR units) or in bytes as the
 * function's ODBC definition says. */
#ifndef LUMETRA_DS_APP_TEXT_H
#define LUMETRA_DS_APP_TEXT_H

#include <string>

#include "backend/diagnostics.h"
#include "text/charset.h"

/* An input string of the application: NTS or a count of bytes (narrow)
 * or of SQLWCHARs (wide). */
struct AppText {
  const void *s;
  SQLINTEGER length;
  bool wide;
};
inline AppText Narrow(const SQLCHAR *s, SQLINTEGER length) { return {s, length, false}; }
inline AppText Wide(const SQLWCHAR *s, SQLINTEGER length) { return {s, length, true}; }

/* How an output buffer's size and the length given back are counted. */
enum TextUnits {
  UNITS_NARROW,     /* bytes of narrow text */
  UNITS_WIDE_CHARS, /* SQLWCHARs of wide text */
  UNITS_WIDE_BYTES  /* bytes of wide text */
};
/* An output buffer of the application for text. */
struct AppBuffer {
  SQLPOINTER out;
  SQLLEN size;
  TextUnits units;
};
inline AppBuffer NarrowOut(SQLPOINTER out, SQLLEN size) { return {out, size, UNITS_NARROW}; }
inline AppBuffer WideOut(SQLPOINTER out, SQLLEN size, TextUnits units) { return {out, size, units}; }

/* Copies UTF-8 text s into an output buffer, terminated, and gives its
 * full length; SQL_SUCCESS_WITH_INFO and 01004 when it had to be cut.
 * Wide text is never cut inside a surrogate pair. */
SQLRETURN CopyOut(Diagnostics *diag, const std::string &s, const AppBuffer &out, SQLLEN *length);
/* The same for an SQLSMALLINT length. */
SQLRETURN CopyOutShort(Diagnostics *diag, const std::string &s, const AppBuffer &out, SQLSMALLINT *length);

/* An input string as the application gave it: narrow bytes unchanged,
 * wide text as UTF-8. */
std::string InputText(const AppText &t);
/* An input string as UTF-8: narrow text read in the connection's
 * Charset (TEXT_INVALID with the offset of the byte it cannot read),
 * wide text converted. *out always holds the result unless invalid. */
TextResult InputUtf8(const Charset &charset, const AppText &t, std::string *out, size_t *badOffset);

#endif
