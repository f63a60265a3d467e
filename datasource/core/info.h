/* info.h: SQLGetInfo, what the driver and its connection can do. */
#ifndef LUMETRA_DS_INFO_H
#define LUMETRA_DS_INFO_H

#include "core/handles.h"

SQLRETURN GetInfo(Dbc *dbc, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT size, SQLSMALLINT *length);

#endif
