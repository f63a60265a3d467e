/* run.h: the import run, the whole life of the program, and the table
 * name it derives from the chosen file's path. */
#ifndef LUMETRA_RUN_H
#define LUMETRA_RUN_H

#include "ui.h"

enum { FILE_NAME_SIZE = 256, TABLE_NAME_SIZE = 256 };

/* One import: choose a file, read its header, connect, create the table,
 * prepare the insert, insert every record, then release everything. */
void RunImport(UiInstance instance);

/* The table name of a path: the file's own name up to its first '.' that
 * is not its first character. tableName holds TABLE_NAME_SIZE bytes. */
void TableNameFromPath(const char *path, char *tableName);

/* 1 when c separates folders from the file's name on this platform. */
int32_t IsNameSeparator(char c);

#endif
