/*
 * TVAPI: the codec and archive library of the Tavrin song tools.
 *
 * LZSS compression of the GENPAK container's members, conversion of entry names to the game's byte
 * encoding, a generic in-place sort, and reading members out of GENPAK archives.
 *
 * Every function uses the WINAPI calling convention and is exported from TVAPI.dll under its
 * plain name. On platforms other than Windows the same functions come from a static library, and
 * TVCHAR is char16_t: text is UTF-16 everywhere.
 */
#pragma once

#include <stdint.h>

#ifdef _WIN32
#ifndef WINAPI
#define WINAPI __stdcall
#endif
#define TVAPI_CALL WINAPI
typedef wchar_t TVCHAR;
#else
#define TVAPI_CALL
#ifdef __cplusplus
typedef char16_t TVCHAR;
#else
#include <uchar.h>
typedef char16_t TVCHAR;
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Compressor levels (last argument of LzssCompress2 and LzssCompressXor2). */
#define TVAPI_LEVEL_DEFAULT 1 /* fast: what the pack builder and converter pass */
#define TVAPI_LEVEL_BEST 9    /* smallest output, slower */

/* Name conversion identifiers for cpMakeTrCode. */
#define TVAPI_CP_UTF16 2
#define TVAPI_CP_GB18030 256

/* A destination of this many bytes always holds the output of either compressor for n bytes. */
uint32_t TVAPI_CALL LzssCompressBound(uint32_t n);

/*
 * Compresses n bytes at src into dst (LzssCompressBound(n) bytes, and never more than
 * n + ceil(n/8)) as one whole LZSS stream and sets *packed to its length. A stream that is not
 * smaller than the input (*packed >= n) is still complete: the pack builder then stores the data
 * raw, the music-list converter stores the stream as it is.
 * Returns 1 on success, 0 for a null pointer or an unknown level.
 */
int32_t TVAPI_CALL LzssCompress2(const void* src, uint32_t n, void* dst, uint32_t* packed, int32_t level);
/* The same stream with the XOR scheme of container method 3 applied to its bytes. */
int32_t TVAPI_CALL LzssCompressXor2(const void* src, uint32_t n, void* dst, uint32_t* packed, int32_t level);

/* Conversion code for text in encoding `from` to encoding `to`; 0 for a pair it cannot convert. */
uint32_t TVAPI_CALL cpMakeTrCode(uint16_t from, uint16_t to);

/*
 * Converts `length` UTF-16 units at text (-1: up to its NUL) with the code from cpMakeTrCode into
 * out, followed by a NUL. Returns the bytes written including the NUL, or 0 when the code is
 * unknown, the text holds an unpaired surrogate, or the result with its NUL exceeds capacity.
 * Nothing is ever truncated or replaced.
 */
int32_t TVAPI_CALL cpConvertEncoding(uint32_t code, const TVCHAR* text, int32_t length, char* out, int32_t capacity);

/* Sorts count elements of width bytes at first in place, ascending by compare (-1, 0, 1). */
void TVAPI_CALL QuickSort(void* first, int32_t count, int32_t width,
                          int32_t(TVAPI_CALL* compare)(const void*, const void*));

/*
 * Reads member (path with "/" separators) of the GENPAK archive at path archive. With size 0,
 * returns the member's expanded size. With a buffer of at least that size, fills it with the
 * member's content and returns the size. Returns 0 for a missing or unreadable archive or
 * member, a corrupt archive, or a buffer that is too small.
 */
uint32_t TVAPI_CALL GetFileFromPakW(void* buffer, uint32_t size, const TVCHAR* archive, const TVCHAR* member);

#ifdef __cplusplus
}
#endif
