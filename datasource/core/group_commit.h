/* group_commit.h: the state of a connection's group commit and the clock
 * it is timed by. The rules that use them are in transaction.cpp. */
#ifndef LUMETRA_DS_GROUP_COMMIT_H
#define LUMETRA_DS_GROUP_COMMIT_H

#include <time.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "backend/diagnostics.h"

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

#endif
