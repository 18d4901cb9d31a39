/* The program's version, read by the About box from the version resource. */
#ifndef GC_VERSION_H
#define GC_VERSION_H

#define GC_FILE_VERSION 1, 0, 0, 0
#define GC_FILE_VERSION_TEXT "1, 0, 0, 0"

#endif
