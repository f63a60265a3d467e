/* backend.h: the seam between the driver's ODBC core and a storage
 * engine. The core checks handles, converts the application's bound
 * values into Values, serves result rows in the C types asked for and
 * builds the catalog result sets. A backend opens its database, prepares
 * and runs statements with Values, hands out result rows, maps its errors
 * to SQLSTATEs and reports the facts the catalog is made of.
 *
 * Threads: the core calls a backend, and every Cursor and Prepared it
 * made, only while it holds the connection's lock (or, as the connection
 * is freed, after its timer has stopped). The calls come from
 * the application's threads and from the connection's idle timer, which
 * commits a group-commit batch left idle (Commit, then Rollback when the
 * commit failed) under that same lock. So calls may come from different
 * threads but never two at once: a backend needs no lock of its own and
 * may open its engine without one.
 *
 * Errors: a backend posts them (diagnostics.h) into the Diagnostics each
 * call is handed, with its SQLSTATE, and returns SQL_ERROR; it keeps no
 * diagnostics of its own. */
#ifndef LUMETRA_DS_BACKEND_H
#define LUMETRA_DS_BACKEND_H

#include <sql.h>
#include <sqlext.h>
#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

#include "backend/diagnostics.h"
#include "text/type_words.h"

/* The size reported for a text column without a length: the longest text
 * an import writes (a CDF field holds less than 32768 bytes); and for a
 * blob, the most an SQLINTEGER can say. */
enum { TEXT_COLUMN_SIZE = 32767, BLOB_COLUMN_SIZE = 2147483647 };
/* The characters of "YYYY-MM-DD HH:MM:SS.ffffff": a timestamp type that
 * keeps microseconds, so that clients send them (SQLGetTypeInfo). */
enum { TIMESTAMP_MICROS_SIZE = 26 };

enum ValueKind { VALUE_NULL, VALUE_INTEGER, VALUE_REAL, VALUE_TEXT, VALUE_BLOB, VALUE_DATE, VALUE_TIMESTAMP };

/* One parameter or result value. Text, blobs, dates ("YYYY-MM-DD") and
 * timestamps ("YYYY-MM-DD HH:MM:SS[.fraction]") point at bytes that stay valid until
 * the next execution or fetch; text is UTF-8. */
struct Value {
  ValueKind kind = VALUE_NULL;
  int64_t integer = 0;
  double real = 0;
  const char *data = nullptr;
  size_t size = 0;
  SQLSMALLINT sqlType = 0; /* a parameter's SQL type as the application bound it */
};

/* A column of a result set, or of a table in the catalog. */
struct ColumnInfo {
  std::string name;
  std::string typeName;  /* as declared, "" when the column has none */
  std::string table;
  SQLSMALLINT sqlType = SQL_VARCHAR;
  SQLULEN size = 0;      /* ODBC column size: characters, digits */
  SQLSMALLINT digits = 0;
  SQLSMALLINT nullable = SQL_NULLABLE_UNKNOWN;
  int ordinal = 0;
  std::string defaultValue; /* "" for none */
  bool hasDefault = false;
};

/* The rows of a result set, fetched forward only. */
class Cursor {
 public:
  virtual ~Cursor() = default;
  virtual int ColumnCount() = 0;
  virtual ColumnInfo Column(int i) = 0;
  /* SQL_SUCCESS on the next row, SQL_NO_DATA after the last, SQL_ERROR. */
  virtual SQLRETURN Next(Diagnostics &diag) = 0;
  virtual Value Get(int i) = 0;
};

/* A statement compiled once and run any number of times. */
class Prepared : public Cursor {
 public:
  virtual int ParamCount() = 0;
  /* Runs with the parameters; a result set is then open for Next. */
  virtual SQLRETURN Execute(const Value *params, int count, Diagnostics &diag) = 0;
  virtual bool HasResultSet() = 0;
  virtual SQLLEN RowCount() = 0;
  /* Ends the result set and releases what the run holds. */
  virtual void Close() = 0;
};

struct TableFact {
  std::string name;
  std::string type; /* "TABLE", "VIEW", "SYSTEM TABLE" */
};

struct IndexFact {
  std::string name;
  bool unique = false;
  std::vector<std::string> columns;
};

/* A data type the backend offers, for SQLGetTypeInfo. */
struct TypeFact {
  const char *name;
  SQLSMALLINT sqlType;
  SQLINTEGER size;
  const char *prefix, *suffix, *createParams;
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual const char *DbmsName() = 0;
  virtual std::string DbmsVersion() = 0;
  virtual std::string DatabaseName() = 0;
  /* Whether a call under way can be stopped from another thread, and
   * stopping it: asked politely, or with giveUp by giving up the
   * connection, after which every call fails as a lost connection.
   * Interrupt is the one method called without the connection lock. */
  virtual bool CanInterrupt() { return false; }
  virtual void Interrupt(bool /*giveUp*/) {}
  /* The server the data lives on, for SQL_SERVER_NAME; "" for a file. */
  virtual std::string ServerName() { return ""; }
  /* The backend's type for each word of the utility, by TypeWordId. */
  virtual const char *const *TypeNames() = 0;
  virtual const TypeFact *Types(size_t *count) = 0;
  /* The digits of a fraction of a second that the engine's timestamps
   * keep, 0 to 9; more are dropped with a warning. */
  virtual int FractionDigits() { return 9; }
  virtual SQLRETURN Prepare(const std::string &sql, std::unique_ptr<Prepared> *out, Diagnostics &diag) = 0;
  virtual SQLRETURN Begin(Diagnostics &diag) = 0;
  /* Begins the transaction of a group-commit batch: it holds only the
   * executions of one prepared statement, each already acknowledged, so
   * a backend may confirm them at the commit instead of one by one. */
  virtual SQLRETURN BeginBatch(Diagnostics &diag) { return Begin(diag); }
  virtual SQLRETURN Commit(Diagnostics &diag) = 0;
  virtual SQLRETURN Rollback(Diagnostics &diag) = 0;
  virtual bool InTransaction() = 0;
  /* Catalog facts of every table; the core filters them by pattern. */
  virtual SQLRETURN Tables(std::vector<TableFact> *out, Diagnostics &diag) = 0;
  virtual SQLRETURN Columns(const std::string &table, std::vector<ColumnInfo> *out, Diagnostics &diag) = 0;
  virtual SQLRETURN PrimaryKey(const std::string &table, std::vector<std::string> *out, Diagnostics &diag) = 0;
  virtual SQLRETURN Indexes(const std::string &table, std::vector<IndexFact> *out, Diagnostics &diag) = 0;
};

/* The keys of a connection that a backend reads (Database, Server,
 * Target ...); the core finds them in the connection string or odbc.ini. */
class ConnectionKeys {
 public:
  /* The value of key, or fallback when it is not given. */
  virtual std::string Get(const char *key, const char *fallback = "") const = 0;

 protected:
  ~ConnectionKeys() = default;
};

/* Open the backend the keys describe; null after posting why. */
std::unique_ptr<Backend> OpenSqliteBackend(const ConnectionKeys &keys, Diagnostics &diag);
std::unique_ptr<Backend> OpenOdbcBackend(const ConnectionKeys &keys, Diagnostics &diag);
std::unique_ptr<Backend> OpenPostgresBackend(const ConnectionKeys &keys, Diagnostics &diag);

#endif
