/* convert.h: turning the field text of a column into the value it sends. */
#ifndef LUMETRA_CONVERT_H
#define LUMETRA_CONVERT_H

#include <stdint.h>

/* Finds from the column types the conversions a record needs; called
 * once the header has set them, before the first record is converted. */
void PlanCdfConversions(void);

/* Converts the text of every column by its type, in place in the column
 * table, lengths[i] being the length of the text of column i; later
 * members of an option group fold into the group start. */
void ConvertMeasuredColumns(const int32_t *lengths);

/* Converts the text-like columns of the record (text, long text, time,
 * list) from the file's code page to UTF-8, lengths[i] updated; 0 when
 * one no longer fits its column, the failure noted at the record's line. */
int32_t ConvertRecordTexts(int32_t *lengths);

/* The number conversion alone: decimal digits with at most two decimals,
 * plus 0.005 and times 100 when scaled, any '-' making it negative. */
double ConvertNumber(const char *text, int32_t scaled);

#endif
