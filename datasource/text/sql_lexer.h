/* sql_lexer.h: the lexical forms of SQL text that the driver steps over
 * whole: quoted runs, comments and words. The type-word rewrite and the
 * statement splitter read the tokens of generic SQL with it; the
 * PostgreSQL scan adds that server's own forms (E'' escapes, nested
 * comments) on top of the same pieces. Dollar quotes are stepped over
 * everywhere: no other engine's SQL starts a token with "$$" or "$tag$". */
#ifndef LUMETRA_DS_SQL_LEXER_H
#define LUMETRA_DS_SQL_LEXER_H

#include <stddef.h>

#include <string>

/* A byte of a name: a letter, digit or '_', or any byte of a UTF-8
 * sequence. */
bool IsIdentByte(char c);

/* The end of the run that the quote at s[i] opens and `close` closes. A
 * closing quote doubled stands for itself (except ']'); with escapes, a
 * backslash hides the byte after it. An unclosed run ends with the text. */
size_t QuotedEnd(const std::string &s, size_t i, char close, bool escapes);

/* Does a comment, "--" or a block comment, start at s[i]? */
bool IsCommentStart(const std::string &s, size_t i);

/* The end of the comment at s[i]: a line comment ends before its line
 * break; a block comment after its closing mark, or with the text when
 * it has none. nested: block comments nest, as in PostgreSQL. */
size_t CommentEnd(const std::string &s, size_t i, bool nested);

/* The end of the dollar-quoted run that starts at s[i], $$body$$ or
 * $tag$body$tag$ as PostgreSQL writes function bodies; i itself when
 * none starts there ($1 is a parameter). An unclosed run ends with the
 * text. */
size_t DollarQuotedEnd(const std::string &s, size_t i);

/* The length of the token at s[i] in generic SQL: a run quoted by ", ',
 * ` or [ ], a dollar-quoted run, a comment, a word (which may hold '$'),
 * or a single byte. */
size_t SqlTokenLength(const std::string &s, size_t i);

#endif
