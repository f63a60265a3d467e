/* sql_rewrite.h: the SQL text on its way to a backend: the import
 * utility's type words mapped in CREATE TABLE, and a text of several
 * statements split into them. */
#ifndef LUMETRA_DS_SQL_REWRITE_H
#define LUMETRA_DS_SQL_REWRITE_H

#include <stddef.h>

#include <string>
#include <vector>

#include "text/type_words.h"

/* sql with each type word of a CREATE TABLE replaced by names[its TypeWordId]. */
std::string RewriteSql(const std::string &sql, const char *const *names);

/* The double-quoted identifiers of sql between other quotes: `name` or
 * [name], for a database that does not take "name". */
std::string RequoteIdentifiers(const std::string &sql, char open, char close);

/* The statements of sql in order, blank ones left out. */
std::vector<std::string> SplitStatements(const std::string &sql);

#endif
