/** @file
    Binary data as one line of text (Base64; "@2@" + Base64 of a compressed buffer when
    `compress` is non-zero) and back. Never enciphered; decoding skips blanks and foreign characters.

    Text into the caller's buffer: with a null buffer or a capacity of 0 the result is the text
    length + 1 (the size needed, in characters); otherwise at most capacity - 1 characters are
    copied and terminated, and the result is -44 when the text did not fit, else 0.
    A null required pointer gives -2. Threads: any thread; the caller's objects one thread at a time. */
#ifndef OVUT19_CONVERT_H
#define OVUT19_CONVERT_H

#include "ovut19/base.h"
#include <objidl.h>

OVUT_EXTERN_C_BEGIN

/** Turns bytes into one line of text.
    @param data      the bytes (may be null when size is 0)
    @param size      their number
    @param buffer    receives the text; null asks for the size needed
    @param capacity  the buffer's size in characters; 0 asks for the size needed
    @param compress  non-zero: zlib-pack the bytes first ("@2@" form)
    @return the size needed (null buffer or capacity 0), 0 copied, -44 cut, -2 null data with a size. */
OVUT_API int WINAPI UtilConvertBLOBToString(const void* data, DWORD size, LPWSTR buffer, int capacity, BOOL compress);
/** Turns text made by the UtilConvert...ToString functions back into bytes.
    @param text      the text
    @param buffer    receives the bytes; null asks for the decoded size
    @param capacity  the buffer's size in bytes
    @return the decoded size (null buffer, or after copying when it fits), -1 it does not fit or
            the text cannot be decoded, -2 null text. */
OVUT_API int WINAPI UtilConvertStringToBLOB(LPCWSTR text, void* buffer, DWORD capacity);
/** Turns the whole stream, from its start, into one line of text.
    @param stream    the stream (read; its position is changed)
    @param buffer    receives the text; null asks for the size needed
    @param capacity  the buffer's size in characters; 0 asks for the size needed
    @param compress  non-zero: zlib-pack the bytes first
    @return the size needed, 0 copied, -44 cut, -2 null stream or a stream that cannot be read. */
OVUT_API int WINAPI UtilConvertStreamToString(IStream* stream, LPWSTR buffer, int capacity, BOOL compress);
/** Replaces the stream's content by the decoded bytes and rewinds it.
    @param text    the text
    @param stream  the stream to fill
    @return 0, -2 null text or stream, or the stream cannot be written. */
OVUT_API int WINAPI UtilConvertStringToStream(LPCWSTR text, IStream* stream);
/** Turns a whole global memory block into one line of text (the block stays the caller's).
    @param memory    the block
    @param buffer    receives the text; null asks for the size needed
    @param capacity  the buffer's size in characters; 0 asks for the size needed
    @param compress  non-zero: zlib-pack the bytes first
    @return the size needed, 0 copied, -44 cut, -2 null block or a block that cannot be read. */
OVUT_API int WINAPI UtilConvertHGLOBALToString(HGLOBAL memory, LPWSTR buffer, int capacity, BOOL compress);
/** Puts the decoded bytes into a new movable global memory block; a block already in *memory
    is freed first. The caller frees the new one with GlobalFree.
    @param text    the text
    @param memory  receives the block
    @return 0, -2 null text or memory, or no block could be made. */
OVUT_API int WINAPI UtilConvertStringToHGLOBAL(LPCWSTR text, HGLOBAL* memory);

OVUT_EXTERN_C_END

#endif
