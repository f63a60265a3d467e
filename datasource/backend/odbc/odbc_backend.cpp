/* odbc_backend.cpp: the translating backend. It reaches any other ODBC
 * data source (Target = a DSN name or a connection string) through the
 * platform's driver manager, after the core has converted and checked
 * every value exactly: CREATE TABLE type words become the target's own
 * type names, found with SQLGetTypeInfo; integers, doubles, timestamps
 * and UTF-8 text are bound in the target's types; results, the catalog
 * and the target's diagnostics come back through the seam. A batch of
 * the group commit is a manual-commit transaction on the target; when a
 * row fails inside one, the batch is rolled back and its earlier rows
 * are run again, so that they are kept whatever the target does with a
 * transaction after an error. */
#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include "backend/backend.h"
#include "backend/odbc/odbc_target.h"
#include "backend/sql_types.h"
#include "text/conn_string.h"
#include "text/sql_rewrite.h"

enum { MESSAGE_SIZE = 1024, NAME_SIZE = 256, MAX_NESTING = 4 };

static bool Ok(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

/* Posts the target's diagnostics, its SQLSTATE kept, after our prefix. */
static SQLRETURN PostTargetError(const TargetApi *api, Diagnostics &diag, SQLSMALLINT type, SQLHANDLE h,
                                 const char *fallback) {
  SQLCHAR state[6], message[MESSAGE_SIZE];
  SQLINTEGER native;
  SQLSMALLINT length;
  bool any = false;
  for (SQLSMALLINT i = 1; Ok(api->GetDiagRec(type, h, i, state, &native, message, sizeof message, &length)); i++) {
    PostError(diag, (const char *)state, native, (const char *)message);
    any = true;
  }
  if (!any) PostError(diag, "HY000", 0, fallback);
  return SQL_ERROR;
}


/* One row of a target's result set, read whole at each fetch: a target
 * need not let columns be read in any order or twice. */
class TargetRows : public Cursor {
 public:
  TargetRows(const TargetApi *api, SQLHSTMT stmt) : api_(api), stmt_(stmt) {}

  void Describe() {
    columns_.clear();
    SQLSMALLINT count = 0;
    api_->NumResultCols(stmt_, &count);
    for (SQLUSMALLINT i = 1; i <= count; i++) {
      SQLCHAR name[NAME_SIZE] = "";
      SQLSMALLINT nameLength, type, digits, nullable;
      SQLULEN size;
      api_->DescribeCol(stmt_, i, name, sizeof name, &nameLength, &type, &size, &digits, &nullable);
      ColumnInfo c;
      c.name = (const char *)name;
      c.sqlType = type == SQL_WVARCHAR || type == SQL_WCHAR ? SQL_VARCHAR : type == SQL_WLONGVARCHAR ? SQL_LONGVARCHAR : type;
      c.size = size;
      c.digits = digits;
      c.nullable = nullable;
      columns_.push_back(c);
    }
    values_.assign(columns_.size(), Value());
    texts_.assign(columns_.size(), std::string());
  }

  int ColumnCount() override { return (int)columns_.size(); }
  ColumnInfo Column(int i) override { return columns_[(size_t)i]; }
  Value Get(int i) override { return values_[(size_t)i]; }

  SQLRETURN Next(Diagnostics &diag) override {
    SQLRETURN rc = api_->Fetch(stmt_);
    if (rc == SQL_NO_DATA) return SQL_NO_DATA;
    if (!Ok(rc)) return PostTargetError(api_, diag, SQL_HANDLE_STMT, stmt_, "Fetch failed");
    for (size_t i = 0; i < columns_.size(); i++)
      if (ReadColumn(i, diag) == SQL_ERROR) return SQL_ERROR;
    return SQL_SUCCESS;
  }

 protected:
  const TargetApi *api_;
  SQLHSTMT stmt_;

 private:
  SQLRETURN ReadColumn(size_t i, Diagnostics &diag) {
    Value &v = values_[i];
    v = Value();
    SQLSMALLINT t = columns_[i].sqlType;
    SQLUSMALLINT column = (SQLUSMALLINT)(i + 1);
    SQLLEN indicator = 0;
    SQLRETURN rc;
    if (IsIntegerType(t)) {
      rc = api_->GetData(stmt_, column, SQL_C_SBIGINT, &v.integer, sizeof v.integer, &indicator);
      v.kind = VALUE_INTEGER;
    } else if (IsDoubleType(t)) {
      rc = api_->GetData(stmt_, column, SQL_C_DOUBLE, &v.real, sizeof v.real, &indicator);
      v.kind = VALUE_REAL;
    } else {
      rc = ReadLong(column, IsBinaryType(t) ? SQL_C_BINARY : SQL_C_CHAR, &texts_[i], &indicator);
      v.kind = IsBinaryType(t) ? VALUE_BLOB : VALUE_TEXT;
      v.data = texts_[i].data();
      v.size = texts_[i].size();
    }
    if (!Ok(rc)) return PostTargetError(api_, diag, SQL_HANDLE_STMT, stmt_, "Reading a value failed");
    if (indicator == SQL_NULL_DATA) v = Value();
    return SQL_SUCCESS;
  }

  /* Text or bytes of any length, in pieces. */
  SQLRETURN ReadLong(SQLUSMALLINT column, SQLSMALLINT cType, std::string *out, SQLLEN *indicator) {
    out->clear();
    char piece[4096];
    size_t terminator = cType == SQL_C_CHAR ? 1 : 0;
    for (;;) {
      SQLRETURN rc = api_->GetData(stmt_, column, cType, piece, sizeof piece, indicator);
      if (rc == SQL_NO_DATA) return SQL_SUCCESS;
      if (!Ok(rc) || *indicator == SQL_NULL_DATA) return rc;
      size_t got = *indicator == SQL_NO_TOTAL || *indicator >= (SQLLEN)(sizeof piece - terminator)
                       ? sizeof piece - terminator
                       : (size_t)*indicator;
      out->append(piece, got);
      if (rc == SQL_SUCCESS) return rc;
    }
  }

  std::vector<ColumnInfo> columns_;
  std::vector<Value> values_;
  std::vector<std::string> texts_;
};

/* A parameter's buffer on the target, bound once and bound again only
 * when its C type, or a timestamp's digits of a second, change, or it
 * outgrows its buffer. */
struct TargetParam {
  SQLSMALLINT cType = 0;
  SQLSMALLINT sqlType = 0;
  SQLSMALLINT digits = 0;
  int64_t integer = 0;
  double real = 0;
  SQL_TIMESTAMP_STRUCT timestamp = {};
  SQLLEN indicator = 0;
  uintptr_t boundAt = 0; /* the address text was bound at */
};

class OdbcBackend;

class TargetStatement : public Prepared {
 public:
  TargetStatement(OdbcBackend *backend, const TargetApi *api, SQLHSTMT stmt);
  ~TargetStatement() override { api_->FreeHandle(SQL_HANDLE_STMT, stmt_); }

  int ParamCount() override { return params_; }
  int ColumnCount() override { return rows_.ColumnCount(); }
  ColumnInfo Column(int i) override { return rows_.Column(i); }
  SQLRETURN Next(Diagnostics &diag) override { return rows_.Next(diag); }
  Value Get(int i) override { return rows_.Get(i); }
  bool HasResultSet() override { return rows_.ColumnCount() > 0; }
  SQLLEN RowCount() override {
    SQLLEN n = -1;
    if (ran_) api_->RowCount(stmt_, &n);
    return n;
  }
  void Close() override { api_->FreeStmt(stmt_, SQL_CLOSE); }
  SQLRETURN Execute(const Value *params, int count, Diagnostics &diag) override;
  /* Runs once more with parameters kept from an earlier execution. */
  SQLRETURN Run(const std::vector<Value> &params, Diagnostics &diag) {
    return Run(params.data(), (int)params.size(), diag);
  }

 private:
  SQLRETURN Run(const Value *params, int count, Diagnostics &diag);
  SQLRETURN Bind(int n, const Value &v, Diagnostics &diag);

  OdbcBackend *backend_;
  const TargetApi *api_;
  SQLHSTMT stmt_;
  TargetRows rows_;
  int params_ = 0;
  std::vector<TargetParam> bound_;
  bool ran_ = false;
};

/* The executions of the open transaction, kept until it ends so that
 * they can be run again: their values in one array and their bytes in
 * one arena, so that keeping a row costs no allocation of its own. */
struct Batch {
  struct Row {
    TargetStatement *statement;
    size_t first, count;
  };
  std::vector<Row> rows;
  std::vector<Value> values; /* data holds an offset into bytes */
  std::string bytes;

  void Add(TargetStatement *statement, const Value *params, int count) {
    rows.push_back({statement, values.size(), (size_t)count});
    for (int i = 0; i < count; i++) {
      Value v = params[i];
      if (v.data) {
        size_t at = bytes.size();
        bytes.append(v.data, v.size);
        v.data = (const char *)(uintptr_t)at;
      }
      values.push_back(v);
    }
  }
  /* The values of a row, pointing into the arena. */
  std::vector<Value> ValuesOf(const Row &row) const {
    std::vector<Value> out(values.begin() + (long)row.first, values.begin() + (long)(row.first + row.count));
    for (Value &v : out)
      if (v.data || v.size) v.data = bytes.data() + (uintptr_t)v.data;
    return out;
  }
  void Clear() {
    rows.clear();
    values.clear();
    bytes.clear();
  }
};

class OdbcBackend : public Backend {
 public:
  OdbcBackend(const TargetApi *api) : api_(api) {}
  ~OdbcBackend() override {
    if (dbc_) {
      if (inTransaction_) api_->EndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
      api_->Disconnect(dbc_);
      api_->FreeHandle(SQL_HANDLE_DBC, dbc_);
    }
    if (env_) api_->FreeHandle(SQL_HANDLE_ENV, env_);
  }

  SQLRETURN Connect(const std::string &target, Diagnostics &diag);

  const char *DbmsName() override { return dbms_.c_str(); }
  std::string DbmsVersion() override { return dbmsVersion_; }
  std::string DatabaseName() override { return database_; }
  const char *const *TypeNames() override { return names_; }
  std::string ServerName() override { return server_; }
  const TypeFact *Types(size_t *count) override {
    *count = types_.size();
    return types_.data();
  }

  SQLRETURN Prepare(const std::string &sql, std::unique_ptr<Prepared> *out, Diagnostics &diag) override {
    SQLHSTMT stmt;
    if (!Ok(api_->AllocHandle(SQL_HANDLE_STMT, dbc_, &stmt)))
      return PostTargetError(api_, diag, SQL_HANDLE_DBC, dbc_, "Cannot make a statement on the target");
    std::string text = RequoteIdentifiers(sql, quoteOpen_, quoteClose_);
    if (!Ok(api_->Prepare(stmt, (SQLCHAR *)text.c_str(), (SQLINTEGER)text.size()))) {
      PostTargetError(api_, diag, SQL_HANDLE_STMT, stmt, "The target refused the statement");
      api_->FreeHandle(SQL_HANDLE_STMT, stmt);
      return SQL_ERROR;
    }
    out->reset(new TargetStatement(this, api_, stmt));
    return SQL_SUCCESS;
  }

  SQLRETURN Begin(Diagnostics &diag) override {
    if (!Ok(api_->SetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0)))
      return PostTargetError(api_, diag, SQL_HANDLE_DBC, dbc_, "Cannot start a transaction on the target");
    inTransaction_ = true;
    return SQL_SUCCESS;
  }
  SQLRETURN Commit(Diagnostics &diag) override { return End(SQL_COMMIT, diag); }
  SQLRETURN Rollback(Diagnostics &diag) override { return End(SQL_ROLLBACK, diag); }
  bool InTransaction() override { return inTransaction_; }

  SQLRETURN Tables(std::vector<TableFact> *out, Diagnostics &diag) override;
  SQLRETURN Columns(const std::string &table, std::vector<ColumnInfo> *out, Diagnostics &diag) override;
  SQLRETURN PrimaryKey(const std::string &table, std::vector<std::string> *out, Diagnostics &diag) override;
  SQLRETURN Indexes(const std::string &table, std::vector<IndexFact> *out, Diagnostics &diag) override;

  /* Keeps an execution of the open transaction, to run again after a
   * failure. */
  void Remember(TargetStatement *statement, const Value *params, int count) {
    if (inTransaction_) batch_.Add(statement, params, count);
  }

  /* After a failure inside a transaction: rolls it back and runs its
   * earlier executions again in a new one. */
  SQLRETURN Replay(Diagnostics &diag) {
    Batch kept;
    std::swap(kept, batch_);
    if (End(SQL_ROLLBACK, diag) == SQL_ERROR || Begin(diag) == SQL_ERROR) return SQL_ERROR;
    for (const Batch::Row &row : kept.rows)
      if (row.statement->Run(kept.ValuesOf(row), diag) == SQL_ERROR) return SQL_ERROR;
    std::swap(kept, batch_);
    return SQL_SUCCESS;
  }

  /* A statement that goes away takes its kept executions with it. */
  void Forget(TargetStatement *statement) {
    std::erase_if(batch_.rows, [&](const Batch::Row &row) { return row.statement == statement; });
  }

 private:
  SQLRETURN End(SQLSMALLINT completion, Diagnostics &diag) {
    batch_.Clear();
    if (!inTransaction_) return SQL_SUCCESS;
    inTransaction_ = false;
    SQLRETURN rc = api_->EndTran(SQL_HANDLE_DBC, dbc_, completion);
    api_->SetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_ON, 0);
    if (!Ok(rc)) return PostTargetError(api_, diag, SQL_HANDLE_DBC, dbc_, "The target's commit failed");
    return SQL_SUCCESS;
  }

  std::string InfoText(SQLUSMALLINT type) {
    char text[NAME_SIZE] = "";
    SQLSMALLINT length;
    api_->GetInfo(dbc_, type, text, sizeof text, &length);
    return text;
  }

  void LearnTypes();
  std::string TypeNameFor(const SQLSMALLINT *wanted, size_t count, SQLINTEGER size, const std::string &fallback);
  template <typename Row>
  SQLRETURN Catalog(SQLRETURN started, SQLHSTMT stmt, Diagnostics &diag, Row row);

  const TargetApi *api_;
  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  std::string dbms_, dbmsVersion_, database_, server_;
  char quoteOpen_ = '"', quoteClose_ = '"';
  std::vector<std::string> wordNames_;
  const char *names_[TYPE_WORD_COUNT] = {}; /* wordNames_ by TypeWordId */
  std::vector<TypeFact> types_;
  bool inTransaction_ = false;
  Batch batch_;
};

TargetStatement::TargetStatement(OdbcBackend *backend, const TargetApi *api, SQLHSTMT stmt)
    : backend_(backend), api_(api), stmt_(stmt), rows_(api, stmt) {
  SQLSMALLINT n = 0;
  api_->NumParams(stmt_, &n);
  params_ = n;
  bound_.resize((size_t)n);
  rows_.Describe(); /* a prepared statement's result columns are known before it runs */
}

/* The C and SQL types a Value goes to the target in. */
static void TargetTypes(const Value &v, SQLSMALLINT *cType, SQLSMALLINT *sqlType) {
  switch (v.kind) {
    case VALUE_INTEGER: *cType = SQL_C_SBIGINT, *sqlType = SQL_BIGINT; return;
    case VALUE_REAL: *cType = SQL_C_DOUBLE, *sqlType = SQL_DOUBLE; return;
    case VALUE_BLOB: *cType = SQL_C_BINARY, *sqlType = SQL_LONGVARBINARY; return;
    case VALUE_DATE: case VALUE_TIMESTAMP: *cType = SQL_C_TYPE_TIMESTAMP, *sqlType = SQL_TYPE_TIMESTAMP; return;
    case VALUE_TEXT: *cType = SQL_C_CHAR, *sqlType = SQL_VARCHAR; return;
    case VALUE_NULL: break;
  }
  /* NULL: the type the application gave, so a typed target accepts it */
  switch (v.sqlType) {
    case SQL_DATE: case SQL_TYPE_DATE: case SQL_TIMESTAMP: case SQL_TYPE_TIMESTAMP:
      *cType = SQL_C_TYPE_TIMESTAMP, *sqlType = SQL_TYPE_TIMESTAMP;
      return;
    case SQL_INTEGER: case SQL_SMALLINT: case SQL_BIGINT: case SQL_TINYINT:
      *cType = SQL_C_SBIGINT, *sqlType = v.sqlType;
      return;
    case SQL_DOUBLE: case SQL_FLOAT: case SQL_REAL: *cType = SQL_C_DOUBLE, *sqlType = SQL_DOUBLE; return;
    default: *cType = SQL_C_CHAR, *sqlType = SQL_VARCHAR; return;
  }
}

/* The parts of the core's "YYYY-MM-DD[ HH:MM:SS[.fffffffff]]": where the
 * fraction starts, and the most digits it has. */
enum { TIMESTAMP_SECONDS_SIZE = 19, FRACTION_AT = 20, FRACTION_DIGITS_MAX = 9 };

/* The digits of a second's fraction in a timestamp's text. */
static SQLSMALLINT FractionDigits(const Value &v) {
  if (v.size <= FRACTION_AT || v.data[TIMESTAMP_SECONDS_SIZE] != '.') return 0;
  size_t digits = v.size - FRACTION_AT;
  return (SQLSMALLINT)(digits < (size_t)FRACTION_DIGITS_MAX ? digits : (size_t)FRACTION_DIGITS_MAX);
}

/* The timestamp's text as a struct, read by hand: this runs for every
 * record. */
static SQL_TIMESTAMP_STRUCT TimestampOf(const Value &v) {
  auto number = [&](size_t at, size_t digits) {
    unsigned n = 0;
    for (size_t i = at; i < at + digits && i < v.size; i++) n = n * 10 + (unsigned)(v.data[i] - '0');
    return n;
  };
  SQL_TIMESTAMP_STRUCT t = {};
  t.year = (SQLSMALLINT)number(0, 4), t.month = (SQLUSMALLINT)number(5, 2), t.day = (SQLUSMALLINT)number(8, 2);
  if (v.size >= TIMESTAMP_SECONDS_SIZE)
    t.hour = (SQLUSMALLINT)number(11, 2), t.minute = (SQLUSMALLINT)number(14, 2), t.second = (SQLUSMALLINT)number(17, 2);
  /* the digits there are, as nanoseconds */
  SQLUINTEGER scale = 100000000;
  for (size_t i = FRACTION_AT; i < FRACTION_AT + (size_t)FractionDigits(v); i++, scale /= 10)
    t.fraction += scale * (SQLUINTEGER)(v.data[i] - '0');
  return t;
}

SQLRETURN TargetStatement::Bind(int n, const Value &v, Diagnostics &diag) {
  TargetParam &p = bound_[(size_t)n - 1];
  SQLSMALLINT cType, sqlType;
  TargetTypes(v, &cType, &sqlType);
  SQLPOINTER buffer = nullptr;
  SQLLEN length = 0;
  switch (cType) {
    case SQL_C_SBIGINT: p.integer = v.integer, buffer = &p.integer, length = sizeof p.integer; break;
    case SQL_C_DOUBLE: p.real = v.real, buffer = &p.real, length = sizeof p.real; break;
    case SQL_C_TYPE_TIMESTAMP:
      if (v.kind != VALUE_NULL) p.timestamp = TimestampOf(v);
      buffer = &p.timestamp, length = sizeof p.timestamp;
      break;
    default:
      /* text is bound where it lies, which stays put from one record to
       * the next: bound again only when it moved */
      buffer = (SQLPOINTER)(v.data ? v.data : ""), length = (SQLLEN)v.size;
      break;
  }
  p.indicator = v.kind == VALUE_NULL ? SQL_NULL_DATA : length;
  bool textual = cType == SQL_C_CHAR || cType == SQL_C_BINARY;
  /* a timestamp's size and digits say how much of a second the target is
   * given, so that it keeps the fraction or says that it cannot */
  SQLSMALLINT digits = cType == SQL_C_TYPE_TIMESTAMP && v.kind != VALUE_NULL ? FractionDigits(v) : 0;
  bool same = p.cType == cType && p.sqlType == sqlType && p.digits == digits &&
              (!textual || p.boundAt == (uintptr_t)buffer);
  if (same) return SQL_SUCCESS;
  SQLULEN size = textual ? (v.size > (size_t)TEXT_COLUMN_SIZE ? v.size : (size_t)TEXT_COLUMN_SIZE) : 0;
  if (cType == SQL_C_TYPE_TIMESTAMP) size = TIMESTAMP_SECONDS_SIZE + (digits ? 1 + (SQLULEN)digits : 0);
  SQLRETURN rc = api_->BindParameter(stmt_, (SQLUSMALLINT)n, SQL_PARAM_INPUT, cType, sqlType, size, digits, buffer,
                                     length, &p.indicator);
  if (!Ok(rc)) return PostTargetError(api_, diag, SQL_HANDLE_STMT, stmt_, "Binding a parameter failed");
  p.cType = cType;
  p.sqlType = sqlType;
  p.digits = digits;
  p.boundAt = textual ? (uintptr_t)buffer : 0;
  return SQL_SUCCESS;
}

SQLRETURN TargetStatement::Run(const Value *params, int count, Diagnostics &diag) {
  ran_ = false;
  if (HasResultSet()) api_->FreeStmt(stmt_, SQL_CLOSE);
  for (int n = 1; n <= count && n <= params_; n++)
    if (Bind(n, params[n - 1], diag) == SQL_ERROR) return SQL_ERROR;
  SQLRETURN rc = api_->Execute(stmt_);
  if (rc != SQL_NO_DATA && !Ok(rc)) return PostTargetError(api_, diag, SQL_HANDLE_STMT, stmt_, "Execution failed");
  ran_ = true;
  return SQL_SUCCESS;
}

SQLRETURN TargetStatement::Execute(const Value *params, int count, Diagnostics &diag) {
  if (Run(params, count, diag) != SQL_ERROR) {
    if (!HasResultSet()) backend_->Remember(this, params, count);
    return SQL_SUCCESS;
  }
  if (backend_->InTransaction()) backend_->Replay(diag);
  return SQL_ERROR;
}

static bool IsZoned(const char *typeName) {
  std::string t = typeName;
  for (char &c : t) c = (char)tolower((unsigned char)c);
  return t.find("zone") != std::string::npos || t.find("tz") != std::string::npos;
}

/* Type names of the target: the first that SQLGetTypeInfo gives for one
 * of the wanted types, with a length where it takes one. */
std::string OdbcBackend::TypeNameFor(const SQLSMALLINT *wanted, size_t count, SQLINTEGER minSize,
                                     const std::string &fallback) {
  for (size_t k = 0; k < count; k++) {
    SQLHSTMT stmt;
    if (!Ok(api_->AllocHandle(SQL_HANDLE_STMT, dbc_, &stmt))) break;
    std::string found;
    if (Ok(api_->GetTypeInfo(stmt, wanted[k]))) {
      while (found.empty() && Ok(api_->Fetch(stmt))) {
        char name[NAME_SIZE] = "", params[NAME_SIZE] = "";
        SQLINTEGER size = 0;
        SQLLEN length;
        api_->GetData(stmt, 1, SQL_C_CHAR, name, sizeof name, &length);
        if (!Ok(api_->GetData(stmt, 3, SQL_C_SLONG, &size, 0, &length)) || length == SQL_NULL_DATA) size = 0;
        if (!Ok(api_->GetData(stmt, 6, SQL_C_CHAR, params, sizeof params, &length)) || length == SQL_NULL_DATA)
          params[0] = 0;
        if (minSize > 0 && size > 0 && size < minSize) continue; /* too short for what an import holds */
        if (IsZoned(name)) continue; /* a FILETIME is a time of day as written, in no zone */
        found = name;
        if (minSize > 0 && params[0]) found += "(" + std::to_string(minSize) + ")";
      }
    }
    api_->FreeHandle(SQL_HANDLE_STMT, stmt);
    if (!found.empty()) return found;
  }
  return fallback;
}

void OdbcBackend::LearnTypes() {
  static const SQLSMALLINT kText[] = {SQL_VARCHAR, SQL_WVARCHAR, SQL_LONGVARCHAR, SQL_WLONGVARCHAR};
  static const SQLSMALLINT kLongText[] = {SQL_LONGVARCHAR, SQL_WLONGVARCHAR, SQL_VARCHAR, SQL_WVARCHAR};
  static const SQLSMALLINT kInteger[] = {SQL_INTEGER};
  static const SQLSMALLINT kSmallint[] = {SQL_SMALLINT, SQL_INTEGER};
  static const SQLSMALLINT kTimestamp[] = {SQL_TYPE_TIMESTAMP, SQL_TIMESTAMP};
  wordNames_ = {
    TypeNameFor(kText, 4, TEXT_COLUMN_SIZE, "VARCHAR(" + std::to_string(TEXT_COLUMN_SIZE) + ")"),
    TypeNameFor(kLongText, 4, TEXT_COLUMN_SIZE, "TEXT"),
    TypeNameFor(kInteger, 1, 0, "INTEGER"), TypeNameFor(kSmallint, 2, 0, "SMALLINT"),
    TypeNameFor(kTimestamp, 2, 0, "TIMESTAMP"),
  };
  for (size_t i = 0; i < TYPE_WORD_COUNT; i++) names_[i] = wordNames_[i].c_str();
  static const SQLSMALLINT kSqlTypes[TYPE_WORD_COUNT] = {SQL_VARCHAR, SQL_LONGVARCHAR, SQL_INTEGER, SQL_SMALLINT,
                                                         SQL_TYPE_TIMESTAMP};
  /* a timestamp offers microseconds, so that clients send them and the
   * target keeps what it can hold */
  static const SQLINTEGER kSizes[TYPE_WORD_COUNT] = {TEXT_COLUMN_SIZE, TEXT_COLUMN_SIZE, 0, 0, TIMESTAMP_MICROS_SIZE};
  for (size_t i = 0; i < wordNames_.size(); i++)
    types_.push_back({wordNames_[i].c_str(), kSqlTypes[i], kSizes[i], nullptr, nullptr, nullptr});
}

/* The target as a message may show it: a DSN's name, or the connection
 * string with its passwords hidden. */
static std::string ShownTarget(const std::string &target) {
  std::vector<Attribute> attributes;
  std::string bad;
  if (target.find('=') == std::string::npos) return "\"" + target + "\"";
  if (!ParseConnectionString(target, &attributes, &bad)) return "(a connection string)";
  std::string shown;
  for (Attribute a : attributes) {
    if (SameKey(a.key, "PWD") || SameKey(a.key, "Password")) a.value = "***";
    shown += (shown.empty() ? "" : ";") + FormatAttribute(a);
  }
  return "\"" + shown + "\"";
}

/* A refused connection's message with the target named, so that it does
 * not read as if this data source were missing; a message from this
 * driver behind the target has named its own already. */
static std::string NamingTarget(const std::string &message, const std::string &target) {
  std::string reason = WithoutDriverPrefix(message);
  if (reason.rfind("Target ", 0) == 0) return message;
  return WithDriverPrefix("Target " + ShownTarget(target) + ": " + reason);
}

/* How deep one ODBC backend reaches another through its target, so that a
 * target naming its own data source fails instead of looping. */
static thread_local int g_nesting;

SQLRETURN OdbcBackend::Connect(const std::string &target, Diagnostics &diag) {
  if (target.empty()) return PostError(diag, "HY024", 0, "Backend ODBC needs a Target: a DSN or a connection string");
  if (g_nesting >= MAX_NESTING) return PostError(diag, "08001", 0, "Target reaches back to itself: " + target);
  std::string in = target.find('=') == std::string::npos ? "DSN=" + target : target;
  if (!Ok(api_->AllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_)))
    return PostError(diag, "HY001", 0, "Cannot make an ODBC environment for the target");
  api_->SetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
  if (!Ok(api_->AllocHandle(SQL_HANDLE_DBC, env_, &dbc_)))
    return PostTargetError(api_, diag, SQL_HANDLE_ENV, env_, "Cannot make an ODBC connection for the target");
  SQLCHAR out[NAME_SIZE];
  SQLSMALLINT outLength;
  g_nesting++;
  SQLRETURN rc = api_->DriverConnect(dbc_, nullptr, (SQLCHAR *)in.c_str(), SQL_NTS, out, sizeof out, &outLength,
                                     SQL_DRIVER_NOPROMPT);
  g_nesting--;
  if (!Ok(rc)) {
    Diagnostics refused;
    PostTargetError(api_, refused, SQL_HANDLE_DBC, dbc_, "The target refused the connection");
    api_->FreeHandle(SQL_HANDLE_DBC, dbc_);
    dbc_ = SQL_NULL_HDBC;
    for (size_t i = 0; i < refused.Count(); i++) {
      DiagRecord r = refused[i];
      if (r.state.compare(0, 2, "08") != 0 && r.state != "IM002") r.state = "08001";
      r.message = NamingTarget(r.message, target);
      diag.Append(r);
    }
    return SQL_ERROR;
  }
  dbms_ = InfoText(SQL_DBMS_NAME);
  dbmsVersion_ = InfoText(SQL_DBMS_VER);
  database_ = InfoText(SQL_DATABASE_NAME);
  server_ = InfoText(SQL_SERVER_NAME);
  std::string quote = InfoText(SQL_IDENTIFIER_QUOTE_CHAR);
  if (quote == "[") quoteOpen_ = '[', quoteClose_ = ']';
  else if (quote.size() == 1 && quote != " ") quoteOpen_ = quoteClose_ = quote[0];
  LearnTypes();
  return SQL_SUCCESS;
}

static std::string Text(const TargetApi *api, SQLHSTMT stmt, SQLUSMALLINT column) {
  char text[NAME_SIZE] = "";
  SQLLEN length = 0;
  if (!Ok(api->GetData(stmt, column, SQL_C_CHAR, text, sizeof text, &length)) || length == SQL_NULL_DATA) return "";
  return text;
}

static long Number(const TargetApi *api, SQLHSTMT stmt, SQLUSMALLINT column) {
  SQLINTEGER n = 0;
  SQLLEN length = 0;
  if (!Ok(api->GetData(stmt, column, SQL_C_SLONG, &n, 0, &length)) || length == SQL_NULL_DATA) return 0;
  return n;
}

/* Runs a started catalog call of the target row by row. */
template <typename Row>
SQLRETURN OdbcBackend::Catalog(SQLRETURN started, SQLHSTMT stmt, Diagnostics &diag, Row row) {
  SQLRETURN rc = SQL_SUCCESS;
  if (!Ok(started)) rc = PostTargetError(api_, diag, SQL_HANDLE_STMT, stmt, "The target's catalog call failed");
  while (rc == SQL_SUCCESS && Ok(api_->Fetch(stmt))) row(stmt);
  api_->FreeHandle(SQL_HANDLE_STMT, stmt);
  return rc;
}

SQLRETURN OdbcBackend::Tables(std::vector<TableFact> *out, Diagnostics &diag) {
  SQLHSTMT s;
  api_->AllocHandle(SQL_HANDLE_STMT, dbc_, &s);
  return Catalog(api_->Tables(s, nullptr, 0, nullptr, 0, (SQLCHAR *)"%", SQL_NTS, (SQLCHAR *)"TABLE,VIEW", SQL_NTS),
                 s, diag, [&](SQLHSTMT h) { out->push_back({Text(api_, h, 3), Text(api_, h, 4)}); });
}

SQLRETURN OdbcBackend::Columns(const std::string &table, std::vector<ColumnInfo> *out, Diagnostics &diag) {
  SQLHSTMT s;
  api_->AllocHandle(SQL_HANDLE_STMT, dbc_, &s);
  SQLRETURN started = api_->Columns(s, nullptr, 0, nullptr, 0, (SQLCHAR *)table.c_str(), SQL_NTS, nullptr, 0);
  return Catalog(started, s, diag, [&](SQLHSTMT h) {
    ColumnInfo c;
    c.table = table;
    c.name = Text(api_, h, 4);
    c.sqlType = (SQLSMALLINT)Number(api_, h, 5);
    if (c.sqlType == SQL_WVARCHAR || c.sqlType == SQL_WCHAR) c.sqlType = SQL_VARCHAR;
    if (c.sqlType == SQL_WLONGVARCHAR) c.sqlType = SQL_LONGVARCHAR;
    c.typeName = Text(api_, h, 6);
    c.size = (SQLULEN)Number(api_, h, 7);
    c.digits = (SQLSMALLINT)Number(api_, h, 9);
    c.nullable = (SQLSMALLINT)Number(api_, h, 11);
    c.defaultValue = Text(api_, h, 13);
    c.hasDefault = !c.defaultValue.empty();
    c.ordinal = (int)Number(api_, h, 17);
    out->push_back(c);
  });
}

SQLRETURN OdbcBackend::PrimaryKey(const std::string &table, std::vector<std::string> *out, Diagnostics &diag) {
  SQLHSTMT s;
  api_->AllocHandle(SQL_HANDLE_STMT, dbc_, &s);
  SQLRETURN started = api_->PrimaryKeys(s, nullptr, 0, nullptr, 0, (SQLCHAR *)table.c_str(), SQL_NTS);
  return Catalog(started, s, diag, [&](SQLHSTMT h) { out->push_back(Text(api_, h, 4)); });
}

SQLRETURN OdbcBackend::Indexes(const std::string &table, std::vector<IndexFact> *out, Diagnostics &diag) {
  SQLHSTMT s;
  api_->AllocHandle(SQL_HANDLE_STMT, dbc_, &s);
  SQLRETURN started =
      api_->Statistics(s, nullptr, 0, nullptr, 0, (SQLCHAR *)table.c_str(), SQL_NTS, SQL_INDEX_ALL, SQL_QUICK);
  return Catalog(started, s, diag, [&](SQLHSTMT h) {
    std::string name = Text(api_, h, 6);
    if (name.empty()) return; /* the table's own statistics row */
    if (out->empty() || out->back().name != name) out->push_back({name, Number(api_, h, 4) == 0, {}});
    out->back().columns.push_back(Text(api_, h, 9));
  });
}

std::unique_ptr<Backend> OpenOdbcBackend(const ConnectionKeys &settings, Diagnostics &diag) {
  std::string error;
  const TargetApi *api = LoadTargetApi(&error);
  if (!api) {
    PostError(diag, "08001", 0, error);
    return nullptr;
  }
  auto backend = std::make_unique<OdbcBackend>(api);
  if (backend->Connect(settings.Get("Target"), diag) == SQL_ERROR) return nullptr;
  return backend;
}
