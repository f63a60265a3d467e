/* dsn_request.cpp: decoding ConfigDSN's request and attribute list. */
#include "setup/dsn_request.h"

#include <string.h>

/* The request codes of odbcinst.h, which this file does not include so
 * that it builds without a driver manager's headers. */
struct RequestCode {
  unsigned code;
  DsnRequest request;
};

static const RequestCode kRequestCodes[] = {
  {1, {DSN_ADD, false}},    /* ODBC_ADD_DSN */
  {2, {DSN_CONFIG, false}}, /* ODBC_CONFIG_DSN */
  {3, {DSN_REMOVE, false}}, /* ODBC_REMOVE_DSN */
  {4, {DSN_ADD, true}},     /* ODBC_ADD_SYS_DSN */
  {5, {DSN_CONFIG, true}},  /* ODBC_CONFIG_SYS_DSN */
  {6, {DSN_REMOVE, true}},  /* ODBC_REMOVE_SYS_DSN */
};

const char *const kDsnKeys[] = {"Description", "Backend", "Database", "Target", "Charset", "CommitInterval"};
const int kDsnKeyCount = sizeof kDsnKeys / sizeof *kDsnKeys;

bool DecodeDsnRequest(unsigned request, DsnRequest *out) {
  for (const RequestCode &r : kRequestCodes) {
    if (r.code != request) continue;
    *out = r.request;
    return true;
  }
  return false;
}

bool ParseAttributeList(const char *list, std::vector<Attribute> *out, std::string *bad) {
  out->clear();
  for (const char *entry = list; entry && *entry; entry += strlen(entry) + 1) {
    const char *equals = strchr(entry, '=');
    if (!equals || equals == entry) {
      *bad = entry;
      return false;
    }
    Attribute a{std::string(entry, (size_t)(equals - entry)), equals + 1};
    if (!FindAttribute(*out, a.key.c_str())) out->push_back(a);
  }
  return true;
}

const Attribute *FindAttribute(const std::vector<Attribute> &list, const char *key) {
  for (const Attribute &a : list)
    if (SameKey(a.key, key)) return &a;
  return nullptr;
}

std::string AttributeValue(const std::vector<Attribute> &list, const char *key) {
  const Attribute *a = FindAttribute(list, key);
  return a ? a->value : "";
}
