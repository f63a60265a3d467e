/* catalog.h: the catalog functions, each a result set built from the
 * backend's facts and the application's search patterns. */
#ifndef LUMETRA_DS_CATALOG_H
#define LUMETRA_DS_CATALOG_H

#include "core/handles.h"

SQLRETURN ListTables(Stmt *stmt, SQLCHAR *catalog, SQLSMALLINT catalogLength, SQLCHAR *schema,
                     SQLSMALLINT schemaLength, SQLCHAR *table, SQLSMALLINT tableLength, SQLCHAR *types,
                     SQLSMALLINT typesLength);
SQLRETURN ListColumns(Stmt *stmt, SQLCHAR *table, SQLSMALLINT tableLength, SQLCHAR *column,
                      SQLSMALLINT columnLength);
SQLRETURN ListPrimaryKeys(Stmt *stmt, SQLCHAR *table, SQLSMALLINT tableLength);
SQLRETURN ListStatistics(Stmt *stmt, SQLCHAR *table, SQLSMALLINT tableLength, SQLUSMALLINT unique);
SQLRETURN ListSpecialColumns(Stmt *stmt, SQLUSMALLINT identifier, SQLCHAR *table, SQLSMALLINT tableLength);
/* The engine has no foreign keys: always an empty result set. */
SQLRETURN ListForeignKeys(Stmt *stmt);
SQLRETURN ListTypeInfo(Stmt *stmt, SQLSMALLINT type);

#endif
