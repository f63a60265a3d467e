/* fuzz_sql_rewrite.cpp: arbitrary SQL through the type-word rewrite and
 * the statement splitter. A rewrite whose words map to themselves must
 * give the text back unchanged, so the tokens it walks cover the input
 * exactly; splitting the statements joined again (on lines of their own,
 * after any comment) must give them back,
 * unless the text ends inside an unclosed quote, which swallows the
 * joining semicolons. Numbering '?' markers for PostgreSQL turns some of
 * the '?' into $1..$n and touches nothing else. */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "backend/postgres/pg_sql.h"
#include "text/sql_rewrite.h"

static const char *const kMapped[TYPE_WORD_COUNT] = {"TEXT", "TEXT", "INTEGER", "SMALLINT", "TIMESTAMP"};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string sql((const char *)data, size);
  if (RewriteSql(sql, kTypeWords) != sql) abort();
  RewriteSql(sql, kMapped);
  std::vector<std::string> statements = SplitStatements(sql);
  std::string joined;
  for (const std::string &s : statements) {
    if (sql.find(s) == std::string::npos) abort();
    joined += s + "\n;";
  }
  bool closed = SplitStatements(sql + "\n;").size() == statements.size();
  std::vector<std::string> again = SplitStatements(joined);
  if (closed && again.size() != statements.size()) abort();
  int markers = 0;
  std::string numbered = NumberMarkers(sql, &markers);
  size_t grown = 0;
  for (int k = 1; k <= markers; k++) grown += std::to_string(k).size();
  if (markers < 0 || (size_t)markers > (size_t)std::count(sql.begin(), sql.end(), '?')) abort();
  if (numbered.size() != sql.size() + grown) abort();
  for (size_t i = 0; closed && i < again.size(); i++)
    if (again[i].compare(0, statements[i].size(), statements[i]) != 0) abort();
  return 0;
}
