/* byte_source.h: the bytes of the open CDF file, one at a time, out of a
 * 64 KiB buffer. It delivers the bytes of the file in order, 0 at the end
 * of the file, and a failed read at the byte where it occurs. A 0 byte in
 * the file ends the data only when nothing but 0 and DOS end marks (0x1A)
 * follow it, as in a file padded to a block boundary; any other 0 byte is
 * a failed read, so that no rows after it are lost without a word. It
 * also keeps the one bit of state that the field reader carries from one
 * field to the next: whether the last field ended at a comma. */
#ifndef LUMETRA_BYTE_SOURCE_H
#define LUMETRA_BYTE_SOURCE_H

#include <stdint.h>

/* The buffer holds up to CDF_BUFFER_SIZE bytes of the file and always a
 * 0 just after them (at g_cdfBufferEnd), which ends every scan for a
 * special byte; the slack after it lets a window of loads, up to 64
 * bytes, start at any position up to that 0. */
enum { CDF_BUFFER_SIZE = 65536, CDF_BUFFER_SLACK = 64 };

/* The end mark of a DOS text file, which may pad the file or close it. */
enum { DOS_END_OF_FILE = 0x1A };

extern unsigned char g_cdfBuffer[CDF_BUFFER_SIZE + CDF_BUFFER_SLACK];
extern int32_t g_cdfBufferPos;   /* next byte to deliver */
extern int32_t g_cdfBufferEnd;   /* bytes held */
extern int32_t g_cdfEndedAtComma;

/* Forgets everything buffered; called when a file is opened. */
void ResetCdfSource(void);

/* Bytes asked of the file per read request, 1 to CDF_BUFFER_SIZE (the
 * default); tests use small sizes to cross every buffer boundary. */
void SetCdfReadSize(int32_t size);

/* Refills the buffer: 1 when it holds bytes or the file has ended (then it
 * stays empty), 0 when the read failed. */
int32_t RefillCdfSource(void);

/* Skips a UTF-8 byte-order mark at the start of the file, which is no
 * part of the first column's name; called before the first byte is taken.
 * 0 when the read failed. */
int32_t SkipCdfByteOrderMark(void);

/* Called after a 0 byte was taken from the buffer: consumes the rest of
 * the file and returns 1 when it holds only 0 and 0x1A bytes (the source
 * is then at the end of the file), 0 at any other byte or a failed read. */
int32_t SkipCdfPadding(void);

/* Platform read of the open file: the count of bytes read into buf (at
 * most size), 0 at the end of the file, -1 when the read fails. */
int32_t ReadCdfFileBytes(unsigned char *buf, int32_t size);

/* Takes the next byte into *b, 0 at the end of the file or of the data;
 * 0 on a failed read or a 0 byte that is not padding. */
static inline int32_t NextCdfByte(unsigned char *b) {
  if (g_cdfBufferPos == g_cdfBufferEnd) {
    if (!RefillCdfSource()) return 0;
    if (g_cdfBufferEnd == 0) {
      *b = 0;
      return 1;
    }
  }
  *b = g_cdfBuffer[g_cdfBufferPos++];
  if (*b == 0) return SkipCdfPadding();
  return 1;
}

#endif
