/* transaction.cpp: commit modes. With autocommit on, the backend commits
 * every statement itself, unless a CommitInterval groups the executions
 * of one prepared statement into batches; with autocommit off, the first
 * statement opens a transaction that SQLEndTran ends. */
#include "core/transaction.h"

using Clock = BatchClock;

/* How often the idle timer looks, as a part of the interval. */
enum { TIMER_CHECKS_PER_INTERVAL = 4 };

static bool IntervalPassed(const GroupCommit &g, Clock::time_point since) {
  return Clock::now() - since >= std::chrono::milliseconds(g.intervalMs);
}

SQLRETURN CommitBatch(Dbc *dbc, Diagnostics &diag) {
  GroupCommit &g = dbc->group;
  if (!g.open) return SQL_SUCCESS;
  g.open = false;
  g.owner = nullptr;
  if (dbc->backend->Commit(diag) != SQL_ERROR) return SQL_SUCCESS;
  /* The batch is gone: leave no half-open transaction behind it. */
  if (dbc->backend->InTransaction()) {
    Diagnostics ignored;
    dbc->backend->Rollback(ignored);
  }
  return SQL_ERROR;
}

SQLRETURN CommitBatchOf(Dbc *dbc, const void *owner, Diagnostics &diag) {
  if (!owner || dbc->group.owner != owner) return SQL_SUCCESS;
  return CommitBatch(dbc, diag);
}

/* Commits a batch left idle for the interval, so that it never holds the
 * database from another writer for long. A busy connection is not idle:
 * the timer only tries to take it. */
static void IdleTimer(Dbc *dbc) {
  GroupCommit &g = dbc->group;
  auto period = std::chrono::milliseconds(g.intervalMs / TIMER_CHECKS_PER_INTERVAL + 1);
  std::unique_lock<std::mutex> sleeping(g.timerLock);
  while (!g.stop) {
    g.wake.wait_for(sleeping, period);
    std::unique_lock<std::recursive_mutex> held(dbc->lock, std::try_to_lock);
    if (g.stop || !held.owns_lock() || !g.open || !IntervalPassed(g, g.lastUse)) continue;
    Diagnostics diag;
    if (CommitBatch(dbc, diag) == SQL_ERROR && !diag.Empty()) {
      g.failed = diag[0];
      g.hasFailed = true;
    }
  }
}

void StartGroupCommit(Dbc *dbc, long intervalMs) {
  GroupCommit &g = dbc->group;
  g.intervalMs = intervalMs;
  g.stop = false;
  g.hasFailed = false;
  if (intervalMs > 0) g.timer = std::thread(IdleTimer, dbc);
}

void StopGroupCommit(Dbc *dbc) {
  GroupCommit &g = dbc->group;
  if (!g.timer.joinable()) return;
  {
    std::lock_guard<std::mutex> sleeping(g.timerLock);
    g.stop = true;
  }
  g.wake.notify_all();
  g.timer.join();
}

/* A commit that the timer could not make is reported by the next call. */
static SQLRETURN ReportTimerFailure(Dbc *dbc, Diagnostics &diag) {
  GroupCommit &g = dbc->group;
  if (!g.hasFailed) return SQL_SUCCESS;
  g.hasFailed = false;
  diag.Append(g.failed);
  return SQL_ERROR;
}

SQLRETURN BeforeStatement(Dbc *dbc, const void *prepared, bool grouped, Diagnostics &diag) {
  GroupCommit &g = dbc->group;
  if (ReportTimerFailure(dbc, diag) == SQL_ERROR) return SQL_ERROR;
  if (g.open && (!grouped || g.owner != prepared) && CommitBatch(dbc, diag) == SQL_ERROR) return SQL_ERROR;
  if (dbc->autocommit && grouped && g.intervalMs > 0 && !g.open) {
    if (dbc->backend->BeginBatch(diag) == SQL_ERROR) return SQL_ERROR;
    g.open = true;
    g.owner = prepared;
    g.started = Clock::now();
  }
  if (!dbc->autocommit && !dbc->backend->InTransaction()) return dbc->backend->Begin(diag);
  return SQL_SUCCESS;
}

SQLRETURN AfterStatement(Dbc *dbc, SQLRETURN rc, Diagnostics &diag) {
  GroupCommit &g = dbc->group;
  if (!g.open) return rc;
  Clock::time_point now = Clock::now();
  g.lastUse = now;
  if (rc == SQL_ERROR) {
    CommitBatch(dbc, diag); /* the rows before the failing one are kept */
    return SQL_ERROR;
  }
  if (now - g.started >= std::chrono::milliseconds(g.intervalMs) && CommitBatch(dbc, diag) == SQL_ERROR)
    return SQL_ERROR;
  return rc;
}

SQLRETURN EndTransaction(Dbc *dbc, SQLSMALLINT completion, Diagnostics &diag) {
  if (!dbc->backend) return SQL_SUCCESS;
  if (ReportTimerFailure(dbc, diag) == SQL_ERROR) return SQL_ERROR;
  if (dbc->group.open) return CommitBatch(dbc, diag); /* a batch holds only acknowledged autocommit rows */
  if (!dbc->backend->InTransaction()) return SQL_SUCCESS;
  return completion == SQL_COMMIT ? dbc->backend->Commit(diag) : dbc->backend->Rollback(diag);
}
