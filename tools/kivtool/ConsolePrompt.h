// The prompts of the window on the terminal: messages printed, questions
// answered as the command line said, file choosers cancelled.
#pragma once

#include "platform/UserPrompt.h"

#include <cstdio>
#include <string>

namespace kivtool {

class ConsolePrompt : public kivplus::UserPrompt {
public:
    explicit ConsolePrompt(Answer answer = Answer::No) : answer_(answer) {}
    void information(const std::string& text) override { std::printf("%s\n", text.c_str()); }
    void error(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    Answer question(const std::string& text) override
    {
        std::printf("%s %s\n", text.c_str(), answer_ == Answer::Yes ? "[yes]" : "[no]");
        return answer_;
    }
    std::string chooseOpenFile(const std::string&, const std::string&) override { return {}; }
    std::string chooseSaveFile(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::string chooseFolder(const std::string&, const std::string&) override { return {}; }
    void setBusy(bool) override {}

private:
    Answer answer_;
};

} // namespace kivtool
