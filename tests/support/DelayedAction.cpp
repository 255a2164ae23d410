#include "DelayedAction.h"

namespace TestSupport {

DelayedAction::DelayedAction(std::chrono::milliseconds delay, std::function<void()> action)
    : FThread([this, delay, action = std::move(action)] {
          std::this_thread::sleep_for(delay);
          try {
              action();
          } catch (...) {
              FError = std::current_exception();
          }
      }) {}

DelayedAction::~DelayedAction() {
    if (FThread.joinable()) {
        FThread.join();
    }
}

void DelayedAction::Wait() {
    if (FThread.joinable()) {
        FThread.join();
    }
    if (FError) {
        std::rethrow_exception(FError);
    }
}

} // namespace TestSupport
