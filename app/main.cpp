#include <QApplication>
#include <memory>

#include "app/start_up.h"
#include "platform/odbc/odbc_database_access.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    kelvar::loadChineseTranslation(application);
    return kelvar::runForm1([] { return std::make_unique<kelvar::odbc::OdbcDatabaseAccess>(); });
}
