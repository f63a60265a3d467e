/* conn_string.h: ODBC connection strings: "key=value;key={va;lue}".
 * Keys are case-insensitive; a braced value may hold any byte, a closing
 * brace doubled. */
#ifndef LUMETRA_DS_CONN_STRING_H
#define LUMETRA_DS_CONN_STRING_H

#include <string>
#include <vector>

struct Attribute {
  std::string key;
  std::string value;
};

/* The attributes of s in order. A later repeat of a key is dropped, as
 * ODBC says the first one counts. Returns false, with the fault and where
 * it is in *bad, for an attribute without '=', an unclosed brace or text
 * after a closing brace. */
bool ParseConnectionString(const std::string &s, std::vector<Attribute> *out, std::string *bad);

/* key=value, the value braced when it needs to be. */
std::string FormatAttribute(const Attribute &a);

bool SameKey(const std::string &a, const char *b);

#endif
