/* pg_server.cpp: the test server's start, stop and queries. */
#include "pg_server.h"

#include <libpq-fe.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <stdexcept>

PgServer g_pg;

void PgEnvironment::SetUp() {
  char tmpl[] = "/tmp/lumetra-pg-XXXXXX";
  if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
  chmod(tmpl, 0755); /* the server's own user works inside */
  g_pg.dir = std::string(tmpl) + "/pg";
  std::string start = "bash " PG_SERVER_SCRIPT " start " + g_pg.dir + " >/dev/null";
  if (system(start.c_str()) != 0) throw std::runtime_error("the test server did not start");
  std::ifstream(g_pg.dir + "/port") >> g_pg.port;
  g_pg.dsn = new TempDsn("WAL", "NORMAL",
                         "Database = postgres\nBackend = PostgreSQL\nServer = " + g_pg.dir + "\nPort = " + g_pg.port +
                             "\nUID = lumetra\n");
}

void PgEnvironment::TearDown() {
  delete g_pg.dsn;
  g_pg.dsn = nullptr;
  std::string stop = "bash " PG_SERVER_SCRIPT " stop " + g_pg.dir + " immediate; rm -rf " +
                     g_pg.dir.substr(0, g_pg.dir.rfind('/'));
  if (system(stop.c_str()) != 0) { /* a leftover folder in /tmp is harmless */
  }
}

std::string PgServer::Query(const std::string &sql) const {
  const char *keys[] = {"host", "port", "user", "dbname", nullptr};
  const char *values[] = {dir.c_str(), port.c_str(), "lumetra", "postgres", nullptr};
  PGconn *c = PQconnectdbParams(keys, values, 0);
  PQsetNoticeProcessor(c, [](void *, const char *) {}, nullptr);
  std::string out;
  PGresult *r = PQexec(c, sql.c_str());
  if (PQresultStatus(r) != PGRES_TUPLES_OK && PQresultStatus(r) != PGRES_COMMAND_OK) {
    out = std::string("error: ") + PQerrorMessage(c);
  } else {
    for (int i = 0; i < PQntuples(r); i++) {
      for (int j = 0; j < PQnfields(r); j++) {
        if (j) out += "|";
        out += PQgetisnull(r, i, j) ? "NULL" : PQgetvalue(r, i, j);
      }
      out += "\n";
    }
  }
  PQclear(r);
  PQfinish(c);
  return out;
}
