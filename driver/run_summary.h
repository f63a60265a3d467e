/* run_summary.h: the few lines a terminal or scripted run ends with. */
#ifndef LUMETRA_RUN_SUMMARY_H
#define LUMETRA_RUN_SUMMARY_H

#include <stdint.h>

#include "odbc_types.h"
#include "ui.h"

/* Shows what the run left in the data source: the records imported into
 * the table (after Cancel or a failure, the rows the table keeps, asked
 * of the data source), where the table is, the lines that held no
 * record, and the values that became NULL or lost digits. outcome is a
 * RunOutcome, count the records inserted. */
void ShowRunSummary(UiWindow window, HDBC hdbc, const char *tableName, int32_t outcome, int32_t count);

/* Builds the report of a dry run that read records records of fileName
 * (its own name) for tableName; DryRunReport() gives it. */
void BuildDryRunReport(const char *fileName, const char *tableName, int32_t records);

#endif
