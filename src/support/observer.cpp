#include "support/observer.h"

namespace simplex_weights::detail {
namespace {

class NoObserver final : public Observer {
 public:
  bool observing() const override { return false; }
};

}  // namespace

Observer& no_observer() {
  // Stateless: every thread may share it.
  static NoObserver none;
  return none;
}

}  // namespace simplex_weights::detail
