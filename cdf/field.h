/* field.h: the CDF field reader, the lowest layer of CDF reading. */
#ifndef LUMETRA_FIELD_H
#define LUMETRA_FIELD_H

#include <stdint.h>

enum FieldState { FIELD_START = 0, FIELD_QUOTED = 1, FIELD_AFTER_QUOTE = 2, FIELD_UNQUOTED = 3 };

/* How runs of plain bytes are found: 16 bytes at a time (the default;
 * the same as the scalar scan on targets without SSE2) or one at a time.
 * Both give the same fields; the fuzz target compares them. */
enum FieldScan { CDF_SCAN_VECTOR = 0, CDF_SCAN_SCALAR = 1 };
void SetCdfFieldScan(int32_t scan);

/* Reads one field of the open file into out, which holds size bytes with
 * the terminator; a null out consumes the field whole and keeps nothing.
 * Returns 1 when a field was read, 0 when it cannot be read: a failed
 * read (a 0 byte that is not padding counts as one), a syntax error, or a
 * field that does not fit. *endOfLine is set when a line break ended the
 * field, *endOfFile when the end of the file or a 0 byte that only
 * padding follows did; both are cleared first. */
int32_t ReadCdfField(char *out, int32_t size, int32_t *endOfLine, int32_t *endOfFile);

#endif
