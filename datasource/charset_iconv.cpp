/* charset_iconv.cpp: the encodings a data source names, converted with
 * the C library's iconv (Linux). */
#include <errno.h>

#include "charset.h"

enum { CONVERT_CHUNK = 4096 };

Charset::~Charset() { Close(); }

void Charset::Close() {
  if (in_ != (iconv_t)-1) iconv_close(in_);
  if (out_ != (iconv_t)-1) iconv_close(out_);
  in_ = out_ = (iconv_t)-1;
  name_.clear();
}

bool Charset::Open(const std::string &name) {
  Close();
  if (name.empty()) return true;
  in_ = iconv_open("UTF-8", name.c_str());
  out_ = iconv_open((name + "//TRANSLIT").c_str(), "UTF-8");
  if (in_ == (iconv_t)-1 || out_ == (iconv_t)-1) {
    Close();
    return false;
  }
  name_ = name;
  return true;
}

TextResult Charset::ToUtf8(const char *s, size_t n, std::string *out, size_t *badOffset) const {
  if (!Explicit()) {
    if (IsValidUtf8(s, n)) return TEXT_KEPT;
    Windows1252ToUtf8(s, n, out);
    return TEXT_CONVERTED;
  }
  out->clear();
  iconv(in_, nullptr, nullptr, nullptr, nullptr);
  char *from = (char *)s;
  size_t left = n;
  char chunk[CONVERT_CHUNK];
  while (left > 0) {
    char *to = chunk;
    size_t room = sizeof chunk;
    size_t rc = iconv(in_, &from, &left, &to, &room);
    out->append(chunk, (size_t)(to - chunk));
    if (rc == (size_t)-1 && errno != E2BIG) {
      *badOffset = (size_t)(from - s);
      return TEXT_INVALID;
    }
  }
  /* A stateful encoding may still owe its closing shift sequence. */
  char *to = chunk;
  size_t room = sizeof chunk;
  iconv(in_, nullptr, nullptr, &to, &room);
  out->append(chunk, (size_t)(to - chunk));
  return TEXT_CONVERTED;
}

void Charset::FromUtf8(const char *s, size_t n, std::string *out) const {
  out->clear();
  if (!Explicit()) {
    out->assign(s, n);
    return;
  }
  iconv(out_, nullptr, nullptr, nullptr, nullptr);
  char *from = (char *)s;
  size_t left = n;
  char chunk[CONVERT_CHUNK];
  while (left > 0) {
    char *to = chunk;
    size_t room = sizeof chunk;
    size_t rc = iconv(out_, &from, &left, &to, &room);
    out->append(chunk, (size_t)(to - chunk));
    if (rc != (size_t)-1 || errno == E2BIG) continue;
    /* Not UTF-8, or no way to write it: one '?' for the character. */
    *out += '?';
    size_t skip = Utf8SequenceLength((const unsigned char *)from, left);
    if (skip == 0) skip = 1;
    from += skip;
    left -= skip;
  }
  char *to = chunk;
  size_t room = sizeof chunk;
  iconv(out_, nullptr, nullptr, &to, &room);
  out->append(chunk, (size_t)(to - chunk));
}
