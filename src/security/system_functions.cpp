#include "security/system_functions.h"

#include "environment/late_interface.h"
#include "environment/late_system_info.h"

namespace ovut::security {

const NetApiFunctions* NetApi() noexcept {
  static const NetApiFunctions functions = [] {
    NetApiFunctions f;
    f.fileEnum = env::p_NetFileEnum.Get();
    f.shareGetInfo = env::p_NetShareGetInfo.Get();
    f.bufferFree = env::p_NetApiBufferFree.Get();
    return f;
  }();
  return functions.fileEnum && functions.shareGetInfo && functions.bufferFree ? &functions : nullptr;
}

CredPromptFn CredentialPrompt() noexcept {
  // The same call; the header spells the record arguments as untyped pointers.
  return reinterpret_cast<CredPromptFn>(env::p_CredUIPromptForCredentials.Get());
}

}  // namespace ovut::security
