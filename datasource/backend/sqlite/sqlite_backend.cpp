/* sqlite_backend.cpp: the SQLite backend. It opens the database file the
 * data source names (by default the user's own, sqlite_files.h) with
 * the DSN's journal and sync modes, runs statements, maps declared column
 * types and SQLite's errors to ODBC's, and reads the catalog from the
 * schema and the table pragmas. */
#include <sqlite3.h>
#include <stdlib.h>
#include <ctype.h>
#include <string.h>

#include <mutex>

#include "backend/backend.h"
#include "backend/sqlite/sqlite_files.h"

enum { BUSY_TIMEOUT_MS = 5000 };

static const char *const kJournalModes[] = {"DELETE", "TRUNCATE", "PERSIST", "MEMORY", "WAL", "OFF"};
static const char *const kSyncModes[] = {"OFF", "NORMAL", "FULL", "EXTRA"};

/* By TypeWordId: types whose affinity keeps the values, so "0123" stays text. */
static const char *const kTypeNames[TYPE_WORD_COUNT] = {"TEXT", "TEXT", "INTEGER", "SMALLINT", "TIMESTAMP"};

static const TypeFact kTypes[] = {
  {"TEXT", SQL_VARCHAR, TEXT_COLUMN_SIZE, "'", "'", nullptr},
  {"INTEGER", SQL_INTEGER, 10, nullptr, nullptr, nullptr},
  {"SMALLINT", SQL_SMALLINT, 5, nullptr, nullptr, nullptr},
  {"BIGINT", SQL_BIGINT, 19, nullptr, nullptr, nullptr},
  {"DOUBLE", SQL_DOUBLE, 15, nullptr, nullptr, nullptr},
  {"DATE", SQL_TYPE_DATE, 10, "'", "'", nullptr},
  {"TIMESTAMP", SQL_TYPE_TIMESTAMP, TIMESTAMP_MICROS_SIZE, "'", "'", nullptr},
  {"BLOB", SQL_LONGVARBINARY, BLOB_COLUMN_SIZE, "X'", "'", nullptr},
};

/* Declared types by the words they contain, in SQLite's order of affinity
 * rules; the first match wins. A column of INTEGER affinity keeps any
 * 64-bit value, whoever wrote it, so INT and INTEGER are described as
 * BIGINT: a client then fetches them into 64 bits and reads every value
 * exactly. Only the narrower words declare a narrower type. */
struct DeclaredType {
  const char *contains;
  SQLSMALLINT sqlType;
  SQLULEN size;
};

static const DeclaredType kDeclaredTypes[] = {
  {"BIGINT", SQL_BIGINT, 19},       {"SMALLINT", SQL_SMALLINT, 5},
  {"TINYINT", SQL_TINYINT, 3},      {"INT", SQL_BIGINT, 19},
  {"TIMESTAMP", SQL_TYPE_TIMESTAMP, 19}, {"DATETIME", SQL_TYPE_TIMESTAMP, 19},
  {"CHAR", SQL_VARCHAR, TEXT_COLUMN_SIZE}, {"CLOB", SQL_LONGVARCHAR, BLOB_COLUMN_SIZE},
  {"TEXT", SQL_VARCHAR, TEXT_COLUMN_SIZE}, {"BLOB", SQL_LONGVARBINARY, BLOB_COLUMN_SIZE},
  {"REAL", SQL_DOUBLE, 15},         {"FLOA", SQL_DOUBLE, 15},
  {"DOUB", SQL_DOUBLE, 15},         {"DATE", SQL_TYPE_DATE, 10},
  {"NUM", SQL_DOUBLE, 15},          {"DEC", SQL_DOUBLE, 15},
  {"BOOL", SQL_SMALLINT, 5},
};

static std::string UpperCase(const char *s) {
  std::string up(s);
  for (char &c : up) c = (char)toupper((unsigned char)c);
  return up;
}

/* The SQL type of a declared type; a length in parentheses is the size. */
static void MapDeclaredType(const char *decl, ColumnInfo *c) {
  c->sqlType = SQL_VARCHAR;
  c->size = TEXT_COLUMN_SIZE;
  std::string upper = UpperCase(decl);
  for (const DeclaredType &d : kDeclaredTypes) {
    if (upper.find(d.contains) == std::string::npos) continue;
    c->sqlType = d.sqlType;
    c->size = d.size;
    break;
  }
  const char *open = strchr(decl, '(');
  if (open && (c->sqlType == SQL_VARCHAR || c->sqlType == SQL_LONGVARCHAR)) {
    long n = strtol(open + 1, nullptr, 10);
    if (n > 0) c->size = (SQLULEN)n;
  }
}

/* An expression's column has no declared type: its first value tells. */
static void MapValueType(int type, ColumnInfo *c) {
  switch (type) {
    case SQLITE_INTEGER: c->sqlType = SQL_BIGINT, c->size = 19; break;
    case SQLITE_FLOAT: c->sqlType = SQL_DOUBLE, c->size = 15; break;
    case SQLITE_BLOB: c->sqlType = SQL_LONGVARBINARY, c->size = BLOB_COLUMN_SIZE; break;
    default: c->sqlType = SQL_VARCHAR, c->size = TEXT_COLUMN_SIZE; break;
  }
}

static const char *StateOfSqlite(int rc, const char *message) {
  if (strstr(message, "already exists")) return "42S01";
  if (strstr(message, "no such table")) return "42S02";
  if (strstr(message, "no such column")) return "42S22";
  if (strstr(message, "syntax error")) return "42000";
  switch (rc & 0xff) {
    case SQLITE_CONSTRAINT: return "23000";
    case SQLITE_TOOBIG: return "22001";
    case SQLITE_BUSY: case SQLITE_LOCKED: return "HYT00";
    default: return "HY000";
  }
}

static SQLRETURN PostSqliteError(Diagnostics &diag, sqlite3 *db, int rc) {
  const char *message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  return PostError(diag, StateOfSqlite(rc, message), rc, std::string("SQLite: ") + message);
}

class SqlitePrepared : public Prepared {
 public:
  SqlitePrepared(sqlite3 *db, sqlite3_stmt *stmt) : db_(db), stmt_(stmt) {}
  ~SqlitePrepared() override { sqlite3_finalize(stmt_); }

  int ParamCount() override { return sqlite3_bind_parameter_count(stmt_); }
  int ColumnCount() override { return sqlite3_column_count(stmt_); }
  bool HasResultSet() override { return sqlite3_column_count(stmt_) > 0; }
  SQLLEN RowCount() override { return rowCount_; }

  SQLRETURN Execute(const Value *params, int count, Diagnostics &diag) override {
    Close();
    /* A statement without a result set is done when its step returns, so
     * it can read the values where they lie; a query keeps a copy. */
    sqlite3_destructor_type keep = HasResultSet() ? SQLITE_TRANSIENT : SQLITE_STATIC;
    for (int n = 1; n <= count; n++) Bind(n, params[n - 1], keep);
    sqlite3_int64 changesBefore = sqlite3_total_changes64(db_);
    int rc = sqlite3_step(stmt_);
    columns_.clear();
    if (rc == SQLITE_ROW) {
      pending_ = true;
      Describe();
      return SQL_SUCCESS;
    }
    if (rc != SQLITE_DONE) {
      SQLRETURN error = PostSqliteError(diag, db_, rc);
      sqlite3_reset(stmt_);
      return error;
    }
    finished_ = true;
    /* sqlite3_changes() keeps the count of the last statement that
     * changed rows: a CREATE or a DROP changes none itself */
    bool changed = sqlite3_total_changes64(db_) != changesBefore;
    rowCount_ = HasResultSet() || !changed ? 0 : sqlite3_changes(db_);
    if (!HasResultSet()) sqlite3_reset(stmt_);
    return SQL_SUCCESS;
  }

  SQLRETURN Next(Diagnostics &diag) override {
    if (pending_) {
      pending_ = false;
      return SQL_SUCCESS;
    }
    if (finished_) return SQL_NO_DATA;
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return SQL_SUCCESS;
    finished_ = true;
    if (rc == SQLITE_DONE) return SQL_NO_DATA;
    return PostSqliteError(diag, db_, rc);
  }

  Value Get(int i) override {
    Value v;
    switch (sqlite3_column_type(stmt_, i)) {
      case SQLITE_INTEGER: v.kind = VALUE_INTEGER, v.integer = sqlite3_column_int64(stmt_, i); break;
      case SQLITE_FLOAT: v.kind = VALUE_REAL, v.real = sqlite3_column_double(stmt_, i); break;
      case SQLITE_TEXT:
        v.kind = VALUE_TEXT;
        v.data = (const char *)sqlite3_column_text(stmt_, i);
        v.size = (size_t)sqlite3_column_bytes(stmt_, i);
        break;
      case SQLITE_BLOB:
        v.kind = VALUE_BLOB;
        v.data = (const char *)sqlite3_column_blob(stmt_, i);
        v.size = (size_t)sqlite3_column_bytes(stmt_, i);
        break;
      default: break;
    }
    return v;
  }

  ColumnInfo Column(int i) override {
    if (columns_.empty()) Describe();
    return columns_[(size_t)i];
  }

  void Close() override {
    if (pending_ || !finished_) sqlite3_reset(stmt_);
    pending_ = false;
    finished_ = false;
    rowCount_ = -1;
  }

 private:
  void Bind(int n, const Value &v, sqlite3_destructor_type keep) {
    switch (v.kind) {
      case VALUE_NULL: sqlite3_bind_null(stmt_, n); break;
      case VALUE_INTEGER: sqlite3_bind_int64(stmt_, n, v.integer); break;
      case VALUE_REAL: sqlite3_bind_double(stmt_, n, v.real); break;
      case VALUE_BLOB: sqlite3_bind_blob64(stmt_, n, v.data, v.size, keep); break;
      default: sqlite3_bind_text64(stmt_, n, v.data, v.size, keep, SQLITE_UTF8); break;
    }
  }

  /* The columns as declared; an expression's by the value in its first
   * row, kept for the whole result set so its description never changes. */
  void Describe() {
    columns_.clear();
    for (int i = 0; i < sqlite3_column_count(stmt_); i++) {
      ColumnInfo c;
      const char *name = sqlite3_column_name(stmt_, i);
      const char *decl = sqlite3_column_decltype(stmt_, i);
      c.name = name ? name : "";
      c.typeName = decl ? decl : "";
      Origin(i, &c);
      if (decl) MapDeclaredType(decl, &c);
      else MapValueType(pending_ ? sqlite3_column_type(stmt_, i) : SQLITE_NULL, &c);
      columns_.push_back(c);
    }
  }

  /* The table a result column comes from and whether that column takes
   * NULL. An expression's value may be NULL, as SQL_NULLABLE says. */
  void Origin(int i, ColumnInfo *c) {
    c->nullable = SQL_NULLABLE;
#ifdef LUMETRA_SQLITE_COLUMN_METADATA
    const char *table = sqlite3_column_table_name(stmt_, i);
    const char *column = sqlite3_column_origin_name(stmt_, i);
    if (!table || !column) return;
    c->table = table;
    int notNull = 0;
    if (sqlite3_table_column_metadata(db_, sqlite3_column_database_name(stmt_, i), table, column, nullptr, nullptr,
                                      &notNull, nullptr, nullptr) == SQLITE_OK && notNull)
      c->nullable = SQL_NO_NULLS;
#else
    (void)i;
    c->nullable = SQL_NULLABLE_UNKNOWN; /* a SQLite without column metadata cannot tell */
#endif
  }

  sqlite3 *db_;
  sqlite3_stmt *stmt_;
  std::vector<ColumnInfo> columns_;
  bool pending_ = false;  /* the first row is stepped but not yet fetched */
  bool finished_ = false; /* stepped to the end: never step again, or it starts over */
  SQLLEN rowCount_ = -1;
};

class SqliteBackend : public Backend {
 public:
  SqliteBackend(sqlite3 *db, std::string path) : db_(db), path_(std::move(path)) {
#ifdef LUMETRA_TEST_HOOKS
    /* Only in the test build: every COMMIT fails as a full disk would make it. */
    const char *fail = getenv("LUMETRA_FAIL_COMMIT");
    failCommit_ = fail && *fail == '1';
#endif
  }
  ~SqliteBackend() override { sqlite3_close_v2(db_); }

  const char *DbmsName() override { return "SQLite"; }
  std::string DbmsVersion() override { return sqlite3_libversion(); }
  std::string DatabaseName() override { return path_; }
  const char *const *TypeNames() override { return kTypeNames; }
  const TypeFact *Types(size_t *count) override {
    *count = sizeof kTypes / sizeof *kTypes;
    return kTypes;
  }

  SQLRETURN Prepare(const std::string &sql, std::unique_ptr<Prepared> *out, Diagnostics &diag) override {
    sqlite3_stmt *stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.c_str(), (int)sql.size() + 1, &stmt, nullptr);
    if (rc != SQLITE_OK) return PostSqliteError(diag, db_, rc);
    if (!stmt) return PostError(diag, "42000", 0, "The statement holds no SQL");
    out->reset(new SqlitePrepared(db_, stmt));
    return SQL_SUCCESS;
  }

  SQLRETURN Begin(Diagnostics &diag) override { return Exec("BEGIN", diag); }
  SQLRETURN Commit(Diagnostics &diag) override {
#ifdef LUMETRA_TEST_HOOKS
    if (failCommit_) return PostError(diag, "HY000", SQLITE_FULL, "SQLite: database or disk is full (LUMETRA_FAIL_COMMIT)");
#endif
    return Exec("COMMIT", diag);
  }
  SQLRETURN Rollback(Diagnostics &diag) override { return Exec("ROLLBACK", diag); }
  bool InTransaction() override { return !sqlite3_get_autocommit(db_); }

  SQLRETURN Tables(std::vector<TableFact> *out, Diagnostics &diag) override {
    return Query("SELECT name, upper(type) FROM sqlite_master WHERE type IN ('table','view') "
                 "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name",
                 "", diag, [&](sqlite3_stmt *s) { out->push_back({Column(s, 0), Column(s, 1)}); });
  }

  SQLRETURN Columns(const std::string &table, std::vector<ColumnInfo> *out, Diagnostics &diag) override {
    return Query("SELECT name, type, \"notnull\", dflt_value, cid FROM pragma_table_info(?1)", table, diag,
                 [&](sqlite3_stmt *s) {
                   ColumnInfo c;
                   c.table = table;
                   c.name = Column(s, 0);
                   c.typeName = Column(s, 1);
                   MapDeclaredType(c.typeName.c_str(), &c);
                   c.nullable = sqlite3_column_int(s, 2) ? SQL_NO_NULLS : SQL_NULLABLE;
                   c.hasDefault = sqlite3_column_type(s, 3) != SQLITE_NULL;
                   c.defaultValue = Column(s, 3);
                   c.ordinal = sqlite3_column_int(s, 4) + 1;
                   out->push_back(c);
                 });
  }

  SQLRETURN PrimaryKey(const std::string &table, std::vector<std::string> *out, Diagnostics &diag) override {
    return Query("SELECT name FROM pragma_table_info(?1) WHERE pk > 0 ORDER BY pk", table, diag,
                 [&](sqlite3_stmt *s) { out->push_back(Column(s, 0)); });
  }

  SQLRETURN Indexes(const std::string &table, std::vector<IndexFact> *out, Diagnostics &diag) override {
    SQLRETURN rc = Query("SELECT name, \"unique\" FROM pragma_index_list(?1) ORDER BY name", table, diag,
                         [&](sqlite3_stmt *s) { out->push_back({Column(s, 0), sqlite3_column_int(s, 1) != 0, {}}); });
    for (IndexFact &index : *out) {
      if (rc == SQL_ERROR) break;
      rc = Query("SELECT name FROM pragma_index_info(?1) ORDER BY seqno", index.name, diag,
                 [&](sqlite3_stmt *s) { index.columns.push_back(Column(s, 0)); });
    }
    return rc;
  }

 private:
  SQLRETURN Exec(const char *sql, Diagnostics &diag) {
    int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? SQL_SUCCESS : PostSqliteError(diag, db_, rc);
  }

  static std::string Column(sqlite3_stmt *s, int i) {
    const unsigned char *text = sqlite3_column_text(s, i);
    return text ? std::string((const char *)text, (size_t)sqlite3_column_bytes(s, i)) : "";
  }

  /* Runs a catalog query with its one text argument, row by row. */
  template <typename Row>
  SQLRETURN Query(const char *sql, const std::string &argument, Diagnostics &diag, Row row) {
    sqlite3_stmt *s = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql, -1, &s, nullptr);
    if (rc != SQLITE_OK) return PostSqliteError(diag, db_, rc);
    if (sqlite3_bind_parameter_count(s) > 0)
      sqlite3_bind_text64(s, 1, argument.data(), argument.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) row(s);
    sqlite3_finalize(s);
    return rc == SQLITE_DONE ? SQL_SUCCESS : PostSqliteError(diag, db_, rc);
  }

  sqlite3 *db_;
  std::string path_;
#ifdef LUMETRA_TEST_HOOKS
  bool failCommit_ = false; /* LUMETRA_FAIL_COMMIT=1 in the environment */
#endif
};

static bool OneOf(const std::string &value, const char *const *list, size_t n) {
  for (size_t i = 0; i < n; i++)
    if (UpperCase(value.c_str()) == list[i]) return true;
  return false;
}

static std::string Quoted(const std::string &s) { return "\"" + s + "\""; }

/* SQLite counts every allocation under one process-wide lock unless told
 * not to before it starts. The count only serves sqlite3_memory_used() and
 * the heap limits, and a SQLite built without its lookaside allocator, as
 * Debian's is, allocates twice for every inserted row.
 * A program that started SQLite before us keeps its own setting. */
static void StartSqlite() {
  static std::once_flag once;
  std::call_once(once, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
}

std::unique_ptr<Backend> OpenSqliteBackend(const ConnectionKeys &settings, Diagnostics &diag) {
  std::string path = DatabasePath(settings.Get("Database"));
  if (path.empty()) path = DefaultDatabase();
  std::string journal = settings.Get("JournalMode", "WAL");
  std::string sync = settings.Get("Synchronous", "NORMAL");
  if (!OneOf(journal, kJournalModes, sizeof kJournalModes / sizeof *kJournalModes)) {
    PostError(diag, "HY024", 0, "Unknown JournalMode: " + journal);
    return nullptr;
  }
  if (!OneOf(sync, kSyncModes, sizeof kSyncModes / sizeof *kSyncModes)) {
    PostError(diag, "HY024", 0, "Unknown Synchronous: " + sync);
    return nullptr;
  }
  std::string reason = UnusableReason(path);
  if (!reason.empty()) {
    PostError(diag, "08001", 0, reason);
    return nullptr;
  }
  sqlite3 *db = nullptr;
  /* Every use of the connection, the idle commit timer's too, holds the
   * connection lock, so SQLite's own lock per call (two per bound value)
   * is left out. */
  StartSqlite();
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                           nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_busy_timeout(db, BUSY_TIMEOUT_MS);
    std::string pragmas = "PRAGMA journal_mode=" + journal + "; PRAGMA synchronous=" + sync + ";";
    rc = sqlite3_exec(db, pragmas.c_str(), nullptr, nullptr, nullptr);
  }
  if (rc == SQLITE_OK) return std::make_unique<SqliteBackend>(db, path);
  PostError(diag, "08001", rc, "Cannot open database " + Quoted(path) + ": " + sqlite3_errmsg(db));
  sqlite3_close_v2(db);
  return nullptr;
}
