/* wide_connection.cpp: the W entry points on a connection handle. Their
 * text is UTF-16, counted in characters, except SQLGetInfoW's, counted
 * in bytes. The attributes hold no text: they are the ANSI calls'. */
#include "api/entry.h"
#include "core/connection.h"
#include "core/info.h"
#include "core/statement.h"

DS_EXPORT SQLRETURN SQL_API SQLConnectW(SQLHDBC hdbc, SQLWCHAR *dsn, SQLSMALLINT dsnLength, SQLWCHAR *user,
                                        SQLSMALLINT userLength, SQLWCHAR *password, SQLSMALLINT passwordLength) {
  ENTER_DBC(hdbc);
  return Leave(dbc->diag, Connect(dbc, Wide(dsn, dsnLength), Wide(user, userLength), Wide(password, passwordLength)));
}

DS_EXPORT SQLRETURN SQL_API SQLDriverConnectW(SQLHDBC hdbc, SQLHWND, SQLWCHAR *in, SQLSMALLINT inLength,
                                              SQLWCHAR *out, SQLSMALLINT outSize, SQLSMALLINT *outLength,
                                              SQLUSMALLINT) {
  ENTER_DBC(hdbc);
  return Leave(dbc->diag,
               DriverConnect(dbc, Wide(in, inLength), WideOut(out, outSize, UNITS_WIDE_CHARS), outLength));
}

DS_EXPORT SQLRETURN SQL_API SQLGetInfoW(SQLHDBC hdbc, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT size,
                                        SQLSMALLINT *length) {
  ENTER_DBC(hdbc);
  return Leave(dbc->diag, GetInfo(dbc, type, WideOut(value, size, UNITS_WIDE_BYTES), length));
}

DS_EXPORT SQLRETURN SQL_API SQLSetConnectAttrW(SQLHDBC hdbc, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  ENTER_DBC(hdbc);
  return Leave(dbc->diag, SetConnectAttr(dbc, attribute, value));
}

DS_EXPORT SQLRETURN SQL_API SQLGetConnectAttrW(SQLHDBC hdbc, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                               SQLINTEGER *) {
  ENTER_DBC(hdbc);
  return Leave(dbc->diag, GetConnectAttr(dbc, attribute, value));
}

DS_EXPORT SQLRETURN SQL_API SQLNativeSqlW(SQLHDBC hdbc, SQLWCHAR *in, SQLINTEGER inLength, SQLWCHAR *out,
                                          SQLINTEGER outSize, SQLINTEGER *outLength) {
  ENTER_DBC(hdbc);
  return Leave(dbc->diag, NativeSql(dbc, Wide(in, inLength), WideOut(out, outSize, UNITS_WIDE_CHARS), outLength));
}
