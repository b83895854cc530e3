#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/toolkit.h"

namespace kelvar::fake {

// A recording stand-in for the window, for unit tests only. Its fields are the controls' contents;
// tests set the typed texts and read back what the handlers did.
class FakeWindow : public WindowToolkit {
  public:
    struct Message {
        std::string text;
        std::optional<std::string> caption;  // none: the box bears the application title
        friend bool operator==(const Message&, const Message&) = default;
        // Readable failure output in tests: the text, and the caption when there is one.
        friend void PrintTo(const Message& message, std::ostream* out) {
            *out << '"' << message.text << '"';
            if (message.caption) {
                *out << " captioned \"" << *message.caption << '"';
            }
        }
    };

    std::string server = "(local)";
    std::string password;
    std::string databaseEdit;  // the edit field of dbList
    std::vector<std::string> entries;
    int selected = -1;
    bool updateEnabled = false;
    int passwordFocusCount = 0;
    int closeRequests = 0;
    std::vector<Message> messages;
    // Every call in order: "ServerText", "Clear", "Add zrdata_001_2024", "Select 0", "Message ...".
    mutable std::vector<std::string> calls;
    // Runs when the handler shows a message box, as the user's answer to it.
    std::function<void(const Message&)> onMessage;

    std::string serverText() const override;
    std::string passwordText() const override;
    std::string databaseText() const override;
    void clearDatabases() override;
    void addDatabase(std::string_view name) override;
    int databaseCount() const override;
    void selectDatabase(int index) override;
    void enableUpdate() override;
    void focusPassword() override;
    void closeWindow() override;
    void showMessage(std::string_view text, std::optional<std::string_view> caption) override;

    // Puts in the list an earlier press left, "zrdata_009_2020" chosen, so a test can see whether
    // a handler touched it.
    void giveOldList() {
        entries = {"zrdata_009_2020"};
        selected = 0;
        databaseEdit = "zrdata_009_2020";
    }

  private:
    void log(std::string call) const { calls.push_back(std::move(call)); }
};

}  // namespace kelvar::fake
