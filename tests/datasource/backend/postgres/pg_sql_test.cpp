/* pg_sql_test.cpp: marker numbering and transaction-control detection on
 * the SQL text an application sends, without a server. */
#include <gtest/gtest.h>

#include "backend/postgres/pg_sql.h"

namespace {

TEST(PgSql, NumbersOnlyMarkersOutsideLiteralsNamesAndComments) {
  struct Case {
    const char *in, *out;
    int count;
  };
  const Case kCases[] = {
    {"INSERT INTO t VALUES (?,?,?)", "INSERT INTO t VALUES ($1,$2,$3)", 3},
    {"SELECT '?', ?", "SELECT '?', $1", 1},
    {"SELECT 'it''s ?', ?", "SELECT 'it''s ?', $1", 1},
    {"SELECT E'\\'?', ?", "SELECT E'\\'?', $1", 1},
    {"SELECT e'\\\\', ?", "SELECT e'\\\\', $1", 1},
    {"SELECT 'a\\', ?", "SELECT 'a\\', $1", 1}, /* no E: a backslash is a plain byte */
    {"SELECT \"col?\" FROM \"t\"\"?\" WHERE x = ?", "SELECT \"col?\" FROM \"t\"\"?\" WHERE x = $1", 1},
    {"SELECT ? -- ?\n, ?", "SELECT $1 -- ?\n, $2", 2},
    {"SELECT /* ? /* ? */ ? */ ?", "SELECT /* ? /* ? */ ? */ $1", 1},
    {"SELECT $$?$$, $tag$ ? $$ ? $tag$, ?", "SELECT $$?$$, $tag$ ? $$ ? $tag$, $1", 1},
    {"SELECT a$b$c, ?", "SELECT a$b$c, $1", 1}, /* $ inside a name opens nothing */
    {"SELECT $1, ?", "SELECT $1, $1", 1},
    {"SELECT 'open ?", "SELECT 'open ?", 0},
    {"SELECT /* open ?", "SELECT /* open ?", 0},
    {"SELECT $x$ open ?", "SELECT $x$ open ?", 0},
    {"", "", 0},
  };
  for (const Case &c : kCases) {
    int count = -1;
    EXPECT_EQ(NumberMarkers(c.in, &count), c.out) << c.in;
    EXPECT_EQ(count, c.count) << c.in;
  }
}

TEST(PgSql, TellsTransactionControl) {
  struct Case {
    const char *sql;
    bool control;
  };
  const Case kCases[] = {
    {"BEGIN", true},          {"  commit", true},           {"END", true},
    {"ROLLBACK TO x", true},  {"savepoint a", true},        {"RELEASE a", true},
    {"START TRANSACTION", true}, {"ABORT", true},           {"/* c */ -- d\n COMMIT", true},
    {"PREPARE TRANSACTION 'x'", true}, {"PREPARE p AS SELECT 1", false},
    {"SELECT 1", false},      {"INSERT INTO \"begin\" VALUES (1)", false},
    {"\"commit\"", false},    {"BEGINNING", false},         {"", false},
  };
  for (const Case &c : kCases) EXPECT_EQ(IsTransactionControl(c.sql), c.control) << c.sql;
}

TEST(PgSql, TellsACopyWithTheClient) {
  const struct { const char *sql; bool client; } kCases[] = {
    {"COPY t FROM STDIN", true},
    {"/* c */ copy t (a, b) from stdin with (format csv)", true},
    {"COPY (SELECT 1) TO STDOUT", true},
    {"COPY t TO '/tmp/t.txt'", false},
    {"COPY t FROM '/tmp/stdin'", false},
    {"COPY \"stdin\" FROM '/tmp/x'", false},
    {"COPY (SELECT 'from stdin') TO '/tmp/x'", false},
    {"SELECT 1 FROM stdin", false},
    {"COPYRIGHT FROM STDIN", false},
  };
  for (const auto &c : kCases) EXPECT_EQ(IsClientCopy(c.sql), c.client) << c.sql;
}

TEST(PgSql, TellsThePlainInsertsThatCopyCanCarry) {
  struct Case {
    const char *sql, *table, *columns;
    int markers;
  };
  const Case kCases[] = {
    {"INSERT INTO \"people\" VALUES (?,?,?)", "\"people\"", "", 3},
    {" insert into s.t ( a , \"B (c\" ) values ( ? , ? ) ; ", "s.t", "( a , \"B (c\" )", 2},
    {"INSERT INTO \"we\"\"ird\"(a) VALUES (?)", "\"we\"\"ird\"", "(a)", 1},
    {"INSERT INTO t VALUES (?, 1)", nullptr, nullptr, 0},
    {"INSERT INTO t VALUES (?), (?)", nullptr, nullptr, 0},
    {"INSERT INTO t VALUES (?) RETURNING a", nullptr, nullptr, 0},
    {"INSERT INTO t VALUES (?) ON CONFLICT DO NOTHING", nullptr, nullptr, 0},
    {"INSERT INTO t DEFAULT VALUES", nullptr, nullptr, 0},
    {"INSERT INTO t OVERRIDING SYSTEM VALUE VALUES (?)", nullptr, nullptr, 0},
    {"INSERT INTO t SELECT ?", nullptr, nullptr, 0},
    {"INSERT INTO t VALUES ()", nullptr, nullptr, 0},
    {"INSERT INTO t VALUES (?); DELETE FROM t", nullptr, nullptr, 0},
    {"INSERT INTO 1t VALUES (?)", nullptr, nullptr, 0},
    {"INSERTINTO t VALUES (?)", nullptr, nullptr, 0},
    {"UPDATE t SET a = ?", nullptr, nullptr, 0},
  };
  for (const Case &c : kCases) {
    std::string table, columns;
    int markers = 0;
    EXPECT_EQ(CopyTarget(c.sql, &table, &columns, &markers), c.table != nullptr) << c.sql;
    if (!c.table) continue;
    EXPECT_EQ(table, c.table) << c.sql;
    EXPECT_EQ(columns, c.columns) << c.sql;
    EXPECT_EQ(markers, c.markers) << c.sql;
  }
}

TEST(PgSql, EscapesCopyTextBytes) {
  const std::string in = "a\\b\tc\nd\re,\"f \xc3\xa9\\";
  std::string line = "x\t";
  AppendCopyText(&line, in.data(), in.size());
  EXPECT_EQ(line, "x\ta\\\\b\\tc\\nd\\re,\"f \xc3\xa9\\\\");
}

}  // namespace
