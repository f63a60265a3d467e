/* cdf_reader.h: reading the open CDF file into the column table: the
 * header line, then one record line per call. */
#ifndef LUMETRA_CDF_READER_H
#define LUMETRA_CDF_READER_H

#include <stdint.h>

/* Reads the header line into the column table; 1 on success, 0 when a
 * field cannot be read. *endOfFile is 1 when the file ended the line. */
int32_t ReadCdfHeader(int32_t *endOfFile);

/* Reads one record line and converts its values in place; 1 when the
 * line was read, 0 when a field cannot be read. On 1, *endOfLine set
 * means the line holds no record and *endOfFile means nothing follows. */
int32_t ReadCdfRecord(int32_t *endOfFile, int32_t *endOfLine);

/* What reading changed or left out, for the summary of a run: counted
 * from the header on. */
enum { SKIPPED_LINES_KEPT = 5 };
struct CdfReport {
  int64_t skippedLines;                      /* lines of a single field: no record */
  int64_t firstSkipped[SKIPPED_LINES_KEPT];  /* the line numbers of the first of them */
  int64_t nullDates;                         /* date texts, not empty, of another length than 8 */
  int64_t cutNumbers;                        /* numbers that lost digits after their point */
};
extern CdfReport g_cdfReport;

/* The line of the file (from 1) on which the line read last by
 * ReadCdfRecord starts. */
int64_t CdfRecordLine(void);

#endif
