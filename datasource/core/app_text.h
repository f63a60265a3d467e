/* app_text.h: strings across the ODBC interface: the application's input
 * strings (NTS or counted) and its output buffers. */
#ifndef LUMETRA_DS_APP_TEXT_H
#define LUMETRA_DS_APP_TEXT_H

#include <string>

#include "backend/diagnostics.h"

/* Copies a string into an ODBC output buffer; SQL_SUCCESS_WITH_INFO and
 * 01004 when it had to be cut. */
SQLRETURN CopyOut(Diagnostics *diag, const std::string &s, SQLCHAR *out, SQLLEN size, SQLLEN *length);
/* The same for an SQLSMALLINT length. */
SQLRETURN CopyOutShort(Diagnostics *diag, const std::string &s, SQLCHAR *out, SQLSMALLINT size,
                       SQLSMALLINT *length);

/* An ODBC input string of the application: NTS or counted. */
std::string InputText(const SQLCHAR *s, SQLINTEGER length);

#endif
