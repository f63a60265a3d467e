/* sql_text.h: the one static buffer in which the statements are built.
 * It holds the longest statement the limits allow: 256 columns whose
 * 8191-byte names are all double quotes (each written twice), a 255-byte
 * table name of the same kind, and the longest type word for each. */
#ifndef LUMETRA_SQL_TEXT_H
#define LUMETRA_SQL_TEXT_H

#include <stdint.h>

#include "columns.h"

enum {
  MAX_TABLE_NAME = 255,
  LONGEST_TYPE_WORD = 11, /* LONG_LPWSTR */
  SQL_FIXED_PART = 32,    /* "CREATE TABLE " or "INSERT INTO ", quotes, " VALUES (", ")" */
  SQL_TEXT_SIZE = SQL_FIXED_PART + 2 * MAX_TABLE_NAME +
                  MAX_COLUMNS * (1 + 2 + 2 * (COLUMN_NAME_SIZE - 1) + LONGEST_TYPE_WORD) + 1
};

extern char g_sqlText[SQL_TEXT_SIZE];

/* Empties the statement. */
void StartSqlText(void);

/* Appends text as it stands. */
void AppendSqlText(const char *text);

/* Appends a name between double quotes, each double quote in it doubled. */
void AppendSqlName(const char *name);

#endif
