/* pg_sql.h: SQL text on its way to a PostgreSQL server: ODBC's '?'
 * parameter markers numbered $1..$n, whether a statement controls the
 * transaction itself or copies rows with the client, and the plain
 * inserts that COPY can carry. */
#ifndef LUMETRA_DS_PG_SQL_H
#define LUMETRA_DS_PG_SQL_H

#include <string>

/* sql with each '?' outside string literals, quoted names, dollar-quoted
 * bodies and comments replaced by $1, $2, ... in order; *count is n. */
std::string NumberMarkers(const std::string &sql, int *count);

/* Does the statement begin, end or mark a transaction (BEGIN, START,
 * COMMIT, END, ROLLBACK, ABORT, SAVEPOINT, RELEASE, PREPARE TRANSACTION)? */
bool IsTransactionControl(const std::string &sql);

/* Is the statement a COPY that exchanges its rows with the client
 * (FROM STDIN, TO STDOUT)? A driver that cannot feed or drain it must
 * not send it. */
bool IsClientCopy(const std::string &sql);

/* Is sql a plain INSERT INTO table [(names)] VALUES (?, ..., ?), with
 * nothing else in it? *table and *columns (with its parentheses, or "")
 * are then the text as written, which COPY takes as it stands, and
 * *markers is the number of '?'. */
bool CopyTarget(const std::string &sql, std::string *table, std::string *columns, int *markers);

/* Appends bytes to a line of COPY's text format, with the backslash,
 * tab, line feed and carriage return escaped. */
void AppendCopyText(std::string *line, const char *data, size_t size);

#endif
