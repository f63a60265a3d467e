/* pg_sql.cpp: a scan of PostgreSQL's lexical forms, enough to tell where
 * a '?' is a parameter marker: 'text' (a quote doubled inside), E'text'
 * (backslash escapes too), "name", $tag$body$tag$, -- comments and nested
 * block comments, over the pieces of the driver's SQL lexer. Everything
 * else is copied as written. */
#include "backend/postgres/pg_sql.h"

#include <ctype.h>
#include <string.h>
#include <strings.h>

#include "text/sql_lexer.h"

/* The end of the token at s[i] when it is a literal, name or comment;
 * i itself when it is none of those. */
static size_t SkipOpaque(const std::string &s, size_t i) {
  char c = s[i];
  bool wordBefore = i > 0 && (IsIdentByte(s[i - 1]) || s[i - 1] == '$');
  if (c == '\'') {
    bool escapes = i > 0 && (s[i - 1] == 'E' || s[i - 1] == 'e') && (i < 2 || !IsIdentByte(s[i - 2]));
    return QuotedEnd(s, i, '\'', escapes);
  }
  if (c == '"') return QuotedEnd(s, i, '"', false);
  if (IsCommentStart(s, i)) return CommentEnd(s, i, true);
  if (c == '$' && !wordBefore) return DollarQuotedEnd(s, i);
  return i;
}

std::string NumberMarkers(const std::string &s, int *count) {
  std::string out;
  out.reserve(s.size() + 16);
  *count = 0;
  for (size_t i = 0; i < s.size();) {
    size_t end = SkipOpaque(s, i);
    if (end > i) {
      out.append(s, i, end - i);
      i = end;
    } else if (s[i] == '?') {
      out += '$' + std::to_string(++*count);
      i++;
    } else {
      out += s[i++];
    }
  }
  return out;
}

/* The position of the first word of s, past blanks and comments. */
static size_t FirstWord(const std::string &s) {
  size_t i = 0;
  for (;;) {
    while (i < s.size() && isspace((unsigned char)s[i])) i++;
    size_t end = i < s.size() && s[i] != '\'' && s[i] != '"' && s[i] != '$' ? SkipOpaque(s, i) : i;
    if (end == i) return i;
    i = end; /* a comment before the first word */
  }
}

/* The word that starts at s[i] (empty if none), and *end past it. */
static std::string WordAt(const std::string &s, size_t i, size_t *end) {
  size_t j = i;
  while (j < s.size() && IsIdentByte(s[j])) j++;
  *end = j;
  return s.substr(i, j - i);
}

static const char *const kControlWords[] = {"BEGIN", "START", "COMMIT", "END", "ROLLBACK", "ABORT", "SAVEPOINT", "RELEASE"};

bool IsTransactionControl(const std::string &s) {
  size_t j;
  std::string word = WordAt(s, FirstWord(s), &j);
  for (const char *w : kControlWords)
    if (strcasecmp(word.c_str(), w) == 0) return true;
  if (strcasecmp(word.c_str(), "PREPARE") != 0) return false;
  while (j < s.size() && isspace((unsigned char)s[j])) j++;
  return strncasecmp(s.c_str() + j, "TRANSACTION", 11) == 0;
}

bool IsClientCopy(const std::string &s) {
  size_t i;
  if (strcasecmp(WordAt(s, FirstWord(s), &i).c_str(), "COPY") != 0) return false;
  std::string previous;
  while (i < s.size()) {
    size_t end = SkipOpaque(s, i);
    if (end > i) { /* a literal, quoted name or comment is no keyword */
      previous.clear();
      i = end;
      continue;
    }
    std::string word = WordAt(s, i, &end);
    if (word.empty()) {
      if (!isspace((unsigned char)s[i])) previous.clear();
      i++;
      continue;
    }
    if ((strcasecmp(previous.c_str(), "FROM") == 0 && strcasecmp(word.c_str(), "STDIN") == 0) ||
        (strcasecmp(previous.c_str(), "TO") == 0 && strcasecmp(word.c_str(), "STDOUT") == 0))
      return true;
    previous = word;
    i = end;
  }
  return false;
}

/* The plain insert's grammar, one step at a time over s from *i. */
static void SkipSpace(const std::string &s, size_t *i) {
  while (*i < s.size() && isspace((unsigned char)s[*i])) ++*i;
}

/* Each Take moves *i past what it takes, and leaves it alone when the
 * text there is something else. */
static bool TakeWord(const std::string &s, size_t *i, const char *word) {
  size_t n = strlen(word), j = *i;
  SkipSpace(s, &j);
  if (strncasecmp(s.c_str() + j, word, n) != 0 || (j + n < s.size() && IsIdentByte(s[j + n]))) return false;
  *i = j + n;
  return true;
}

static bool TakeByte(const std::string &s, size_t *i, char c) {
  size_t j = *i;
  SkipSpace(s, &j);
  if (j >= s.size() || s[j] != c) return false;
  *i = j + 1;
  return true;
}

/* A name: a word, or a quoted name. */
static bool TakeName(const std::string &s, size_t *i) {
  SkipSpace(s, i);
  if (*i < s.size() && s[*i] == '"') {
    size_t end = QuotedEnd(s, *i, '"', false);
    if (end == s.size() && s.back() != '"') return false;
    *i = end;
    return true;
  }
  size_t start = *i;
  while (*i < s.size() && IsIdentByte(s[*i])) ++*i;
  return *i > start && !isdigit((unsigned char)s[start]);
}

bool CopyTarget(const std::string &s, std::string *table, std::string *columns, int *markers) {
  size_t i = 0;
  if (!TakeWord(s, &i, "INSERT") || !TakeWord(s, &i, "INTO")) return false;
  SkipSpace(s, &i);
  size_t start = i;
  do {
    if (!TakeName(s, &i)) return false;
  } while (TakeByte(s, &i, '.'));
  size_t tableEnd = i;
  if (TakeByte(s, &i, '(')) {
    do {
      if (!TakeName(s, &i)) return false;
    } while (TakeByte(s, &i, ','));
    if (!TakeByte(s, &i, ')')) return false;
  }
  size_t end = i;
  if (!TakeWord(s, &i, "VALUES") || !TakeByte(s, &i, '(')) return false;
  *markers = 0;
  do {
    if (!TakeByte(s, &i, '?')) return false;
    ++*markers;
  } while (TakeByte(s, &i, ','));
  if (!TakeByte(s, &i, ')')) return false;
  TakeByte(s, &i, ';');
  SkipSpace(s, &i);
  if (i != s.size()) return false;
  *table = s.substr(start, tableEnd - start);
  size_t list = s.find('(', tableEnd);
  *columns = list < end ? s.substr(list, end - list) : "";
  return true;
}

void AppendCopyText(std::string *line, const char *data, size_t size) {
  size_t plain = 0;
  for (size_t i = 0; i < size; i++) {
    char c = data[i];
    char escape = c == '\\' ? '\\' : c == '\t' ? 't' : c == '\n' ? 'n' : c == '\r' ? 'r' : 0;
    if (!escape) continue;
    line->append(data + plain, i - plain);
    *line += '\\';
    *line += escape;
    plain = i + 1;
  }
  line->append(data + plain, size - plain);
}
