/* connection_string.cpp: the string the run connects with. The program
 * converts the file's text to UTF-8 itself and says so to the driver,
 * whatever the data source's Charset says for other clients: after a DSN
 * name, and before a connection string of the user's, where the first
 * repeat of a key is the one that counts. */
#include <stdio.h>
#include <string.h>

#include "run.h"

static const char kDefaultDataSource[] = "Lumetra Data Source";
static const char kCharsetKey[] = "Charset=UTF-8";

int32_t MakeConnectionString(const char *dataSource, char *out) {
  if (!dataSource) dataSource = kDefaultDataSource;
  int n;
  if (strchr(dataSource, '='))
    n = snprintf(out, CONNECTION_STRING_SIZE, "%s;%s", kCharsetKey, dataSource);
  else if (strpbrk(dataSource, ";{}"))
    return 0; /* no DSN name holds these */
  else
    n = snprintf(out, CONNECTION_STRING_SIZE, "DSN=%s;%s", dataSource, kCharsetKey);
  return n > 0 && n < CONNECTION_STRING_SIZE;
}
