/* temp_dsn.h: a temporary "Lumetra Data Source" for tests. It writes an
 * odbc.ini into a fresh folder whose DSN uses the built driver and a
 * SQLite file in that folder, and points unixODBC at it through ODBCINI
 * and ODBCSYSINI, so no test touches the user's own files. Create it
 * before the first ODBC call of the process: the driver manager reads its
 * ini files once.
 *
 *   TempDsn dsn;                       // or TempDsn dsn("DELETE", "FULL")
 *   ... SQLConnect(hdbc, "Lumetra Data Source", SQL_NTS, ...) ...
 *   sqlite3_open(dsn.database.c_str(), &db);
 */
#ifndef LUMETRA_TEMP_DSN_H
#define LUMETRA_TEMP_DSN_H

#include <string>

struct TempDsn {
  std::string dir;      /* the folder: odbc.ini, odbcinst.ini, the database */
  std::string database; /* the SQLite file */

  explicit TempDsn(const std::string &journalMode = "WAL", const std::string &synchronous = "NORMAL",
                   const std::string &extraLines = "");
  ~TempDsn();

  /* Rewrites odbc.ini with extra "key = value" lines in the DSN; lines
   * that start with Database replace the folder's own database. The
   * driver manager caches what it read, so only a new process (or a new
   * TempDsn) sees the change. */
  void Write(const std::string &extraLines) const;

  /* Rows of a query on the database, each a '|'-joined line. */
  std::string Query(const std::string &sql) const;

  /* Runs statements on the database as another writer would, waiting for
   * SQLite's lock up to the timeout; "" or SQLite's error. */
  std::string Exec(const std::string &sql, int busyTimeoutMs = 5000) const;

  std::string journalMode, synchronous;
};

/* The path of the built driver library. */
extern const char kDriverPath[];

#endif
