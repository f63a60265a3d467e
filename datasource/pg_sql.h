/* pg_sql.h: SQL text on its way to a PostgreSQL server: ODBC's '?'
 * parameter markers numbered $1..$n, and whether a statement controls the
 * transaction itself. */
#ifndef LUMETRA_DS_PG_SQL_H
#define LUMETRA_DS_PG_SQL_H

#include <string>

/* sql with each '?' outside string literals, quoted names, dollar-quoted
 * bodies and comments replaced by $1, $2, ... in order; *count is n. */
std::string NumberMarkers(const std::string &sql, int *count);

/* Does the statement begin, end or mark a transaction (BEGIN, START,
 * COMMIT, END, ROLLBACK, ABORT, SAVEPOINT, RELEASE, PREPARE TRANSACTION)? */
bool IsTransactionControl(const std::string &sql);

#endif
