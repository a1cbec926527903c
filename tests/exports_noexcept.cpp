// Compiles only when every export of the export list is declared noexcept (the patterns carry the exports' calling
// convention, which is part of their type on 32-bit Windows).
#include "orven_api.h"

namespace {

template <class R, class... A>
constexpr bool IsNoexcept(R(ORVN_STDCALL_*)(A...) noexcept) {
  return true;
}
template <class R, class... A>
constexpr bool IsNoexcept(R(ORVN_STDCALL_*)(A...)) {
  return false;
}

#include "exports_noexcept.inc"

}  // namespace

int main() { return 0; }
