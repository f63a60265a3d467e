/* rowset.cpp: the rows of a catalog result set, fetched forward. */
#include "core/rowset.h"

enum { CATALOG_TEXT_SIZE = 128 };

RowSet::RowSet(const CatalogColumn *columns, size_t count) {
  for (size_t i = 0; i < count; i++) {
    ColumnInfo c;
    c.name = columns[i].name;
    c.sqlType = columns[i].sqlType;
    c.size = c.sqlType == SQL_SMALLINT ? 5 : c.sqlType == SQL_INTEGER ? 10 : CATALOG_TEXT_SIZE;
    c.typeName = c.sqlType == SQL_SMALLINT ? "SMALLINT" : c.sqlType == SQL_INTEGER ? "INTEGER" : "VARCHAR";
    c.nullable = SQL_NULLABLE;
    columns_.push_back(c);
  }
}

SQLRETURN RowSet::Next(Diagnostics &) {
  if (next_ >= rows_.size()) {
    next_ = rows_.size() + 1;
    return SQL_NO_DATA;
  }
  next_++;
  return SQL_SUCCESS;
}

Value RowSet::Get(int i) {
  Value v;
  if (next_ == 0 || next_ > rows_.size()) return v;
  const Cell &c = rows_[next_ - 1][(size_t)i];
  v.kind = c.kind;
  v.integer = c.integer;
  v.data = c.text.data();
  v.size = c.text.size();
  return v;
}
