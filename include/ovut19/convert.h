#ifndef OVUT19_CONVERT_H
#define OVUT19_CONVERT_H

#include "ovut19/base.h"
#include <objidl.h>

OVUT_EXTERN_C_BEGIN

/* Binary data as one line of text (Base64; "@2@" + Base64 of a compressed buffer when
   `compress` is non-zero) and back. Never enciphered.
   Text into the caller's buffer: with a null buffer or a capacity of 0 the result is the text
   length + 1 (the size needed, in characters); otherwise at most capacity - 1 characters are
   copied and terminated, and the result is -44 when the text did not fit, else 0.
   A null required pointer gives -2. */
OVUT_API int WINAPI UtilConvertBLOBToString(const void* data, DWORD size, LPWSTR buffer, int capacity, BOOL compress);
/* Decoded size with a null buffer; the size after copying when it fits `capacity` bytes; else -1. */
OVUT_API int WINAPI UtilConvertStringToBLOB(LPCWSTR text, void* buffer, DWORD capacity);
/* The whole stream, from its start. */
OVUT_API int WINAPI UtilConvertStreamToString(IStream* stream, LPWSTR buffer, int capacity, BOOL compress);
/* Replaces the stream's content by the decoded bytes and rewinds it; 0. */
OVUT_API int WINAPI UtilConvertStringToStream(LPCWSTR text, IStream* stream);
/* The whole global memory block (the block stays the caller's). */
OVUT_API int WINAPI UtilConvertHGLOBALToString(HGLOBAL memory, LPWSTR buffer, int capacity, BOOL compress);
/* A new movable global memory block with the decoded bytes in *memory; a block already there is
   freed first. The caller frees the new one with GlobalFree. 0. */
OVUT_API int WINAPI UtilConvertStringToHGLOBAL(LPCWSTR text, HGLOBAL* memory);

OVUT_EXTERN_C_END

#endif
