/* sql_lexer.cpp: stepping over the quoted runs, comments and words of
 * SQL text. */
#include "text/sql_lexer.h"

#include <ctype.h>

bool IsIdentByte(char c) { return isalnum((unsigned char)c) || c == '_' || (unsigned char)c >= 0x80; }

size_t QuotedEnd(const std::string &s, size_t i, char close, bool escapes) {
  for (size_t j = i + 1; j < s.size(); j++) {
    if (escapes && s[j] == '\\') {
      j++;
      continue;
    }
    if (s[j] != close) continue;
    if (close != ']' && j + 1 < s.size() && s[j + 1] == close) {
      j++;
      continue;
    }
    return j + 1;
  }
  return s.size();
}

bool IsCommentStart(const std::string &s, size_t i) { return s.compare(i, 2, "--") == 0 || s.compare(i, 2, "/*") == 0; }

size_t CommentEnd(const std::string &s, size_t i, bool nested) {
  if (s.compare(i, 2, "--") == 0) {
    size_t end = s.find('\n', i);
    return end == std::string::npos ? s.size() : end;
  }
  if (!nested) {
    size_t end = s.find("*/", i + 2);
    return end == std::string::npos ? s.size() : end + 2;
  }
  int depth = 0;
  for (size_t j = i; j < s.size(); j++) {
    if (s.compare(j, 2, "/*") == 0) {
      depth++, j++;
    } else if (s.compare(j, 2, "*/") == 0) {
      j++;
      if (--depth == 0) return j + 1;
    }
  }
  return s.size();
}

size_t DollarQuotedEnd(const std::string &s, size_t i) {
  size_t j = i + 1;
  if (s[i] != '$' || (j < s.size() && isdigit((unsigned char)s[j]))) return i;
  while (j < s.size() && IsIdentByte(s[j])) j++;
  if (j >= s.size() || s[j] != '$') return i;
  size_t tag = j + 1 - i;
  size_t end = s.find(s.c_str() + i, i + tag, tag);
  return end == std::string::npos ? s.size() : end + tag;
}

size_t SqlTokenLength(const std::string &s, size_t i) {
  char c = s[i];
  if (c == '$' && DollarQuotedEnd(s, i) > i) return DollarQuotedEnd(s, i) - i;
  if (c == '"' || c == '\'' || c == '`' || c == '[') return QuotedEnd(s, i, c == '[' ? ']' : c, false) - i;
  if (IsCommentStart(s, i)) return CommentEnd(s, i, false) - i;
  size_t j = i;
  while (j < s.size() && (IsIdentByte(s[j]) || s[j] == '$')) j++;
  return j > i ? j - i : 1;
}
