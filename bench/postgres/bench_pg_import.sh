#!/usr/bin/env bash
# The built program importing generated CDF files into a throwaway
# PostgreSQL server (tests/support/pg-server.sh), with CommitInterval = 100
# and = 0, beside psql's \copy of the same records as CSV and libpq's own
# prepared-insert loops. The server's commit counter tells whether
# CommitInterval grouped the commits.
#   bench/postgres/bench_pg_import.sh [build-folder=build] [records=100000]
set -euo pipefail
build=$(realpath "${1:-build}")
n=${2:-100000}
here=$(cd "$(dirname "$0")" && pwd)
server="$here/../../tests/support/pg-server.sh"
work=$(mktemp -d /tmp/lumetra-pg-bench-XXXXXX)
chmod 755 "$work"
trap 'bash "$server" stop "$work/pg" immediate >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
keys=$(bash "$server" start "$work/pg")
eval "$keys"
sql() { psql -X -q -A -t -v ON_ERROR_STOP=1 -c "$1"; }
commits() { sql "SELECT xact_commit FROM pg_stat_database WHERE datname = current_database()"; }

"$build/bench/import/generate_cdf" "$n" "$work/people.cdf" "$work/people.csv"
: > "$work/odbcinst.ini"
export ODBCSYSINI="$work"
echo "load before: $(uptime)"

# The program, once per setting: seconds, and commits the server counted.
declare -A seconds commits_of
for interval in 100 0; do
  printf '[Lumetra Data Source]\nDriver = %s\n%sCommitInterval = %s\n' \
    "$build/datasource/liblumetraodbc.so" "$LUMETRA_PG_DSN_LINES" "$interval" > "$work/odbc$interval.ini"
  cp "$work/people.cdf" "$work/people$interval.cdf"
  echo "$work/people$interval.cdf" > "$work/answer"
  sleep 0.6 # the statistics collector flushes its counters
  before=$(commits)
  read -r s _ < <(ODBCINI="$work/odbc$interval.ini" "$build/bench/import/measure" "$work/answer" "$build/driver/lumetra-import" 2>/dev/null)
  sleep 0.6
  commits_of[$interval]=$(( $(commits) - before ))
  seconds[$interval]=$s
  rows=$(sql "SELECT count(*) FROM people$interval")
  [ "$rows" = "$n" ] || { echo "imported $rows of $n records" >&2; exit 1; }
done

# psql's \copy of the same records into text columns.
sql "CREATE TABLE copied (\"Name\" text, \"Company\" text, \"Amount\" text, \"Price\" text, \"Born\" text, \"At\" text,
     \"Mr\" text, \"Mrs\" text, \"Ms\" text, \"Vip\" text, \"Tags\" text, \"Notes\" text)"
: > "$work/empty"
read -r copy_seconds _ < <("$build/bench/import/measure" "$work/empty" psql -X -q -c "\\copy copied FROM '$work/people.csv' CSV HEADER ENCODING 'WIN1252'")
[ "$(sql 'SELECT count(*) FROM copied')" = "$n" ] || { echo "\\copy stored the wrong count" >&2; exit 1; }

loop() { "$build/bench/postgres/pg_insert_loop" "$n" "$1" 100 | awk '{print $6}'; }
auto=$(loop autocommit)
txn=$(loop transaction)
savepoint=$(loop savepoint)
pipeline=$(loop pipeline)
echo "load after: $(uptime)"

awk -v n="$n" -v s100="${seconds[100]}" -v s0="${seconds[0]}" -v c100="${commits_of[100]}" -v c0="${commits_of[0]}" \
    -v copy="$copy_seconds" -v auto="$auto" -v txn="$txn" -v sp="$savepoint" -v pipe="$pipeline" 'BEGIN {
  printf "%d records\n", n
  printf "  program, CommitInterval = 100: %7.3f s %9.0f rows/s  %7d server commits  %.2fx psql \\copy\n", s100, n / s100, c100, s100 / copy
  printf "  program, CommitInterval = 0:   %7.3f s %9.0f rows/s  %7d server commits  %.2fx psql \\copy\n", s0, n / s0, c0, s0 / copy
  printf "  psql \\copy (CSV, text columns): %6.3f s %9.0f rows/s\n", copy, n / copy
  printf "  libpq PQexecPrepared, a commit per row:            %9.0f rows/s (program at 0: %.2f of it)\n", auto, (n / s0) / auto
  printf "  libpq PQexecPrepared, COMMIT every 100:            %9.0f rows/s\n", txn
  printf "  libpq, COMMIT every 100, a savepoint per row:      %9.0f rows/s\n", sp
  printf "  libpq pipelined, COMMIT every 100, late errors:    %9.0f rows/s\n", pipe
  if (c100 > n / 2) printf "  CommitInterval = 100 was not effective: the server committed about once per row\n"
}'
