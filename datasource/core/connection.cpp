/* connection.cpp: connecting, disconnecting and the connection
 * attributes: SQLConnect to a named data source, SQLDriverConnect with a
 * connection string ("DSN=...;key=value" or "DRIVER=...;Database=...").
 * There is no dialog: every completion mode connects with what the
 * string and odbc.ini give. */
#include "core/connection.h"

#include "core/app_text.h"
#include "core/statement.h"
#include "core/transaction.h"

/* An hour: longer batches would hold the database from other writers. */
static const long kMaxCommitInterval = 3600000;
/* Seconds a server may take to answer one call before it is given up
 * (only a backend that can be interrupted: PostgreSQL); 0 for no limit. */
static const long kDefaultQueryTimeout = 60;
static const long kMaxQueryTimeout = 86400;

SQLRETURN AllocConnection(Env *env, SQLHANDLE *output) {
  Dbc *dbc = new Dbc;
  dbc->env = env;
  *output = dbc;
  return SQL_SUCCESS;
}

SQLRETURN Disconnect(Dbc *dbc) {
  if (!dbc->backend) return SQL_SUCCESS;
  StopGroupCommit(dbc);
  SQLRETURN rc = CommitBatch(dbc, dbc->diag);
  EndTransaction(dbc, SQL_ROLLBACK, dbc->diag);
  while (!dbc->statements.empty()) FreeStatement(dbc->statements.back());
  StopCallWatch(dbc);
  dbc->backend.reset();
  dbc->charset.Open("");
  return rc;
}

SQLRETURN FreeConnection(Dbc *dbc) {
  Disconnect(dbc);
  dbc->kind = 0;
  delete dbc;
  return SQL_SUCCESS;
}

SQLRETURN SetConnectAttr(Dbc *dbc, SQLINTEGER attribute, SQLPOINTER value) {
  /* the time limit of every call from now on, in seconds, as QueryTimeout */
  if (attribute == SQL_ATTR_CONNECTION_TIMEOUT) {
    dbc->watch.timeoutMs = (long)(SQLULEN)value * 1000;
    return SQL_SUCCESS;
  }
  if (attribute != SQL_ATTR_AUTOCOMMIT) return SQL_SUCCESS; /* login timeout, tracing: taken, not applied */
  bool on = (SQLULEN)value == SQL_AUTOCOMMIT_ON;
  if (CommitBatch(dbc, dbc->diag) == SQL_ERROR) return SQL_ERROR;
  if (on && !dbc->autocommit && EndTransaction(dbc, SQL_COMMIT, dbc->diag) == SQL_ERROR) return SQL_ERROR;
  dbc->autocommit = on;
  return SQL_SUCCESS;
}

SQLRETURN GetConnectAttr(Dbc *dbc, SQLINTEGER attribute, SQLPOINTER value) {
  if (!value) return SQL_SUCCESS;
  switch (attribute) {
    case SQL_ATTR_AUTOCOMMIT: *(SQLUINTEGER *)value = dbc->autocommit ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF; break;
    case SQL_ATTR_CONNECTION_DEAD: *(SQLUINTEGER *)value = dbc->backend ? SQL_CD_FALSE : SQL_CD_TRUE; break;
    case SQL_ATTR_TXN_ISOLATION: *(SQLUINTEGER *)value = SQL_TXN_SERIALIZABLE; break;
    case SQL_ATTR_CONNECTION_TIMEOUT: *(SQLUINTEGER *)value = (SQLUINTEGER)(dbc->watch.timeoutMs / 1000); break;
    default: *(SQLUINTEGER *)value = 0; break;
  }
  return SQL_SUCCESS;
}

/* Opens the backend the settings name. */
static SQLRETURN OpenBackend(Dbc *dbc) {
  if (dbc->backend) return PostError(dbc->diag, "08002", 0, "Connection already open");
  std::string unread;
  if (!dbc->settings.Load(&unread)) return PostError(dbc->diag, "IM002", 0, unread);
  std::string charset = dbc->settings.Get("Charset");
  if (!dbc->charset.Open(charset)) return PostError(dbc->diag, "HY024", 0, "Unknown Charset: " + charset);
  long interval = dbc->settings.GetNumber("CommitInterval", 0, kMaxCommitInterval);
  if (interval < 0)
    return PostError(dbc->diag, "HY024", 0, "CommitInterval must be a number of milliseconds: " +
                                                dbc->settings.Get("CommitInterval"));
  long queryTimeout = dbc->settings.GetNumber("QueryTimeout", kDefaultQueryTimeout, kMaxQueryTimeout);
  if (queryTimeout < 0)
    return PostError(dbc->diag, "HY024", 0, "QueryTimeout must be a number of seconds: " +
                                                dbc->settings.Get("QueryTimeout"));
  std::string backend = dbc->settings.Get("Backend", "SQLite");
  if (SameKey(backend, "SQLite")) dbc->backend = OpenSqliteBackend(dbc->settings, dbc->diag);
  else if (SameKey(backend, "ODBC")) dbc->backend = OpenOdbcBackend(dbc->settings, dbc->diag);
  else if (SameKey(backend, "PostgreSQL")) dbc->backend = OpenPostgresBackend(dbc->settings, dbc->diag);
  else return PostError(dbc->diag, "HY024", 0, "Unknown Backend: " + backend);
  if (!dbc->backend) return SQL_ERROR;
  StartGroupCommit(dbc, interval);
  StartCallWatch(dbc, queryTimeout * 1000);
  return SQL_SUCCESS;
}

SQLRETURN Connect(Dbc *dbc, const AppText &dsn, const AppText &user, const AppText &password) {
  dbc->settings = Settings();
  dbc->settings.dsn = InputText(dsn);
  dbc->wideClient = dsn.wide;
  std::string uid = InputText(user), pwd = InputText(password);
  if (!uid.empty()) dbc->settings.given.push_back({"UID", uid});
  if (!pwd.empty()) dbc->settings.given.push_back({"PWD", pwd});
  return OpenBackend(dbc);
}

SQLRETURN DriverConnect(Dbc *dbc, const AppText &in, const AppBuffer &out, SQLSMALLINT *outLength) {
  Settings settings;
  std::string bad;
  /* A key dropped from a malformed string could send the data elsewhere. */
  if (!ParseConnectionString(InputText(in), &settings.given, &bad))
    return PostError(dbc->diag, "08001", 0, "Malformed connection string: " + bad);
  for (const Attribute &a : settings.given)
    if (SameKey(a.key, "DSN")) settings.dsn = a.value;
  dbc->settings = settings;
  dbc->wideClient = in.wide;
  if (OpenBackend(dbc) == SQL_ERROR) return SQL_ERROR;
  std::string completed;
  for (const Attribute &a : settings.given) completed += (completed.empty() ? "" : ";") + FormatAttribute(a);
  return CopyOutShort(&dbc->diag, completed, out, outLength);
}
