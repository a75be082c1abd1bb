// The summary properties (identifiers 2 to 19 of the summary information set) as the property-set
// reader and the filter reader both deliver them, mapped to the fields by identifier.
#pragma once
#include <windows.h>
#include <propidl.h>

#include "docinfo/doc_fields.h"

namespace docinfo {

// Text of a property value: strings (narrow ones in `codePage`, 0 for the ANSI code page),
// string vectors joined with "; ", booleans as "true"/"false", numbers and dates through a
// VARIANT. Empty for values without a text form.
String PropVariantText(const PROPVARIANT& value, UINT codePage = 0);

// Assigns values to the fields by summary identifier: 2 title, 3 subject, 4 author, 5 keywords,
// 6 comments, 8 last author, 12 created, 13 modified (file times, as local time), 14 page count.
// The page count goes into the comments as "<count> p" at Finish, and only when no comments were
// found by then, so the order the values arrive in does not matter.
class SummaryAssigner {
 public:
  explicit SummaryAssigner(DocFields& fields, UINT codePage = 0) : fields_(fields), codePage_(codePage) {}
  void Assign(PROPID id, const PROPVARIANT& value);
  // A text value already decoded (the texts only; other identifiers are ignored).
  void AssignText(PROPID id, const String& text);
  void Finish();
  // True once a mapped value was assigned.
  bool Assigned() const { return assigned_; }

 private:
  DocFields& fields_;
  UINT codePage_;
  String pageCount_;
  bool assigned_ = false;
};

}  // namespace docinfo
