/* dsn_file.h: the keys of a named data source, read from the odbc.ini
 * file that unixODBC finds it in: the user's file ($ODBCINI, else
 * .odbc.ini in the home folder of the password database) before the
 * system's ($ODBCSYSINI/odbc.ini, else /etc/odbc.ini). The driver reads
 * them itself because unixODBC's own reader passes over a user file that
 * it cannot write (chmod 400 to guard a password) and silently reads the
 * system file instead. On Windows ReadDsnKeys reads the registry
 * (dsn_registry_win32.cpp). */
#ifndef LUMETRA_DS_DSN_FILE_H
#define LUMETRA_DS_DSN_FILE_H

#include <string>
#include <vector>

#include "text/conn_string.h"

/* The keys of the section [dsn] into *keys. A file that exists but
 * cannot be read, or a name in neither file, is an error: false, with
 * the reason in *error. */
bool ReadDsnKeys(const std::string &dsn, std::vector<Attribute> *keys, std::string *error);

/* The keys of the section [dsn] of the ini text, found or not: the
 * syntax of unixODBC's files ("key = value", '#' and ';' comments,
 * names of any case). */
bool FindDsnSection(const std::string &text, const std::string &dsn, std::vector<Attribute> *keys);

#endif
