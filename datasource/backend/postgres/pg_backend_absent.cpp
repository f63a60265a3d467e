/* pg_backend_absent.cpp: the PostgreSQL backend of a driver built where
 * libpq was not found (the i386 driver for Wine): it says so. */
#include "backend/backend.h"

std::unique_ptr<Backend> OpenPostgresBackend(const ConnectionKeys &, Diagnostics &diag) {
  PostError(diag, "HYC00", 0, "This driver was built without the PostgreSQL backend (libpq)");
  return nullptr;
}
