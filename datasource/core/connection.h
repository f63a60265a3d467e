/* connection.h: the connection handle: connecting to a data source,
 * disconnecting, and the connection attributes. */
#ifndef LUMETRA_DS_CONNECTION_H
#define LUMETRA_DS_CONNECTION_H

#include "core/app_text.h"
#include "core/handles.h"

SQLRETURN AllocConnection(Env *env, SQLHANDLE *output);
/* Disconnects and frees; the application must not use a connection it
 * frees, so this runs without the connection's lock. */
SQLRETURN FreeConnection(Dbc *dbc);

/* SQLConnect: a named data source, with an optional user and password. */
SQLRETURN Connect(Dbc *dbc, const AppText &dsn, const AppText &user, const AppText &password);
/* SQLDriverConnect: a connection string, given back completed. */
SQLRETURN DriverConnect(Dbc *dbc, const AppText &in, const AppBuffer &out, SQLSMALLINT *outLength);
/* Ends the connection: an open transaction is rolled back, statements the
 * application left are freed. */
SQLRETURN Disconnect(Dbc *dbc);

SQLRETURN SetConnectAttr(Dbc *dbc, SQLINTEGER attribute, SQLPOINTER value);
SQLRETURN GetConnectAttr(Dbc *dbc, SQLINTEGER attribute, SQLPOINTER value);

#endif
