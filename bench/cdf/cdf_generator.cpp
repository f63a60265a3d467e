/* cdf_generator.cpp: the benchmark's CDF file, deterministic for a given N. */
#include "cdf_generator.h"

#include <stdio.h>

static const char kHeader[] =
    "Name,Company,Amount@N,Price@N*,Born@D,At@M,Mr@O,Mrs@O,Ms@O,Vip@C,Tags@G,Notes@L\r\n";
static const char kCsvHeader[] = "Name,Company,Amount,Price,Born,At,Mr,Mrs,Ms,Vip,Tags,Notes\r\n";

static const char *const kNames[] = {"Ann Baker", "\"Smith, John\"", "Zo\351 M\374ller", "\"O\"\"Brien\"",
                                     "Li Wei", "\"Garc\355a, Ana Mar\355a\""};
static const char *const kCompanies[] = {"\"Acme, Inc.\"", "Globex", "\"Initech \"\"Software\"\"\"",
                                         "Umbrella Corp", "Hooli"};

/* The records are valid CSV as they stand (quoted fields, doubled
 * quotes, no escapes): only the header differs. */
static int64_t WriteFile(const std::string &path, int64_t records, const char *header) {
  FILE *f = fopen(path.c_str(), "wb");
  if (!f) return -1;
  static char buffer[1 << 20];
  setvbuf(f, buffer, _IOFBF, sizeof buffer);
  fputs(header, f);
  uint32_t seed = 12345;
  for (int64_t i = 0; i < records; i++) {
    seed = seed * 1103515245u + 12345u;
    uint32_t r = seed >> 8;
    int option = (int)(r % 3);
    fprintf(f, "%s,%s,%u.%02u,%s%u.%02u,%04u%02u%02u,%02u%02u,%d,%d,%d,%u,red;green;%u;,\"Line one,\r\nline two\"\r\n",
            kNames[i % 6], kCompanies[i % 5], r % 100000, r % 100, (r & 1) ? "-" : "", r % 5000, r % 97,
            1900 + r % 120, 1 + r % 12, 1 + r % 28, r % 24, r % 60, option == 0, option == 1, option == 2,
            (r >> 3) & 1, r % 1000);
  }
  int64_t size = ftell(f);
  fclose(f);
  return size;
}

int64_t WriteCdfFile(const std::string &path, int64_t records) {
  return WriteFile(path, records, kHeader);
}

int64_t WriteCsvFile(const std::string &path, int64_t records) {
  return WriteFile(path, records, kCsvHeader);
}
