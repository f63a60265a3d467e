/* dsn_request.h: what the driver's setup entry point, ConfigDSN, is asked
 * to do: the request code decoded, the attribute list parsed, and the
 * keys of the data source that the setup writes, in the order the dialog
 * shows them. Shared by the silent path and the dialog; no Windows calls,
 * so it is tested on Linux as well. */
#ifndef LUMETRA_DS_DSN_REQUEST_H
#define LUMETRA_DS_DSN_REQUEST_H

#include <string>
#include <vector>

#include "text/conn_string.h"

enum DsnAction { DSN_ADD, DSN_CONFIG, DSN_REMOVE };

struct DsnRequest {
  DsnAction action;
  bool system; /* a system DSN (HKLM) rather than the user's (HKCU) */
};

/* ODBC_ADD_DSN ... ODBC_REMOVE_SYS_DSN; false for any other code. */
bool DecodeDsnRequest(unsigned request, DsnRequest *out);

/* ConfigDSN's attribute list: "key=value" entries each ended by a NUL,
 * the list by a second NUL (a null pointer is an empty list). A repeated
 * key keeps its first value. False, with the entry in *bad, for an entry
 * without '=' or with an empty key. */
bool ParseAttributeList(const char *list, std::vector<Attribute> *out, std::string *bad);

/* The entry of key in the list, or null when it has none. */
const Attribute *FindAttribute(const std::vector<Attribute> &list, const char *key);
/* The value of key in the list, or "" when it has none. */
std::string AttributeValue(const std::vector<Attribute> &list, const char *key);

/* The keys a data source of this driver keeps, besides its name. */
extern const char *const kDsnKeys[];
extern const int kDsnKeyCount;

#endif
