#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace kelvar {

// A failed database operation, carrying the driver's own number and words. Thrown by the platform
// layer only; the handlers' step guard is the one place that catches it.
class DatabaseError : public std::runtime_error {
  public:
    DatabaseError(long number, std::string description)
        : std::runtime_error(description), number_(number), description_(std::move(description)) {}

    [[nodiscard]] long number() const noexcept { return number_; }
    [[nodiscard]] const std::string& description() const noexcept { return description_; }

  private:
    long number_;
    std::string description_;
};

}  // namespace kelvar
