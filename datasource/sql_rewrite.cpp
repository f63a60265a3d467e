/* sql_rewrite.cpp: SQL goes to SQLite as written, except that in a
 * CREATE TABLE the bare type words of the import utility get the SQLite
 * types whose affinity keeps their values: LPWSTR and LONG_LPWSTR become
 * TEXT (so "0123" stays text), I4 INTEGER, I2 SMALLINT, FILETIME
 * TIMESTAMP. Quoted identifiers and string literals are never touched. */
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
  return isalnum((unsigned char)c) || c == '_' || (unsigned char)c >= 0x80;
}

static const char *MappedWord(const std::string &word) {
  for (const TypeWord &t : kTypeWords)
    if (strcasecmp(word.c_str(), t.from) == 0) return t.to;
  return nullptr;
}

/* Length of the quoted run starting at s[i] (quote char q, doubled to escape). */
static size_t QuotedLength(const std::string &s, size_t i, char q) {
  size_t j = i + 1;
  while (j < s.size()) {
    if (s[j] == q) {
      if (j + 1 < s.size() && s[j + 1] == q) {
        j += 2;
        continue;
      }
      return j + 1 - i;
    }
    j++;
  }
  return s.size() - i;
}

/* The words of s in order, skipping quoted runs, as [start, end) pairs. */
template <typename F>
static void ForEachWord(const std::string &s, F f) {
  size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    if (c == '"' || c == '\'' || c == '`' || c == '[') {
      i += QuotedLength(s, i, c == '[' ? ']' : c);
    } else if (IsWordByte(c)) {
      size_t j = i;
      while (j < s.size() && IsWordByte(s[j])) j++;
      if (!f(i, j)) return;
      i = j;
    } else {
      i++;
    }
  }
}

static bool IsCreateTable(const std::string &s) {
  int n = 0;
  bool yes = false;
  ForEachWord(s, [&](size_t a, size_t b) {
    std::string w = s.substr(a, b - a);
    if (n == 0) yes = strcasecmp(w.c_str(), "CREATE") == 0;
    if (n == 1) yes = yes && (strcasecmp(w.c_str(), "TABLE") == 0 || strcasecmp(w.c_str(), "TEMP") == 0 ||
                              strcasecmp(w.c_str(), "TEMPORARY") == 0);
    return ++n < 2;
  });
  return yes && n == 2;
}

std::string RewriteSql(const char *sql, SQLINTEGER length) {
  std::string s = length == SQL_NTS ? std::string(sql) : std::string(sql, (size_t)length);
  if (!IsCreateTable(s)) return s;
  std::string out;
  size_t copied = 0;
  ForEachWord(s, [&](size_t a, size_t b) {
    const char *to = MappedWord(s.substr(a, b - a));
    if (to) {
      out.append(s, copied, a - copied);
      out += to;
      copied = b;
    }
    return true;
  });
  out.append(s, copied, std::string::npos);
  return out;
}
