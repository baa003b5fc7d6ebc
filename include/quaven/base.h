/*
 * Quaven public interface: language glue shared by every Quaven header.
 *
 * The headers describe a binary interface between the engine (a 32-bit Windows
 * program built in C++) and the game library prog.dll, which may be written in
 * C99 or C++. Every record that crosses the boundary is checked at compile time
 * against its fixed size and field offsets, so a header change that would break
 * the interface stops the build instead of a running game.
 */
#ifndef QUAVEN_BASE_H
#define QUAVEN_BASE_H

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#ifdef __cplusplus
#define QUAVEN_EXTERN_C_BEGIN extern "C" {
#define QUAVEN_EXTERN_C_END }
#define QUAVEN_EXTERN_C extern "C"
#else
#define QUAVEN_EXTERN_C_BEGIN
#define QUAVEN_EXTERN_C_END
#define QUAVEN_EXTERN_C extern
#endif

/* The interface version a game built against these headers reports in its
 * program record. The engine refuses to run a game with any other number. */
#define QUAVEN_INTERFACE_VERSION 1406

/* QUAVEN_STATIC_ASSERT(condition, message): a compile-time check usable at file
 * scope in C99 and C++. */
#if defined(__cplusplus)
#define QUAVEN_STATIC_ASSERT(condition, message) static_assert(condition, message)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define QUAVEN_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#elif defined(__GNUC__)
/* GCC understands _Static_assert in C99 too; __extension__ keeps -pedantic quiet. */
#define QUAVEN_STATIC_ASSERT(condition, message) __extension__ _Static_assert(condition, message)
#else
/* Plain C99: an array of negative size fails to compile. Redeclaring the same
 * extern array any number of times is allowed. */
#define QUAVEN_STATIC_ASSERT(condition, message) \
    extern char quaven_static_assertion[(condition) ? 1 : -1]
#endif

/* Checks that a member of a function table sits in its fixed slot. */
#define QUAVEN_ASSERT_SLOT(Table, member, slot) \
    QUAVEN_STATIC_ASSERT(offsetof(Table, member) == 4 * (slot), #Table "." #member " must be slot " #slot)

/* Checks a field offset. */
#define QUAVEN_ASSERT_OFFSET(Type, field, offset) \
    QUAVEN_STATIC_ASSERT(offsetof(Type, field) == (offset), #Type "." #field " must be at byte " #offset)

/* Checks a record size. */
#define QUAVEN_ASSERT_SIZE(Type, size) \
    QUAVEN_STATIC_ASSERT(sizeof(Type) == (size), #Type " must be " #size " bytes")

/* The layouts below are those of a 32-bit Windows process. */
QUAVEN_STATIC_ASSERT(sizeof(void*) == 4, "Quaven targets 32-bit Windows: pointers must be 4 bytes");
QUAVEN_STATIC_ASSERT(sizeof(int) == 4, "int must be 32 bits");
QUAVEN_STATIC_ASSERT(sizeof(float) == 4, "float must be 32 bits");
QUAVEN_STATIC_ASSERT(sizeof(bool) == 1, "bool must be one byte in C and C++ alike");

/*
 * Some member names of the API tables (CreateMutex, CreateDirectory, DeleteFile,
 * LoadBitmap, DrawText, PlaySound) are also macros of <windows.h> and
 * <mmsystem.h>. Include those Windows headers before the Quaven headers (or not at
 * all) so that the member names and their uses are rewritten alike.
 */

#endif /* QUAVEN_BASE_H */
