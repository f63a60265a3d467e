/* entry.h: what every ODBC entry point of the driver is made of. Each is
 * a thin shim: it checks its handle, clears the handle's diagnostics,
 * takes the connection's lock, calls the core and records the result the
 * core returns. No entry point calls another. */
#ifndef LUMETRA_DS_ENTRY_H
#define LUMETRA_DS_ENTRY_H

#include <mutex>

#include "core/app_text.h"
#include "core/handles.h"

/* An ODBC entry point of the driver. Windows exports it from the DLL (the
 * link strips the stdcall decoration); Linux leaves it visible. */
#ifdef _WIN32
#define DS_EXPORT extern "C" __declspec(dllexport)
#else
#define DS_EXPORT extern "C" __attribute__((visibility("default")))
#endif

/* SQLColAttribute's numeric attribute pointer: SQLLEN *, but an untyped
 * pointer in the 32-bit Windows SDK's declaration. */
#if defined(_WIN32) && !defined(_WIN64)
typedef SQLPOINTER NumericAttributeOut;
#else
typedef SQLLEN *NumericAttributeOut;
#endif

/* The start of an entry point on a connection or statement handle: the
 * handle checked, its diagnostics cleared, the connection held. */
#define ENTER_DBC(h)                                                  \
  Dbc *dbc = EnterDbc(h);                                             \
  if (!dbc) return SQL_INVALID_HANDLE;                                \
  std::lock_guard<std::recursive_mutex> connectionHeld(dbc->lock);    \
  CallMark watched(dbc, &dbc->diag)
#define ENTER_STMT(h)                                                 \
  Stmt *stmt = EnterStmt(h);                                          \
  if (!stmt) return SQL_INVALID_HANDLE;                               \
  std::lock_guard<std::recursive_mutex> connectionHeld(stmt->dbc->lock); \
  CallMark watched(stmt->dbc, &stmt->diag)

/* Records rc as the handle's last result and returns it. */
inline SQLRETURN Leave(Diagnostics &diag, SQLRETURN rc) {
  diag.lastResult = rc;
  return rc;
}

#endif
