/* dry_run.cpp: DryRunImport, the import's reading without its writing:
 * the same readers over the same column table, so that what it reports
 * is what a run would store. */
#include "dry_run.h"


#include "cdf_file.h"
#include "cdf_reader.h"
#include "columns.h"
#include "run.h"
#include "run_messages.h"
#include "run_summary.h"

int32_t DryRunImport(const char *fileName) {
  char tableName[TABLE_NAME_SIZE];
  int32_t endOfFile = 0, endOfLine = 0, records = 0, outcome = RUN_FAILED;
  g_hCdfFile = CDF_NO_FILE;
  if (!OpenCdfFile(fileName)) {
    ShowOpenFailure(0, fileName);
    return RUN_FAILED;
  }
  if (!ReadCdfHeader(&endOfFile)) {
    ShowReadFailure(0, fileName, 1);
    goto done;
  }
  if (g_columnCount == 0) {
    ShowNoHeader(0, fileName);
    goto done;
  }
  while (!endOfFile) {
    if (!ReadCdfRecord(&endOfFile, &endOfLine)) {
      ShowReadFailure(0, fileName, 0);
      goto done;
    }
    if (!endOfLine) records++;
  }
  ImportTableName(fileName, tableName);
  BuildDryRunReport(FileNameOf(fileName), tableName, records);
  outcome = RUN_IMPORTED;
done:
  CloseCdfFile();
  return outcome;
}
