/* catalog.h: the catalog functions, each a result set built from the
 * backend's facts and the application's search patterns. */
#ifndef LUMETRA_DS_CATALOG_H
#define LUMETRA_DS_CATALOG_H

#include "core/app_text.h"
#include "core/handles.h"

SQLRETURN ListTables(Stmt *stmt, const AppText &catalog, const AppText &schema, const AppText &table,
                     const AppText &types);
SQLRETURN ListColumns(Stmt *stmt, const AppText &table, const AppText &column);
SQLRETURN ListPrimaryKeys(Stmt *stmt, const AppText &table);
SQLRETURN ListStatistics(Stmt *stmt, const AppText &table, SQLUSMALLINT unique);
SQLRETURN ListSpecialColumns(Stmt *stmt, SQLUSMALLINT identifier, const AppText &table);
/* The engine has no foreign keys: always an empty result set. */
SQLRETURN ListForeignKeys(Stmt *stmt);
SQLRETURN ListTypeInfo(Stmt *stmt, SQLSMALLINT type);

#endif
