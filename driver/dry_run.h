/* dry_run.h: reading a whole file as an import would, writing nothing. */
#ifndef LUMETRA_DRY_RUN_H
#define LUMETRA_DRY_RUN_H

#include <stdint.h>

/* Reads the file at fileName (a resolved path) to its end: its header
 * into the column table, then every record, converted as for the
 * insert. Connects to nothing and writes nothing. A failure is shown as
 * the run shows it, with no window. Returns a RunOutcome: RUN_IMPORTED
 * when the whole file was read, with the report in DryRunReport(). */
int32_t DryRunImport(const char *fileName);

/* What the file would give: the table with its columns and their SQL
 * types, the records, the lines that hold none and the values changed
 * on the way. */
const char *DryRunReport(void);

#endif
