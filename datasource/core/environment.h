/* environment.h: the environment handle: its allocation and attributes. */
#ifndef LUMETRA_DS_ENVIRONMENT_H
#define LUMETRA_DS_ENVIRONMENT_H

#include "core/handles.h"

SQLRETURN AllocEnv(SQLHANDLE *output);
SQLRETURN FreeEnv(Env *env);
SQLRETURN SetEnvAttr(Env *env, SQLINTEGER attribute, SQLPOINTER value);
SQLRETURN GetEnvAttr(Env *env, SQLINTEGER attribute, SQLPOINTER value);

#endif
