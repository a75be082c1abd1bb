// The Office properties block ("<o:DocumentProperties>") of HTML pages saved by word processors.
#pragma once
#include "docinfo/doc_fields.h"

namespace docinfo {

// Reads the first properties block in `text` (its start tag may carry attributes): Title,
// Subject, Author, LastAuthor, Keywords, Description, Created and LastSaved. False without one.
bool ReadOfficePropertiesBlock(const String& text, DocFields& fields);

// One element of the block by its local name; dates in the ISO form. False for other names.
bool TakeOfficeProperty(const String& name, const String& value, DocFields& fields);

}  // namespace docinfo
