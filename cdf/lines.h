/* lines.h: the line of the file at a position of the byte source. Line
 * breaks are counted only when a line is asked for, or before the buffer
 * is refilled, from where the count last stopped: every byte is counted
 * once, mostly a buffer at a time, and a record only notes where it
 * starts. A CR, a lone LF and a CR LF pair each end one line, as an
 * editor shows them. */
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

/* Where the line read last starts, until its line is counted. */
extern int32_t g_cdfLineStartPos;
extern int32_t g_cdfLineStartPending;

/* Notes that the line read now starts at buffer position pos. */
static inline void NoteCdfLineStart(int32_t pos) {
  g_cdfLineStartPos = pos;
  g_cdfLineStartPending = 1;
}

/* The line (from 1) on which the line noted last starts. */
int64_t CdfLineStartLine(void);

#endif
