// The contract between the document loader and the format readers: what a reader is given and
// what it fills.
#pragma once
#include <windows.h>

#include "foundation/string.h"

namespace docinfo {

// The six texts and two dates one reader run produces for a document.
struct DocFields {
  String title, subject, author, lastAuthor, keywords, comments;
  SYSTEMTIME created{}, modified{};  // local time; wYear 0 means unknown
};

// The file a reader reads. The loader owns the handle (opened for reading with read sharing, the
// whole-file lock held for the reader's run). Readers read it through the handle or, where a
// platform reader needs a name (structured storage, the filter library), by `path`; they never
// read past `size` and never hold more of the file than they need: input is hostile.
struct DocSource {
  const wchar_t* path;  // the file actually read (a shell link's target, not the link)
  HANDLE file;
  ULONGLONG size;
};

// Every reader: a result of 0 or more when it read the file as its format (the fields it found
// assigned, an earlier value replaced, the others kept), negative when the file is not of its
// format or cannot be read. Readers report faults on the debug channel and never throw.

// Text formats.
int ReadMail(const DocSource& source, DocFields& fields) noexcept;       // .eml, non-storage .msg
int ReadHtml(const DocSource& source, DocFields& fields) noexcept;       // .htm, .html, .mht
int ReadPdf(const DocSource& source, DocFields& fields) noexcept;
int ReadRtf(const DocSource& source, DocFields& fields) noexcept;
int ReadZipContainer(const DocSource& source, DocFields& fields) noexcept;  // OOXML and ODF
int ReadXml(const DocSource& source, DocFields& fields) noexcept;        // through XmlLite

// Binary formats.
int ReadOlePropertySets(const DocSource& source, DocFields& fields) noexcept;
int ReadOutlookMessage(const DocSource& source, DocFields& fields) noexcept;
int ReadTiff(const DocSource& source, DocFields& fields) noexcept;
int ReadJpeg(const DocSource& source, DocFields& fields) noexcept;
int ReadFilter(const DocSource& source, DocFields& fields) noexcept;     // the "query" filters
int ReadWordProcessorFF57(const DocSource& source, DocFields& fields) noexcept;  // FF 57 50 43
int ReadWordProcessorDBA5(const DocSource& source, DocFields& fields) noexcept;  // DB A5 2D 00

}  // namespace docinfo
