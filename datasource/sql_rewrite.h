/* sql_rewrite.h: the SQL text on its way to a backend: the import
 * utility's type words mapped in CREATE TABLE, and a text of several
 * statements split into them. */
#ifndef LUMETRA_DS_SQL_REWRITE_H
#define LUMETRA_DS_SQL_REWRITE_H

#include <stddef.h>

#include <string>
#include <vector>

#include "backend.h"

std::string RewriteSql(const std::string &sql, const TypeWord *words, size_t count);

/* The double-quoted identifiers of sql between other quotes: `name` or
 * [name], for a database that does not take "name". */
std::string RequoteIdentifiers(const std::string &sql, char open, char close);

/* The statements of sql in order, blank ones left out. */
std::vector<std::string> SplitStatements(const std::string &sql);

#endif
