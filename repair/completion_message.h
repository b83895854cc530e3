#pragma once

#include <optional>
#include <string>

#include "repair/repair_report.h"

namespace kelvar {

struct CompletionMessage {
    std::string text;
    std::string caption;
    friend bool operator==(const CompletionMessage&, const CompletionMessage&) = default;
};

// The message box that closes a run; nothing when the connection was closed.
[[nodiscard]] std::optional<CompletionMessage> completionMessage(const RepairReport& report);

}  // namespace kelvar
