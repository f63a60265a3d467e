/* convert.h: turning the field text of a column into the value it sends. */
#ifndef LUMETRA_CONVERT_H
#define LUMETRA_CONVERT_H

#include <stdint.h>

/* Converts the text of column i by its type, in place in the column
 * table; later members of an option group fold into the group start. */
void ConvertColumn(int32_t i);

/* Converts every column in order, as ConvertColumn for each. */
void ConvertColumns(void);

/* The same for texts already measured: lengths[i] is the length of the
 * text of column i. */
void ConvertMeasuredColumns(const int32_t *lengths);

/* The number conversion alone: decimal digits with at most two decimals,
 * plus 0.005 and times 100 when scaled, any '-' making it negative. */
double ConvertNumber(const char *text, int32_t scaled);

#endif
