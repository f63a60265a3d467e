/* type_words.h: the type words of the import utility's CREATE TABLE, the
 * one table of them. The utility writes them; each backend names its own
 * type for each (the TEXT of SQLite, the text of PostgreSQL, whatever the
 * target of the ODBC backend offers) and the SQL rewrite puts that name
 * in their place. This header needs nothing else, so that the utility
 * can take the words from here too. */
#ifndef LUMETRA_DS_TYPE_WORDS_H
#define LUMETRA_DS_TYPE_WORDS_H

/* What a word stands for. */
enum TypeWordId { WORD_TEXT, WORD_LONG_TEXT, WORD_INTEGER, WORD_SMALLINT, WORD_TIMESTAMP, TYPE_WORD_COUNT };

/* The words as written, by TypeWordId. */
inline constexpr const char *kTypeWords[TYPE_WORD_COUNT] = {"LPWSTR", "LONG_LPWSTR", "I4", "I2", "FILETIME"};

#endif
