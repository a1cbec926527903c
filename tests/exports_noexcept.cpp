// Compiles only when every export of the export list is declared noexcept.
#include "orven_api.h"

namespace {

template <class R, class... A>
constexpr bool IsNoexcept(R (*)(A...) noexcept) {
  return true;
}
template <class R, class... A>
constexpr bool IsNoexcept(R (*)(A...)) {
  return false;
}

#include "exports_noexcept.inc"

}  // namespace

int main() { return 0; }
