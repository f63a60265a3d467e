/* diagnostics.cpp: posting diagnostic records. Messages start with a
 * short vendor prefix and keep their useful part within the first 127
 * characters. */
#include "backend/diagnostics.h"

#include <string.h>

static const char kPrefix[] = "[Lumetra] ";

/* A client may show no more than this of a message (the import utility
 * reads it into 128 bytes), and what is cut off there is lost. */
enum { MESSAGE_KEEP = 127, QUOTED_KEEP = 12 };
static const char kEllipsis[] = "...";

/* The longest double-quoted run of s as [open, close] quote positions. */
static bool LongestQuoted(const std::string &s, size_t *open, size_t *close) {
  size_t best = 0;
  for (size_t a = s.find('"'); a != std::string::npos; a = s.find('"', a + 1)) {
    size_t b = s.find('"', a + 1);
    if (b == std::string::npos) break;
    if (b - a > best) best = b - a, *open = a, *close = b;
    a = b;
  }
  return best > 0;
}

/* Shortens quoted names and paths in the middle of a long message, keeping
 * their start and end, so that the reason after them stays within the
 * first 127 characters: table "Quarterly cu...qqq" already exists. */
std::string FitMessage(std::string s) {
  size_t open, close;
  const size_t dots = sizeof kEllipsis - 1;
  while (s.size() > MESSAGE_KEEP && LongestQuoted(s, &open, &close)) {
    size_t inner = close - open - 1;
    size_t excess = s.size() - MESSAGE_KEEP + dots;
    if (inner <= QUOTED_KEEP + dots) break;
    size_t keep = inner > excess + QUOTED_KEEP ? inner - excess : (size_t)QUOTED_KEEP;
    size_t tail = keep / 2;
    s.replace(open + 1 + keep - tail, inner - keep, kEllipsis);
  }
  return s;
}

/* A record with the prefix; short messages, the usual ones, need no fitting. */
static void Post(Diagnostics &diag, const char *state, SQLINTEGER native, const char *message, size_t length) {
  DiagRecord &r = diag.Add();
  /* clear and append, unlike assign, reuse the storage without further checks */
  r.state.clear();
  r.state.append(state, strnlen(state, 5));
  r.native = native;
  r.message.clear();
  r.message.append(kPrefix, sizeof kPrefix - 1).append(message, length);
  if (r.message.size() > MESSAGE_KEEP) r.message = FitMessage(std::move(r.message));
}

SQLRETURN PostError(Diagnostics &diag, const char *state, SQLINTEGER native, const std::string &message) {
  Post(diag, state, native, message.data(), message.size());
  return SQL_ERROR;
}

void PostInfo(Diagnostics &diag, const char *state, const std::string &message) {
  Post(diag, state, 0, message.data(), message.size());
}

void PostInfo(Diagnostics &diag, const char *state, const char *message) {
  Post(diag, state, 0, message, strlen(message));
}
