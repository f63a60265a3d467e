/* handles.h: the driver's handles (environment, connection, statement),
 * their diagnostics, and what the core's files share. Every ODBC entry
 * point checks its handle, clears the handle's diagnostics, calls the
 * core and records the result it returns. */
#ifndef LUMETRA_DS_HANDLES_H
#define LUMETRA_DS_HANDLES_H

#include <sql.h>
#include <sqlext.h>
#include <time.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "backend.h"
#include "charset.h"
#include "settings.h"

/* An ODBC entry point of the driver. Windows exports it from the DLL (the
 * link strips the stdcall decoration); Linux leaves it visible. */
#ifdef _WIN32
#define DS_EXPORT extern "C" __declspec(dllexport)
#else
#define DS_EXPORT extern "C" __attribute__((visibility("default")))
#endif

struct DiagRecord {
  std::string state; /* five characters */
  SQLINTEGER native = 0;
  std::string message;
};

/* The records of a handle's last call. Clearing keeps their storage for
 * the next ones: a warning may come with every row of an import. */
class Diagnostics {
 public:
  SQLRETURN lastResult = SQL_SUCCESS;
  size_t Count() const { return used_; }
  bool Empty() const { return used_ == 0; }
  const DiagRecord &operator[](size_t i) const { return records_[i]; }
  void Clear() {
    used_ = 0;
    lastResult = SQL_SUCCESS;
  }
  /* A record to fill in, after the others. */
  DiagRecord &Add() {
    if (used_ == records_.size()) records_.emplace_back();
    return records_[used_++];
  }
  void Append(const DiagRecord &r) { Add() = r; }

 private:
  std::vector<DiagRecord> records_;
  size_t used_ = 0;
};

enum HandleKind { KIND_ENV = 0x4c454e56, KIND_DBC = 0x4c444243, KIND_STMT = 0x4c53544d };

struct Env {
  int kind = KIND_ENV;
  Diagnostics diag;
  SQLINTEGER odbcVersion = SQL_OV_ODBC3;
};

/* The clock of group commit, read at every execution: on Linux the coarse
 * monotonic clock, a few milliseconds fine and a fraction of the cost of
 * the precise one. */
struct BatchClock {
  using duration = std::chrono::nanoseconds;
  using rep = duration::rep;
  using period = duration::period;
  using time_point = std::chrono::time_point<BatchClock>;
  static constexpr bool is_steady = true;
  static time_point now() noexcept {
#ifdef CLOCK_MONOTONIC_COARSE
    timespec t;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
    return time_point(std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec));
#else
    return time_point(std::chrono::steady_clock::now().time_since_epoch());
#endif
  }
};

/* Group commit: with a CommitInterval, the executions of one prepared
 * statement in autocommit mode share a transaction that is committed
 * once the interval has passed, before anything else runs, and by a
 * timer once the connection has been idle for the interval. */
struct GroupCommit {
  long intervalMs = 0; /* 0: a commit per statement */
  bool open = false;
  const void *owner = nullptr; /* the Prepared whose executions the batch holds */
  BatchClock::time_point started, lastUse;
  DiagRecord failed;  /* a timer's commit that failed, for the next call to report */
  bool hasFailed = false;
  std::thread timer;
  std::mutex timerLock;
  std::condition_variable wake;
  bool stop = false;
};

struct Dbc {
  int kind = KIND_DBC;
  Diagnostics diag;
  Env *env = nullptr;
  std::unique_ptr<Backend> backend;
  Settings settings;
  Charset charset;
  bool autocommit = true;
  std::vector<struct Stmt *> statements; /* freed by SQLDisconnect if the application did not */
  std::recursive_mutex lock; /* held by every call on the connection and its statements, and by the timer */
  GroupCommit group;
};

struct Param {
  bool bound = false;
  SQLSMALLINT cType = 0;
  SQLSMALLINT sqlType = 0;
  SQLULEN columnSize = 0;
  SQLPOINTER value = nullptr;
  SQLLEN bufferLength = 0;
  SQLLEN *indicator = nullptr;
  std::string text; /* the value as the backend is given it, kept until the next execution */
};

/* A result column bound with SQLBindCol. */
struct ColumnBinding {
  SQLSMALLINT cType = 0;
  SQLPOINTER value = nullptr;
  SQLLEN size = 0;
  SQLLEN *indicator = nullptr;
};

enum CursorState { CURSOR_NONE, CURSOR_BEFORE, CURSOR_ON_ROW, CURSOR_AFTER };

struct Stmt {
  int kind = KIND_STMT;
  Diagnostics diag;
  Dbc *dbc = nullptr;
  std::unique_ptr<Prepared> prepared;
  std::unique_ptr<Cursor> catalog; /* a catalog function's result set */
  Cursor *cursor = nullptr;        /* the open result set, or null */
  CursorState state = CURSOR_NONE;
  std::vector<Param> params;       /* index 0 is parameter 1 */
  std::vector<Value> values;       /* the parameters of the execution under way */
  std::vector<ColumnBinding> bindings;
  std::vector<SQLLEN> getDataOffset; /* per column, for SQLGetData in parts */
  bool executed = false; /* the prepared statement ran last, so it knows the row count */
  SQLULEN *rowsFetched = nullptr;
  SQLUSMALLINT *rowStatus = nullptr;
};

/* The handle if it is one of the kind, its diagnostics cleared; else null. */
Env *EnterEnv(SQLHANDLE h);
Dbc *EnterDbc(SQLHANDLE h);
Stmt *EnterStmt(SQLHANDLE h);

/* The start of an entry point on a connection or statement handle: the
 * handle checked, its diagnostics cleared, the connection held. */
#define ENTER_DBC(h)                    \
  Dbc *dbc = EnterDbc(h);               \
  if (!dbc) return SQL_INVALID_HANDLE;  \
  std::lock_guard<std::recursive_mutex> connectionHeld(dbc->lock)
#define ENTER_STMT(h)                   \
  Stmt *stmt = EnterStmt(h);            \
  if (!stmt) return SQL_INVALID_HANDLE; \
  std::lock_guard<std::recursive_mutex> connectionHeld(stmt->dbc->lock)

/* Records rc as the handle's last result and returns it. */
inline SQLRETURN Leave(Diagnostics &diag, SQLRETURN rc) {
  diag.lastResult = rc;
  return rc;
}

/* Diagnostics (diag.cpp). */
SQLRETURN PostError(Diagnostics &diag, const char *state, SQLINTEGER native, const std::string &message);
void PostInfo(Diagnostics &diag, const char *state, const std::string &message);
void PostInfo(Diagnostics &diag, const char *state, const char *message);
/* A message without this driver's prefix, and a reason with it. */
std::string WithoutDriverPrefix(const std::string &message);
std::string WithDriverPrefix(const std::string &reason);

/* Copies a string into an ODBC output buffer; SQL_SUCCESS_WITH_INFO and
 * 01004 when it had to be cut. */
SQLRETURN CopyOut(Diagnostics *diag, const std::string &s, SQLCHAR *out, SQLLEN size, SQLLEN *length);
SQLRETURN CopyOutShort(Diagnostics *diag, const std::string &s, SQLCHAR *out, SQLSMALLINT size,
                       SQLSMALLINT *length);

/* An ODBC input string of the application: NTS or counted. */
std::string InputText(const SQLCHAR *s, SQLINTEGER length);

/* Parameters (params.cpp): the application's bound values as Values. */
SQLRETURN ConvertParameters(Stmt *stmt, int count);

/* Statements (statement.cpp). grouped: an SQLExecute, which may join a
 * group commit. */
SQLRETURN ExecutePrepared(Stmt *stmt, bool grouped);
void CloseCursor(Stmt *stmt);
/* Rows the last execution changed, -1 when unknown; asked of the backend
 * only when the application wants it. */
SQLLEN RowCountOf(Stmt *stmt);
/* Opens a catalog result set on the statement. */
void OpenCatalog(Stmt *stmt, std::unique_ptr<Cursor> rows);

/* Transactions (transaction.cpp). */
void StartGroupCommit(Dbc *dbc, long intervalMs);
void StopGroupCommit(Dbc *dbc);
/* Before a statement runs: ends a batch it does not belong to, opens one
 * it starts, or opens the transaction of manual commit mode. */
SQLRETURN BeforeStatement(Dbc *dbc, const void *prepared, bool grouped, Diagnostics &diag);
/* After it ran: commits a batch whose interval has passed; after a
 * failure, commits the rows before it. */
SQLRETURN AfterStatement(Dbc *dbc, SQLRETURN rc, Diagnostics &diag);
/* Commits an open batch (SQLFreeStmt, a change of autocommit). */
SQLRETURN CommitBatch(Dbc *dbc, Diagnostics &diag);
SQLRETURN EndTransaction(Dbc *dbc, SQLSMALLINT completion, Diagnostics &diag);

/* Result values in the application's C types (getdata.cpp). */
SQLRETURN GetValue(Stmt *stmt, int column, SQLSMALLINT cType, SQLPOINTER out, SQLLEN size, SQLLEN *indicator);

#endif
