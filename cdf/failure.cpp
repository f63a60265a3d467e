/* failure.cpp: the noted failure of the CDF readers and its words. */
#include "failure.h"

#include "columns.h"
#include "lines.h"

static_assert(MAX_COLUMNS == 256 && COLUMN_NAME_SIZE == 8192 && COLUMN_TEXT_SIZE == 32768,
              "the texts below name the limits of the column table");

int32_t g_cdfFailure;
int64_t g_cdfFailureLine;
int32_t g_cdfFailureField = -1;

static const char *const kFailureTexts[CDF_FAILURE_COUNT] = {
  "no fault",
  "the header line has more than 256 fields, more columns than a table can take",
  "a column name is longer than 8,191 bytes",
  "a field is longer than 32,767 bytes",
  "a quoted field starts here and is not closed before the end of the file",
  "a closing quote is followed by something else than a comma or a line break",
  "the file holds a 0 byte, which is no text",
  "the file could not be read",
  "a column name is longer than 8,191 bytes once its text is converted to UTF-8",
  "a field is longer than 32,767 bytes once its text is converted to UTF-8",
};

void ClearCdfFailure(void) {
  g_cdfFailure = CDF_NO_FAILURE;
  g_cdfFailureLine = 0;
  g_cdfFailureField = -1;
}

void NoteCdfFailureField(int32_t field) {
  g_cdfFailureField = field;
}

void FailCdf(int32_t failure, int64_t line) {
  if (g_cdfFailure != CDF_NO_FAILURE) return;
  g_cdfFailure = failure;
  g_cdfFailureLine = line;
}

void FailCdfAt(int32_t failure, int32_t pos) {
  if (g_cdfFailure == CDF_NO_FAILURE) FailCdf(failure, CdfLineAt(pos));
}

const char *CdfFailureText(int32_t failure) {
  if (failure < 0 || failure >= CDF_FAILURE_COUNT) return kFailureTexts[CDF_NO_FAILURE];
  return kFailureTexts[failure];
}
