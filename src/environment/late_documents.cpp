#include "environment/late_documents.h"

namespace ovut::env {

clsXMLLite XMLLite;
clsQuery Query;

OVUT_LATE_DEF(XMLLite, p_CreateXmlReader, 12);
OVUT_LATE_DEF(XMLLite, p_CreateXmlWriter, 12);
OVUT_LATE_DEF(Query, p_LoadIFilter, 12);

}  // namespace ovut::env
