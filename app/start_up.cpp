#include "app/start_up.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/fatal_error.h"
#include "app/form1.h"

namespace kelvar {

void loadChineseTranslation(QApplication& application) {
    auto* translator = new QTranslator(&application);  // owned by the application
    if (translator->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator);
    }
}

int runForm1(DatabaseAccess& access) {
    std::optional<Form1> form;
    try {
        form.emplace(access);
    } catch (const std::exception& error) {
        reportFatalError(nullptr, error);
        return kFatalExitStatus;
    }
    form->show();
    return QApplication::exec();
}

int runForm1(const std::function<std::unique_ptr<DatabaseAccess>()>& createAccess) {
    std::unique_ptr<DatabaseAccess> access;
    try {
        access = createAccess();
    } catch (const std::exception& error) {
        reportFatalError(nullptr, error);
        return kFatalExitStatus;
    }
    return runForm1(*access);
}

}  // namespace kelvar
