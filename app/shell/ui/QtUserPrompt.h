#pragma once

#include "platform/UserPrompt.h"

class QWidget;

namespace kivplus {

// UserPrompt with message boxes and file dialogs. Calls from a worker thread
// (a device transfer) are carried out on the user-interface thread, which the
// caller waits for.
class QtUserPrompt : public UserPrompt {
public:
    explicit QtUserPrompt(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void information(const std::string& text) override;
    void error(const std::string& text) override;
    Answer question(const std::string& text) override;
    std::string chooseOpenFile(const std::string& title, const std::string& filter) override;
    std::string chooseOpenFileIn(const std::string& title, const std::string& filter,
                                 const std::string& folder) override;
    std::string chooseSaveFile(const std::string& title, const std::string& filter,
                               const std::string& suggestedName) override;
    std::string chooseFolder(const std::string& title, const std::string& start) override;
    void setBusy(bool busy) override;

private:
    QWidget* parent_;
};

} // namespace kivplus
