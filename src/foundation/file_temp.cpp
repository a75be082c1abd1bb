// The temporary uses of clsFile: a new temporary file, and a stream handed over by the caller.
#include "foundation/file.h"
#include "foundation/temp_file.h"
#include "foundation/temp_folder.h"

clsFileRWTemp::clsFileRWTemp(const wchar_t* prefix, const wchar_t* extension) {
  String pathPrefix = ovut::LibraryTempFolder();
  pathPrefix.Append(prefix ? prefix : L"zel");
  ovut::CreateTempFile(pathPrefix.c_str(), extension ? extension : L"tmp", ovut::kTempLongFolder, this);
}

clsFileRWTempStream::clsFileRWTempStream(IStream* handedOver) {
  if (AttachStream(handedOver)) handedOver->Release();
}
