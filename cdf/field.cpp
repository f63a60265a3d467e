/* field.cpp: ReadCdfField, a four-state machine over the bytes of the
 * file. Quoted fields keep commas and line breaks as data, "" stands for
 * one quote, and a backslash starts a two-byte escape. Line breaks before
 * a field are skipped, except right after a comma: there the line ends
 * with an empty last field. Runs of bytes that are stored as they are
 * are found by a scan of the buffer and copied in one go. */
#include "field.h"

#include <string.h>

#include "byte_scan.h"
#include "byte_source.h"
#include "failure.h"
#include "lines.h"
#include "usual_field.h"

enum ByteClass { BYTE_END, BYTE_BREAK, BYTE_QUOTE, BYTE_COMMA, BYTE_BACKSLASH, BYTE_OTHER };

static constexpr int32_t ClassOf(unsigned char b) {
  switch (b) {
    case 0: return BYTE_END;
    case '\r': case '\n': return BYTE_BREAK;
    case '"': return BYTE_QUOTE;
    case ',': return BYTE_COMMA;
    case '\\': return BYTE_BACKSLASH;
    default: return BYTE_OTHER;
  }
}

/* Where the field goes: a bounded buffer, or nowhere. */
struct FieldSink {
  char *out;
  int32_t size;
  int32_t used;
};

static int32_t Store(FieldSink *sink, unsigned char b) {
  if (!sink->out) return 1;
  if (sink->used >= sink->size - 1) return 0;
  sink->out[sink->used++] = (char)b;
  return 1;
}

static void Terminate(FieldSink *sink) {
  if (sink->out) sink->out[sink->used] = 0;
}

int32_t g_cdfFieldScan = CDF_SCAN_VECTOR;

void SetCdfFieldScan(int32_t scan) {
  g_cdfFieldScan = scan;
}

/* Copies the run of plain bytes that waits in the buffer; 0 when the
 * field does not fit. With room to spare in out the copy goes 16 bytes
 * at a time, which may write past the run but not past out: the buffer
 * has the slack for the loads. */
static int32_t CopyPlainRun(FieldSink *sink, int32_t state) {
  const unsigned char *from = g_cdfBuffer + g_cdfBufferPos;
  int32_t quoted = state == FIELD_QUOTED;
  int32_t n = g_cdfFieldScan == CDF_SCAN_VECTOR ? ScanCdfRunVector(from, quoted) : ScanCdfRunScalar(from, quoted);
  if (sink->out && n > 0) {
    int32_t room = sink->size - sink->used;
    char *to = sink->out + sink->used;
    if (n >= room) return 0;
    if (n + CDF_SCAN_WIDTH <= room) {
      for (int32_t i = 0; i < n; i += CDF_SCAN_WIDTH) memcpy(to + i, from + i, CDF_SCAN_WIDTH);
    } else {
      memcpy(to, from, (size_t)n);
    }
    sink->used += n;
  }
  g_cdfBufferPos += n;
  return 1;
}

/* Ends the call: terminates the field and returns result. */
static int32_t Finish(FieldSink *sink, int32_t result) {
  Terminate(sink);
  return result;
}

/* Ends the call on a field that does not fit out. */
static int32_t TooLong(FieldSink *sink) {
  FailCdfAt(CDF_FIELD_TOO_LONG, g_cdfBufferPos);
  return Finish(sink, 0);
}

/* Ends the call on a byte other than a comma or line break right after a
 * closing quote; the byte was taken last. */
static int32_t AfterQuote(FieldSink *sink) {
  FailCdfAt(CDF_AFTER_QUOTE, g_cdfBufferPos - 1);
  return Finish(sink, 0);
}

/* Applies the escape whose second byte is b; returns 1 to go on, 0 when
 * the field does not fit. *ended is set when the file ended after the
 * backslash: the field then ends with it. */
static int32_t Escape(FieldSink *sink, unsigned char b, int32_t *ended) {
  *ended = 0;
  switch (b) {
    case 0:
      *ended = 1;
      return Store(sink, '\\');
    case '"':
      return Store(sink, '"');
    case 'n': case 'N':
      return Store(sink, '\r') && Store(sink, '\n');
    case 'r': case 'R':
      return 1;
    default:
      return Store(sink, '\\') && Store(sink, b);
  }
}

/* Takes what it can of the start of a field straight from the buffer:
 * the line breaks before it (unless the last field ended at a comma),
 * an opening quote, or nothing before an ordinary byte, which is left
 * for the run. Returns the state to go on in; FIELD_START leaves the
 * next byte to the byte loop (the end of the buffer reads as the 0 kept
 * there). */
static int32_t StartField(int32_t afterComma) {
  for (;;) {
    unsigned char b = g_cdfBuffer[g_cdfBufferPos];
    if (b == '"') {
      g_cdfBufferPos++;
      return FIELD_QUOTED;
    }
    if (!kCdfStopBytes.stop[0][b]) return FIELD_UNQUOTED;
    if ((b != '\r' && b != '\n') || afterComma) return FIELD_START;
    g_cdfBufferPos++;
  }
}

static int32_t ReadFieldByBytes(char *out, int32_t size, int32_t *endOfLine, int32_t *endOfFile, int32_t afterComma);

int32_t ReadCdfField(char *out, int32_t size, int32_t *endOfLine, int32_t *endOfFile) {
  int32_t afterComma = g_cdfEndedAtComma;
  *endOfLine = 0;
  *endOfFile = 0;
  g_cdfEndedAtComma = 0;
  if (out) {
    int32_t atBreak;
    int32_t pos = afterComma ? g_cdfBufferPos : SkipCdfBreaksAt(g_cdfBufferPos);
    if (ReadUsualFieldAt(&pos, out, size, &atBreak) >= 0) {
      g_cdfBufferPos = pos;
      g_cdfEndedAtComma = !atBreak;
      *endOfLine = atBreak;
      return 1;
    }
  }
  return ReadFieldByBytes(out, size, endOfLine, endOfFile, afterComma);
}

/* Every field, byte by byte through the state machine, with runs of plain
 * bytes copied in one go. Kept out of line, so that the usual field above
 * pays nothing for it. */
__attribute__((noinline)) static int32_t ReadFieldByBytes(char *out, int32_t size, int32_t *endOfLine,
                                                          int32_t *endOfFile, int32_t afterComma) {
  FieldSink sink = {out, size, 0};
  int32_t state;
  int32_t ended;
  unsigned char b;

  int64_t quoteLine = 0; /* where the quoted field opened, for a quote never closed */
  if (out && size < 1) return TooLong(&sink);
  state = StartField(afterComma);
  if (state == FIELD_QUOTED) quoteLine = CdfLineAt(g_cdfBufferPos - 1);
  for (;;) {
    if (state == FIELD_UNQUOTED || state == FIELD_QUOTED) {
      if (!CopyPlainRun(&sink, state)) return TooLong(&sink);
      /* The usual ends of a run are taken from the buffer here, as the
       * byte loop below would take them: a comma or line break after an
       * unquoted run; a closing quote and the comma or line break after
       * it, or a doubled quote, after a quoted run. */
      b = g_cdfBuffer[g_cdfBufferPos];
      if (state == FIELD_QUOTED) {
        if (b != '"') goto byte_loop;
        b = g_cdfBuffer[++g_cdfBufferPos];
        state = FIELD_AFTER_QUOTE;
        if (b == '"') {
          g_cdfBufferPos++;
          if (!Store(&sink, '"')) return TooLong(&sink);
          state = FIELD_QUOTED;
          continue;
        }
      }
      if (b == ',') {
        g_cdfBufferPos++;
        g_cdfEndedAtComma = 1;
        return Finish(&sink, 1);
      }
      if (b == '\r' || b == '\n') {
        g_cdfBufferPos++;
        *endOfLine = 1;
        return Finish(&sink, 1);
      }
    }
  byte_loop:
    if (!NextCdfByte(&b)) return 0;
    switch (ClassOf(b)) {
      case BYTE_END:
        *endOfFile = 1;
        if (state == FIELD_QUOTED) FailCdf(CDF_OPEN_QUOTE, quoteLine);
        return Finish(&sink, state != FIELD_QUOTED);
      case BYTE_BREAK:
        if (state == FIELD_QUOTED) {
          if (!Store(&sink, b)) return TooLong(&sink);
        } else if (state != FIELD_START || afterComma) {
          *endOfLine = 1;
          return Finish(&sink, 1);
        }
        break;
      case BYTE_QUOTE:
        if (state == FIELD_START) {
          state = FIELD_QUOTED;
          quoteLine = CdfLineAt(g_cdfBufferPos - 1);
        } else if (state == FIELD_QUOTED) {
          state = FIELD_AFTER_QUOTE;
        } else {
          if (!Store(&sink, '"')) return TooLong(&sink);
          if (state == FIELD_AFTER_QUOTE) state = FIELD_QUOTED;
        }
        break;
      case BYTE_COMMA:
        if (state == FIELD_QUOTED) {
          if (!Store(&sink, b)) return TooLong(&sink);
          break;
        }
        g_cdfEndedAtComma = 1;
        return Finish(&sink, 1);
      case BYTE_BACKSLASH:
        if (!NextCdfByte(&b)) return 0;
        if (state == FIELD_AFTER_QUOTE) {
          Store(&sink, '\\');
          FailCdfAt(CDF_AFTER_QUOTE, g_cdfBufferPos - 1);
          return Finish(&sink, 0);
        }
        if (state == FIELD_START) state = FIELD_UNQUOTED;
        if (!Escape(&sink, b, &ended)) return TooLong(&sink);
        if (ended) {
          if (state == FIELD_QUOTED) FailCdf(CDF_OPEN_QUOTE, quoteLine);
          return Finish(&sink, state == FIELD_UNQUOTED);
        }
        break;
      default:
        if (state == FIELD_AFTER_QUOTE) return AfterQuote(&sink);
        if (state == FIELD_START) state = FIELD_UNQUOTED;
        if (!Store(&sink, b)) return TooLong(&sink);
        break;
    }
  }
}
