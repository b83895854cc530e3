#include "login/refresh.h"

#include <string>
#include <string_view>

#include "login/account_list_query.h"
#include "login/connection_template.h"
#include "platform/continue_on_error.h"

namespace kelvar {

void cmdRefresh_Click(DatabaseObjects& db, WindowToolkit& window) {
    Connection& con = db.con();
    Recordset& rs = db.rs();

    // 1. Continue-on-error mode, with an empty record.
    ContinueOnError mode;

    // 2-4. The password, the server name and the catalog, each put in once.
    const std::string password = window.passwordText();
    const std::string connectionString = fillConnectionTemplate(password, window.serverText());

    // 5. Close an open connection; a failed state read takes the true branch and tries the close.
    if (mode.test([&] { return con.state() == Connection::kOpen; })) {
        mode.step([&] { con.close(); });
    }

    // 6. Open anew on zrsystem as sa.
    mode.step([&] { con.open(connectionString); });

    // 7. The true branch is "open": a failed state read goes on to the list; if the connection is
    //    in fact closed, the query cannot open there and step 10 ends the handler silently.
    if (!mode.test([&] { return con.state() == Connection::kOpen; })) {
        const auto& error = mode.lastError();
        window.showMessage(error ? std::string_view(error->description()) : std::string_view());
        window.focusPassword();
        return;
    }

    // 8-9. The account query on the window's RS.
    mode.step([&] { rs.open(AccountListQuery, con); });

    // 10. A query that did not open ends the handler silently; so does a failed state read.
    if (mode.test([&] { return rs.state() == Recordset::kClosed; })) {
        return;
    }

    // 11. The old list goes only now that the query is open.
    window.clearDatabases();

    // 12. One entry per row. A failed end test counts as the end; a failed move ends the reading
    //     too, since it would read the same row again for ever.
    while (!mode.test([&] { return rs.eof(); })) {
        const auto name = mode.read([&] { return rs.field(AccountNameField); });
        // A null name cannot be listed; it is left out like a failed read.
        if (name && !name->isNull()) {
            window.addDatabase(name->toText());
        }
        if (!mode.step([&] { rs.moveNext(); })) {
            break;
        }
    }

    // 13.
    mode.step([&] { rs.close(); });

    // 14.
    if (window.databaseCount() > 0) {
        window.selectDatabase(0);
    }

    // 15. Enabled even for an empty list.
    window.enableUpdate();

    // 16. End.
}

}  // namespace kelvar
