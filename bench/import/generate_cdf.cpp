/* generate_cdf.cpp: writes the benchmark CDF file of N records, and the
 * same records as plain CSV for the sqlite3 shell's .import.
 *   generate_cdf <records> <file.cdf> [file.csv] */
#include <stdio.h>
#include <stdlib.h>

#include "cdf_generator.h"

int main(int argc, char **argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: generate_cdf <records> <file.cdf> [file.csv]\n");
    return 2;
  }
  long long records = atoll(argv[1]);
  if (WriteCdfFile(argv[2], records) < 0) return 1;
  if (argc > 3 && WriteCsvFile(argv[3], records) < 0) return 1;
  return 0;
}
