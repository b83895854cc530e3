#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvar {

// The window as the handlers see it. All text is UTF-8.
class WindowToolkit {
  public:
    virtual ~WindowToolkit() = default;

    // txtUserName: the server name, exactly as typed.
    [[nodiscard]] virtual std::string serverText() const = 0;
    // txtPassword: the real characters, not the asterisks shown.
    [[nodiscard]] virtual std::string passwordText() const = 0;
    // dbList: the text of the combo box's edit field, selected or typed.
    [[nodiscard]] virtual std::string databaseText() const = 0;

    // Removes every entry of dbList and empties its edit field.
    virtual void clearDatabases() = 0;
    // Appends one entry at the end of dbList.
    virtual void addDatabase(std::string_view name) = 0;
    [[nodiscard]] virtual int databaseCount() const = 0;
    // Selects the entry at a position counted from 0 and shows it as the combo box's text.
    virtual void selectDatabase(int index) = 0;

    // Makes cmdOK clickable.
    virtual void enableUpdate() = 0;
    // Moves the keyboard focus into txtPassword.
    virtual void focusPassword() = 0;
    // Asks Form1 to close, which runs its query-unload handler first.
    virtual void closeWindow() = 0;
    // A modal box with one OK button and no icon; without a caption it bears the application title.
    virtual void showMessage(std::string_view text,
                             std::optional<std::string_view> caption = std::nullopt) = 0;
};

}  // namespace kelvar
