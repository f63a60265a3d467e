/* catalog.cpp: the entry points of the catalog functions. The engine has
 * no catalogs or schemas, so their arguments are not passed on. */
#include "api/entry.h"
#include "core/catalog.h"

DS_EXPORT SQLRETURN SQL_API SQLTables(SQLHSTMT h, SQLCHAR *catalog, SQLSMALLINT catalogLength, SQLCHAR *schema,
                                      SQLSMALLINT schemaLength, SQLCHAR *table, SQLSMALLINT tableLength,
                                      SQLCHAR *types, SQLSMALLINT typesLength) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ListTables(stmt, Narrow(catalog, catalogLength), Narrow(schema, schemaLength),
                                      Narrow(table, tableLength), Narrow(types, typesLength)));
}

DS_EXPORT SQLRETURN SQL_API SQLColumns(SQLHSTMT h, SQLCHAR *, SQLSMALLINT, SQLCHAR *, SQLSMALLINT, SQLCHAR *table,
                                       SQLSMALLINT tableLength, SQLCHAR *column, SQLSMALLINT columnLength) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ListColumns(stmt, Narrow(table, tableLength), Narrow(column, columnLength)));
}

DS_EXPORT SQLRETURN SQL_API SQLPrimaryKeys(SQLHSTMT h, SQLCHAR *, SQLSMALLINT, SQLCHAR *, SQLSMALLINT,
                                           SQLCHAR *table, SQLSMALLINT tableLength) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ListPrimaryKeys(stmt, Narrow(table, tableLength)));
}

DS_EXPORT SQLRETURN SQL_API SQLStatistics(SQLHSTMT h, SQLCHAR *, SQLSMALLINT, SQLCHAR *, SQLSMALLINT,
                                          SQLCHAR *table, SQLSMALLINT tableLength, SQLUSMALLINT unique,
                                          SQLUSMALLINT) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ListStatistics(stmt, Narrow(table, tableLength), unique));
}

DS_EXPORT SQLRETURN SQL_API SQLSpecialColumns(SQLHSTMT h, SQLUSMALLINT identifier, SQLCHAR *, SQLSMALLINT,
                                              SQLCHAR *, SQLSMALLINT, SQLCHAR *table, SQLSMALLINT tableLength,
                                              SQLUSMALLINT, SQLUSMALLINT) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ListSpecialColumns(stmt, identifier, Narrow(table, tableLength)));
}

DS_EXPORT SQLRETURN SQL_API SQLForeignKeys(SQLHSTMT h, SQLCHAR *, SQLSMALLINT, SQLCHAR *, SQLSMALLINT, SQLCHAR *,
                                           SQLSMALLINT, SQLCHAR *, SQLSMALLINT, SQLCHAR *, SQLSMALLINT, SQLCHAR *,
                                           SQLSMALLINT) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ListForeignKeys(stmt));
}

DS_EXPORT SQLRETURN SQL_API SQLGetTypeInfo(SQLHSTMT h, SQLSMALLINT type) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ListTypeInfo(stmt, type));
}
