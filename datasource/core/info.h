/* info.h: SQLGetInfo, what the driver and its connection can do. */
#ifndef LUMETRA_DS_INFO_H
#define LUMETRA_DS_INFO_H

#include "core/app_text.h"
#include "core/handles.h"

/* value: the buffer, narrow or wide for the text answers. */
SQLRETURN GetInfo(Dbc *dbc, SQLUSMALLINT type, const AppBuffer &value, SQLSMALLINT *length);

#endif
