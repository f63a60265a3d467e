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

/* What happens to a table of the same name. */
enum TableMode {
  TABLE_NEW,     /* created; a table that exists is refused */
  TABLE_REPLACE, /* dropped and created anew, in one transaction where the data source allows */
  TABLE_APPEND,  /* inserted into when its columns match the file's; created when missing */
};

/* How the runs of this program import, set once before the first run. */
struct ImportOptions {
  const char *dataSource; /* a DSN name or a connection string; null: "Lumetra Data Source" */
  const char *tableName;  /* null: named after the file */
  int32_t tableMode;      /* a TableMode */
};
extern ImportOptions g_importOptions;

/* The records the last run counted as inserted. */
extern int32_t g_runCount;

enum { CONNECTION_STRING_SIZE = 1024 };

/* The connection string of a data source given as a DSN name or as a
 * connection string (it holds '='), null for "Lumetra Data Source",
 * telling the driver that the text comes as UTF-8; 0 when it does not fit
 * out[CONNECTION_STRING_SIZE]. */
int32_t MakeConnectionString(const char *dataSource, char *out);

/* One import: choose a file, read its header, connect, create the table,
 * prepare the insert, insert every record, commit, then release
 * everything. Returns a RunOutcome. */
int32_t RunImport(UiInstance instance);

/* The table name of a path: the file's own name up to its first '.' that
 * is not its first character. tableName holds TABLE_NAME_SIZE bytes. */
void TableNameFromPath(const char *path, char *tableName);

/* The table of the file at path: the name that --table gave, else the
 * one TableNameFromPath makes. */
void ImportTableName(const char *path, char *tableName);

/* 1 when c separates folders from the file's name on this platform. */
int32_t IsNameSeparator(char c);

#endif
