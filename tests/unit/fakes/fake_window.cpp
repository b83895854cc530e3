#include "fake_window.h"

namespace kelvar::fake {

std::string FakeWindow::serverText() const {
    log("ServerText");
    return server;
}
std::string FakeWindow::passwordText() const {
    log("PasswordText");
    return password;
}
std::string FakeWindow::databaseText() const {
    log("DatabaseText");
    return databaseEdit;
}
void FakeWindow::clearDatabases() {
    log("Clear");
    entries.clear();
    selected = -1;
    databaseEdit.clear();
}
void FakeWindow::addDatabase(std::string_view name) {
    log("Add " + std::string(name));
    entries.emplace_back(name);
}
int FakeWindow::databaseCount() const {
    log("Count");
    return static_cast<int>(entries.size());
}
void FakeWindow::selectDatabase(int index) {
    log("Select " + std::to_string(index));
    selected = index;
    databaseEdit = entries.at(static_cast<std::size_t>(index));
}
void FakeWindow::enableUpdate() {
    log("EnableUpdate");
    updateEnabled = true;
}
void FakeWindow::focusPassword() {
    log("FocusPassword");
    ++passwordFocusCount;
}
void FakeWindow::closeWindow() {
    log("Close");
    ++closeRequests;
}
void FakeWindow::showMessage(std::string_view text, std::optional<std::string_view> caption) {
    log("Message " + std::string(text));
    Message message{std::string(text),
                    caption ? std::optional<std::string>(std::string(*caption)) : std::nullopt};
    messages.push_back(message);
    if (onMessage) {
        onMessage(message);
    }
}

}  // namespace kelvar::fake
