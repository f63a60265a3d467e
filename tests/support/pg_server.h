/* pg_server.h: one throwaway PostgreSQL server (tests/support/pg-server.sh)
 * and a "Lumetra Data Source" with Backend = PostgreSQL pointing at it,
 * for a whole test program; psql-like queries on it through libpq. */
#ifndef LUMETRA_PG_SERVER_H
#define LUMETRA_PG_SERVER_H

#include <gtest/gtest.h>

#include <string>

#include "temp_dsn.h"

struct PgServer {
  std::string dir, port;
  TempDsn *dsn = nullptr;

  /* Rows of a query, each a '|'-joined line ("NULL" for null), or "error: ...". */
  std::string Query(const std::string &sql) const;
};

extern PgServer g_pg;

class PgEnvironment : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;
};

#endif
