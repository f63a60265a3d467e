/* call_watch.h: a connection's watch over the call under way. A call that
 * runs past the connection's time limit (QueryTimeout), or that SQLCancel
 * asks to stop from another thread and that does not end by itself soon
 * after (a call cut short can cost the rows of a batch), is interrupted
 * through the backend:
 * asked to stop first, then, when the server still does not answer, its
 * connection given up, so that no call waits for ever on a server that
 * has stopped answering. Only a backend that can be interrupted is
 * watched. */
#ifndef LUMETRA_DS_CALL_WATCH_H
#define LUMETRA_DS_CALL_WATCH_H

#include <stdint.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "backend/diagnostics.h"

struct Dbc;

enum CallStop { STOP_NONE, STOP_CANCEL, STOP_TIMEOUT };

struct CallWatch {
  bool active = false;
  long timeoutMs = 0;              /* 0: no time limit */
  std::atomic<int64_t> since{0};   /* when the call under way began, in ms; 0 between calls */
  std::atomic<int64_t> cancelAt{0}; /* when SQLCancel asked for the call under way, in ms */
  std::atomic<int> stopped{STOP_NONE};
  std::thread thread;
  std::mutex sleepLock;
  std::condition_variable wake;
  bool stop = false;
};

void StartCallWatch(Dbc *dbc, long timeoutMs);
void StopCallWatch(Dbc *dbc);

/* SQLCancel from any thread: the call under way is stopped, or, when it
 * comes between calls, one that begins within a second after. */
SQLRETURN CancelCall(Dbc *dbc);

/* Marks one entry point's call on a watched connection; a call the watch
 * stopped says why, first among its diagnostics. */
class CallMark {
 public:
  CallMark(Dbc *dbc, Diagnostics *diag);
  ~CallMark();

 private:
  Dbc *dbc_;
  Diagnostics *diag_;
};

#endif
