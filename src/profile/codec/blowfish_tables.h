// Initial P-array and S-boxes of the Blowfish cipher.
#pragma once
#include <cstdint>

namespace ovut::codec {
extern const uint32_t kBlowfishInitP[18];
extern const uint32_t kBlowfishInitS[4][256];
}  // namespace ovut::codec
