/* connection.cpp: handle allocation, attributes, SQLGetInfo, and the
 * connection to the SQLite file named by the data source. */
#include <errno.h>
#include <odbcinst.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "driver.h"

enum { PROFILE_VALUE_SIZE = 4096, BUSY_TIMEOUT_MS = 5000 };

static const char *const kJournalModes[] = {"DELETE", "TRUNCATE", "PERSIST", "MEMORY", "WAL", "OFF"};
static const char *const kSyncModes[] = {"OFF", "NORMAL", "FULL", "EXTRA"};

DS_EXPORT SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE *output) {
  if (!output) return SQL_ERROR;
  switch (type) {
    case SQL_HANDLE_ENV: *output = new Env; return SQL_SUCCESS;
    case SQL_HANDLE_DBC: {
      Dbc *dbc = new Dbc;
      dbc->env = (Env *)input;
      *output = dbc;
      return SQL_SUCCESS;
    }
    case SQL_HANDLE_STMT: {
      Dbc *dbc = (Dbc *)input;
      if (!dbc || !dbc->db) return PostError(dbc->diag, "08003", 0, "Connection not open");
      Stmt *stmt = new Stmt;
      stmt->dbc = dbc;
      *output = stmt;
      return SQL_SUCCESS;
    }
    default: return SQL_ERROR;
  }
}

DS_EXPORT SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
  if (!handle) return SQL_INVALID_HANDLE;
  switch (type) {
    case SQL_HANDLE_ENV: delete (Env *)handle; return SQL_SUCCESS;
    case SQL_HANDLE_DBC: {
      Dbc *dbc = (Dbc *)handle;
      if (dbc->db) sqlite3_close_v2(dbc->db);
      delete dbc;
      return SQL_SUCCESS;
    }
    case SQL_HANDLE_STMT: {
      Stmt *stmt = (Stmt *)handle;
      sqlite3_finalize(stmt->prepared);
      delete stmt;
      return SQL_SUCCESS;
    }
    default: return SQL_ERROR;
  }
}

DS_EXPORT SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV henv, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  Env *env = (Env *)henv;
  if (attribute == SQL_ATTR_ODBC_VERSION) env->odbcVersion = (SQLINTEGER)(SQLLEN)value;
  return SQL_SUCCESS;
}

DS_EXPORT SQLRETURN SQL_API SQLGetEnvAttr(SQLHENV henv, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                          SQLINTEGER *) {
  Env *env = (Env *)henv;
  if (attribute == SQL_ATTR_ODBC_VERSION && value) *(SQLINTEGER *)value = env->odbcVersion;
  else if (value) *(SQLINTEGER *)value = 0;
  return SQL_SUCCESS;
}

/* Commits what a manual transaction holds, or rolls it back. */
static SQLRETURN EndTransaction(Dbc *dbc, SQLSMALLINT completion) {
  if (!dbc->db || sqlite3_get_autocommit(dbc->db)) return SQL_SUCCESS;
  const char *sql = completion == SQL_COMMIT ? "COMMIT" : "ROLLBACK";
  int rc = sqlite3_exec(dbc->db, sql, nullptr, nullptr, nullptr);
  return rc == SQLITE_OK ? SQL_SUCCESS : PostSqliteError(dbc->diag, dbc->db, rc);
}

DS_EXPORT SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC hdbc, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  Dbc *dbc = (Dbc *)hdbc;
  dbc->diag.Clear();
  if (attribute == SQL_ATTR_AUTOCOMMIT) {
    bool on = (SQLULEN)value == SQL_AUTOCOMMIT_ON;
    if (on && !dbc->autocommit) {
      SQLRETURN rc = EndTransaction(dbc, SQL_COMMIT);
      if (rc != SQL_SUCCESS) return rc;
    }
    dbc->autocommit = on;
  }
  return SQL_SUCCESS;
}

DS_EXPORT SQLRETURN SQL_API SQLGetConnectAttr(SQLHDBC hdbc, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                              SQLINTEGER *) {
  Dbc *dbc = (Dbc *)hdbc;
  if (!value) return SQL_SUCCESS;
  switch (attribute) {
    case SQL_ATTR_AUTOCOMMIT: *(SQLUINTEGER *)value = dbc->autocommit ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF; break;
    case SQL_ATTR_CONNECTION_DEAD: *(SQLUINTEGER *)value = dbc->db ? SQL_CD_FALSE : SQL_CD_TRUE; break;
    default: *(SQLUINTEGER *)value = 0; break;
  }
  return SQL_SUCCESS;
}

DS_EXPORT SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion) {
  if (type != SQL_HANDLE_DBC) return SQL_SUCCESS; /* the manager walks an environment's connections itself */
  Dbc *dbc = (Dbc *)handle;
  dbc->diag.Clear();
  return EndTransaction(dbc, completion);
}

static std::string ProfileValue(const std::string &dsn, const char *key, const char *fallback) {
  char value[PROFILE_VALUE_SIZE] = "";
  SQLGetPrivateProfileString(dsn.c_str(), key, fallback, value, sizeof value, "odbc.ini");
  return value;
}

static bool OneOf(const std::string &value, const char *const *list, size_t n) {
  for (size_t i = 0; i < n; i++)
    if (strcasecmp(value.c_str(), list[i]) == 0) return true;
  return false;
}

/* The default database: lumetra.db in $XDG_DATA_HOME/lumetra, made on first use. */
static std::string DefaultDatabase() {
  const char *xdg = getenv("XDG_DATA_HOME");
  const char *home = getenv("HOME");
  std::string base = xdg && *xdg ? xdg : std::string(home ? home : ".") + "/.local/share";
  std::string dir = base + "/lumetra";
  for (size_t i = 1; i <= dir.size(); i++)
    if (i == dir.size() || dir[i] == '/') mkdir(dir.substr(0, i).c_str(), 0700);
  return dir + "/lumetra.db";
}

/* Why the database file cannot be used for writing, or "" when it can. */
static std::string UnusableReason(const std::string &path) {
  std::string dir = path.find('/') == std::string::npos ? "." : path.substr(0, path.rfind('/'));
  if (dir.empty()) dir = "/";
  struct stat st;
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return "Database folder does not exist: " + dir;
  if (access(path.c_str(), F_OK) == 0) {
    if (access(path.c_str(), R_OK | W_OK) != 0) return "Database file is not writable: " + path;
  } else if (access(dir.c_str(), W_OK | X_OK) != 0) {
    return "Database folder is not writable: " + dir;
  }
  return "";
}

static SQLRETURN OpenDatabase(Dbc *dbc) {
  std::string path = ProfileValue(dbc->dsn, "Database", "");
  if (path.empty()) path = DefaultDatabase();
  std::string journal = ProfileValue(dbc->dsn, "JournalMode", "WAL");
  std::string sync = ProfileValue(dbc->dsn, "Synchronous", "NORMAL");
  if (!OneOf(journal, kJournalModes, sizeof kJournalModes / sizeof *kJournalModes))
    return PostError(dbc->diag, "HY024", 0, "Unknown JournalMode: " + journal);
  if (!OneOf(sync, kSyncModes, sizeof kSyncModes / sizeof *kSyncModes))
    return PostError(dbc->diag, "HY024", 0, "Unknown Synchronous: " + sync);
  std::string reason = UnusableReason(path);
  if (!reason.empty()) return PostError(dbc->diag, "08001", 0, reason);
  int rc = sqlite3_open_v2(path.c_str(), &dbc->db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_busy_timeout(dbc->db, BUSY_TIMEOUT_MS);
    std::string pragmas = "PRAGMA journal_mode=" + journal + "; PRAGMA synchronous=" + sync + ";";
    rc = sqlite3_exec(dbc->db, pragmas.c_str(), nullptr, nullptr, nullptr);
  }
  if (rc == SQLITE_OK) return SQL_SUCCESS;
  std::string message = std::string("Cannot open database ") + path + ": " + sqlite3_errmsg(dbc->db);
  sqlite3_close_v2(dbc->db);
  dbc->db = nullptr;
  return PostError(dbc->diag, "08001", rc, message);
}

static std::string Text(SQLCHAR *s, SQLSMALLINT n) {
  if (!s) return "";
  return n == SQL_NTS ? std::string((const char *)s) : std::string((const char *)s, (size_t)n);
}

DS_EXPORT SQLRETURN SQL_API SQLConnect(SQLHDBC hdbc, SQLCHAR *dsn, SQLSMALLINT dsnLength, SQLCHAR *, SQLSMALLINT,
                                       SQLCHAR *, SQLSMALLINT) {
  Dbc *dbc = (Dbc *)hdbc;
  dbc->diag.Clear();
  if (dbc->db) return PostError(dbc->diag, "08002", 0, "Connection already open");
  dbc->dsn = Text(dsn, dsnLength);
  return OpenDatabase(dbc);
}

DS_EXPORT SQLRETURN SQL_API SQLDisconnect(SQLHDBC hdbc) {
  Dbc *dbc = (Dbc *)hdbc;
  dbc->diag.Clear();
  if (!dbc->db) return SQL_SUCCESS;
  if (!dbc->autocommit) EndTransaction(dbc, SQL_ROLLBACK);
  sqlite3_close_v2(dbc->db);
  dbc->db = nullptr;
  return SQL_SUCCESS;
}

struct TextInfo {
  SQLUSMALLINT type;
  const char *value;
};

static const TextInfo kTextInfo[] = {
  {SQL_DRIVER_NAME, "liblumetraodbc.so"}, {SQL_DRIVER_VER, "01.00.0000"}, {SQL_DRIVER_ODBC_VER, "03.00"},
  {SQL_DBMS_NAME, "SQLite"}, {SQL_DBMS_VER, SQLITE_VERSION}, {SQL_IDENTIFIER_QUOTE_CHAR, "\""},
  {SQL_SEARCH_PATTERN_ESCAPE, "\\"}, {SQL_CATALOG_NAME_SEPARATOR, "."}, {SQL_CATALOG_TERM, ""},
  {SQL_SCHEMA_TERM, ""}, {SQL_TABLE_TERM, "table"}, {SQL_PROCEDURE_TERM, ""}, {SQL_USER_NAME, ""},
  {SQL_DATA_SOURCE_READ_ONLY, "N"}, {SQL_ACCESSIBLE_TABLES, "Y"}, {SQL_ACCESSIBLE_PROCEDURES, "N"},
  {SQL_MULT_RESULT_SETS, "N"}, {SQL_MULTIPLE_ACTIVE_TXN, "N"}, {SQL_NEED_LONG_DATA_LEN, "N"},
  {SQL_EXPRESSIONS_IN_ORDERBY, "Y"}, {SQL_COLUMN_ALIAS, "Y"}, {SQL_LIKE_ESCAPE_CLAUSE, "Y"},
  {SQL_ORDER_BY_COLUMNS_IN_SELECT, "N"}, {SQL_OUTER_JOINS, "Y"}, {SQL_PROCEDURES, "N"},
  {SQL_ROW_UPDATES, "N"}, {SQL_SPECIAL_CHARACTERS, ""}, {SQL_CATALOG_NAME, "N"}, {SQL_INTEGRITY, "N"},
  {SQL_KEYWORDS, ""}, {SQL_MAX_ROW_SIZE_INCLUDES_LONG, "N"}, {SQL_DESCRIBE_PARAMETER, "N"},
};

struct NumberInfo {
  SQLUSMALLINT type;
  SQLUINTEGER value;
  int size; /* 2 for SQLUSMALLINT results, 4 for SQLUINTEGER */
};

static const NumberInfo kNumberInfo[] = {
  {SQL_CURSOR_COMMIT_BEHAVIOR, SQL_CB_PRESERVE, 2}, {SQL_CURSOR_ROLLBACK_BEHAVIOR, SQL_CB_PRESERVE, 2},
  {SQL_TXN_CAPABLE, SQL_TC_ALL, 2}, {SQL_DEFAULT_TXN_ISOLATION, SQL_TXN_SERIALIZABLE, 4},
  {SQL_TXN_ISOLATION_OPTION, SQL_TXN_SERIALIZABLE, 4}, {SQL_GETDATA_EXTENSIONS, SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER, 4},
  {SQL_MAX_DRIVER_CONNECTIONS, 0, 2}, {SQL_MAX_CONCURRENT_ACTIVITIES, 0, 2}, {SQL_ACTIVE_ENVIRONMENTS, 0, 2},
  {SQL_MAX_COLUMN_NAME_LEN, 0, 2}, {SQL_MAX_TABLE_NAME_LEN, 0, 2}, {SQL_MAX_SCHEMA_NAME_LEN, 0, 2},
  {SQL_MAX_CATALOG_NAME_LEN, 0, 2}, {SQL_MAX_CURSOR_NAME_LEN, 0, 2}, {SQL_MAX_IDENTIFIER_LEN, 0, 2},
  {SQL_IDENTIFIER_CASE, SQL_IC_MIXED, 2}, {SQL_QUOTED_IDENTIFIER_CASE, SQL_IC_SENSITIVE, 2},
  {SQL_NULL_COLLATION, SQL_NC_LOW, 2}, {SQL_CONCAT_NULL_BEHAVIOR, SQL_CB_NULL, 2},
  {SQL_NON_NULLABLE_COLUMNS, SQL_NNC_NON_NULL, 2}, {SQL_CORRELATION_NAME, SQL_CN_ANY, 2},
  {SQL_FILE_USAGE, SQL_FILE_NOT_SUPPORTED, 2}, {SQL_GROUP_BY, SQL_GB_NO_RELATION, 2},
  {SQL_SCROLL_OPTIONS, SQL_SO_FORWARD_ONLY, 4}, {SQL_CURSOR_SENSITIVITY, SQL_UNSPECIFIED, 4},
  {SQL_ODBC_INTERFACE_CONFORMANCE, SQL_OIC_CORE, 4}, {SQL_SQL_CONFORMANCE, SQL_SC_SQL92_ENTRY, 4},
  {SQL_PARAM_ARRAY_ROW_COUNTS, SQL_PARC_NO_BATCH, 4}, {SQL_PARAM_ARRAY_SELECTS, SQL_PAS_NO_SELECT, 4},
  {SQL_BATCH_SUPPORT, 0, 4}, {SQL_BATCH_ROW_COUNT, 0, 4}, {SQL_ASYNC_MODE, SQL_AM_NONE, 4},
  {SQL_MAX_ASYNC_CONCURRENT_STATEMENTS, 0, 4}, {SQL_STATIC_CURSOR_ATTRIBUTES1, 0, 4},
  {SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1, SQL_CA1_NEXT, 4}, {SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2, 0, 4},
  {SQL_BOOKMARK_PERSISTENCE, 0, 4}, {SQL_POS_OPERATIONS, 0, 4}, {SQL_LOCK_TYPES, 0, 4},
  {SQL_STATIC_SENSITIVITY, 0, 4}, {SQL_MAX_ROW_SIZE, 0, 4}, {SQL_MAX_STATEMENT_LEN, 0, 4},
  {SQL_TIMEDATE_FUNCTIONS, 0, 4}, {SQL_NUMERIC_FUNCTIONS, 0, 4}, {SQL_STRING_FUNCTIONS, 0, 4},
  {SQL_SYSTEM_FUNCTIONS, 0, 4}, {SQL_CONVERT_FUNCTIONS, 0, 4}, {SQL_OJ_CAPABILITIES, SQL_OJ_LEFT, 4},
  {SQL_TXN_ISOLATION_OPTION, SQL_TXN_SERIALIZABLE, 4},
};

DS_EXPORT SQLRETURN SQL_API SQLGetInfo(SQLHDBC hdbc, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT size,
                                       SQLSMALLINT *length) {
  Dbc *dbc = (Dbc *)hdbc;
  dbc->diag.Clear();
  for (const TextInfo &t : kTextInfo) {
    if (t.type != type) continue;
    std::string s = t.type == SQL_DATA_SOURCE_NAME ? dbc->dsn : t.value;
    SQLLEN full;
    SQLRETURN rc = CopyOut(&dbc->diag, s, (SQLCHAR *)value, size, &full);
    if (length) *length = (SQLSMALLINT)full;
    return rc;
  }
  if (type == SQL_DATA_SOURCE_NAME || type == SQL_SERVER_NAME || type == SQL_DATABASE_NAME) {
    SQLLEN full;
    SQLRETURN rc = CopyOut(&dbc->diag, dbc->dsn, (SQLCHAR *)value, size, &full);
    if (length) *length = (SQLSMALLINT)full;
    return rc;
  }
  for (const NumberInfo &n : kNumberInfo) {
    if (n.type != type) continue;
    if (value && n.size == 2) *(SQLUSMALLINT *)value = (SQLUSMALLINT)n.value;
    if (value && n.size == 4) *(SQLUINTEGER *)value = n.value;
    if (length) *length = (SQLSMALLINT)n.size;
    return SQL_SUCCESS;
  }
  return PostError(dbc->diag, "HY096", 0, "Information type not supported");
}
