/* bench_cdf_read.cpp: reads and converts a generated CDF file with no
 * database: MB/s, records/s and peak memory, beside `wc -l` on the same
 * file, the passes of both alternating so that one run gives the ratio
 * under the same load.
 *   bench_cdf_read [megabytes=100] [file=/tmp/lumetra-bench.cdf] */
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <string>

#include "cdf_file.h"
#include "cdf_generator.h"
#include "cdf_reader.h"

static long PeakRssKb() {
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

int main(int argc, char **argv) {
  double megabytes = argc > 1 ? atof(argv[1]) : 100;
  std::string path = argc > 2 ? argv[2] : "/tmp/lumetra-bench.cdf";
  const int64_t bytesPerRecord = 102; /* about, for the generator's mix */
  int64_t records = (int64_t)(megabytes * 1e6 / bytesPerRecord);
  int64_t size = WriteCdfFile(path, records);
  if (size < 0) {
    fprintf(stderr, "cannot write %s\n", path.c_str());
    return 1;
  }
  long rssBefore = PeakRssKb();
  std::string wc = "wc -l < '" + path + "' > /dev/null";
  double bestRead = 0, bestWc = 0;
  for (int pass = 0; pass < 3; pass++) {
    if (!OpenCdfFile(path.c_str())) return 1;
    auto start = std::chrono::steady_clock::now();
    int32_t endOfFile = 0, endOfLine = 0;
    int64_t read = 0;
    if (!ReadCdfHeader(&endOfFile)) return 1;
    while (!endOfFile) {
      if (!ReadCdfRecord(&endOfFile, &endOfLine)) return 1;
      if (!endOfLine) read++;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    CloseCdfFile();
    printf("pass %d: %lld records, %.1f MB in %.3f s: %.0f MB/s, %.0f records/s\n", pass, (long long)read,
           size / 1e6, seconds, size / 1e6 / seconds, read / seconds);
    if (size / 1e6 / seconds > bestRead) bestRead = size / 1e6 / seconds;
    start = std::chrono::steady_clock::now();
    if (system(wc.c_str()) != 0) return 1;
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    printf("        wc -l on the same file in %.3f s: %.0f MB/s\n", seconds, size / 1e6 / seconds);
    if (size / 1e6 / seconds > bestWc) bestWc = size / 1e6 / seconds;
  }
  printf("best: reader %.0f MB/s, wc -l %.0f MB/s (wc -l %.1fx the reader; its time includes starting a shell)\n",
         bestRead, bestWc, bestWc / bestRead);
  printf("peak RSS %ld KiB (before reading %ld KiB)\n", PeakRssKb(), rssBefore);
  remove(path.c_str());
  return 0;
}
