/* diagnostics.h: the diagnostic records of a handle's last call, and
 * how the core and the backends post them. A message starts with a short
 * vendor prefix, once, and is kept whole. */
#ifndef LUMETRA_DS_DIAGNOSTICS_H
#define LUMETRA_DS_DIAGNOSTICS_H

#include <sql.h>
#include <sqlext.h>
#include <stddef.h>

#include <string>
#include <vector>

struct DiagRecord {
  std::string state; /* five characters */
  SQLINTEGER native = 0;
  std::string message;
};

/* The records of a handle's last call. Clearing keeps their storage for
 * the next ones: a warning may come with every row of an import. */
class Diagnostics {
 public:
  SQLRETURN lastResult = SQL_SUCCESS;
  size_t errorsGiven = 0; /* the records SQLError has given */
  size_t Count() const { return used_; }
  bool Empty() const { return used_ == 0; }
  const DiagRecord &operator[](size_t i) const { return records_[i]; }
  void Clear() {
    used_ = 0;
    errorsGiven = 0;
    lastResult = SQL_SUCCESS;
  }
  /* A record to fill in, after the others. */
  DiagRecord &Add() {
    if (used_ == records_.size()) records_.emplace_back();
    return records_[used_++];
  }
  void Append(const DiagRecord &r) { Add() = r; }
  /* A record before the others: the reason that explains them. */
  void Prepend(const DiagRecord &r) {
    Add();
    for (size_t i = used_ - 1; i > 0; i--) records_[i] = records_[i - 1];
    records_[0] = r;
  }

 private:
  std::vector<DiagRecord> records_;
  size_t used_ = 0;
};

/* Posts an error record; returns SQL_ERROR. */
SQLRETURN PostError(Diagnostics &diag, const char *state, SQLINTEGER native, const std::string &message);
/* Posts a warning record (the call returns SQL_SUCCESS_WITH_INFO). */
void PostInfo(Diagnostics &diag, const char *state, const std::string &message);
void PostInfo(Diagnostics &diag, const char *state, const char *message);
/* A message without this driver's prefix, and a reason with it. */
std::string WithoutDriverPrefix(const std::string &message);
std::string WithDriverPrefix(const std::string &reason);

#endif
