// The TIFF structure: image directories of tagged values, in TIFF files and as the EXIF block of
// JPEG files. All offsets are relative to the structure's start.
#pragma once
#include "docinfo/byte_source.h"

namespace docinfo {

// Reads the TIFF structure of `length` bytes at `start` of the file into the fields: document
// name → title, image description → subject, camera model and artist → author, date and time
// (of capture, if present) → created, and a comment text of the rights notice, user comment,
// image size and camera settings. Returns 0 when the header and the first directory could be
// read, -1 otherwise (with the reason on the debug channel). Directories are visited once each
// and at most a few of them; no value is read beyond `length` and texts are capped.
int ReadTiffStructure(const ByteSource& source, ULONGLONG start, ULONGLONG length, const wchar_t* path,
                      DocFields& fields) noexcept;

}  // namespace docinfo
