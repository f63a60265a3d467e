/* insert_loop.h: the import's rows inserted without the import: through
 * ODBC with the utility's binding shape, or straight through the SQLite C
 * API, one autocommit insert each. The rows have the shape of the
 * generated benchmark CDF file (text with commas, numbers, a date, a
 * time, an option group, a check box, a list, a long note). */
#ifndef LUMETRA_INSERT_LOOP_H
#define LUMETRA_INSERT_LOOP_H

#include <string>

/* Creates table and inserts rows through the data source dsn; returns
 * the seconds taken by the inserts, or a negative value on failure
 * (message on standard error). */
double InsertRowsOdbc(const std::string &dsn, const std::string &table, long rows);

/* The same rows into the SQLite file at path, journal and sync modes as given. */
double InsertRowsSqlite(const std::string &path, const std::string &journalMode, const std::string &synchronous,
                        const std::string &table, long rows);

#endif
