/* sqlite_files.h: where the SQLite backend's database file lives and
 * whether it can be written, the one part of the backend that differs
 * between Linux and Windows (sqlite_files_posix.cpp, sqlite_files_win32.cpp).
 * Paths are UTF-8, as sqlite3_open_v2 takes them on both. */
#ifndef LUMETRA_DS_SQLITE_FILES_H
#define LUMETRA_DS_SQLITE_FILES_H

#include <string>

/* The database of a data source that names none, its folder made on
 * first use: $XDG_DATA_HOME/lumetra/lumetra.db on Linux,
 * %LOCALAPPDATA%\Lumetra\lumetra.db on Windows. */
std::string DefaultDatabase();

/* A Database value from the data source as a UTF-8 path. */
std::string DatabasePath(const std::string &given);

/* Why the database file cannot be used for writing, or "" when it can. */
std::string UnusableReason(const std::string &path);

#endif
