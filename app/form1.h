#pragma once

#include <QDialog>
#include <optional>

#include "platform/database.h"
#include "platform/database_objects.h"
#include "platform/toolkit.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace kelvar {

// The program's one window. It holds CON and RS from load to query-unload, binds its four buttons
// to their handlers and is the window toolkit those handlers act on.
class Form1 : public QDialog, public WindowToolkit {
    Q_OBJECT

  public:
    // Runs Form_Load, so CON and RS exist before the window is first shown. A failure to create
    // them leaves the constructor by the component's exception.
    explicit Form1(DatabaseAccess& access, QWidget* parent = nullptr);
    ~Form1() override;

    // --- WindowToolkit ---
    [[nodiscard]] std::string serverText() const override;
    [[nodiscard]] std::string passwordText() const override;
    [[nodiscard]] std::string databaseText() const override;
    void clearDatabases() override;
    void addDatabase(std::string_view name) override;
    [[nodiscard]] int databaseCount() const override;
    void selectDatabase(int index) override;
    void enableUpdate() override;
    void focusPassword() override;
    void closeWindow() override;
    void showMessage(std::string_view text,
                     std::optional<std::string_view> caption = std::nullopt) override;

    // Esc reaches the dialog as a rejection; it clicks cmdCancel like the key does in the window.
    void reject() override;

  protected:
    // Every request to close, whatever its source, arrives here.
    void closeEvent(QCloseEvent* event) override;

  private:
    // The six events with handlers.
    void Form_Load();
    void Form_QueryUnload();
    void cmdRefresh_Click();
    void cmdOK_Click();
    void cmdSelect_Click();
    void cmdCancel_Click();

    void createControls();
    void bindEvents();
    void updateEnabledStates();

    // Runs a handler with the busy pointer. An exception that escapes it is fatal: reported in a
    // box bearing the application title, then the program ends.
    template <typename Handler>
    void run(Handler&& handler);

    DatabaseAccess& access_;
    std::optional<DatabaseObjects> db_;
    bool unloaded_ = false;
    bool updateEnabled_ = false;

    QComboBox* dbList_ = nullptr;
    QPushButton* cmdRefresh_ = nullptr;
    QPushButton* cmdSelect_ = nullptr;
    QLineEdit* txtUserName_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QLineEdit* txtPassword_ = nullptr;
};

}  // namespace kelvar
