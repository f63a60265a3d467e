/* pg_backend.cpp: the PostgreSQL backend, over libpq. It connects with the
 * data source's Server, Port, Database, UID, PWD and SSLMode, in UTF-8 and
 * ISO dates; prepares each statement once on the server and runs it per
 * execution with its parameters as text; keeps the server's SQLSTATE and
 * message; and reads the catalog from pg_catalog.
 *
 * A server aborts the whole transaction when one statement in it fails.
 * Inside an open transaction every command therefore runs within a
 * savepoint sent in the same round trip (libpq's pipeline mode) and, when
 * it fails, the transaction is rolled back to that savepoint: it keeps
 * every earlier statement and can still commit, as SQLite's does.
 *
 * A group-commit batch of a plain INSERT is streamed with COPY instead,
 * since an execution per row waits for a round trip each: the rows are
 * confirmed when the COPY ends, at the batch's commit or before anything
 * else runs. When the server refuses one, the rows before it are sent
 * again from the kept lines and stay in the batch, and the call that
 * ended the COPY reports the refusal and which row it was. */
#include <ctype.h>
#include <libpq-fe.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>

#include <charconv>
#include <functional>
#include <map>

#include "backend/backend.h"
#include "backend/postgres/pg_sql.h"

namespace {

/* Type OIDs of the built-in types, fixed by the server's catalog. */
enum : Oid {
  BOOL_OID = 16, BYTEA_OID = 17, NAME_OID = 19, INT8_OID = 20, INT2_OID = 21, INT4_OID = 23, TEXT_OID = 25,
  OID_OID = 26, FLOAT4_OID = 700, FLOAT8_OID = 701, BPCHAR_OID = 1042, VARCHAR_OID = 1043, DATE_OID = 1082,
  TIME_OID = 1083, TIMESTAMP_OID = 1114, TIMESTAMPTZ_OID = 1184, NUMERIC_OID = 1700, UUID_OID = 2950,
};

/* A numeric without a precision, described as psqlODBC does; the digits
 * of a second's fraction that timestamps keep, and the characters of one
 * without a fraction, "YYYY-MM-DD HH:MM:SS". */
enum { NUMERIC_DEFAULT_PRECISION = 28, NUMERIC_DEFAULT_SCALE = 6, MICROS_DIGITS = 6, TIMESTAMP_SECONDS_SIZE = 19 };

/* By TypeWordId. */
const char *const kTypeNames[TYPE_WORD_COUNT] = {"text", "text", "integer", "smallint", "timestamp"};

/* The server's own names, as the catalog gives them. */
const TypeFact kTypes[] = {
  {"text", SQL_VARCHAR, TEXT_COLUMN_SIZE, "'", "'", nullptr},
  {"varchar", SQL_VARCHAR, TEXT_COLUMN_SIZE, "'", "'", "max. length"},
  {"int4", SQL_INTEGER, 10, nullptr, nullptr, nullptr},
  {"int2", SQL_SMALLINT, 5, nullptr, nullptr, nullptr},
  {"int8", SQL_BIGINT, 19, nullptr, nullptr, nullptr},
  {"float8", SQL_DOUBLE, 15, nullptr, nullptr, nullptr},
  {"numeric", SQL_NUMERIC, 1000, nullptr, nullptr, "precision, scale"},
  {"date", SQL_TYPE_DATE, 10, "'", "'", nullptr},
  {"time", SQL_TYPE_TIME, 8, "'", "'", nullptr},
  {"timestamp", SQL_TYPE_TIMESTAMP, TIMESTAMP_MICROS_SIZE, "'", "'", nullptr},
  {"timestamptz", SQL_TYPE_TIMESTAMP, TIMESTAMP_MICROS_SIZE, "'", "'", nullptr},
  {"uuid", SQL_GUID, 36, "'", "'", nullptr},
  {"bytea", SQL_LONGVARBINARY, BLOB_COLUMN_SIZE, "'\\x", "'", nullptr},
};

/* How a column of a type is described and how its text is read. A
 * timestamptz comes in the session's time zone, which its offset names:
 * it is read as that zone's local time, as psqlODBC reads it. A uuid's
 * text is given in capitals, as psqlODBC and other drivers give GUIDs. */
enum Reading { READ_TEXT, READ_INTEGER, READ_REAL, READ_BOOL, READ_BYTEA, READ_TIMESTAMPTZ, READ_GUID };

struct PgType {
  Oid oid;
  const char *name; /* the server's own, pg_type.typname */
  SQLSMALLINT sqlType;
  SQLULEN size;
  SQLSMALLINT digits;
  Reading reading;
};

const PgType kPgTypes[] = {
  {INT2_OID, "int2", SQL_SMALLINT, 5, 0, READ_INTEGER},
  {INT4_OID, "int4", SQL_INTEGER, 10, 0, READ_INTEGER},
  {INT8_OID, "int8", SQL_BIGINT, 19, 0, READ_INTEGER},
  {OID_OID, "oid", SQL_BIGINT, 10, 0, READ_INTEGER},
  {BOOL_OID, "bool", SQL_SMALLINT, 5, 0, READ_BOOL},
  {FLOAT4_OID, "float4", SQL_DOUBLE, 15, 0, READ_REAL},
  {FLOAT8_OID, "float8", SQL_DOUBLE, 15, 0, READ_REAL},
  /* as text: the core reads every digit */
  {NUMERIC_OID, "numeric", SQL_NUMERIC, NUMERIC_DEFAULT_PRECISION, NUMERIC_DEFAULT_SCALE, READ_TEXT},
  {TEXT_OID, "text", SQL_VARCHAR, TEXT_COLUMN_SIZE, 0, READ_TEXT},
  {VARCHAR_OID, "varchar", SQL_VARCHAR, TEXT_COLUMN_SIZE, 0, READ_TEXT},
  {BPCHAR_OID, "bpchar", SQL_VARCHAR, TEXT_COLUMN_SIZE, 0, READ_TEXT},
  {NAME_OID, "name", SQL_VARCHAR, 63, 0, READ_TEXT},
  {DATE_OID, "date", SQL_TYPE_DATE, 10, 0, READ_TEXT},
  {TIME_OID, "time", SQL_TYPE_TIME, 8, 0, READ_TEXT},
  {TIMESTAMP_OID, "timestamp", SQL_TYPE_TIMESTAMP, TIMESTAMP_MICROS_SIZE, MICROS_DIGITS, READ_TEXT},
  {TIMESTAMPTZ_OID, "timestamptz", SQL_TYPE_TIMESTAMP, TIMESTAMP_MICROS_SIZE, MICROS_DIGITS, READ_TIMESTAMPTZ},
  {BYTEA_OID, "bytea", SQL_LONGVARBINARY, BLOB_COLUMN_SIZE, 0, READ_BYTEA},
  {UUID_OID, "uuid", SQL_GUID, 36, 0, READ_GUID},
};

const PgType kOtherType = {0, "", SQL_VARCHAR, TEXT_COLUMN_SIZE, 0, READ_TEXT};

const PgType &TypeOf(Oid oid) {
  for (const PgType &t : kPgTypes)
    if (t.oid == oid) return t;
  return kOtherType;
}

/* The type modifier's header, before a length or a precision. */
enum { TYPMOD_HEADER = 4 };

/* A column of type oid; a character type's length (typmod) is its size, a
 * numeric's precision and scale are its size and digits. */
void DescribeType(Oid oid, int typmod, ColumnInfo *c) {
  const PgType &t = TypeOf(oid);
  c->sqlType = t.sqlType;
  c->size = t.size;
  c->digits = t.digits;
  if ((oid == VARCHAR_OID || oid == BPCHAR_OID) && typmod > TYPMOD_HEADER) c->size = (SQLULEN)(typmod - TYPMOD_HEADER);
  if (oid == NUMERIC_OID && typmod >= TYPMOD_HEADER) {
    c->size = (SQLULEN)((typmod - TYPMOD_HEADER) >> 16 & 0xffff);
    c->digits = (SQLSMALLINT)((typmod - TYPMOD_HEADER) & 0xffff);
  }
  if ((oid == TIMESTAMP_OID || oid == TIMESTAMPTZ_OID) && typmod >= 0 && typmod < MICROS_DIGITS) {
    c->digits = (SQLSMALLINT)typmod; /* timestamp(p) */
    c->size = TIMESTAMP_SECONDS_SIZE + (typmod > 0 ? 1 + (SQLULEN)typmod : 0);
  }
}

/* The bytes of a timestamptz's text before its zone's offset
 * ("2026-12-08 17:45:30.5+01", "... -03:30", "... +05:45:00"). */
size_t WithoutZone(const char *text, size_t size) {
  for (size_t i = size; i > 10; i--)
    if (text[i - 1] == '+' || text[i - 1] == '-') return i - 1;
  return size;
}

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

Result Wrap(PGresult *r) { return Result(r, PQclear); }

bool Succeeded(const PGresult *r) {
  ExecStatusType s = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
  return s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK;
}

/* libpq's multi-line message on one line. */
std::string OneLine(const char *text) {
  std::string s;
  for (const char *p = text; *p; p++) {
    bool blank = *p == '\n' || *p == '\t' || *p == '\r';
    if (!blank) s += *p;
    else if (!s.empty() && s.back() != ' ') s += ' ';
  }
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

/* The server's SQLSTATE and message; 08S01 once the connection is gone.
 * where, when given, says first which rows the error is about. */
SQLRETURN PostPgError(Diagnostics &diag, PGconn *conn, const PGresult *r, const std::string &where = "") {
  std::string prefix = "PostgreSQL: " + (where.empty() ? "" : where + ": ");
  const char *state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
  /* libpq may report the closed socket before it marks the connection
   * bad: an error without SQLSTATE is then confirmed by reading on; a
   * server shutting down (class 57P) closes it too */
  bool lost = PQstatus(conn) == CONNECTION_BAD || (!state && !PQconsumeInput(conn)) ||
              (state && strncmp(state, "57P", 3) == 0);
  if (lost) {
    const char *primary = r ? PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    std::string why = primary ? primary : OneLine(PQerrorMessage(conn));
    return PostError(diag, "08S01", 0, prefix + "connection to the server lost: " + why);
  }
  const char *primary = r ? PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  const char *detail = r ? PQresultErrorField(r, PG_DIAG_MESSAGE_DETAIL) : nullptr;
  std::string message = primary ? primary : OneLine(PQerrorMessage(conn));
  if (detail) message += std::string(". ") + detail;
  return PostError(diag, state && strlen(state) == 5 ? state : "HY000", 0, prefix + message);
}

/* A parameter as the server takes it: text in the type's input form, or
 * the raw bytes of a bytea. */
struct WireParam {
  std::string text;
  bool null = false;
  bool binary = false;
};

const char kHex[] = "0123456789abcdef";

SQLRETURN ToWire(const Value &v, Oid type, int n, WireParam *out, Diagnostics &diag) {
  out->null = v.kind == VALUE_NULL;
  out->binary = false;
  out->text.clear();
  char number[32];
  switch (v.kind) {
    case VALUE_NULL: break;
    case VALUE_INTEGER: {
      auto end = std::to_chars(number, number + sizeof number, v.integer).ptr;
      out->text.assign(number, end);
      break;
    }
    case VALUE_REAL:
      if (isnan(v.real)) out->text = "NaN";
      else if (isinf(v.real)) out->text = v.real > 0 ? "Infinity" : "-Infinity";
      else out->text.assign(number, (size_t)snprintf(number, sizeof number, "%.17g", v.real));
      break;
    case VALUE_BLOB:
      if (type == BYTEA_OID) {
        out->binary = true;
        out->text.assign(v.data, v.size);
        break;
      }
      out->text = "\\x";
      for (size_t i = 0; i < v.size; i++) {
        out->text += kHex[(unsigned char)v.data[i] >> 4];
        out->text += kHex[(unsigned char)v.data[i] & 15];
      }
      break;
    default:
      if (memchr(v.data, 0, v.size))
        return PostError(diag, "22021", 0,
                         "Character not in repertoire: a NUL byte, which PostgreSQL text cannot hold (parameter " +
                             std::to_string(n) + ")");
      out->text.assign(v.data, v.size);
      break;
  }
  return SQL_SUCCESS;
}

/* COPY text is sent in pieces of this size, and a batch's kept lines
 * are confirmed (and a new savepoint set) once they grow to the other. */
enum { COPY_SEND_BYTES = 1 << 16, COPY_KEEP_BYTES = 8 << 20 };

/* The line number in COPY's error context, "COPY t, line 5, column a: ...";
 * 0 when there is none. */
size_t RefusedLine(const PGresult *r) {
  const char *context = PQresultErrorField(r, PG_DIAG_CONTEXT);
  const char *at = context ? strstr(context, ", line ") : nullptr;
  return at ? strtoul(at + 7, nullptr, 10) : 0;
}

/* The rows a COPY carries: its lines since the savepoint before it. */
struct CopyStream {
  bool open = false;
  const void *owner = nullptr; /* the statement whose rows these are */
  std::string command;         /* COPY ... FROM STDIN */
  std::string lines;
  std::vector<size_t> ends; /* where each line ends */
  size_t sent = 0;
  long firstRow = 0; /* the statement's execution that gave the first line */
  void Clear() {
    lines.clear();
    ends.clear();
    sent = 0;
  }
};

/* The connection and the commands run on it. */
class PgConnection {
 public:
  /* The server's notices (RAISE NOTICE, WARNING ...) are kept until the
   * call they came with reports them. */
  explicit PgConnection(PGconn *conn) : conn_(conn) { PQsetNoticeReceiver(conn_, KeepNotice, this); }
  ~PgConnection() { PQfinish(conn_); }
  PGconn *conn() { return conn_; }

  /* Has the application's or the core's BEGIN left a transaction open? */
  bool InTransaction() {
    PGTransactionStatusType s = PQtransactionStatus(conn_);
    return copy_.open || s == PQTRANS_INTRANS || s == PQTRANS_INERROR || (s == PQTRANS_UNKNOWN && begun_);
  }
  void SetBegun(bool begun) { begun_ = begun; }
  bool Batching() const { return batching_; }
  void SetBatching(bool batching) { batching_ = batching; }
  bool Copying() const { return copy_.open; }

  /* Streams one row of owner, a line of COPY text, in the open batch. */
  SQLRETURN StreamRow(const void *owner, long row, const std::string &command, const std::string &line,
                      Diagnostics &diag) {
    if (copy_.open && copy_.owner != owner && FinishCopy(diag) == SQL_ERROR) return SQL_ERROR;
    if (!copy_.open && StartCopy(owner, command, diag) == SQL_ERROR) return SQL_ERROR;
    if (copy_.ends.empty()) copy_.firstRow = row;
    copy_.lines += line;
    copy_.lines += '\n';
    copy_.ends.push_back(copy_.lines.size());
    if (copy_.lines.size() - copy_.sent >= COPY_SEND_BYTES && SendCopyLines(diag) == SQL_ERROR) return SQL_ERROR;
    return copy_.lines.size() >= COPY_KEEP_BYTES ? FinishCopy(diag) : SQL_SUCCESS;
  }

  /* Ends a running COPY: its rows are confirmed, or the ones before a
   * refused row are kept and the refusal is reported. */
  SQLRETURN FinishCopy(Diagnostics &diag) {
    if (!copy_.open) return SQL_SUCCESS;
    copy_.open = false;
    if (SendCopyLines(diag) == SQL_ERROR) return SQL_ERROR;
    Result r = EndCopyData(nullptr);
    if (!Succeeded(r.get())) return RecoverCopy(r.get(), diag);
    copy_.Clear();
    return SQL_SUCCESS;
  }

  /* Abandons a running COPY, for a rollback. */
  void AbortCopy() {
    if (!copy_.open) return;
    copy_.open = false;
    copy_.Clear();
    EndCopyData("rolled back");
  }

  /* Runs the commands that send queues (each gives one result) in one
   * round trip and hands back their results. Inside an open transaction
   * they run within a savepoint, released when they succeed and rolled
   * back to when one fails; guard is false for a statement that begins or
   * ends the transaction itself. */
  SQLRETURN Run(int commands, const std::function<bool()> &send, std::vector<Result> *results, Diagnostics &diag,
                bool guard = true) {
    if (FinishCopy(diag) == SQL_ERROR) return SQL_ERROR;
    bool wrapped = guard && PQtransactionStatus(conn_) == PQTRANS_INTRANS;
    results->clear();
    if (!PQenterPipelineMode(conn_)) return PostPgError(diag, conn_, nullptr);
    bool sent = (!wrapped || PQsendQueryParams(conn_, "SAVEPOINT lumetra_row", 0, nullptr, nullptr, nullptr, nullptr, 0)) &&
                send() && (!wrapped || PQsendQueryParams(conn_, "RELEASE SAVEPOINT lumetra_row", 0, nullptr, nullptr, nullptr, nullptr, 0)) &&
                PQpipelineSync(conn_);
    int expected = commands + (wrapped ? 2 : 0);
    std::vector<Result> all;
    for (int i = 0; sent && i < expected; i++) {
      Result r = Wrap(PQgetResult(conn_));
      if (!r) break;
      EndCopy(r.get());
      while (PGresult *more = PQgetResult(conn_)) PQclear(more);
      all.push_back(std::move(r));
    }
    if (sent && (int)all.size() == expected) {
      Result sync = Wrap(PQgetResult(conn_));
      sent = sync && PQresultStatus(sync.get()) == PGRES_PIPELINE_SYNC;
    }
    PQexitPipelineMode(conn_);
    if (!sent || (int)all.size() != expected) return PostPgError(diag, conn_, all.empty() ? nullptr : all.back().get());
    size_t first = wrapped ? 1 : 0;
    for (size_t i = 0; i < all.size(); i++) {
      if (Succeeded(all[i].get())) continue;
      /* The savepoint itself or the command failed; what followed was skipped. */
      const PGresult *failed = all[i].get();
      if (PQresultStatus(failed) == PGRES_PIPELINE_ABORTED) failed = all[i > 0 ? i - 1 : 0].get();
      SQLRETURN rc = PostPgError(diag, conn_, failed);
      if (wrapped && i > 0 && PQstatus(conn_) == CONNECTION_OK) {
        Result back = Wrap(PQexec(conn_, "ROLLBACK TO SAVEPOINT lumetra_row; RELEASE SAVEPOINT lumetra_row"));
        if (!Succeeded(back.get())) PostPgError(diag, conn_, back.get());
      }
      return WithNotices(rc, diag);
    }
    for (size_t i = first; i < first + (size_t)commands; i++) results->push_back(std::move(all[i]));
    return WithNotices(SQL_SUCCESS, diag);
  }

  /* The notices kept since the last call, as its warnings: each under its
   * own SQLSTATE when that is a warning's (class 01), else 01000. */
  SQLRETURN WithNotices(SQLRETURN rc, Diagnostics &diag) {
    if (notices_.empty()) return rc;
    for (const DiagRecord &n : notices_) PostInfo(diag, n.state.c_str(), n.message);
    notices_.clear();
    return rc == SQL_SUCCESS ? SQL_SUCCESS_WITH_INFO : rc;
  }

  /* The answer to a catalog question with one parameter, asked on the
   * side: its failure is nobody's diagnostic. Null when it failed. */
  Result Ask(const char *sql, const std::string &param) {
    const char *values[1] = {param.c_str()};
    Diagnostics ignored;
    std::vector<Result> results;
    if (Run(1, [&] { return PQsendQueryParams(conn_, sql, 1, nullptr, values, nullptr, nullptr, 0) == 1; },
            &results, ignored) == SQL_ERROR)
      return Wrap(nullptr);
    return std::move(results[0]);
  }

  /* Whether column number `column` of the table with the oid is declared
   * NOT NULL. A table's columns are asked for once per connection. */
  bool NotNull(Oid table, int column) {
    auto found = notNull_.find(table);
    if (found == notNull_.end()) {
      Result r = Ask("SELECT attnum, attnotnull FROM pg_catalog.pg_attribute "
                     "WHERE attrelid = $1 AND attnum > 0 ORDER BY attnum",
                     std::to_string(table));
      if (!r) return false;
      std::vector<bool> columns;
      for (int i = 0; i < PQntuples(r.get()); i++) {
        size_t n = (size_t)atoi(PQgetvalue(r.get(), i, 0));
        if (columns.size() <= n) columns.resize(n + 1);
        columns[n] = PQgetvalue(r.get(), i, 1)[0] == 't';
      }
      found = notNull_.emplace(table, std::move(columns)).first;
    }
    return column > 0 && (size_t)column < found->second.size() && found->second[(size_t)column];
  }

  /* The server's name of a type the driver has no entry for (json,
   * inet ...), asked once per connection; "" when it cannot be had. */
  const std::string &TypeName(Oid type) {
    auto found = typeNames_.find(type);
    if (found != typeNames_.end()) return found->second;
    static const std::string kUnknown;
    Result r = Ask("SELECT typname FROM pg_catalog.pg_type WHERE oid = $1", std::to_string(type));
    if (!r) return kUnknown; /* asked again next time */
    std::string name = PQntuples(r.get()) == 1 ? PQgetvalue(r.get(), 0, 0) : "";
    return typeNames_.emplace(type, name).first->second;
  }

  /* One command without parameters, outside any savepoint. */
  SQLRETURN Command(const char *sql, Diagnostics &diag, Result *out = nullptr) {
    std::vector<Result> results;
    SQLRETURN rc = Run(1, [&] { return PQsendQueryParams(conn_, sql, 0, nullptr, nullptr, nullptr, nullptr, 0) == 1; },
                       &results, diag, false);
    if (rc != SQL_ERROR && out) *out = std::move(results[0]);
    return rc;
  }

 private:
  SQLRETURN StartCopy(const void *owner, const std::string &command, Diagnostics &diag) {
    Result mark = Wrap(PQexec(conn_, "SAVEPOINT lumetra_copy"));
    if (!Succeeded(mark.get())) return PostPgError(diag, conn_, mark.get());
    Result r = Wrap(PQexec(conn_, command.c_str()));
    if (PQresultStatus(r.get()) != PGRES_COPY_IN) {
      SQLRETURN rc = PostPgError(diag, conn_, r.get());
      PQclear(PQexec(conn_, "ROLLBACK TO SAVEPOINT lumetra_copy"));
      return rc;
    }
    copy_.Clear();
    copy_.open = true;
    copy_.owner = owner;
    copy_.command = command;
    return SQL_SUCCESS;
  }

  SQLRETURN SendCopyLines(Diagnostics &diag) {
    const char *from = copy_.lines.data() + copy_.sent;
    size_t size = copy_.lines.size() - copy_.sent;
    copy_.sent = copy_.lines.size();
    if (size == 0 || PQputCopyData(conn_, from, (int)size) == 1) return SQL_SUCCESS;
    copy_.open = false;
    return PostPgError(diag, conn_, nullptr);
  }

  /* Ends the COPY data (with an error, to abandon it) and takes its result. */
  Result EndCopyData(const char *error) {
    PQputCopyEnd(conn_, error);
    Result r = Wrap(PQgetResult(conn_));
    while (PGresult *more = PQgetResult(conn_)) PQclear(more);
    return r;
  }

  /* After COPY refused a row: back to the savepoint before it, the rows
   * before the refused one sent again, and the refusal reported. */
  SQLRETURN RecoverCopy(const PGresult *failed, Diagnostics &diag) {
    size_t line = RefusedLine(failed), rows = copy_.ends.size();
    bool known = line >= 1 && line <= rows;
    size_t keep = known && line > 1 ? copy_.ends[line - 2] : 0;
    bool back = PQstatus(conn_) == CONNECTION_OK && Succeeded(Wrap(PQexec(conn_, "ROLLBACK TO SAVEPOINT lumetra_copy")).get());
    bool kept = back && known;
    if (kept && keep > 0) {
      Result r = Wrap(PQexec(conn_, copy_.command.c_str()));
      kept = PQresultStatus(r.get()) == PGRES_COPY_IN && PQputCopyData(conn_, copy_.lines.data(), (int)keep) == 1 &&
             Succeeded(EndCopyData(nullptr).get());
    }
    long first = copy_.firstRow, last = first + (long)rows - 1, refused = first + (long)line - 1;
    std::string where = kept ? "row " + std::to_string(refused) + (refused < last ? " and the rows after it" : "")
                             : "rows " + std::to_string(first) + " to " + std::to_string(last);
    copy_.Clear();
    return PostPgError(diag, conn_, failed, where + " not stored");
  }

  /* A COPY the driver cannot feed: ended at once, so the pipeline goes on. */
  void EndCopy(const PGresult *r) {
    if (PQresultStatus(r) == PGRES_COPY_IN) PQputCopyEnd(conn_, "COPY FROM STDIN is not supported by this driver");
    if (PQresultStatus(r) == PGRES_COPY_OUT) {
      char *row;
      while (PQgetCopyData(conn_, &row, 0) > 0) PQfreemem(row);
    }
  }

  static void KeepNotice(void *self, const PGresult *r) {
    const char *state = PQresultErrorField(r, PG_DIAG_SQLSTATE);
    const char *severity = PQresultErrorField(r, PG_DIAG_SEVERITY);
    const char *primary = PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY);
    DiagRecord n;
    n.state = state && strncmp(state, "01", 2) == 0 && strlen(state) == 5 ? state : "01000";
    n.message = std::string("PostgreSQL: ") + (severity ? severity : "NOTICE") + ": " +
                (primary ? primary : OneLine(PQresultErrorMessage(r)).c_str());
    static_cast<PgConnection *>(self)->notices_.push_back(n);
  }

  PGconn *conn_;
  std::vector<DiagRecord> notices_; /* since the last call that reported them */
  bool begun_ = false;    /* the core's Begin, until its Commit or Rollback */
  bool batching_ = false; /* the transaction is a group-commit batch */
  CopyStream copy_;
  std::map<Oid, std::vector<bool>> notNull_; /* by table: NOT NULL by column number */
  std::map<Oid, std::string> typeNames_;     /* of the types kPgTypes does not list */
};

/* How a plain insert's rows go into a COPY; empty for other statements. */
struct CopyPlan {
  std::string command; /* COPY table [(columns)] FROM STDIN */
  std::string table;
  bool allColumns = false; /* no column list: COPY needs every column */

  static CopyPlan Of(const std::string &sql) {
    CopyPlan plan;
    std::string columns;
    int markers = 0;
    if (!CopyTarget(sql, &plan.table, &columns, &markers)) return plan;
    plan.command = "COPY " + plan.table + (columns.empty() ? "" : " ") + columns + " FROM STDIN";
    plan.allColumns = columns.empty();
    return plan;
  }
};

class PgPrepared : public Prepared {
 public:
  PgPrepared(PgConnection &c, std::string name, Result described, bool guard, CopyPlan copy)
      : c_(c), name_(std::move(name)), described_(std::move(described)), guard_(guard), copy_(std::move(copy)) {}

  ~PgPrepared() override {
    /* A failed transaction refuses even this, and a running COPY takes
     * nothing else; the name then lasts until the connection ends. */
    if (c_.Copying() || PQtransactionStatus(c_.conn()) == PQTRANS_INERROR || PQstatus(c_.conn()) != CONNECTION_OK) return;
    std::string sql = "DEALLOCATE " + name_;
    PQclear(PQexec(c_.conn(), sql.c_str()));
  }

  int ParamCount() override { return PQnparams(described_.get()); }
  int ColumnCount() override { return PQnfields(Description()); }
  bool HasResultSet() override {
    return result_ ? PQresultStatus(result_.get()) == PGRES_TUPLES_OK : PQnfields(described_.get()) > 0;
  }
  SQLLEN RowCount() override {
    if (streamed_) return 1;
    if (!result_) return -1;
    /* a query's rows, as psqlODBC counts them: all are here already */
    if (PQresultStatus(result_.get()) == PGRES_TUPLES_OK) return PQntuples(result_.get());
    /* A command without a count has none (-1), except that a CREATE
     * counts 0 rows, as psqlODBC says and clients that know it expect. */
    const char *tuples = PQcmdTuples(result_.get());
    if (*tuples) return (SQLLEN)atoll(tuples);
    return strncmp(PQcmdStatus(result_.get()), "CREATE", 6) == 0 ? 0 : -1;
  }

  SQLRETURN Execute(const Value *params, int count, Diagnostics &diag) override {
    Close();
    executions_++;
    if (c_.Batching() && CanCopy()) return Stream(params, count, diag);
    wire_.resize((size_t)count);
    values_.resize((size_t)count);
    lengths_.resize((size_t)count);
    formats_.resize((size_t)count);
    for (int i = 0; i < count; i++) {
      WireParam &w = wire_[(size_t)i];
      if (ToWire(params[i], PQparamtype(described_.get(), i), i + 1, &w, diag) == SQL_ERROR) return SQL_ERROR;
      values_[(size_t)i] = w.null ? nullptr : w.text.c_str();
      lengths_[(size_t)i] = (int)w.text.size();
      formats_[(size_t)i] = w.binary ? 1 : 0;
    }
    std::vector<Result> results;
    SQLRETURN rc = c_.Run(1, [&] {
      return PQsendQueryPrepared(c_.conn(), name_.c_str(), count, values_.data(), lengths_.data(), formats_.data(), 0) == 1;
    }, &results, diag, guard_);
    if (rc == SQL_ERROR) return rc;
    result_ = std::move(results[0]);
    return rc;
  }

  SQLRETURN Next(Diagnostics &) override {
    if (!result_ || row_ + 1 >= PQntuples(result_.get())) {
      row_ = result_ ? PQntuples(result_.get()) : -1;
      return SQL_NO_DATA;
    }
    row_++;
    return SQL_SUCCESS;
  }

  Value Get(int i) override {
    Value v;
    PGresult *r = result_.get();
    if (!r || row_ < 0 || row_ >= PQntuples(r) || PQgetisnull(r, row_, i)) return v;
    const char *text = PQgetvalue(r, row_, i);
    size_t size = (size_t)PQgetlength(r, row_, i);
    switch (TypeOf(PQftype(r, i)).reading) {
      case READ_INTEGER: v.kind = VALUE_INTEGER, v.integer = strtoll(text, nullptr, 10); break;
      case READ_REAL: v.kind = VALUE_REAL, v.real = strtod(text, nullptr); break;
      case READ_BOOL: v.kind = VALUE_INTEGER, v.integer = text[0] == 't'; break;
      case READ_BYTEA: {
        std::string &bytes = Decoded(i);
        DecodeHex(text, size, &bytes);
        v.kind = VALUE_BLOB, v.data = bytes.data(), v.size = bytes.size();
        break;
      }
      case READ_TIMESTAMPTZ: v.kind = VALUE_TIMESTAMP, v.data = text, v.size = WithoutZone(text, size); break;
      case READ_GUID: {
        std::string &upper = Decoded(i);
        upper.assign(text, size);
        for (char &c : upper) c = (char)toupper((unsigned char)c);
        v.kind = VALUE_TEXT, v.data = upper.data(), v.size = upper.size();
        break;
      }
      default: v.kind = VALUE_TEXT, v.data = text, v.size = size; break;
    }
    return v;
  }

  ColumnInfo Column(int i) override {
    const PGresult *r = Description();
    ColumnInfo c;
    c.name = PQfname(r, i);
    const PgType &type = TypeOf(PQftype(r, i));
    c.typeName = type.oid == PQftype(r, i) ? type.name : c_.TypeName(PQftype(r, i));
    /* an expression's value may be NULL, as psqlODBC says too */
    Oid table = PQftable(r, i);
    c.nullable = table != InvalidOid && c_.NotNull(table, PQftablecol(r, i)) ? SQL_NO_NULLS : SQL_NULLABLE;
    DescribeType(PQftype(r, i), PQfmod(r, i), &c);
    return c;
  }

  void Close() override {
    result_.reset();
    row_ = -1;
    streamed_ = false;
  }

 private:
  /* Is the statement a plain insert into a table that COPY fills as the
   * insert would: no rules, and every column given? Asked once. */
  bool CanCopy() {
    if (copy_.command.empty() || copyable_ != UNKNOWN) return copyable_ == YES;
    static const char kAsk[] =
        "SELECT c.relkind IN ('r', 'p') AND NOT c.relhasrules, count(a.attnum), "
        "coalesce(bool_or(a.attgenerated <> ''), false) FROM pg_catalog.pg_class c "
        "LEFT JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
        "WHERE c.oid = pg_catalog.to_regclass($1) GROUP BY c.oid";
    copyable_ = NO;
    Result answer = c_.Ask(kAsk, copy_.table);
    if (!answer || PQntuples(answer.get()) != 1) return false;
    PGresult *r = answer.get();
    bool plain = PQgetvalue(r, 0, 0)[0] == 't';
    bool everyColumn = atoi(PQgetvalue(r, 0, 1)) == ParamCount() && PQgetvalue(r, 0, 2)[0] == 'f';
    if (plain && (!copy_.allColumns || everyColumn)) copyable_ = YES;
    return copyable_ == YES;
  }

  /* One execution as a line of the batch's COPY. */
  SQLRETURN Stream(const Value *params, int count, Diagnostics &diag) {
    line_.clear();
    WireParam &w = scratch_;
    for (int i = 0; i < count; i++) {
      if (i > 0) line_ += '\t';
      if (ToWire(params[i], PQparamtype(described_.get(), i), i + 1, &w, diag) == SQL_ERROR) return SQL_ERROR;
      if (w.null) {
        line_ += "\\N";
      } else if (w.binary) {
        line_ += "\\\\x"; /* bytea's hex input, its backslash escaped */
        for (unsigned char b : w.text) line_ += {kHex[b >> 4], kHex[b & 15]};
      } else {
        AppendCopyText(&line_, w.text.data(), w.text.size());
      }
    }
    if (c_.StreamRow(this, executions_, copy_.command, line_, diag) == SQL_ERROR) return SQL_ERROR;
    streamed_ = true;
    return SQL_SUCCESS;
  }

  /* Where column i's value is kept when it is not the server's text. */
  std::string &Decoded(int i) {
    if (decoded_.size() <= (size_t)i) decoded_.resize((size_t)i + 1);
    return decoded_[(size_t)i];
  }

  const PGresult *Description() { return result_ && PQnfields(result_.get()) > 0 ? result_.get() : described_.get(); }

  /* bytea's hex output form, \x0a1b... */
  static void DecodeHex(const char *text, size_t size, std::string *out) {
    out->clear();
    auto digit = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    for (size_t i = 2; i + 1 < size; i += 2) out->push_back((char)(digit(text[i]) << 4 | digit(text[i + 1])));
  }

  PgConnection &c_;
  std::string name_;
  Result described_;
  bool guard_;
  CopyPlan copy_;
  enum { UNKNOWN, YES, NO } copyable_ = UNKNOWN;
  bool streamed_ = false;
  long executions_ = 0; /* since the statement was prepared */
  std::string line_;
  WireParam scratch_;
  Result result_{nullptr, PQclear};
  int row_ = -1;
  std::vector<WireParam> wire_;
  std::vector<const char *> values_;
  std::vector<int> lengths_, formats_;
  std::vector<std::string> decoded_;
};

class PgBackend : public Backend {
 public:
  explicit PgBackend(PGconn *conn) : c_(conn), cancel_(PQgetCancel(conn)) {}
  ~PgBackend() override { PQfreeCancel(cancel_); }

  /* From the watch thread: the server is asked to cancel what it runs
   * (libpq's request is safe from any thread); one that does not answer,
   * as a stopped or unreachable server, loses its socket, which ends the
   * wait of the call under way as a lost connection. */
  bool CanInterrupt() override { return cancel_ != nullptr; }
  void Interrupt(bool giveUp) override {
    char error[256];
    if (!giveUp) PQcancel(cancel_, error, sizeof error);
    else if (PQsocket(c_.conn()) >= 0) shutdown(PQsocket(c_.conn()), SHUT_RDWR);
  }

  const char *DbmsName() override { return "PostgreSQL"; }
  std::string DbmsVersion() override {
    const char *v = PQparameterStatus(c_.conn(), "server_version");
    return v ? v : "";
  }
  std::string DatabaseName() override { return PQdb(c_.conn()); }
  const char *const *TypeNames() override { return kTypeNames; }
  int FractionDigits() override { return 6; } /* PostgreSQL keeps microseconds */
  /* host:port, or the socket's path as libpq names it */
  std::string ServerName() override {
    std::string host = PQhost(c_.conn()), port = PQport(c_.conn());
    return host.empty() || host[0] != '/' ? host + ":" + port : host + "/.s.PGSQL." + port;
  }
  const TypeFact *Types(size_t *count) override {
    *count = sizeof kTypes / sizeof *kTypes;
    return kTypes;
  }

  SQLRETURN Prepare(const std::string &sql, std::unique_ptr<Prepared> *out, Diagnostics &diag) override {
    /* Sent, it would break the protocol or the open transaction. */
    if (IsClientCopy(sql))
      return PostError(diag, "0A000", 0, "PostgreSQL: COPY FROM STDIN and COPY TO STDOUT are not supported by "
                                         "this driver; nothing was sent (use INSERT and SELECT)");
    int markers = 0;
    std::string text = NumberMarkers(sql, &markers);
    std::string name = "lumetra_" + std::to_string(++statements_);
    bool guard = !IsTransactionControl(sql);
    std::vector<Result> results;
    SQLRETURN rc = c_.Run(2, [&] {
      return PQsendPrepare(c_.conn(), name.c_str(), text.c_str(), 0, nullptr) == 1 &&
             PQsendDescribePrepared(c_.conn(), name.c_str()) == 1;
    }, &results, diag);
    if (rc == SQL_ERROR) return rc;
    out->reset(new PgPrepared(c_, name, std::move(results[1]), guard, CopyPlan::Of(sql)));
    return rc;
  }

  SQLRETURN Begin(Diagnostics &diag) override {
    SQLRETURN rc = c_.Command("BEGIN", diag);
    if (rc != SQL_ERROR) c_.SetBegun(true);
    return rc;
  }
  SQLRETURN BeginBatch(Diagnostics &diag) override {
    SQLRETURN rc = Begin(diag);
    c_.SetBatching(rc != SQL_ERROR);
    return rc;
  }
  /* A refused streamed row is reported after the rows before it commit. */
  SQLRETURN Commit(Diagnostics &diag) override {
    SQLRETURN streamed = c_.FinishCopy(diag);
    c_.SetBegun(false);
    c_.SetBatching(false);
    Result r{nullptr, PQclear};
    SQLRETURN rc = c_.Command("COMMIT", diag, &r);
    /* COMMIT of a failed transaction rolls it back and says so. */
    if (rc != SQL_ERROR && strcmp(PQcmdStatus(r.get()), "ROLLBACK") == 0)
      return PostError(diag, "40000", 0, "PostgreSQL: the transaction had failed and was rolled back");
    return streamed == SQL_ERROR ? SQL_ERROR : rc;
  }
  SQLRETURN Rollback(Diagnostics &diag) override {
    c_.AbortCopy();
    c_.SetBegun(false);
    c_.SetBatching(false);
    return c_.Command("ROLLBACK", diag);
  }
  bool InTransaction() override { return c_.InTransaction(); }

  SQLRETURN Tables(std::vector<TableFact> *out, Diagnostics &diag) override {
    return Query("SELECT c.relname, CASE WHEN c.relkind IN ('v', 'm') THEN 'VIEW' ELSE 'TABLE' END "
                 "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                 "WHERE c.relkind IN ('r', 'p', 'v', 'm', 'f') AND pg_catalog.pg_table_is_visible(c.oid) "
                 "AND n.nspname NOT IN ('pg_catalog', 'information_schema') ORDER BY c.relname",
                 nullptr, diag, [&](PGresult *r, int i) { out->push_back({PQgetvalue(r, i, 0), PQgetvalue(r, i, 1)}); });
  }

  SQLRETURN Columns(const std::string &table, std::vector<ColumnInfo> *out, Diagnostics &diag) override {
    return Query("SELECT a.attname, (SELECT t.typname FROM pg_catalog.pg_type t WHERE t.oid = a.atttypid), a.attnotnull, "
                 "pg_catalog.pg_get_expr(d.adbin, d.adrelid), a.attnum, a.atttypid, a.atttypmod "
                 "FROM pg_catalog.pg_attribute a LEFT JOIN pg_catalog.pg_attrdef d "
                 "ON d.adrelid = a.attrelid AND d.adnum = a.attnum "
                 "WHERE a.attrelid = pg_catalog.to_regclass(pg_catalog.quote_ident($1)) AND a.attnum > 0 "
                 "AND NOT a.attisdropped ORDER BY a.attnum",
                 &table, diag, [&](PGresult *r, int i) {
                   ColumnInfo c;
                   c.table = table;
                   c.name = PQgetvalue(r, i, 0);
                   c.typeName = PQgetvalue(r, i, 1);
                   DescribeType((Oid)strtoul(PQgetvalue(r, i, 5), nullptr, 10), atoi(PQgetvalue(r, i, 6)), &c);
                   c.nullable = PQgetvalue(r, i, 2)[0] == 't' ? SQL_NO_NULLS : SQL_NULLABLE;
                   c.hasDefault = !PQgetisnull(r, i, 3);
                   c.defaultValue = PQgetvalue(r, i, 3);
                   c.ordinal = atoi(PQgetvalue(r, i, 4));
                   out->push_back(c);
                 });
  }

  SQLRETURN PrimaryKey(const std::string &table, std::vector<std::string> *out, Diagnostics &diag) override {
    return Query("SELECT a.attname FROM pg_catalog.pg_index i, "
                 "unnest(i.indkey::pg_catalog.int2[]) WITH ORDINALITY k(attnum, n) "
                 "JOIN pg_catalog.pg_attribute a ON a.attnum = k.attnum "
                 "WHERE i.indrelid = pg_catalog.to_regclass(pg_catalog.quote_ident($1)) AND i.indisprimary "
                 "AND a.attrelid = i.indrelid ORDER BY k.n",
                 &table, diag, [&](PGresult *r, int i) { out->push_back(PQgetvalue(r, i, 0)); });
  }

  SQLRETURN Indexes(const std::string &table, std::vector<IndexFact> *out, Diagnostics &diag) override {
    return Query("SELECT ic.relname, i.indisunique, a.attname FROM pg_catalog.pg_index i "
                 "JOIN pg_catalog.pg_class ic ON ic.oid = i.indexrelid, "
                 "unnest(i.indkey::pg_catalog.int2[]) WITH ORDINALITY k(attnum, n) "
                 "JOIN pg_catalog.pg_attribute a ON a.attnum = k.attnum "
                 "WHERE i.indrelid = pg_catalog.to_regclass(pg_catalog.quote_ident($1)) "
                 "AND a.attrelid = i.indrelid ORDER BY ic.relname, k.n",
                 &table, diag, [&](PGresult *r, int i) {
                   std::string name = PQgetvalue(r, i, 0);
                   if (out->empty() || out->back().name != name)
                     out->push_back({name, PQgetvalue(r, i, 1)[0] == 't', {}});
                   out->back().columns.push_back(PQgetvalue(r, i, 2));
                 });
  }

 private:
  /* Runs a catalog query with at most one text argument, row by row. */
  SQLRETURN Query(const char *sql, const std::string *argument, Diagnostics &diag,
                  const std::function<void(PGresult *, int)> &row) {
    const char *values[1] = {argument ? argument->c_str() : nullptr};
    std::vector<Result> results;
    SQLRETURN rc = c_.Run(1, [&] {
      return PQsendQueryParams(c_.conn(), sql, argument ? 1 : 0, nullptr, values, nullptr, nullptr, 0) == 1;
    }, &results, diag);
    if (rc == SQL_ERROR) return rc;
    for (int i = 0; i < PQntuples(results[0].get()); i++) row(results[0].get(), i);
    return rc;
  }

  PgConnection c_;
  PGcancel *cancel_;
  long statements_ = 0;
};

/* The session settings the backend reads and writes values in. */
const char kSessionOptions[] =
    "-c DateStyle=ISO,YMD -c IntervalStyle=postgres -c bytea_output=hex -c extra_float_digits=3 "
    "-c standard_conforming_strings=on";

}  // namespace

std::unique_ptr<Backend> OpenPostgresBackend(const ConnectionKeys &settings, Diagnostics &diag) {
  struct Key {
    const char *odbc, *libpq;
  };
  static const Key kKeys[] = {{"Server", "host"}, {"Port", "port"},    {"Database", "dbname"},
                              {"UID", "user"},     {"PWD", "password"}, {"SSLMode", "sslmode"}};
  std::vector<std::string> values;
  std::vector<const char *> keys;
  for (const Key &k : kKeys) {
    std::string v = settings.Get(k.odbc);
    if (v.empty()) continue;
    keys.push_back(k.libpq);
    values.push_back(v);
  }
  /* A peer that is gone (a network that fails, a host that is off) is
   * noticed within about a minute: by TCP keepalives when the connection
   * is idle, by the time limit on data the peer has not acknowledged when
   * it is not. The DSN may change each limit. */
  static const Key kNetworkKeys[] = {{"ConnectTimeout", "connect_timeout"},
                                     {"KeepaliveIdle", "keepalives_idle"},
                                     {"KeepaliveInterval", "keepalives_interval"},
                                     {"KeepaliveCount", "keepalives_count"},
                                     {"TcpUserTimeout", "tcp_user_timeout"}};
  static const char *const kNetworkDefaults[] = {"15", "20", "10", "4", "60000"};
  for (size_t i = 0; i < sizeof kNetworkKeys / sizeof *kNetworkKeys; i++) {
    keys.push_back(kNetworkKeys[i].libpq);
    values.push_back(settings.Get(kNetworkKeys[i].odbc, kNetworkDefaults[i]));
  }
  keys.insert(keys.end(), {"client_encoding", "application_name", "options", "keepalives"});
  values.insert(values.end(), {"UTF8", "Lumetra Data Source", kSessionOptions, "1"});
  std::vector<const char *> vals;
  for (const std::string &v : values) vals.push_back(v.c_str());
  keys.push_back(nullptr);
  vals.push_back(nullptr);
  PGconn *conn = PQconnectdbParams(keys.data(), vals.data(), 0);
  if (conn && PQstatus(conn) == CONNECTION_OK) {
    return std::make_unique<PgBackend>(conn);
  }
  PostError(diag, "08001", 0, "PostgreSQL: " + OneLine(conn ? PQerrorMessage(conn) : "out of memory"));
  PQfinish(conn);
  return nullptr;
}
