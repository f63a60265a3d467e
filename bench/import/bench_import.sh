#!/usr/bin/env bash
# The built program importing generated files of 10 000, 100 000 and
# 1 000 000 records into our data source, with a commit per row and with
# CommitInterval = 100, beside the driver-level insert loop of the same
# row shape, direct SQLite inserts, and the sqlite3 shell's .import of the
# same records as plain CSV. Ratios are times: below 1 is faster than us.
# The program with CommitInterval = 100 and .import run in turns, ROUNDS
# (default "1 2 3") times, and the best of each is compared.
#   bench/import/bench_import.sh [build-folder=build] [sizes...]
set -euo pipefail
build=$(realpath "${1:-build}")
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 100000 1000000)
ROUNDS=${ROUNDS:-1 2 3}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/lumetra-import-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT

for n in "${sizes[@]}"; do
  "$build/bench/import/generate_cdf" "$n" "$work/people$n.cdf" "$work/people$n.csv"
  eval "$(bash "$here/../../tests/support/temp-dsn.sh" "$build/datasource/liblumetraodbc.so" "$work/dsn$n")"
  echo "$work/people$n.cdf" > "$work/answer"
  read -r seconds rss < <("$build/bench/import/measure" "$work/answer" "$build/driver/lumetra-import")
  rows=$(sqlite3 "$work/dsn$n/lumetra.db" "SELECT count(*) FROM people$n")
  [ "$rows" = "$n" ] || { echo "imported $rows of $n records" >&2; exit 1; }
  # The same through the ODBC backend, onto our own SQLite backend.
  eval "$(bash "$here/../../tests/support/temp-dsn.sh" "$build/datasource/liblumetraodbc.so" "$work/nested$n")"
  cat >> "$work/nested$n/odbc.ini" <<INI
Backend = ODBC
Target = Inner
CommitInterval = 100
[Inner]
Driver = $build/datasource/liblumetraodbc.so
Database = $work/nested$n/inner.db
INI
  read -r nested nested_rss < <("$build/bench/import/measure" "$work/answer" "$build/driver/lumetra-import")
  rows=$(sqlite3 "$work/nested$n/inner.db" "SELECT count(*) FROM people$n")
  [ "$rows" = "$n" ] || { echo "nested: imported $rows of $n records" >&2; exit 1; }
  loop=$("$build/bench/datasource/bench_datasource_insert" "$n" WAL NORMAL)
  odbc=$(awk '/Lumetra/ {print $4}' <<<"$loop")
  direct=$(awk '/SQLite C API/ {print $4}' <<<"$loop")
  # The program with CommitInterval = 100 and .import, in turns, the best
  # time of each: the disk's speed swings more than either.
  : > "$work/empty"
  grouped=1e9 csv_seconds=1e9 grouped_rss=0
  for round in $ROUNDS; do
    eval "$(bash "$here/../../tests/support/temp-dsn.sh" "$build/datasource/liblumetraodbc.so" "$work/grouped$n-$round")"
    echo "CommitInterval = 100" >> "$work/grouped$n-$round/odbc.ini"
    read -r g grss < <("$build/bench/import/measure" "$work/answer" "$build/driver/lumetra-import")
    rows=$(sqlite3 "$work/grouped$n-$round/lumetra.db" "SELECT count(*) FROM people$n")
    [ "$rows" = "$n" ] || { echo "grouped: imported $rows of $n records" >&2; exit 1; }
    c=$(cd "$work" && "$build/bench/import/measure" "$work/empty" \
      sqlite3 "$work/csv$n-$round.db" "PRAGMA journal_mode=WAL;" "PRAGMA synchronous=NORMAL;" \
      ".import --csv people$n.csv people" | tail -n 1 | awk '{print $1}')
    rows=$(sqlite3 "$work/csv$n-$round.db" "SELECT count(*) FROM people")
    [ "$rows" = "$n" ] || { echo ".import: imported $rows of $n records" >&2; exit 1; }
    echo "  round $round: program $g s, .import $c s" >&2
    grouped=$(awk -v a="$grouped" -v b="$g" 'BEGIN { print (b < a) ? b : a }')
    csv_seconds=$(awk -v a="$csv_seconds" -v b="$c" 'BEGIN { print (b < a) ? b : a }')
    grouped_rss=$(( grss > ${grouped_rss:-0} ? grss : ${grouped_rss:-0} ))
    rm -f "$work/grouped$n-$round/lumetra.db"* "$work/csv$n-$round.db"*
  done
  awk -v n="$n" -v s="$seconds" -v rss="$rss" -v odbc="$odbc" -v direct="$direct" -v csv="$csv_seconds" \
      -v g="$grouped" -v grss="$grouped_rss" -v nested="$nested" 'BEGIN {
    rate = n / s
    printf "%8d records: program %9.0f records/s, peak RSS %6d KiB | driver loop %9.0f rows/s (ratio %.2f) | direct SQLite %9.0f rows/s (ratio %.2f) | sqlite3 .import %9.0f rows/s (ratio %.2f)\n",
      n, rate, rss, odbc, odbc / rate, direct, direct / rate, n / csv, (n / csv) / rate
    printf "%8d records: program with CommitInterval = 100 %9.0f records/s, peak RSS %6d KiB, %.3f s | sqlite3 .import %.3f s (best of each): time ratio program / .import %.2f\n",
      n, n / g, grss, g, csv, g / csv
    printf "%8d records: program through Backend = ODBC onto SQLite, CommitInterval = 100: %.3f s, %.2f x the direct SQLite backend\n",
      n, nested, nested / g
  }'
done
