/* handles.cpp: telling the driver's handles apart. */
#include "core/handles.h"

template <typename Handle>
static Handle *Enter(SQLHANDLE h, int kind) {
  Handle *p = (Handle *)h;
  if (!p || p->kind != kind) return nullptr;
  p->diag.Clear();
  return p;
}

Env *EnterEnv(SQLHANDLE h) { return Enter<Env>(h, KIND_ENV); }
Dbc *EnterDbc(SQLHANDLE h) { return Enter<Dbc>(h, KIND_DBC); }
Stmt *EnterStmt(SQLHANDLE h) { return Enter<Stmt>(h, KIND_STMT); }


Stmt *FindStmt(SQLHANDLE h) {
  Stmt *p = (Stmt *)h;
  return p && p->kind == KIND_STMT ? p : nullptr;
}
