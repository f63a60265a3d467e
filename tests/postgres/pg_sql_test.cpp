/* pg_sql_test.cpp: marker numbering and transaction-control detection on
 * the SQL text an application sends, without a server. */
#include <gtest/gtest.h>

#include "pg_sql.h"

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

}  // namespace
