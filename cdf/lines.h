/* lines.h: the line of the file at a position of the byte source. Line
 * breaks are counted only when a line is asked for, or before the buffer
 * is refilled, from where the count last stopped: every byte is counted
 * once, and a record costs one call. A CR, a lone LF and a CR LF pair
 * each end one line, as an editor shows them. */
#ifndef LUMETRA_LINES_H
#define LUMETRA_LINES_H

#include <stdint.h>

/* Starts the count at the first line; called when a file is opened. */
void ResetCdfLines(void);

/* Counts the rest of the buffer; called before it is refilled. */
void CountCdfBufferLines(void);

/* The line (from 1) of the byte at pos of the buffer. pos is never before
 * a position asked for earlier; such a position gives the later line. */
int64_t CdfLineAt(int32_t pos);

#endif
