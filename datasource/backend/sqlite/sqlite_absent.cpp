/* sqlite_absent.cpp: the SQLite backend's place in a build without SQLite
 * (Windows, where Debian ships no SQLite for the target). A data source
 * that asks for it, or names no Backend, is told to use Backend = ODBC. */
#include "backend/backend.h"

std::unique_ptr<Backend> OpenSqliteBackend(const ConnectionKeys &, Diagnostics &diag) {
  PostError(diag, "HY024", 0,
            "Backend = SQLite is not available in this build of the driver; "
            "use Backend = ODBC with Target = a data source name or connection string");
  return nullptr;
}
