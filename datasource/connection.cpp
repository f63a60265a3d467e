/* connection.cpp: handle allocation, environment and connection
 * attributes, transactions, and connecting: SQLConnect to a named data
 * source, SQLDriverConnect with a connection string ("DSN=...;key=value"
 * or "DRIVER=...;Database=..."). There is no dialog: every completion
 * mode connects with what the string and odbc.ini give. */
#include <algorithm>

#include "handles.h"

/* An hour: longer batches would hold the database from other writers. */
static const long kMaxCommitInterval = 3600000;

static SQLRETURN AllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE *output) {
  switch (type) {
    case SQL_HANDLE_ENV: *output = new Env; return SQL_SUCCESS;
    case SQL_HANDLE_DBC: {
      Env *env = EnterEnv(input);
      if (!env) return SQL_INVALID_HANDLE;
      Dbc *dbc = new Dbc;
      dbc->env = env;
      *output = dbc;
      return SQL_SUCCESS;
    }
    case SQL_HANDLE_STMT: {
      ENTER_DBC(input);
      if (!dbc->backend) return Leave(dbc->diag, PostError(dbc->diag, "08003", 0, "Connection not open"));
      Stmt *stmt = new Stmt;
      stmt->dbc = dbc;
      dbc->statements.push_back(stmt);
      *output = stmt;
      return SQL_SUCCESS;
    }
    default: return SQL_ERROR;
  }
}

DS_EXPORT SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE *output) {
  if (!output) return SQL_ERROR;
  *output = SQL_NULL_HANDLE;
  return AllocHandle(type, input, output);
}

static void FreeStatement(Stmt *stmt) {
  std::vector<Stmt *> &list = stmt->dbc->statements;
  list.erase(std::remove(list.begin(), list.end(), stmt), list.end());
  stmt->kind = 0;
  delete stmt;
}

/* Ends the connection: an open transaction is rolled back, statements the
 * application left are freed. */
static SQLRETURN Disconnect(Dbc *dbc) {
  if (!dbc->backend) return SQL_SUCCESS;
  StopGroupCommit(dbc);
  SQLRETURN rc = CommitBatch(dbc, dbc->diag);
  EndTransaction(dbc, SQL_ROLLBACK, dbc->diag);
  while (!dbc->statements.empty()) FreeStatement(dbc->statements.back());
  dbc->backend.reset();
  dbc->charset.Open("");
  return rc;
}

DS_EXPORT SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
  switch (type) {
    case SQL_HANDLE_ENV: {
      Env *env = EnterEnv(handle);
      if (!env) return SQL_INVALID_HANDLE;
      env->kind = 0;
      delete env;
      return SQL_SUCCESS;
    }
    case SQL_HANDLE_DBC: {
      Dbc *dbc = EnterDbc(handle);
      if (!dbc) return SQL_INVALID_HANDLE;
      Disconnect(dbc); /* the application must not use a connection it frees: no lock */
      dbc->kind = 0;
      delete dbc;
      return SQL_SUCCESS;
    }
    case SQL_HANDLE_STMT: {
      ENTER_STMT(handle);
      if (stmt->prepared && stmt->dbc->group.owner == stmt->prepared.get()) CommitBatch(stmt->dbc, stmt->diag);
      FreeStatement(stmt);
      return SQL_SUCCESS;
    }
    default: return SQL_ERROR;
  }
}

DS_EXPORT SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV henv, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  Env *env = EnterEnv(henv);
  if (!env) return SQL_INVALID_HANDLE;
  if (attribute == SQL_ATTR_ODBC_VERSION) env->odbcVersion = (SQLINTEGER)(SQLLEN)value;
  return Leave(env->diag, SQL_SUCCESS);
}

DS_EXPORT SQLRETURN SQL_API SQLGetEnvAttr(SQLHENV henv, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                          SQLINTEGER *) {
  Env *env = EnterEnv(henv);
  if (!env) return SQL_INVALID_HANDLE;
  if (value) *(SQLINTEGER *)value = attribute == SQL_ATTR_ODBC_VERSION ? env->odbcVersion : 0;
  return Leave(env->diag, SQL_SUCCESS);
}

static SQLRETURN SetConnectAttr(Dbc *dbc, SQLINTEGER attribute, SQLPOINTER value) {
  if (attribute != SQL_ATTR_AUTOCOMMIT) return SQL_SUCCESS; /* timeouts, tracing: taken, not applied */
  bool on = (SQLULEN)value == SQL_AUTOCOMMIT_ON;
  if (CommitBatch(dbc, dbc->diag) == SQL_ERROR) return SQL_ERROR;
  if (on && !dbc->autocommit && EndTransaction(dbc, SQL_COMMIT, dbc->diag) == SQL_ERROR) return SQL_ERROR;
  dbc->autocommit = on;
  return SQL_SUCCESS;
}

DS_EXPORT SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC hdbc, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  ENTER_DBC(hdbc);
  return Leave(dbc->diag, SetConnectAttr(dbc, attribute, value));
}

DS_EXPORT SQLRETURN SQL_API SQLGetConnectAttr(SQLHDBC hdbc, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                              SQLINTEGER *) {
  ENTER_DBC(hdbc);
  if (!value) return Leave(dbc->diag, SQL_SUCCESS);
  switch (attribute) {
    case SQL_ATTR_AUTOCOMMIT: *(SQLUINTEGER *)value = dbc->autocommit ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF; break;
    case SQL_ATTR_CONNECTION_DEAD: *(SQLUINTEGER *)value = dbc->backend ? SQL_CD_FALSE : SQL_CD_TRUE; break;
    case SQL_ATTR_TXN_ISOLATION: *(SQLUINTEGER *)value = SQL_TXN_SERIALIZABLE; break;
    default: *(SQLUINTEGER *)value = 0; break;
  }
  return Leave(dbc->diag, SQL_SUCCESS);
}

DS_EXPORT SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion) {
  if (type != SQL_HANDLE_DBC) return SQL_SUCCESS; /* the manager walks an environment's connections itself */
  ENTER_DBC(handle);
  return Leave(dbc->diag, EndTransaction(dbc, completion, dbc->diag));
}

/* Opens the backend the settings name. */
static SQLRETURN Connect(Dbc *dbc) {
  if (dbc->backend) return PostError(dbc->diag, "08002", 0, "Connection already open");
  std::string unread;
  if (!dbc->settings.Load(&unread)) return PostError(dbc->diag, "IM002", 0, unread);
  std::string charset = dbc->settings.Get("Charset");
  if (!dbc->charset.Open(charset)) return PostError(dbc->diag, "HY024", 0, "Unknown Charset: " + charset);
  long interval = dbc->settings.GetNumber("CommitInterval", 0, kMaxCommitInterval);
  if (interval < 0)
    return PostError(dbc->diag, "HY024", 0, "CommitInterval must be a number of milliseconds: " +
                                                dbc->settings.Get("CommitInterval"));
  std::string backend = dbc->settings.Get("Backend", "SQLite");
  if (SameKey(backend, "SQLite")) dbc->backend = OpenSqliteBackend(dbc->settings, dbc->diag);
  else if (SameKey(backend, "ODBC")) dbc->backend = OpenOdbcBackend(dbc->settings, dbc->diag);
  else if (SameKey(backend, "PostgreSQL")) dbc->backend = OpenPostgresBackend(dbc->settings, dbc->diag);
  else return PostError(dbc->diag, "HY024", 0, "Unknown Backend: " + backend);
  if (!dbc->backend) return SQL_ERROR;
  StartGroupCommit(dbc, interval);
  return SQL_SUCCESS;
}

DS_EXPORT SQLRETURN SQL_API SQLConnect(SQLHDBC hdbc, SQLCHAR *dsn, SQLSMALLINT dsnLength, SQLCHAR *user,
                                       SQLSMALLINT userLength, SQLCHAR *password, SQLSMALLINT passwordLength) {
  ENTER_DBC(hdbc);
  dbc->settings = Settings();
  dbc->settings.dsn = InputText(dsn, dsnLength);
  if (user && *user) dbc->settings.given.push_back({"UID", InputText(user, userLength)});
  if (password && *password) dbc->settings.given.push_back({"PWD", InputText(password, passwordLength)});
  return Leave(dbc->diag, Connect(dbc));
}

static SQLRETURN DriverConnect(Dbc *dbc, const std::string &in, SQLCHAR *out, SQLSMALLINT outSize,
                               SQLSMALLINT *outLength) {
  Settings settings;
  std::string bad;
  SQLRETURN result = SQL_SUCCESS;
  /* A key dropped from a malformed string could send the data elsewhere. */
  if (!ParseConnectionString(in, &settings.given, &bad))
    return PostError(dbc->diag, "08001", 0, "Malformed connection string: " + bad);
  for (const Attribute &a : settings.given)
    if (SameKey(a.key, "DSN")) settings.dsn = a.value;
  dbc->settings = settings;
  if (Connect(dbc) == SQL_ERROR) return SQL_ERROR;
  std::string completed;
  for (const Attribute &a : settings.given) completed += (completed.empty() ? "" : ";") + FormatAttribute(a);
  if (!out) {
    if (outLength) *outLength = (SQLSMALLINT)completed.size();
  } else if (CopyOutShort(&dbc->diag, completed, out, outSize, outLength) != SQL_SUCCESS) {
    result = SQL_SUCCESS_WITH_INFO;
  }
  return result;
}

DS_EXPORT SQLRETURN SQL_API SQLDriverConnect(SQLHDBC hdbc, SQLHWND, SQLCHAR *in, SQLSMALLINT inLength,
                                             SQLCHAR *out, SQLSMALLINT outSize, SQLSMALLINT *outLength,
                                             SQLUSMALLINT) {
  ENTER_DBC(hdbc);
  return Leave(dbc->diag, DriverConnect(dbc, InputText(in, inLength), out, outSize, outLength));
}

DS_EXPORT SQLRETURN SQL_API SQLDisconnect(SQLHDBC hdbc) {
  ENTER_DBC(hdbc);
  return Leave(dbc->diag, Disconnect(dbc));
}
