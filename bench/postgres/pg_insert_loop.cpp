/* pg_insert_loop.cpp: libpq's own prepared-insert loops, the floor the
 * driver's PostgreSQL backend is measured against. Rows have the import
 * table's shape (text, integer, timestamp, smallint) and are sent as text.
 *   pg_insert_loop <rows> <mode> [batch=100]
 * Modes: autocommit (a commit per row), transaction (BEGIN ... COMMIT
 * every batch rows), savepoint (the same, each row inside its own
 * savepoint, sent in one round trip with it), pipeline (the same without
 * savepoints, a batch sent before its results are read: the floor of any
 * driver that reports a row's failure late). The connection comes from
 * the PG* environment. Prints "<mode> <rows> rows <seconds> s <rows/s> rows/s". */
#include <libpq-fe.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <string>

namespace {

const char kCreate[] =
    "CREATE TABLE loop_rows (\"Name\" text, \"Company\" text, \"Amount\" integer, \"Price\" integer, "
    "\"Born\" timestamp, \"At\" text, \"Mr\" smallint, \"Vip\" smallint, \"Tags\" text, \"Notes\" text)";
const char kInsert[] = "INSERT INTO loop_rows VALUES ($1,$2,$3,$4,$5,$6,$7,$8,$9,$10)";

bool Command(PGconn *c, const char *sql) {
  PGresult *r = PQexec(c, sql);
  bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
  if (!ok) fprintf(stderr, "%s: %s", sql, PQerrorMessage(c));
  PQclear(r);
  return ok;
}

/* Reads the results of one pipelined command; false when it failed. */
bool TakeResult(PGconn *c) {
  bool ok = true;
  while (PGresult *r = PQgetResult(c)) {
    if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK) ok = false;
    PQclear(r);
  }
  return ok;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: pg_insert_loop <rows> autocommit|transaction|savepoint|pipeline [batch=100]\n");
    return 2;
  }
  long rows = atol(argv[1]);
  std::string mode = argv[2];
  long batch = argc > 3 ? atol(argv[3]) : 100;
  if (mode != "autocommit" && mode != "transaction" && mode != "savepoint" && mode != "pipeline") return 2;
  PGconn *c = PQconnectdb("client_encoding=UTF8");
  if (PQstatus(c) != CONNECTION_OK) {
    fprintf(stderr, "%s", PQerrorMessage(c));
    return 1;
  }
  if (!Command(c, "DROP TABLE IF EXISTS loop_rows") || !Command(c, kCreate)) return 1;
  PGresult *p = PQprepare(c, "ins", kInsert, 0, nullptr);
  if (PQresultStatus(p) != PGRES_COMMAND_OK) return fprintf(stderr, "%s", PQerrorMessage(c)), 1;
  PQclear(p);
  PQclear(PQprepare(c, "sp", "SAVEPOINT row", 0, nullptr));
  PQclear(PQprepare(c, "rel", "RELEASE SAVEPOINT row", 0, nullptr));

  char amount[16], price[16], born[24], at[8], mr[4], vip[4], tags[24];
  const char *values[10] = {"Ann Baker", "Acme, Inc.", amount, price, born, at, mr, vip, tags, "Line one,\r\nline two"};
  auto start = std::chrono::steady_clock::now();
  bool open = false;
  for (long i = 0; i < rows; i++) {
    unsigned r = (unsigned)(i * 2654435761u) >> 8;
    snprintf(amount, sizeof amount, "%u", r % 100000);
    snprintf(price, sizeof price, "%u", (r % 5000) * 100);
    snprintf(born, sizeof born, "%04u-%02u-%02u 00:00:00", 1900 + r % 120, 1 + r % 12, 1 + r % 28);
    snprintf(at, sizeof at, "%02u:%02u", r % 24, r % 60);
    snprintf(mr, sizeof mr, "%u", 1u << (r % 3));
    snprintf(vip, sizeof vip, "%u", (r >> 3) & 1);
    snprintf(tags, sizeof tags, "red;green;%u", r % 1000);
    if (mode != "autocommit" && !open) open = Command(c, "BEGIN");
    if (mode == "pipeline") {
      if (PQpipelineStatus(c) == PQ_PIPELINE_OFF) PQenterPipelineMode(c);
      PQsendQueryPrepared(c, "ins", 10, values, nullptr, nullptr, 0);
      if ((i + 1) % batch == 0 || i + 1 == rows) {
        PQpipelineSync(c);
        bool ok = true;
        for (long k = i % batch; k >= 0; k--) ok = TakeResult(c) && ok;
        PQclear(PQgetResult(c));
        PQexitPipelineMode(c);
        if (!ok) return fprintf(stderr, "row %ld: %s", i, PQerrorMessage(c)), 1;
      }
    } else if (mode == "savepoint") {
      PQenterPipelineMode(c);
      PQsendQueryPrepared(c, "sp", 0, nullptr, nullptr, nullptr, 0);
      PQsendQueryPrepared(c, "ins", 10, values, nullptr, nullptr, 0);
      PQsendQueryPrepared(c, "rel", 0, nullptr, nullptr, nullptr, 0);
      PQpipelineSync(c);
      bool ok = TakeResult(c) && TakeResult(c) && TakeResult(c);
      PGresult *sync = PQgetResult(c);
      PQclear(sync);
      PQexitPipelineMode(c);
      if (!ok) return fprintf(stderr, "row %ld: %s", i, PQerrorMessage(c)), 1;
    } else {
      PGresult *res = PQexecPrepared(c, "ins", 10, values, nullptr, nullptr, 0);
      if (PQresultStatus(res) != PGRES_COMMAND_OK) return fprintf(stderr, "row %ld: %s", i, PQerrorMessage(c)), 1;
      PQclear(res);
    }
    if (open && (i + 1) % batch == 0) open = !Command(c, "COMMIT");
  }
  if (open) Command(c, "COMMIT");
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  PGresult *count = PQexec(c, "SELECT count(*) FROM loop_rows");
  long stored = atol(PQgetvalue(count, 0, 0));
  PQclear(count);
  PQfinish(c);
  if (stored != rows) return fprintf(stderr, "stored %ld of %ld rows\n", stored, rows), 1;
  printf("%s %ld rows %.3f s %.0f rows/s\n", mode.c_str(), rows, seconds, rows / seconds);
  return 0;
}
