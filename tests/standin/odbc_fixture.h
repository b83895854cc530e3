// A stand-in and one ODBC client of it, for tests that work on one connection:
//
//   TEST_F(StandinConnection, ...) {
//       ASSERT_TRUE(connect("zrsystem"));                // the sample data, default password
//       client.execute(...);
//   }
//
// start(options) first when the server needs other data or another password.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "odbc_client.h"
#include "standin_process.h"

namespace kelvar::standin::test {

class StandinConnection : public ::testing::Test {
  protected:
    // Starts the stand-in; at most once per test.
    StandinProcess& start(StandinOptions options = {}) {
        server = std::make_unique<StandinProcess>(std::move(options));
        return *server;
    }

    // Connects the client to `database` (empty: master), starting the stand-in with the sample
    // data first if the test has not started it. The answer is kept in `login`.
    ::testing::AssertionResult connect(const std::string& database = "") {
        if (server == nullptr) {
            start();
        }
        login = client.connect(server->connectionString(database));
        if (!login.ok()) {
            return ::testing::AssertionFailure()
                   << "login to '" << database << "': " << login.describe();
        }
        return ::testing::AssertionSuccess();
    }

    std::unique_ptr<StandinProcess> server;
    OdbcClient client;
    CallResult login;
};

}  // namespace kelvar::standin::test
