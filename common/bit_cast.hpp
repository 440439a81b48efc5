// The bits of one trivially copyable type read as another of the same size: std::bit_cast where the
// standard library has it, and the same by memcpy where it does not (libc++ before 14, such as the
// libc++ 13 of the WebAssembly toolchain).
#pragma once

#include <bit>
#include <cstring>
#include <type_traits>

namespace velmora {

template <typename To, typename From>
  requires(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> && std::is_trivially_copyable_v<From>)
To bitCast(const From& from) noexcept {
#if defined(__cpp_lib_bit_cast)
  return std::bit_cast<To>(from);
#else
  static_assert(std::is_trivially_default_constructible_v<To>);
  To to;
  std::memcpy(&to, &from, sizeof(To));
  return to;
#endif
}

}  // namespace velmora
