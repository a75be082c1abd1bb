// Result codes of the account, SID and access-right functions.
#pragma once

namespace ovut::security {

enum Result : int {
  kOk = 0,
  kAccessRightsFailed = -2,  // the access-right functions know only this failure
  kSystemFailure = -4,       // a system call failed
  kBadRequest = -5,          // bad arguments: null pointers, unknown kinds, malformed SID text
};

}  // namespace ovut::security
