/* diagnostics.cpp: posting diagnostic records. Messages start with a
 * short vendor prefix, once: a message that comes from this driver again,
 * through a target that reaches back to it, keeps the one it has.
 * Messages are kept whole. */
#include "backend/diagnostics.h"

#include <string.h>

static const char kPrefix[] = "[Lumetra] ";

std::string WithoutDriverPrefix(const std::string &message) {
  if (message.compare(0, sizeof kPrefix - 1, kPrefix) != 0) return message;
  return message.substr(sizeof kPrefix - 1);
}

std::string WithDriverPrefix(const std::string &reason) {
  return kPrefix + reason;
}

/* A record with the prefix, unless the message has it already. */
static void Post(Diagnostics &diag, const char *state, SQLINTEGER native, const char *message, size_t length) {
  DiagRecord &r = diag.Add();
  /* clear and append, unlike assign, reuse the storage without further checks */
  r.state.clear();
  r.state.append(state, strnlen(state, 5));
  r.native = native;
  r.message.clear();
  if (length < sizeof kPrefix - 1 || memcmp(message, kPrefix, sizeof kPrefix - 1) != 0)
    r.message.append(kPrefix, sizeof kPrefix - 1);
  r.message.append(message, length);
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
