/* sql_rewrite_test.cpp: the utility's type words in CREATE TABLE mapped
 * to a backend's types and nothing else touched; texts of several
 * statements split; double-quoted names in another database's quotes. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/sql_rewrite.h"

namespace {

const char *const kNames[TYPE_WORD_COUNT] = {"TEXT", "CLOB", "INTEGER", "SMALLINT", "TIMESTAMP"};

TEST(SqlRewrite, TypeWordsOnlyInTheTypePosition) {
  const struct {
    const char *in, *out;
  } rows[] = {
    {"CREATE TABLE t (a LPWSTR, b LONG_LPWSTR, c I4, d I2, e FILETIME)",
     "CREATE TABLE t (a TEXT, b CLOB, c INTEGER, d SMALLINT, e TIMESTAMP)"},
    {"create temp table \"I4\" (\"LPWSTR\" lpwstr, n i2)", "create temp table \"I4\" (\"LPWSTR\" TEXT, n SMALLINT)"},
    {"CREATE TABLE t (a I4 DEFAULT 'I4', CONSTRAINT I2 CHECK (a > 0))",
     "CREATE TABLE t (a INTEGER DEFAULT 'I4', CONSTRAINT I2 CHECK (a > 0))"},
    {"CREATE TABLE t (a /* I4 */ FILETIME -- I2\n)", "CREATE TABLE t (a /* I4 */ TIMESTAMP -- I2\n)"},
    {"CREATE TABLE t AS SELECT I4 FROM x", "CREATE TABLE t AS SELECT I4 FROM x"},
    {"INSERT INTO t VALUES ('LPWSTR', 1)", "INSERT INTO t VALUES ('LPWSTR', 1)"},
    {"CREATE INDEX i4 ON t (I4)", "CREATE INDEX i4 ON t (I4)"},
    {"CREATE TABLE t (a I4 DEFAULT $$I2, x I4$$, b I2)", "CREATE TABLE t (a INTEGER DEFAULT $$I2, x I4$$, b SMALLINT)"},
  };
  for (const auto &r : rows) EXPECT_EQ(RewriteSql(r.in, kNames), r.out) << r.in;
}

TEST(SqlRewrite, StatementsSplitAtTheirSemicolons) {
  const struct {
    const char *in;
    std::vector<std::string> out;
  } rows[] = {
    {"SELECT 1; SELECT 2", {"SELECT 1", " SELECT 2"}},
    {"SELECT ';' ; ; -- only a comment;\n", {"SELECT ';' "}},
    {"CREATE TRIGGER tr AFTER INSERT ON t BEGIN UPDATE x SET a = 1; END; SELECT 1",
     {"CREATE TRIGGER tr AFTER INSERT ON t BEGIN UPDATE x SET a = 1; END", " SELECT 1"}},
    {"  ", {}},
    /* dollar-quoted bodies stay whole, their semicolons too */
    {"CREATE FUNCTION f() RETURNS int AS $$ BEGIN RETURN 1; END $$ LANGUAGE plpgsql; SELECT f()",
     {"CREATE FUNCTION f() RETURNS int AS $$ BEGIN RETURN 1; END $$ LANGUAGE plpgsql", " SELECT f()"}},
    {"SELECT $body$ a; $$ b; $body$; SELECT $1; SELECT a$b; SELECT 2",
     {"SELECT $body$ a; $$ b; $body$", " SELECT $1", " SELECT a$b", " SELECT 2"}},
    {"SELECT $$ never closed; SELECT 2", {"SELECT $$ never closed; SELECT 2"}},
  };
  for (const auto &r : rows) EXPECT_EQ(SplitStatements(r.in), r.out) << r.in;
}

TEST(SqlRewrite, IdentifiersRequoted) {
  const struct {
    const char *in;
    char open, close;
    const char *out;
  } rows[] = {
    {"SELECT \"a\"\"b\" FROM \"t\"", '[', ']', "SELECT [a\"b] FROM [t]"},
    {"SELECT \"x]y\" FROM t", '[', ']', "SELECT [x]]y] FROM t"},
    {"SELECT \"x`y\", 'it''s \"no\"' FROM t", '`', '`', "SELECT `x``y`, 'it''s \"no\"' FROM t"},
    {"SELECT \"same\"", '"', '"', "SELECT \"same\""},
  };
  for (const auto &r : rows) EXPECT_EQ(RequoteIdentifiers(r.in, r.open, r.close), r.out) << r.in;
}

}  // namespace
