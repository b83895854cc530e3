#include "standin_connection.h"

namespace kelvar::e2e {

std::string rejectInsertTrigger(std::string_view code) {
    const std::string quoted(code);
    return "CREATE TRIGGER reject_" + quoted +
           " BEFORE INSERT ON za_identity WHEN NEW.cVouchType = '" + quoted +
           "' BEGIN SELECT RAISE(ABORT, 'no " + quoted + " today'); END;";
}

std::map<std::string, Maxima> readCounters(DatabaseAccess& access,
                                           const standin::StandinProcess& server,
                                           AccountNumber account) {
    const auto connection = access.createConnection();
    connection->open(server.oleDbLogin());
    const auto rows = access.createRecordset();
    rows->open("select cVouchType,iFatherId,iChildId from zrsystem..za_identity where cAcc_Id=" +
                   std::to_string(account),
               *connection);
    std::map<std::string, Maxima> counters;
    for (; !rows->eof(); rows->moveNext()) {
        counters[rows->field("cVouchType").toText()] = {
            rows->field("iFatherId").toWholeNumber().value_or(-1),
            rows->field("iChildId").toWholeNumber().value_or(-1)};
    }
    rows->close();
    connection->close();
    return counters;
}

}  // namespace kelvar::e2e
