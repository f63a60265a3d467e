/* resource.h: identifiers shared by the dialog template and the code. */
#ifndef LUMETRA_RESOURCE_H
#define LUMETRA_RESOURCE_H

#define IDC_COUNT 100 /* the count field of the progress dialog */

#endif
