/* odbc_types.h: the ODBC scalar and handle types (SQLLEN, DATE_STRUCT,
 * HENV, RETCODE ...) and the constants (SQL_NTS, SQL_C_CHAR ...) from the
 * platform's own headers. */
#ifndef LUMETRA_ODBC_TYPES_H
#define LUMETRA_ODBC_TYPES_H

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#endif
