/* rowset.h: a result set held in memory, for the catalog functions: the
 * columns that ODBC defines for each, and the rows the core builds from
 * the backend's facts. */
#ifndef LUMETRA_DS_ROWSET_H
#define LUMETRA_DS_ROWSET_H

#include <string>
#include <vector>

#include "backend/backend.h"

struct Cell {
  ValueKind kind = VALUE_NULL;
  int64_t integer = 0;
  std::string text;
};

inline Cell TextCell(const std::string &s) { return {VALUE_TEXT, 0, s}; }
inline Cell IntCell(int64_t n) { return {VALUE_INTEGER, n, ""}; }
inline Cell NullCell() { return {}; }

/* A column of a catalog result set: its name and SQL type. */
struct CatalogColumn {
  const char *name;
  SQLSMALLINT sqlType;
};

class RowSet : public Cursor {
 public:
  RowSet(const CatalogColumn *columns, size_t count);
  void Add(std::vector<Cell> row) { rows_.push_back(std::move(row)); }

  int ColumnCount() override { return (int)columns_.size(); }
  ColumnInfo Column(int i) override { return columns_[(size_t)i]; }
  SQLRETURN Next(Diagnostics &diag) override;
  Value Get(int i) override;

 private:
  std::vector<ColumnInfo> columns_;
  std::vector<std::vector<Cell>> rows_;
  size_t next_ = 0; /* the row after the current one */
};

#endif
