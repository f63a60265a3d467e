/* fuzz_conn_string.cpp: arbitrary connection strings. What parses must
 * write back into a string that parses to the same attributes. */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "text/conn_string.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string in((const char *)data, size);
  std::vector<Attribute> parsed;
  std::string bad;
  if (!ParseConnectionString(in, &parsed, &bad)) return 0;
  std::string written;
  for (const Attribute &a : parsed) written += FormatAttribute(a) + ";";
  std::vector<Attribute> again;
  if (!ParseConnectionString(written, &again, &bad)) abort();
  if (again.size() != parsed.size()) abort();
  for (size_t i = 0; i < parsed.size(); i++)
    if (again[i].key != parsed[i].key || again[i].value != parsed[i].value) abort();
  return 0;
}
