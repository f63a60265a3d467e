/* conn_string.cpp: parsing and writing ODBC connection strings. */
#include "text/conn_string.h"

#include <strings.h>

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

static std::string Trimmed(const std::string &s, size_t from, size_t to) {
  while (from < to && IsBlank(s[from])) from++;
  while (to > from && IsBlank(s[to - 1])) to--;
  return s.substr(from, to - from);
}

bool SameKey(const std::string &a, const char *b) { return strcasecmp(a.c_str(), b) == 0; }

static bool Has(const std::vector<Attribute> &list, const std::string &key) {
  for (const Attribute &a : list)
    if (SameKey(a.key, key.c_str())) return true;
  return false;
}

/* A braced value starting at s[i] == '{': its text, and i past the brace. */
static bool BracedValue(const std::string &s, size_t *i, std::string *value) {
  for (size_t j = *i + 1; j < s.size(); j++) {
    if (s[j] != '}') {
      *value += s[j];
      continue;
    }
    if (j + 1 < s.size() && s[j + 1] == '}') {
      *value += '}';
      j++;
      continue;
    }
    *i = j + 1;
    return true;
  }
  return false;
}

/* Where a fault is: no value is shown, as it may be a password. */
static std::string At(size_t position) { return " at character " + std::to_string(position + 1); }

bool ParseConnectionString(const std::string &s, std::vector<Attribute> *out, std::string *bad) {
  size_t i = 0;
  while (i < s.size()) {
    size_t end = s.find(';', i);
    size_t eq = s.find('=', i);
    if (end == std::string::npos) end = s.size();
    if (Trimmed(s, i, end).empty()) {
      i = end + 1;
      continue;
    }
    if (eq == std::string::npos || eq > end) {
      *bad = "\"" + Trimmed(s, i, end) + "\"" + At(i) + " has no '='";
      return false;
    }
    Attribute a{Trimmed(s, i, eq), ""};
    size_t v = eq + 1;
    while (v < s.size() && IsBlank(s[v])) v++;
    if (v < s.size() && s[v] == '{') {
      size_t brace = v;
      if (!BracedValue(s, &v, &a.value)) {
        *bad = "the value of " + a.key + At(brace) + " opens a brace that is not closed";
        return false;
      }
      while (v < s.size() && IsBlank(s[v])) v++;
      if (v < s.size() && s[v] != ';') {
        *bad = "the value of " + a.key + " goes on" + At(v) + " after its closing brace";
        return false;
      }
      end = v;
    } else {
      a.value = Trimmed(s, eq + 1, end);
    }
    if (!a.key.empty() && !Has(*out, a.key)) out->push_back(a);
    i = end + 1;
  }
  return true;
}

std::string FormatAttribute(const Attribute &a) {
  bool braces = a.value.find_first_of(";{}") != std::string::npos || (!a.value.empty() && IsBlank(a.value[0])) ||
                (!a.value.empty() && IsBlank(a.value.back()));
  if (!braces) return a.key + "=" + a.value;
  std::string out = a.key + "={";
  for (char c : a.value) {
    out += c;
    if (c == '}') out += '}';
  }
  return out + "}";
}
