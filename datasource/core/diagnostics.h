/* diagnostics.h: reading a handle's diagnostic records (SQLGetDiagRec,
 * SQLGetDiagField). The records themselves and their posting are in
 * backend/diagnostics.h, since backends post them too. */
#ifndef LUMETRA_DS_CORE_DIAGNOSTICS_H
#define LUMETRA_DS_CORE_DIAGNOSTICS_H

#include "core/app_text.h"
#include "core/handles.h"

/* The diagnostics of a handle of the type, left as they are for reading;
 * null when the handle is none of that type. */
Diagnostics *DiagnosticsOf(SQLSMALLINT type, SQLHANDLE handle);

/* The characters of an SQLSTATE buffer, its terminator included. */
inline constexpr SQLLEN kStateSize = 6;

/* state: a buffer of kStateSize characters, narrow or wide as message. */
SQLRETURN GetDiagRec(const Diagnostics &diag, SQLSMALLINT record, const AppBuffer &state, SQLINTEGER *native,
                     const AppBuffer &message, SQLSMALLINT *length);
/* stmt: the statement the diagnostics belong to, null for another handle.
 * info: the field's buffer, narrow or wide for the text fields. */
SQLRETURN GetDiagField(const Diagnostics &diag, Stmt *stmt, SQLSMALLINT record, SQLSMALLINT field,
                       const AppBuffer &info, SQLSMALLINT *length);
/* SQLError's handle: the statement if given, else the connection, else
 * the environment; null when that one is not a handle of its kind. */
Diagnostics *ErrorDiagnosticsOf(SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt);
/* SQLError: the next record that no SQLError call has given yet. */
SQLRETURN NextError(Diagnostics &diag, const AppBuffer &state, SQLINTEGER *native, const AppBuffer &message,
                    SQLSMALLINT *length);

#endif
