#pragma once

#include <optional>
#include <type_traits>
#include <utility>

#include "database_error.h"

namespace kelvar {

// The handlers' continue-on-error mode: each database step runs under a guard that records a
// DatabaseError and lets the handler go on where its step list says. Creating one enters the mode
// with an empty record.
class ContinueOnError {
  public:
    // Runs a step. A failure is recorded and reported as false; the caller goes on with the next
    // step.
    template <typename Step>
    bool step(Step&& action) {
        try {
            std::forward<Step>(action)();
            return true;
        } catch (const DatabaseError& error) {
            record(error);
            return false;
        }
    }

    // Runs the test of a condition. A test that fails is recorded and counts as true, so the
    // handler goes on with the test's true branch.
    template <typename Test>
    bool test(Test&& condition) {
        try {
            return std::forward<Test>(condition)();
        } catch (const DatabaseError& error) {
            record(error);
            return true;
        }
    }

    // Reads a value. A failure is recorded and gives nothing.
    template <typename Read>
    auto read(Read&& reader) -> std::optional<std::invoke_result_t<Read>> {
        try {
            return std::forward<Read>(reader)();
        } catch (const DatabaseError& error) {
            record(error);
            return std::nullopt;
        }
    }

    // The latest failure recorded since the mode was entered.
    [[nodiscard]] const std::optional<DatabaseError>& lastError() const noexcept { return last_; }

  private:
    void record(const DatabaseError& error) { last_ = error; }

    std::optional<DatabaseError> last_;
};

}  // namespace kelvar
