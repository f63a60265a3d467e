/* wide_catalog.cpp: the W entry points of the catalog functions, their
 * names UTF-16 counted in characters. The engine has no catalogs or
 * schemas, so those arguments are not passed on. */
#include "api/entry.h"
#include "core/catalog.h"

DS_EXPORT SQLRETURN SQL_API SQLTablesW(SQLHSTMT h, SQLWCHAR *catalog, SQLSMALLINT catalogLength, SQLWCHAR *schema,
                                       SQLSMALLINT schemaLength, SQLWCHAR *table, SQLSMALLINT tableLength,
                                       SQLWCHAR *types, SQLSMALLINT typesLength) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ListTables(stmt, Wide(catalog, catalogLength), Wide(schema, schemaLength),
                                      Wide(table, tableLength), Wide(types, typesLength)));
}

DS_EXPORT SQLRETURN SQL_API SQLColumnsW(SQLHSTMT h, SQLWCHAR *, SQLSMALLINT, SQLWCHAR *, SQLSMALLINT,
                                        SQLWCHAR *table, SQLSMALLINT tableLength, SQLWCHAR *column,
                                        SQLSMALLINT columnLength) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ListColumns(stmt, Wide(table, tableLength), Wide(column, columnLength)));
}

DS_EXPORT SQLRETURN SQL_API SQLPrimaryKeysW(SQLHSTMT h, SQLWCHAR *, SQLSMALLINT, SQLWCHAR *, SQLSMALLINT,
                                            SQLWCHAR *table, SQLSMALLINT tableLength) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ListPrimaryKeys(stmt, Wide(table, tableLength)));
}

DS_EXPORT SQLRETURN SQL_API SQLStatisticsW(SQLHSTMT h, SQLWCHAR *, SQLSMALLINT, SQLWCHAR *, SQLSMALLINT,
                                           SQLWCHAR *table, SQLSMALLINT tableLength, SQLUSMALLINT unique,
                                           SQLUSMALLINT) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ListStatistics(stmt, Wide(table, tableLength), unique));
}

DS_EXPORT SQLRETURN SQL_API SQLSpecialColumnsW(SQLHSTMT h, SQLUSMALLINT identifier, SQLWCHAR *, SQLSMALLINT,
                                               SQLWCHAR *, SQLSMALLINT, SQLWCHAR *table, SQLSMALLINT tableLength,
                                               SQLUSMALLINT, SQLUSMALLINT) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ListSpecialColumns(stmt, identifier, Wide(table, tableLength)));
}

DS_EXPORT SQLRETURN SQL_API SQLForeignKeysW(SQLHSTMT h, SQLWCHAR *, SQLSMALLINT, SQLWCHAR *, SQLSMALLINT,
                                            SQLWCHAR *, SQLSMALLINT, SQLWCHAR *, SQLSMALLINT, SQLWCHAR *,
                                            SQLSMALLINT, SQLWCHAR *, SQLSMALLINT) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ListForeignKeys(stmt));
}

DS_EXPORT SQLRETURN SQL_API SQLGetTypeInfoW(SQLHSTMT h, SQLSMALLINT type) {
  ENTER_STMT(h);
  return Leave(stmt->diag, ListTypeInfo(stmt, type));
}
