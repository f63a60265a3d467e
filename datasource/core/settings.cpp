/* settings.cpp: looking a key up in the connection string, then in the
 * data source's section of odbc.ini. */
#include "core/settings.h"

#include <odbcinst.h>
#include <stdlib.h>

enum { PROFILE_VALUE_SIZE = 4096 };

std::string Settings::Get(const char *key, const char *fallback) const {
  for (const Attribute &a : given)
    if (SameKey(a.key, key)) return a.value;
  if (dsn.empty()) return fallback;
  char value[PROFILE_VALUE_SIZE] = "";
  SQLGetPrivateProfileString(dsn.c_str(), key, fallback, value, sizeof value, "odbc.ini");
  return value;
}

long Settings::GetNumber(const char *key, long fallback, long max) const {
  std::string text = Get(key, "");
  if (text.empty()) return fallback;
  char *end = nullptr;
  long n = strtol(text.c_str(), &end, 10);
  if (*end != 0 || n < 0 || n > max || text[0] == '-' || text[0] == '+') return -1;
  return n;
}
