/* fuzz_cdf_reader.cpp: arbitrary bytes through the header reader and the
 * record reader, at a read size taken from the first byte. */
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "byte_source.h"
#include "cdf_reader.h"
#include "memory_file.h"

enum { MAX_RECORDS = 100000 };

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  int readSize = 1 + data[0] % 16;
  if (data[0] & 0x80) readSize = CDF_BUFFER_SIZE;
  OpenMemoryFile(std::string((const char *)data + 1, size - 1), readSize);
  int32_t endOfFile = 0, endOfLine = 0;
  if (!ReadCdfHeader(&endOfFile) || endOfFile) return 0;
  for (int i = 0; i < MAX_RECORDS; i++)
    if (!ReadCdfRecord(&endOfFile, &endOfLine) || endOfFile) break;
  return 0;
}
