/* call_watch.cpp: the watch thread of a connection, and the marks that
 * tell it when a call is under way. */
#include "core/call_watch.h"

#include <chrono>
#include <string>

#include "core/handles.h"

/* How often the watch looks, how long a cancelled call may take to end by
 * itself, and how long a server asked to stop may take before its
 * connection is given up. */
enum { WATCH_PERIOD_MS = 100, CANCEL_GRACE_MS = 1000, STOP_GRACE_MS = 2000 };

static int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

/* Asks the backend to stop a call that is due, then gives up its
 * connection if the call goes on past the grace. */
static void Watch(Dbc *dbc) {
  CallWatch &w = dbc->watch;
  int64_t askedFor = 0, askedAt = 0; /* the call asked to stop, and when */
  std::unique_lock<std::mutex> sleeping(w.sleepLock);
  while (!w.stop) {
    w.wake.wait_for(sleeping, std::chrono::milliseconds(WATCH_PERIOD_MS));
    int64_t since = w.since.load(), now = NowMs();
    if (since == 0 || w.stop) continue;
    if (askedFor == since) {
      if (now - askedAt >= STOP_GRACE_MS) dbc->backend->Interrupt(true);
      continue;
    }
    /* a cancel that came between calls holds for a call begun soon after */
    int64_t cancelAt = w.cancelAt.load();
    bool cancelled = cancelAt != 0 && since - cancelAt <= CANCEL_GRACE_MS &&
                     now - (cancelAt > since ? cancelAt : since) >= CANCEL_GRACE_MS;
    bool late = w.timeoutMs > 0 && now - since >= w.timeoutMs;
    if (!cancelled && !late) continue;
    w.stopped = cancelled ? STOP_CANCEL : STOP_TIMEOUT;
    askedFor = since;
    askedAt = now;
    dbc->backend->Interrupt(false);
  }
}

void StartCallWatch(Dbc *dbc, long timeoutMs) {
  CallWatch &w = dbc->watch;
  w.timeoutMs = timeoutMs;
  w.stop = false;
  w.active = dbc->backend->CanInterrupt();
  if (w.active) w.thread = std::thread(Watch, dbc);
}

void StopCallWatch(Dbc *dbc) {
  CallWatch &w = dbc->watch;
  if (!w.thread.joinable()) return;
  {
    std::lock_guard<std::mutex> sleeping(w.sleepLock);
    w.stop = true;
  }
  w.wake.notify_all();
  w.thread.join();
  w.active = false;
}

SQLRETURN CancelCall(Dbc *dbc) {
  if (dbc->watch.active) dbc->watch.cancelAt = NowMs();
  return SQL_SUCCESS;
}

CallMark::CallMark(Dbc *dbc, Diagnostics *diag) : dbc_(dbc->watch.active ? dbc : nullptr), diag_(diag) {
  if (dbc_) dbc_->watch.since = NowMs();
}

CallMark::~CallMark() {
  if (!dbc_) return;
  CallWatch &w = dbc_->watch;
  w.since = 0;
  w.cancelAt = 0;
  int stopped = w.stopped.exchange(STOP_NONE);
  if (stopped == STOP_CANCEL) {
    diag_->Prepend({"HY008", 0, WithDriverPrefix("Operation canceled")});
  } else if (stopped == STOP_TIMEOUT) {
    diag_->Prepend({"HYT00", 0, WithDriverPrefix("The server did not answer within " +
                                                 std::to_string(w.timeoutMs / 1000) + " s (QueryTimeout)")});
  }
}
