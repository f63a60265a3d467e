/* fuzz_cdf_reader.cpp: arbitrary bytes through the header reader and the
 * record reader. Each input is read with the vector scan and with the
 * scalar scan, each at a small read size taken from its first byte, at
 * a read size that is not a multiple of 16, and at the full buffer; all
 * reads must leave the same results, flags and column table after every
 * call. The two scans are also compared directly, from every position a
 * run can start at, on the input as one buffer. */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "byte_scan.h"
#include "byte_source.h"
#include "cdf_file.h"
#include "cdf_reader.h"
#include "columns.h"
#include "field.h"
#include "memory_file.h"

enum { MAX_CALLS = 4096 };

static uint64_t Mix(uint64_t h, const void *p, size_t n) {
  const unsigned char *b = (const unsigned char *)p;
  for (size_t i = 0; i < n; i++) h = (h ^ b[i]) * 1099511628211ull;
  return h;
}

/* A digest of one call: its result, its flags and every column in use. */
static uint64_t Digest(int32_t result, int32_t endOfFile, int32_t endOfLine, int32_t header) {
  uint64_t h = 14695981039346656037ull;
  int32_t head[4] = {result, endOfFile, endOfLine, g_columnCount};
  h = Mix(h, head, sizeof head);
  if (!result) return h; /* a failed read leaves the fields unspecified */
  for (int32_t i = 0; i < g_columnCount; i++) {
    const ImportColumn &c = g_columns[i];
    if (header) {
      h = Mix(h, c.name, strlen(c.name));
      int32_t marks[3] = {c.type, c.groupStart, c.scaled};
      h = Mix(h, marks, sizeof marks);
    }
    h = Mix(h, c.text, strlen(c.text));
    h = Mix(h, &c.number, sizeof c.number);
    h = Mix(h, &c.date, sizeof c.date);
    int64_t length = (int64_t)c.length;
    h = Mix(h, &length, sizeof length);
  }
  return h;
}

/* Reads the whole input at one read size; returns the count of digests. */
static int32_t ReadAll(const std::string &bytes, int readSize, uint64_t *digests) {
  OpenMemoryFile(bytes, readSize);
  int32_t endOfFile = 0, endOfLine = 0;
  int32_t ok = ReadCdfHeader(&endOfFile);
  int32_t n = 0;
  digests[n++] = Digest(ok, endOfFile, 0, 1);
  while (ok && !endOfFile && n < MAX_CALLS) {
    ok = ReadCdfRecord(&endOfFile, &endOfLine);
    digests[n++] = Digest(ok, endOfFile, endOfLine, 0);
  }
  CloseCdfFile();
  return n;
}

/* Walks the input run by run in both states; each run starts after the
 * byte that ended the last one, so every run of the input is measured.
 * The copy has exactly the slack that the scans need (a 0 and 15 bytes),
 * so AddressSanitizer sees any load beyond it. */
static void CompareScans(const std::string &bytes) {
  std::vector<unsigned char> buffer(bytes.begin(), bytes.end());
  buffer.resize(bytes.size() + CDF_SCAN_WIDTH, 0);
  for (int32_t quoted = 0; quoted < 2; quoted++)
    for (int32_t pos = 0; pos <= (int32_t)bytes.size();) {
      int32_t scalar = ScanCdfRunScalar(buffer.data() + pos, quoted);
      if (ScanCdfRunVector(buffer.data() + pos, quoted) != scalar) abort();
      pos += scalar + 1;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static uint64_t first[MAX_CALLS], other[MAX_CALLS];
  if (size == 0) return 0;
  std::string bytes((const char *)data + 1, size - 1);
  CompareScans(bytes);
  const int readSizes[] = {1 + data[0] % 16, 37, CDF_BUFFER_SIZE};
  int32_t n = -1;
  for (int32_t scan : {CDF_SCAN_VECTOR, CDF_SCAN_SCALAR})
    for (int readSize : readSizes) {
      SetCdfFieldScan(scan);
      uint64_t *digests = n < 0 ? first : other;
      int32_t m = ReadAll(bytes, readSize, digests);
      if (n < 0) n = m;
      else if (m != n || memcmp(first, other, (size_t)n * sizeof first[0]) != 0) abort();
    }
  SetCdfFieldScan(CDF_SCAN_VECTOR);
  return 0;
}
