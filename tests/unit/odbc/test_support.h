#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>

#include "platform/database_error.h"

namespace kelvar::odbc::test {

// A row label as a GoogleTest name: letters and digits kept, anything else an underscore.
inline std::string testName(std::string label) {
    for (char& c : label) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return label;
}

// The DatabaseError a call throws; a test failure when it throws none.
template <typename Call>
DatabaseError failureOf(Call&& call) {
    try {
        std::forward<Call>(call)();
    } catch (const DatabaseError& error) {
        return error;
    }
    ADD_FAILURE() << "no DatabaseError";
    return {0, ""};
}

}  // namespace kelvar::odbc::test
