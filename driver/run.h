/* run.h: the import run, the whole life of the program, and the table
 * name it derives from the chosen file's path. */
#ifndef LUMETRA_RUN_H
#define LUMETRA_RUN_H

#include "ui.h"

enum { TABLE_NAME_SIZE = 256 };

/* How a run ended. */
enum RunOutcome {
  RUN_IMPORTED,  /* every record of the file was inserted and committed */
  RUN_FAILED,    /* a failure was shown */
  RUN_CANCELLED, /* the chooser or the progress window was cancelled */
};

/* One import: choose a file, read its header, connect, create the table,
 * prepare the insert, insert every record, commit, then release
 * everything. Returns a RunOutcome. */
int32_t RunImport(UiInstance instance);

/* The table name of a path: the file's own name up to its first '.' that
 * is not its first character. tableName holds TABLE_NAME_SIZE bytes. */
void TableNameFromPath(const char *path, char *tableName);

/* 1 when c separates folders from the file's name on this platform. */
int32_t IsNameSeparator(char c);

#endif
