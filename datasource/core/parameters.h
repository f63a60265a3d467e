/* parameters.h: the statement's parameters: their binding, and their
 * values converted for the backend at each execution. */
#ifndef LUMETRA_DS_PARAMETERS_H
#define LUMETRA_DS_PARAMETERS_H

#include "core/handles.h"

/* The column size, digits and buffer length of SQLBindParameter are not
 * needed: values are converted exactly, and input buffers are read by
 * their indicators. */
SQLRETURN BindParameter(Stmt *stmt, SQLUSMALLINT number, SQLSMALLINT ioType, SQLSMALLINT cType,
                        SQLSMALLINT sqlType, SQLPOINTER value, SQLLEN *indicator);
SQLRETURN NumParams(Stmt *stmt, SQLSMALLINT *count);
/* The application's bound values as the Values of stmt->values, the
 * first count of them; nothing is converted past the first that fails. */
SQLRETURN ConvertParameters(Stmt *stmt, int count);

#endif
