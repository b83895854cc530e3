#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/continue_on_error.h"
#include "platform/database_objects.h"
#include "repair/repair_sql.h"

namespace kelvar {

// Continue-on-error for one kind: each failure is passed over where the step list says, and the
// first one becomes the kind's reason, so a failure is never reported as success.
class KindSteps {
  public:
    template <typename Step>
    bool step(Step&& action) {
        const bool done = mode_.step(std::forward<Step>(action));
        if (!done) {
            noteFailure();
        }
        return done;
    }

    template <typename Read>
    auto read(Read&& reader) {
        auto value = mode_.read(std::forward<Read>(reader));
        if (!value) {
            noteFailure();
        }
        return value;
    }

    void fail(std::string_view reason) {
        if (!reason_) {
            reason_ = std::string(reason);
        }
    }

    // The first failure met, if any.
    [[nodiscard]] const std::optional<std::string>& reason() const noexcept { return reason_; }

  private:
    void noteFailure() { fail(mode_.lastError()->description()); }

    ContinueOnError mode_;
    std::optional<std::string> reason_;
};

// The kind's maxima through a fresh RS: its maximum query, then "idF" and "idC" as whole numbers.
// Nothing when a table is empty (a null "idF") or a step failed, which `steps` then says; maxima
// that are not whole numbers fail the kind.
[[nodiscard]] std::optional<Maxima> readKindMaxima(DatabaseObjects& db, std::size_t row,
                                                   KindSteps& steps);

}  // namespace kelvar
