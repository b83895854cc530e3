#include <iostream>
#include <memory>

#include "cli/password_source.h"
#include "cli/program.h"
#include "platform/console.h"
#include "platform/odbc/odbc_database_access.h"

int main(int argc, char* argv[]) {
    const kelvar::console::Utf8Output utf8Output;
    kelvar::cli::ConsolePasswordSource passwords;
    return kelvar::cli::runProgram(
        kelvar::console::arguments(argc, argv),
        [] { return std::make_unique<kelvar::odbc::OdbcDatabaseAccess>(); },
        {std::cout, std::cerr, passwords});
}
