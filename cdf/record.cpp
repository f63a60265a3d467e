/* record.cpp: ReadCdfRecord reads one line of the file into the column
 * table, field k into the text of column k, and converts every column.
 * Fields beyond the last column are consumed and dropped; columns the line
 * does not reach get an empty text. */
#include <string.h>

#include "byte_source.h"
#include "cdf_reader.h"
#include "columns.h"
#include "convert.h"
#include "failure.h"
#include "field.h"
#include "field_window.h"
#include "lines.h"

/* Skips the line breaks before the line, across refills of the buffer as
 * the field reader would, and notes where the first field starts.
 * After a comma the line goes on where it is. */
static void FindRecordLine(void) {
  if (!g_cdfEndedAtComma) {
    for (;;) {
      g_cdfBufferPos = SkipCdfBreaksAt(g_cdfBufferPos);
      if (g_cdfBufferPos < g_cdfBufferEnd || !RefillCdfSource() || g_cdfBufferEnd == 0) break;
    }
  }
  NoteCdfLineStart(g_cdfBufferPos);
}

int64_t CdfRecordLine(void) {
  return CdfLineStartLine();
}

CdfReport g_cdfReport;

/* What follows the last line break, when it is nothing or only the DOS
 * end mark, is no line of its own; any other first field is. */
static int32_t IsLine(const char *text, int32_t endOfFile) {
  if (!endOfFile) return 1;
  if (text[0] == 0) return 0;
  return !(text[0] == DOS_END_OF_FILE && text[1] == 0);
}

/* Counts a line that ended at its first field, holding no record. */
static void NoteSkippedLine(void) {
  if (g_cdfReport.skippedLines < SKIPPED_LINES_KEPT)
    g_cdfReport.firstSkipped[g_cdfReport.skippedLines] = CdfRecordLine();
  g_cdfReport.skippedLines++;
}

/* The length of each column's text after the fields of a line were read;
 * the conversions use it instead of measuring the texts again. */
static int32_t s_lengths[MAX_COLUMNS];

/* Reads the usual fields of the line into the columns from k on, until
 * one ends the line (*lineEnded is then 1) or one is not the usual kind;
 * returns the column it stopped at, count when every column got a field.
 * The position and the ending at a comma go in and out through *pos and
 * *afterComma. Its loops hold no call, so the window and the position
 * can stay in registers; the vector scan finds the ends in windows, the
 * scalar one (and a target without SSE2) with the plain run search. */
static int32_t ReadUsualColumns(int32_t k, int32_t count, int32_t vector, int32_t *pos, int32_t *afterComma,
                                int32_t *lineEnded) {
  int32_t at = *pos;
  int32_t atBreak = !*afterComma;
  int32_t n = 0;
#if CDF_HAVE_VECTOR_SCAN
  CdfFieldWindow window = {0, 0, 0, 0, 0, 0};
  if (vector) {
    for (; k < count; k++) {
      n = ReadUsualFieldInWindow(&window, &at, g_columns[k].text, COLUMN_TEXT_SIZE, &atBreak);
      if (n < 0) break;
      s_lengths[k] = n;
      if (atBreak) break;
    }
  } else
#else
  (void)vector;
#endif
    for (; k < count; k++) {
      n = ReadUsualFieldAt(&at, g_columns[k].text, COLUMN_TEXT_SIZE, &atBreak);
      if (n < 0) break;
      s_lengths[k] = n;
      if (atBreak) break;
    }
  *pos = at;
  *lineEnded = n >= 0 && k < count;
  *afterComma = !atBreak; /* of the last field read: a field not taken leaves it */
  return k;
}

/* Reads the fields of the line into the columns: the usual ones straight
 * from the buffer, with their ends found in a window of stop-byte masks,
 * any other through the field reader, after which the usual ones go on.
 * Returns the index of the field after which the line or the file ended
 * (the columns after it then get an empty text, unless it is the first),
 * g_columnCount when every column got a field and the line goes on, -1
 * on a failed read. */
static int32_t ReadColumnFields(int32_t *endOfFile, int32_t *endOfLine) {
  /* Line breaks before the first field are skipped here as the field
   * reader would skip them; it finds none left if it reads the field. */
  int32_t afterComma = g_cdfEndedAtComma;
  int32_t pos = afterComma ? g_cdfBufferPos : SkipCdfBreaksAt(g_cdfBufferPos);
  /* kept in locals: a byte stored in a text could alias any global */
  const int32_t count = g_columnCount;
  const int32_t vector = g_cdfFieldScan == CDF_SCAN_VECTOR;
  int32_t k = 0;
  for (;;) {
    int32_t lineEnded;
    k = ReadUsualColumns(k, count, vector, &pos, &afterComma, &lineEnded);
    if (lineEnded) {
      *endOfLine = 1;
      break;
    }
    if (k == count) break;
    g_cdfBufferPos = pos;
    g_cdfEndedAtComma = afterComma;
    ImportColumn *c = &g_columns[k];
    if (!ReadCdfField(c->text, COLUMN_TEXT_SIZE, endOfLine, endOfFile)) {
      NoteCdfFailureField(k);
      return -1;
    }
    s_lengths[k] = (int32_t)strlen(c->text);
    pos = g_cdfBufferPos; /* the buffer may have been refilled */
    afterComma = g_cdfEndedAtComma;
    if (*endOfLine || *endOfFile) break;
    k++;
  }
  g_cdfBufferPos = pos;
  g_cdfEndedAtComma = afterComma;
  if (k == count) return k;
  if (k > 0)
    for (int32_t j = k + 1; j < count; j++) {
      g_columns[j].text[0] = 0;
      s_lengths[j] = 0;
    }
  return k;
}

/* Consumes the fields after the last column up to the end of the line or
 * the file; 0 when one cannot be read. */
static int32_t SkipSurplusFields(int32_t *endOfFile, int32_t *endOfLine) {
  while (!*endOfLine && !*endOfFile)
    if (!ReadCdfField(0, 0, endOfLine, endOfFile)) return 0;
  return 1;
}

/* A table without columns: every field of the line is surplus and there
 * is nothing to convert. When the file ends at the first field, nothing
 * follows and the line is no record. */
static int32_t ReadLineWithoutColumns(int32_t *endOfFile, int32_t *endOfLine) {
  if (!ReadCdfField(0, 0, endOfLine, endOfFile)) return 0;
  if (*endOfFile) {
    *endOfLine = 1;
    return 1;
  }
  if (!SkipSurplusFields(endOfFile, endOfLine)) return 0;
  *endOfLine = 0;
  return 1;
}

int32_t ReadCdfRecord(int32_t *endOfFile, int32_t *endOfLine) {
  *endOfFile = 0;
  *endOfLine = 0;
  FindRecordLine();
  if (g_columnCount == 0) return ReadLineWithoutColumns(endOfFile, endOfLine);
  int32_t last = ReadColumnFields(endOfFile, endOfLine);
  if (last < 0) return 0;
  if (last == 0) {
    /* the line ended at its first field: a record only in a table of one column */
    int32_t isLine = IsLine(g_columns[0].text, *endOfFile);
    if (g_columnCount > 1 || !isLine) {
      if (isLine) NoteSkippedLine();
      *endOfLine = 1;
      return 1;
    }
  }
  if (!SkipSurplusFields(endOfFile, endOfLine)) return 0;
  *endOfLine = 0;
  if (!ConvertRecordTexts(s_lengths)) return 0;
  ConvertMeasuredColumns(s_lengths);
  return 1;
}
