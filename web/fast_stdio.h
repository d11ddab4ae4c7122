/* sscanf and vsnprintf for the plain formats the game's data files and
   lines use, read and written without the C library's machinery, which
   costs the browser build more than the rest of a level's loading, or than
   drawing a line's glyphs. The browser build links them in place of the C
   library's own (web/libc_compat.c), which still reads and writes every
   other format; tests/sprite_set_test.cpp and web/check_numbers.sh hold them
   to the desktop's C library. */
#ifndef QUARNDEL_WEB_FAST_STDIO_H
#define QUARNDEL_WEB_FAST_STDIO_H
#include <stdarg.h>
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* sscanf(text, format, ...) with the arguments in args, for a format of
   characters to match, blanks, %d and %Ns: stores what sscanf stores, puts
   what it returns in *result and returns 1. Returns 0, args partly read,
   where sscanf itself must read the text: any other conversion, or a number
   of 10 digits or more (which overflows, and C libraries differ there). */
int FastScan(const char *text, const char *format, va_list args, int *result);

/* vsnprintf(text, size, format, args) for a format of plain characters, %d
   and %s: writes what vsnprintf writes, puts what it returns in *result and
   returns 1. Returns 0, args partly read and text perhaps written, where
   vsnprintf itself must write: any other conversion, %s of a null pointer,
   or a size or a line beyond an int. */
int FastFormat(char *text, size_t size, const char *format, va_list args, int *result);

/* vsscanf as the browser build has it: FastScan, and the C library's own
   vsscanf where FastScan leaves the text to it. */
int FastOrLibraryScan(const char *text, const char *format, va_list args);

/* vsnprintf as the browser build has it: FastFormat, and library (the C
   library's own vsnprintf) where FastFormat leaves the line to it. */
int FastOrLibraryFormat(char *text, size_t size, const char *format, va_list args,
                        int (*library)(char *, size_t, const char *, va_list));

#ifdef __cplusplus
}
#endif
#endif
