/* diagnostics.h: reading a handle's diagnostic records (SQLGetDiagRec,
 * SQLGetDiagField). The records themselves and their posting are in
 * backend/diagnostics.h, since backends post them too. */
#ifndef LUMETRA_DS_CORE_DIAGNOSTICS_H
#define LUMETRA_DS_CORE_DIAGNOSTICS_H

#include "core/handles.h"

/* The diagnostics of a handle of the type, left as they are for reading;
 * null when the handle is none of that type. */
Diagnostics *DiagnosticsOf(SQLSMALLINT type, SQLHANDLE handle);

SQLRETURN GetDiagRec(const Diagnostics &diag, SQLSMALLINT record, SQLCHAR *state, SQLINTEGER *native,
                     SQLCHAR *message, SQLSMALLINT size, SQLSMALLINT *length);
/* stmt: the statement the diagnostics belong to, null for another handle. */
SQLRETURN GetDiagField(const Diagnostics &diag, Stmt *stmt, SQLSMALLINT record, SQLSMALLINT field, SQLPOINTER info,
                       SQLSMALLINT size, SQLSMALLINT *length);

#endif
