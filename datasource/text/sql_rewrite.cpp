/* sql_rewrite.cpp: SQL goes to the backend as written, except that in a
 * CREATE TABLE the bare type words of the import utility get the
 * backend's types (for SQLite those whose affinity keeps the values, so
 * "0123" stays text). Only words in the type position of a column
 * definition are mapped: table and column names (quoted or not), string
 * literals, comments, constraints in parentheses and an AS SELECT stay as
 * written. A text of several statements is split at the semicolons
 * between them. */
#include "text/sql_rewrite.h"

#include <ctype.h>
#include <string.h>
#include <strings.h>

#include "text/sql_lexer.h"

static const char *MappedWord(const std::string &s, size_t at, size_t length, const char *const *names) {
  for (int k = 0; k < TYPE_WORD_COUNT; k++)
    if (strlen(kTypeWords[k]) == length && strncasecmp(s.c_str() + at, kTypeWords[k], length) == 0) return names[k];
  return nullptr;
}

static bool IsBlankOrComment(const std::string &s, size_t i) {
  return isspace((unsigned char)s[i]) || IsCommentStart(s, i);
}

static bool IsWord(const std::string &s, size_t i, size_t n, const char *word) {
  return strlen(word) == n && strncasecmp(s.c_str() + i, word, n) == 0;
}

/* CREATE [TEMP | TEMPORARY] <kind> at the start of the statement. */
static bool IsCreate(const std::string &s, size_t from, const char *kind) {
  int words = 0;
  for (size_t i = from, n; i < s.size(); i += n) {
    n = SqlTokenLength(s, i);
    if (IsBlankOrComment(s, i)) continue;
    if (words == 0 && !IsWord(s, i, n, "CREATE")) return false;
    if (words == 1 && (IsWord(s, i, n, "TEMP") || IsWord(s, i, n, "TEMPORARY"))) continue;
    if (words == 1) return IsWord(s, i, n, kind);
    words++;
  }
  return false;
}

/* The words that start a table constraint rather than a column. */
static const char *const kConstraintWords[] = {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN"};

static bool IsConstraintWord(const std::string &s, size_t i, size_t n) {
  for (const char *w : kConstraintWords)
    if (IsWord(s, i, n, w)) return true;
  return false;
}

/* The type of a column is the token right after its name; a constraint
 * named I2 or a default of I4 keeps its word. */
std::string RewriteSql(const std::string &s, const char *const *names) {
  if (!IsCreate(s, 0, "TABLE")) return s;
  std::string out;
  int depth = 0;          /* 1 inside the column list */
  int wordInColumn = 0;   /* tokens of the current column definition so far */
  bool constraint = false; /* the definition is a table constraint */
  for (size_t i = 0, n; i < s.size(); i += n) {
    n = SqlTokenLength(s, i);
    char c = s[i];
    if (depth == 0 && IsWord(s, i, n, "AS")) return out + s.substr(i);
    if (c == '(' || c == ')' || c == ',') {
      depth += c == '(' ? 1 : c == ')' ? -1 : 0;
      if (depth == 1 && c != ')') wordInColumn = 0;
    } else if (depth == 1 && !IsBlankOrComment(s, i)) {
      if (wordInColumn == 0) constraint = IsConstraintWord(s, i, n);
      const char *to = wordInColumn == 1 && !constraint ? MappedWord(s, i, n, names) : nullptr;
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

/* A trigger's body holds semicolons of its own between BEGIN and END, as
 * CASE ... END may inside it. */
std::vector<std::string> SplitStatements(const std::string &s) {
  std::vector<std::string> out;
  size_t start = 0;
  int depth = 0;
  bool empty = true, trigger = false;
  for (size_t i = 0, n; i <= s.size(); i += n) {
    if (i == s.size() || (s[i] == ';' && depth == 0)) {
      if (!empty) out.push_back(s.substr(start, i - start));
      start = i + 1;
      empty = true;
      trigger = false;
      n = 1;
      continue;
    }
    n = SqlTokenLength(s, i);
    if (IsBlankOrComment(s, i)) continue;
    if (empty) trigger = IsCreate(s, i, "TRIGGER");
    empty = false;
    if (!trigger) continue;
    if (IsWord(s, i, n, "BEGIN") || IsWord(s, i, n, "CASE")) depth++;
    if (IsWord(s, i, n, "END") && depth > 0) depth--;
  }
  return out;
}

/* A double-quoted identifier between the target's own quotes: a doubled
 * '"' inside stands for one, and the target's closing quote is doubled. */
static std::string Requoted(const std::string &token, char open, char close) {
  std::string out(1, open);
  for (size_t i = 1; i + 1 < token.size(); i++) {
    if (token[i] == '"' && token[i + 1] == '"') i++;
    if (token[i] == close) out += close;
    out += token[i];
  }
  return out + close;
}

std::string RequoteIdentifiers(const std::string &s, char open, char close) {
  if (open == '"' && close == '"') return s;
  std::string out;
  for (size_t i = 0, n; i < s.size(); i += n) {
    n = SqlTokenLength(s, i);
    bool identifier = s[i] == '"' && n >= 2 && s[i + n - 1] == '"';
    out += identifier ? Requoted(s.substr(i, n), open, close) : s.substr(i, n);
  }
  return out;
}
