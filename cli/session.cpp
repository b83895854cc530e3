#include "cli/session.h"

#include "login/account_list_query.h"
#include "login/connection_template.h"
#include "platform/continue_on_error.h"

namespace kelvar::cli {

std::optional<std::string> logIn(DatabaseObjects& db, std::string_view serverName,
                                 std::string_view password) {
    Connection& con = db.con();
    ContinueOnError mode;
    const std::string connectionString = fillConnectionTemplate(password, serverName);

    if (mode.test([&] { return con.state() == Connection::kOpen; })) {
        mode.step([&] { con.close(); });
    }
    mode.step([&] { con.open(connectionString); });

    // As in the window, a state that cannot be read counts as open; the next query then tells.
    if (mode.test([&] { return con.state() == Connection::kOpen; })) {
        return std::nullopt;
    }
    const auto& error = mode.lastError();
    return error ? error->description() : std::string();
}

AccountList listAccounts(DatabaseObjects& db) {
    Recordset& rs = db.rs();
    ContinueOnError mode;
    AccountList list;

    if (!mode.step([&] { rs.open(AccountListQuery, db.con()); })) {
        list.error = mode.lastError()->description();
        return list;
    }
    // A failed end test or move ends the reading, so no row is read twice; it is reported, since
    // the list would be cut short.
    while (!mode.test([&] { return rs.eof(); })) {
        const auto name = mode.read([&] { return rs.field(AccountNameField); });
        if (name && !name->isNull()) {
            list.names.push_back(name->toText());
        }
        if (!mode.step([&] { rs.moveNext(); })) {
            break;
        }
    }
    mode.step([&] { rs.close(); });
    if (const auto& error = mode.lastError()) {
        list.error = error->description();
    }
    return list;
}

}  // namespace kelvar::cli
