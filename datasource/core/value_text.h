/* value_text.h: the text forms of the C values that the backends take as
 * text: exact decimals (SQL_C_NUMERIC), GUIDs, times of day, and the
 * fraction of a second of a timestamp. Every backend reads these forms:
 * SQLite stores them or applies the column's affinity, PostgreSQL parses
 * them as the parameter's type, another data source takes them as text. */
#ifndef LUMETRA_DS_VALUE_TEXT_H
#define LUMETRA_DS_VALUE_TEXT_H

#include <sql.h>
#include <sqlext.h>

#include <string>

/* "-123.4500": the exact digits, the scale's places after the point
 * (zeros appended for a negative scale). */
std::string NumericText(const SQL_NUMERIC_STRUCT &n);
/* "12345678-9abc-def0-1234-56789abcdef0". */
std::string GuidText(const SQLGUID &g);
/* The exact decimal a number's text holds ("-123.45", "1.5e-3"): every
 * digit up to 38, its scale the places after the point. Digits beyond
 * what 38 can hold are dropped from the fraction, and *dropped says so.
 * False for text that is no number, or a whole part of over 38 digits. */
bool NumericOfText(const std::string &text, SQL_NUMERIC_STRUCT *out, bool *dropped);
/* A GUID's text, "12345678-9abc-def0-0123-456789abcdef" in either case
 * and with or without braces; false for any other text. */
bool GuidOfText(const std::string &text, SQLGUID *out);
/* "HH:MM:SS"; false when a field is out of its range. */
bool TimeText(const SQL_TIME_STRUCT &t, std::string *out);
/* Appends ".fffffffff" for nanoseconds, without trailing zeros; nothing
 * for 0. */
void AppendFraction(SQLUINTEGER nanos, std::string *text);

#endif
