/* sql_rewrite.cpp: SQL goes to SQLite as written, except that in a
 * CREATE TABLE the bare type words of the import utility get the SQLite
 * types whose affinity keeps their values: LPWSTR and LONG_LPWSTR become
 * TEXT (so "0123" stays text), I4 INTEGER, I2 SMALLINT, FILETIME
 * TIMESTAMP. Only words in the type position of a column definition are
 * mapped: table and column names (quoted or not), string literals,
 * comments, constraints in parentheses and an AS SELECT stay as written. */
#include <ctype.h>
#include <string.h>
#include <strings.h>

#include "driver.h"

struct TypeWord {
  const char *from;
  const char *to;
};

static const TypeWord kTypeWords[] = {
  {"LPWSTR", "TEXT"}, {"LONG_LPWSTR", "TEXT"}, {"I4", "INTEGER"}, {"I2", "SMALLINT"}, {"FILETIME", "TIMESTAMP"},
};

static bool IsWordByte(char c) {
  return isalnum((unsigned char)c) || c == '_' || c == '$' || (unsigned char)c >= 0x80;
}

static const char *MappedWord(const std::string &s, size_t at, size_t length) {
  for (const TypeWord &t : kTypeWords)
    if (strlen(t.from) == length && strncasecmp(s.c_str() + at, t.from, length) == 0) return t.to;
  return nullptr;
}

/* Length of the token at s[i]: a quoted run (its quote doubled to escape
 * itself), a comment, a word, or a single byte. */
static size_t TokenLength(const std::string &s, size_t i) {
  char c = s[i];
  if (c == '"' || c == '\'' || c == '`' || c == '[') {
    char close = c == '[' ? ']' : c;
    for (size_t j = i + 1; j < s.size(); j++) {
      if (s[j] != close) continue;
      if (close != ']' && j + 1 < s.size() && s[j + 1] == close) {
        j++;
        continue;
      }
      return j + 1 - i;
    }
    return s.size() - i;
  }
  if (s.compare(i, 2, "--") == 0) {
    size_t end = s.find('\n', i);
    return (end == std::string::npos ? s.size() : end) - i;
  }
  if (s.compare(i, 2, "/*") == 0) {
    size_t end = s.find("*/", i + 2);
    return end == std::string::npos ? s.size() - i : end + 2 - i;
  }
  size_t j = i;
  while (j < s.size() && IsWordByte(s[j])) j++;
  return j > i ? j - i : 1;
}

static bool IsBlankOrComment(const std::string &s, size_t i) {
  return isspace((unsigned char)s[i]) || s.compare(i, 2, "--") == 0 || s.compare(i, 2, "/*") == 0;
}

static bool IsWord(const std::string &s, size_t i, size_t n, const char *word) {
  return strlen(word) == n && strncasecmp(s.c_str() + i, word, n) == 0;
}

/* CREATE [TEMP | TEMPORARY] TABLE at the start of the statement. */
static bool IsCreateTable(const std::string &s) {
  int words = 0;
  for (size_t i = 0, n; i < s.size(); i += n) {
    n = TokenLength(s, i);
    if (IsBlankOrComment(s, i)) continue;
    if (words == 0 && !IsWord(s, i, n, "CREATE")) return false;
    if (words == 1 && (IsWord(s, i, n, "TEMP") || IsWord(s, i, n, "TEMPORARY"))) continue;
    if (words == 1) return IsWord(s, i, n, "TABLE");
    words++;
  }
  return false;
}

std::string RewriteSql(const char *sql, SQLINTEGER length) {
  std::string s = length == SQL_NTS ? std::string(sql) : std::string(sql, (size_t)length);
  if (!IsCreateTable(s)) return s;
  std::string out;
  int depth = 0;         /* 1 inside the column list */
  int wordInColumn = 0;  /* tokens of the current column definition so far */
  for (size_t i = 0, n; i < s.size(); i += n) {
    n = TokenLength(s, i);
    char c = s[i];
    if (depth == 0 && IsWord(s, i, n, "AS")) return out + s.substr(i);
    if (c == '(' || c == ')' || c == ',') {
      depth += c == '(' ? 1 : c == ')' ? -1 : 0;
      if (depth == 1 && c != ')') wordInColumn = 0;
    } else if (depth == 1 && !IsBlankOrComment(s, i)) {
      const char *to = wordInColumn > 0 ? MappedWord(s, i, n) : nullptr;
      wordInColumn++;
      if (to) {
        out += to;
        continue;
      }
    }
    out.append(s, i, n);
  }
  return out;
}
