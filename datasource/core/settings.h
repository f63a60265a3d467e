/* settings.h: the keys of a connection, from the connection string and,
 * for a named data source, from odbc.ini (the registry on Windows). The
 * string wins. */
#ifndef LUMETRA_DS_SETTINGS_H
#define LUMETRA_DS_SETTINGS_H

#include <string>
#include <vector>

#include "backend/backend.h"
#include "text/conn_string.h"

struct Settings : ConnectionKeys {
  std::string dsn;               /* "" for a connection without a data source */
  std::vector<Attribute> given;  /* from the connection string */
  std::vector<Attribute> stored; /* from the data source's section */

  /* Reads the data source's keys, once, before the first Get; false with
   * the reason when they cannot be read. */
  bool Load(std::string *error);

  /* The value of key, or fallback when neither source has it. */
  std::string Get(const char *key, const char *fallback = "") const override;
  /* A number of milliseconds and the like; fallback when absent, -1 when
   * the value is not a whole number from 0 to max. */
  long GetNumber(const char *key, long fallback, long max) const;
};

#endif
