/* failure.h: why the CDF readers failed, and on which line. The reader
 * that finds a fault notes it before it returns 0; the callers above only
 * pass the 0 up, and the run words the message from what is noted. */
#ifndef LUMETRA_FAILURE_H
#define LUMETRA_FAILURE_H

#include <stdint.h>

enum CdfFailure {
  CDF_NO_FAILURE = 0,
  CDF_TOO_MANY_COLUMNS, /* the header line has more fields than the table holds */
  CDF_NAME_TOO_LONG,    /* a header field does not fit a column name */
  CDF_FIELD_TOO_LONG,   /* a record field does not fit a column text */
  CDF_OPEN_QUOTE,       /* the file ends inside a quoted field */
  CDF_AFTER_QUOTE,      /* a closing quote followed by another byte */
  CDF_ZERO_BYTE,        /* a 0 byte before the end of the data */
  CDF_READ_FAILED,      /* the platform's read failed */
  CDF_NAME_TOO_LONG_AS_UTF8,  /* a column name that does not fit once converted */
  CDF_FIELD_TOO_LONG_AS_UTF8, /* a field that does not fit once converted */
  CDF_FAILURE_COUNT
};

extern int32_t g_cdfFailure;     /* a CdfFailure */
extern int64_t g_cdfFailureLine; /* its line, from 1 */
extern int32_t g_cdfFailureField; /* the field of its line, from 0; -1 when none is to blame */

/* Forgets the failure; called when a file is opened. */
void ClearCdfFailure(void);

/* Notes failure at line, unless one is noted already: the first fault
 * found is the one the user must mend. */
void FailCdf(int32_t failure, int64_t line);

/* The same at the line of buffer position pos. */
void FailCdfAt(int32_t failure, int32_t pos);

/* Notes which field of the line the noted failure is in. */
void NoteCdfFailureField(int32_t field);

/* The reason in words, without the place: "a field is longer than ...". */
const char *CdfFailureText(int32_t failure);

#endif
