/* catalog.cpp: the catalog functions. Each builds the result set that
 * ODBC 3 defines for it, from the facts its backend reports, filtered by
 * the application's search patterns ('%', '_', '\' escapes; names match
 * without regard to ASCII case). Where the engine has no such thing
 * (foreign keys, schemas, row versions) the result set is empty. */
#include <ctype.h>

#include <algorithm>

#include "core/catalog.h"

#include "backend/sql_types.h"
#include "core/app_text.h"
#include "core/rowset.h"
#include "core/statement.h"

#define COUNT(a) (sizeof(a) / sizeof *(a))

static const CatalogColumn kTablesColumns[] = {
  {"TABLE_CAT", SQL_VARCHAR}, {"TABLE_SCHEM", SQL_VARCHAR}, {"TABLE_NAME", SQL_VARCHAR},
  {"TABLE_TYPE", SQL_VARCHAR}, {"REMARKS", SQL_VARCHAR},
};

static const CatalogColumn kColumnsColumns[] = {
  {"TABLE_CAT", SQL_VARCHAR},       {"TABLE_SCHEM", SQL_VARCHAR},      {"TABLE_NAME", SQL_VARCHAR},
  {"COLUMN_NAME", SQL_VARCHAR},     {"DATA_TYPE", SQL_SMALLINT},       {"TYPE_NAME", SQL_VARCHAR},
  {"COLUMN_SIZE", SQL_INTEGER},     {"BUFFER_LENGTH", SQL_INTEGER},    {"DECIMAL_DIGITS", SQL_SMALLINT},
  {"NUM_PREC_RADIX", SQL_SMALLINT}, {"NULLABLE", SQL_SMALLINT},        {"REMARKS", SQL_VARCHAR},
  {"COLUMN_DEF", SQL_VARCHAR},      {"SQL_DATA_TYPE", SQL_SMALLINT},   {"SQL_DATETIME_SUB", SQL_SMALLINT},
  {"CHAR_OCTET_LENGTH", SQL_INTEGER}, {"ORDINAL_POSITION", SQL_INTEGER}, {"IS_NULLABLE", SQL_VARCHAR},
};

static const CatalogColumn kPrimaryKeysColumns[] = {
  {"TABLE_CAT", SQL_VARCHAR},   {"TABLE_SCHEM", SQL_VARCHAR}, {"TABLE_NAME", SQL_VARCHAR},
  {"COLUMN_NAME", SQL_VARCHAR}, {"KEY_SEQ", SQL_SMALLINT},    {"PK_NAME", SQL_VARCHAR},
};

static const CatalogColumn kStatisticsColumns[] = {
  {"TABLE_CAT", SQL_VARCHAR},    {"TABLE_SCHEM", SQL_VARCHAR},     {"TABLE_NAME", SQL_VARCHAR},
  {"NON_UNIQUE", SQL_SMALLINT},  {"INDEX_QUALIFIER", SQL_VARCHAR}, {"INDEX_NAME", SQL_VARCHAR},
  {"TYPE", SQL_SMALLINT},        {"ORDINAL_POSITION", SQL_SMALLINT}, {"COLUMN_NAME", SQL_VARCHAR},
  {"ASC_OR_DESC", SQL_CHAR},     {"CARDINALITY", SQL_INTEGER},     {"PAGES", SQL_INTEGER},
  {"FILTER_CONDITION", SQL_VARCHAR},
};

static const CatalogColumn kSpecialColumnsColumns[] = {
  {"SCOPE", SQL_SMALLINT},       {"COLUMN_NAME", SQL_VARCHAR},   {"DATA_TYPE", SQL_SMALLINT},
  {"TYPE_NAME", SQL_VARCHAR},    {"COLUMN_SIZE", SQL_INTEGER},   {"BUFFER_LENGTH", SQL_INTEGER},
  {"DECIMAL_DIGITS", SQL_SMALLINT}, {"PSEUDO_COLUMN", SQL_SMALLINT},
};

static const CatalogColumn kForeignKeysColumns[] = {
  {"PKTABLE_CAT", SQL_VARCHAR},  {"PKTABLE_SCHEM", SQL_VARCHAR}, {"PKTABLE_NAME", SQL_VARCHAR},
  {"PKCOLUMN_NAME", SQL_VARCHAR}, {"FKTABLE_CAT", SQL_VARCHAR},  {"FKTABLE_SCHEM", SQL_VARCHAR},
  {"FKTABLE_NAME", SQL_VARCHAR}, {"FKCOLUMN_NAME", SQL_VARCHAR}, {"KEY_SEQ", SQL_SMALLINT},
  {"UPDATE_RULE", SQL_SMALLINT}, {"DELETE_RULE", SQL_SMALLINT},  {"FK_NAME", SQL_VARCHAR},
  {"PK_NAME", SQL_VARCHAR},      {"DEFERRABILITY", SQL_SMALLINT},
};

static const CatalogColumn kTypeInfoColumns[] = {
  {"TYPE_NAME", SQL_VARCHAR},         {"DATA_TYPE", SQL_SMALLINT},       {"COLUMN_SIZE", SQL_INTEGER},
  {"LITERAL_PREFIX", SQL_VARCHAR},    {"LITERAL_SUFFIX", SQL_VARCHAR},   {"CREATE_PARAMS", SQL_VARCHAR},
  {"NULLABLE", SQL_SMALLINT},         {"CASE_SENSITIVE", SQL_SMALLINT},  {"SEARCHABLE", SQL_SMALLINT},
  {"UNSIGNED_ATTRIBUTE", SQL_SMALLINT}, {"FIXED_PREC_SCALE", SQL_SMALLINT}, {"AUTO_UNIQUE_VALUE", SQL_SMALLINT},
  {"LOCAL_TYPE_NAME", SQL_VARCHAR},   {"MINIMUM_SCALE", SQL_SMALLINT},   {"MAXIMUM_SCALE", SQL_SMALLINT},
  {"SQL_DATA_TYPE", SQL_SMALLINT},    {"SQL_DATETIME_SUB", SQL_SMALLINT}, {"NUM_PREC_RADIX", SQL_INTEGER},
  {"INTERVAL_PRECISION", SQL_SMALLINT},
};

/* Does name match the search pattern? */
static bool Matches(const char *p, const char *s) {
  for (; *p; p++, s++) {
    if (*p == '%') {
      for (;; s++) {
        if (Matches(p + 1, s)) return true;
        if (!*s) return false;
      }
    }
    if (!*s) return false;
    if (*p == '\\' && p[1]) p++;
    else if (*p == '_') continue;
    if (tolower((unsigned char)*p) != tolower((unsigned char)*s)) return false;
  }
  return !*s;
}

static bool MatchesPattern(const std::string &pattern, const std::string &name) {
  return pattern.empty() || Matches(pattern.c_str(), name.c_str());
}

/* A catalog argument of the application as UTF-8: NTS or counted, narrow
 * text in its Charset (kept as given where the Charset cannot read it). */
static std::string Argument(Stmt *stmt, const AppText &t) {
  std::string utf8;
  size_t bad;
  return InputUtf8(stmt->dbc->charset, t, &utf8, &bad) == TEXT_INVALID ? InputText(t) : utf8;
}

static Cell SubtypeCell(SQLSMALLINT t) { return IsDatetime(t) ? IntCell(DatetimeSubcode(t)) : NullCell(); }
static Cell VerboseTypeCell(SQLSMALLINT t) { return IntCell(IsDatetime(t) ? SQL_DATETIME : t); }

/* The bytes a column's value takes in its default C type. */
static int64_t BufferLength(const ColumnInfo &c) {
  switch (c.sqlType) {
    case SQL_SMALLINT: return 2;
    case SQL_INTEGER: return 4;
    case SQL_BIGINT: case SQL_DOUBLE: return 8;
    case SQL_TYPE_DATE: return 6;
    case SQL_TYPE_TIMESTAMP: return 16;
    case SQL_GUID: return sizeof(SQLGUID);
    case SQL_NUMERIC: case SQL_DECIMAL: return (int64_t)c.size + 2; /* as text, with a sign and a point */
    default: return (int64_t)c.size;
  }
}

static SQLRETURN Tables(Stmt *stmt, const std::string &catalog, const std::string &schema, const std::string &table,
                        const std::string &types) {
  auto rows = std::make_unique<RowSet>(kTablesColumns, COUNT(kTablesColumns));
  bool listTypes = catalog.empty() && schema.empty() && table.empty() && types == "%";
  if (listTypes) {
    for (const char *type : {"TABLE", "VIEW"})
      rows->Add({NullCell(), NullCell(), NullCell(), TextCell(type), NullCell()});
  } else if (catalog != "%" && schema != "%") {
    std::vector<TableFact> facts;
    if (stmt->dbc->backend->Tables(&facts, stmt->diag) == SQL_ERROR) return SQL_ERROR;
    for (const TableFact &t : facts) {
      bool typeWanted = types.empty() || types == "%" || types.find(t.type) != std::string::npos;
      if (typeWanted && MatchesPattern(table, t.name))
        rows->Add({NullCell(), NullCell(), TextCell(t.name), TextCell(t.type), NullCell()});
    }
  }
  OpenCatalog(stmt, std::move(rows));
  return SQL_SUCCESS;
}

static void AddColumnRow(Stmt *stmt, RowSet *rows, const ColumnInfo &c) {
  bool text = IsCharType(c.sqlType) || c.sqlType == SQL_LONGVARBINARY;
  rows->Add({NullCell(), NullCell(), TextCell(c.table), TextCell(c.name), IntCell(ReportedType(stmt, c.sqlType)),
             TextCell(c.typeName), IntCell((int64_t)c.size), IntCell(BufferLength(c)),
             c.sqlType == SQL_TYPE_TIMESTAMP ? IntCell(c.digits) : IsNumeric(c.sqlType) ? IntCell(c.digits) : NullCell(),
             IsNumeric(c.sqlType) ? IntCell(RadixOf(c.sqlType)) : NullCell(), IntCell(c.nullable),
             NullCell(), c.hasDefault ? TextCell(c.defaultValue) : NullCell(), VerboseTypeCell(ClientSqlType(stmt, c.sqlType)),
             SubtypeCell(c.sqlType), text ? IntCell((int64_t)c.size) : NullCell(), IntCell(c.ordinal),
             TextCell(c.nullable == SQL_NO_NULLS ? "NO" : "YES")});
}

static SQLRETURN Columns(Stmt *stmt, const std::string &tablePattern, const std::string &columnPattern) {
  auto rows = std::make_unique<RowSet>(kColumnsColumns, COUNT(kColumnsColumns));
  std::vector<TableFact> tables;
  Backend *backend = stmt->dbc->backend.get();
  if (backend->Tables(&tables, stmt->diag) == SQL_ERROR) return SQL_ERROR;
  for (const TableFact &t : tables) {
    if (!MatchesPattern(tablePattern, t.name)) continue;
    std::vector<ColumnInfo> columns;
    if (backend->Columns(t.name, &columns, stmt->diag) == SQL_ERROR) return SQL_ERROR;
    for (ColumnInfo &c : columns) {
      c.table = t.name;
      if (MatchesPattern(columnPattern, c.name)) AddColumnRow(stmt, rows.get(), c);
    }
  }
  OpenCatalog(stmt, std::move(rows));
  return SQL_SUCCESS;
}

static SQLRETURN PrimaryKeys(Stmt *stmt, const std::string &table) {
  auto rows = std::make_unique<RowSet>(kPrimaryKeysColumns, COUNT(kPrimaryKeysColumns));
  std::vector<std::string> key;
  if (stmt->dbc->backend->PrimaryKey(table, &key, stmt->diag) == SQL_ERROR) return SQL_ERROR;
  for (size_t i = 0; i < key.size(); i++)
    rows->Add({NullCell(), NullCell(), TextCell(table), TextCell(key[i]), IntCell((int64_t)i + 1), NullCell()});
  OpenCatalog(stmt, std::move(rows));
  return SQL_SUCCESS;
}

static SQLRETURN Statistics(Stmt *stmt, const std::string &table, SQLUSMALLINT unique) {
  auto rows = std::make_unique<RowSet>(kStatisticsColumns, COUNT(kStatisticsColumns));
  std::vector<IndexFact> indexes;
  if (stmt->dbc->backend->Indexes(table, &indexes, stmt->diag) == SQL_ERROR) return SQL_ERROR;
  for (const IndexFact &index : indexes) {
    if (unique == SQL_INDEX_UNIQUE && !index.unique) continue;
    for (size_t i = 0; i < index.columns.size(); i++)
      rows->Add({NullCell(), NullCell(), TextCell(table), IntCell(!index.unique), NullCell(), TextCell(index.name),
                 IntCell(SQL_INDEX_OTHER), IntCell((int64_t)i + 1), TextCell(index.columns[i]), TextCell("A"),
                 NullCell(), NullCell(), NullCell()});
  }
  OpenCatalog(stmt, std::move(rows));
  return SQL_SUCCESS;
}

/* The best row identifier is the primary key, when the table has one. */
static SQLRETURN SpecialColumns(Stmt *stmt, SQLUSMALLINT identifier, const std::string &table) {
  auto rows = std::make_unique<RowSet>(kSpecialColumnsColumns, COUNT(kSpecialColumnsColumns));
  std::vector<std::string> key;
  std::vector<ColumnInfo> columns;
  Backend *backend = stmt->dbc->backend.get();
  if (identifier == SQL_BEST_ROWID) {
    if (backend->PrimaryKey(table, &key, stmt->diag) == SQL_ERROR) return SQL_ERROR;
    if (backend->Columns(table, &columns, stmt->diag) == SQL_ERROR) return SQL_ERROR;
  }
  for (const std::string &name : key)
    for (const ColumnInfo &c : columns)
      if (c.name == name)
        rows->Add({IntCell(SQL_SCOPE_SESSION), TextCell(c.name), IntCell(ReportedType(stmt, c.sqlType)),
                   TextCell(c.typeName), IntCell((int64_t)c.size), IntCell(BufferLength(c)), NullCell(),
                   IntCell(SQL_PC_NOT_PSEUDO)});
  OpenCatalog(stmt, std::move(rows));
  return SQL_SUCCESS;
}

/* The backend's types, ordered by their type code as ODBC wants them; a
 * Unicode client is offered each text type twice, narrow and wide, as
 * psqlODBC's Unicode driver does. */
static SQLRETURN TypeInfo(Stmt *stmt, SQLSMALLINT wanted) {
  struct Offered {
    const TypeFact *fact;
    SQLSMALLINT sqlType;
  };
  std::vector<Offered> offered;
  size_t count;
  const TypeFact *types = stmt->dbc->backend->Types(&count);
  for (size_t i = 0; i < count; i++) {
    offered.push_back({&types[i], types[i].sqlType});
    if (ClientSqlType(stmt, types[i].sqlType) != types[i].sqlType)
      offered.push_back({&types[i], ClientSqlType(stmt, types[i].sqlType)});
  }
  std::stable_sort(offered.begin(), offered.end(), [&](const Offered &a, const Offered &b) {
    return AppType(OdbcVersion(stmt), a.sqlType) < AppType(OdbcVersion(stmt), b.sqlType);
  });
  auto rows = std::make_unique<RowSet>(kTypeInfoColumns, COUNT(kTypeInfoColumns));
  auto optional = [](const char *s) { return s ? TextCell(s) : NullCell(); };
  for (const Offered &o : offered) {
    const TypeFact &t = *o.fact;
    SQLSMALLINT type = AppType(OdbcVersion(stmt), o.sqlType);
    if (wanted != SQL_ALL_TYPES && wanted != type && wanted != o.sqlType) continue;
    rows->Add({TextCell(t.name), IntCell(type), IntCell(t.size), optional(t.prefix), optional(t.suffix),
               optional(t.createParams), IntCell(SQL_NULLABLE), IntCell(IsCharType(o.sqlType)), IntCell(SQL_SEARCHABLE),
               IsNumeric(o.sqlType) ? IntCell(SQL_FALSE) : NullCell(), IntCell(SQL_FALSE), NullCell(), NullCell(),
               NullCell(), NullCell(), VerboseTypeCell(o.sqlType), SubtypeCell(o.sqlType),
               IsNumeric(o.sqlType) ? IntCell(RadixOf(o.sqlType)) : NullCell(), NullCell()});
  }
  OpenCatalog(stmt, std::move(rows));
  return SQL_SUCCESS;
}

/* Each function closes the open result set and opens its own. */

SQLRETURN ListTables(Stmt *stmt, const AppText &catalog, const AppText &schema, const AppText &table,
                     const AppText &types) {
  CloseCursor(stmt);
  return Tables(stmt, Argument(stmt, catalog), Argument(stmt, schema), Argument(stmt, table), Argument(stmt, types));
}

SQLRETURN ListColumns(Stmt *stmt, const AppText &table, const AppText &column) {
  CloseCursor(stmt);
  return Columns(stmt, Argument(stmt, table), Argument(stmt, column));
}

SQLRETURN ListPrimaryKeys(Stmt *stmt, const AppText &table) {
  CloseCursor(stmt);
  return PrimaryKeys(stmt, Argument(stmt, table));
}

SQLRETURN ListStatistics(Stmt *stmt, const AppText &table, SQLUSMALLINT unique) {
  CloseCursor(stmt);
  return Statistics(stmt, Argument(stmt, table), unique);
}

SQLRETURN ListSpecialColumns(Stmt *stmt, SQLUSMALLINT identifier, const AppText &table) {
  CloseCursor(stmt);
  return SpecialColumns(stmt, identifier, Argument(stmt, table));
}

SQLRETURN ListForeignKeys(Stmt *stmt) {
  CloseCursor(stmt);
  OpenCatalog(stmt, std::make_unique<RowSet>(kForeignKeysColumns, COUNT(kForeignKeysColumns)));
  return SQL_SUCCESS;
}

SQLRETURN ListTypeInfo(Stmt *stmt, SQLSMALLINT type) {
  CloseCursor(stmt);
  return TypeInfo(stmt, type);
}
