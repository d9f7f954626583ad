/* Calling-convention and export macros shared by every C ABI of the project,
 * and the one assertion that freezes the layouts those ABIs publish.
 * Plain C so that C and C++ translation units can include it. The calling
 * convention macros mean something only on 32-bit x86 Windows. */
#ifndef TAMBERLY_ABI_CALLING_CONVENTION_H
#define TAMBERLY_ABI_CALLING_CONVENTION_H

#if defined(_WIN32) && defined(_M_IX86)
#define TAMBERLY_STDCALL __stdcall
#define TAMBERLY_CDECL __cdecl
#elif defined(_WIN32) && defined(__i386__)
#define TAMBERLY_STDCALL __attribute__((stdcall))
#define TAMBERLY_CDECL __attribute__((cdecl))
#else
#define TAMBERLY_STDCALL
#define TAMBERLY_CDECL
#endif

#if defined(_WIN32)
#define TAMBERLY_EXPORT __declspec(dllexport)
#define TAMBERLY_IMPORT __declspec(dllimport)
#else
#define TAMBERLY_EXPORT __attribute__((visibility("default")))
#define TAMBERLY_IMPORT
#endif

/* A compile-time check of a published size or offset, in C and in C++. */
#ifdef __cplusplus
#define TAMBERLY_ABI_ASSERT(condition, message) static_assert(condition, message)
#else
#define TAMBERLY_ABI_ASSERT(condition, message) _Static_assert(condition, message)
#endif

#endif
