// Four floats processed together.  The inner loops of the filterbanks are written with this
// compiler vector type (GCC and Clang) so that they run four lanes at a time on any target.
#pragma once

#include <cstring>

namespace kb::mpeg {

using Float4 = float __attribute__((vector_size(16)));

inline Float4 Load4(const float* p) {
  Float4 v;
  std::memcpy(&v, p, sizeof(v));
  return v;
}

inline Float4 Reverse4(Float4 v) { return Float4{v[3], v[2], v[1], v[0]}; }

inline void Store4(float* p, Float4 v) { std::memcpy(p, &v, sizeof(v)); }

}  // namespace kb::mpeg
