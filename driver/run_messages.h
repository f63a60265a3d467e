/* run_messages.h: the words of the run's failures. Each message says what
 * went wrong and where: the file, and the line and column to mend. */
#ifndef LUMETRA_RUN_MESSAGES_H
#define LUMETRA_RUN_MESSAGES_H

#include <stdint.h>

#include "ui.h"

/* The file's own name in path, the part after its last folder. */
const char *FileNameOf(const char *path);

/* "Could not open file NAME: reason". */
void ShowOpenFailure(UiWindow window, const char *path);

/* "Error reading file NAME, line N, column C: reason", from what the
 * readers noted; in the header the field is named by its number. */
void ShowReadFailure(UiWindow window, const char *path, int32_t inHeader);

/* A file without a header line: nothing names the columns. */
void ShowNoHeader(UiWindow window, const char *path);

/* An insert refused: the line of the record, the column and its value
 * when the driver's text names the parameter, then that text. */
void ShowInsertFailure(UiWindow window, const char *path, int64_t line, const char *driverText);

/* Counted records that the table does not hold after a failure: records
 * first..last, or with first -1, that the data source could not tell how
 * many of the last counted ones it stored. */
void ShowLostRecords(UiWindow window, int64_t first, int32_t last);

/* An append refused before anything was inserted: how the table's
 * columns differ from the file's. */
void ShowAppendRefused(UiWindow window, const char *path, const char *tableName, const char *difference);

/* A replacement rolled back: the old table is kept, or none was there. */
void ShowReplacementUndone(UiWindow window, const char *tableName, int32_t tableExisted);

/* The parameter number that a driver's text names as "(parameter N)";
 * 0 when it names none. */
int32_t ParameterNamedIn(const char *driverText);

#endif
