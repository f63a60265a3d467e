/* connection.cpp: the entry points on a connection handle. */
#include "api/entry.h"
#include "core/connection.h"
#include "core/info.h"
#include "core/statement.h"
#include "core/transaction.h"

DS_EXPORT SQLRETURN SQL_API SQLConnect(SQLHDBC hdbc, SQLCHAR *dsn, SQLSMALLINT dsnLength, SQLCHAR *user,
                                       SQLSMALLINT userLength, SQLCHAR *password, SQLSMALLINT passwordLength) {
  ENTER_DBC(hdbc);
  return Leave(dbc->diag, Connect(dbc, Narrow(dsn, dsnLength), Narrow(user, userLength), Narrow(password, passwordLength)));
}

DS_EXPORT SQLRETURN SQL_API SQLDriverConnect(SQLHDBC hdbc, SQLHWND, SQLCHAR *in, SQLSMALLINT inLength,
                                             SQLCHAR *out, SQLSMALLINT outSize, SQLSMALLINT *outLength,
                                             SQLUSMALLINT) {
  ENTER_DBC(hdbc);
  return Leave(dbc->diag, DriverConnect(dbc, Narrow(in, inLength), NarrowOut(out, outSize), outLength));
}

DS_EXPORT SQLRETURN SQL_API SQLDisconnect(SQLHDBC hdbc) {
  ENTER_DBC(hdbc);
  return Leave(dbc->diag, Disconnect(dbc));
}

DS_EXPORT SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC hdbc, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  ENTER_DBC(hdbc);
  return Leave(dbc->diag, SetConnectAttr(dbc, attribute, value));
}

DS_EXPORT SQLRETURN SQL_API SQLGetConnectAttr(SQLHDBC hdbc, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                              SQLINTEGER *) {
  ENTER_DBC(hdbc);
  return Leave(dbc->diag, GetConnectAttr(dbc, attribute, value));
}

DS_EXPORT SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion) {
  if (type != SQL_HANDLE_DBC) return SQL_SUCCESS; /* the manager walks an environment's connections itself */
  ENTER_DBC(handle);
  return Leave(dbc->diag, EndTransaction(dbc, completion, dbc->diag));
}

DS_EXPORT SQLRETURN SQL_API SQLGetInfo(SQLHDBC hdbc, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT size,
                                       SQLSMALLINT *length) {
  ENTER_DBC(hdbc);
  return Leave(dbc->diag, GetInfo(dbc, type, NarrowOut(value, size), length));
}

DS_EXPORT SQLRETURN SQL_API SQLNativeSql(SQLHDBC hdbc, SQLCHAR *in, SQLINTEGER inLength, SQLCHAR *out,
                                         SQLINTEGER outSize, SQLINTEGER *outLength) {
  ENTER_DBC(hdbc);
  return Leave(dbc->diag, NativeSql(dbc, Narrow(in, inLength), NarrowOut(out, outSize), outLength));
}
