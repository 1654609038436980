#pragma once

#include <deque>
#include <string>
#include <vector>

namespace kivplus {

// How core code talks to the user: message boxes, file and folder choosers and
// the busy indication. The window program implements it with dialogs; tests and
// kivtool use ScriptedPrompt.
class UserPrompt {
public:
    enum class Answer { Yes, No };

    virtual ~UserPrompt() = default;

    virtual void information(const std::string& text) = 0;
    virtual void error(const std::string& text) = 0;
    virtual Answer question(const std::string& text) = 0;

    // filter is a list of "Description (*.ext *.ext2)" entries separated by ";;".
    // An empty result means the user cancelled.
    virtual std::string chooseOpenFile(const std::string& title, const std::string& filter) = 0;
    // The same, starting in folder (the chooser's own choice when empty).
    virtual std::string chooseOpenFileIn(const std::string& title, const std::string& filter, const std::string& folder)
    {
        (void)folder;
        return chooseOpenFile(title, filter);
    }
    virtual std::string chooseSaveFile(const std::string& title, const std::string& filter,
                                       const std::string& suggestedName) = 0;
    virtual std::string chooseFolder(const std::string& title, const std::string& start) = 0;

    // Shows that a long operation runs (the wait cursor); calls nest.
    virtual void setBusy(bool busy) = 0;
};

// Shows the busy indication for the lifetime of the object.
class BusyScope {
public:
    explicit BusyScope(UserPrompt& prompt) : prompt_(prompt) { prompt_.setBusy(true); }
    ~BusyScope() { prompt_.setBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    UserPrompt& prompt_;
};

// Answers from a script and records what was shown; for tests and kivtool.
class ScriptedPrompt : public UserPrompt {
public:
    struct Shown {
        enum Kind { Information, Error, Question } kind;
        std::string text;
    };

    std::deque<Answer> answers;        // taken by question(); No when empty
    std::deque<std::string> files;     // taken by the choosers; "" (cancel) when empty
    std::vector<Shown> shown;
    std::vector<std::string> startFolders;  // folders the open-file chooser started in
    int busyDepth = 0;

    void information(const std::string& text) override { shown.push_back({Shown::Information, text}); }
    void error(const std::string& text) override { shown.push_back({Shown::Error, text}); }
    Answer question(const std::string& text) override
    {
        shown.push_back({Shown::Question, text});
        return take(answers, Answer::No);
    }
    std::string chooseOpenFile(const std::string&, const std::string&) override { return take(files, std::string()); }
    std::string chooseOpenFileIn(const std::string& title, const std::string& filter, const std::string& folder) override
    {
        startFolders.push_back(folder);
        return chooseOpenFile(title, filter);
    }
    std::string chooseSaveFile(const std::string&, const std::string&, const std::string&) override
    {
        return take(files, std::string());
    }
    std::string chooseFolder(const std::string&, const std::string&) override { return take(files, std::string()); }
    void setBusy(bool busy) override { busyDepth += busy ? 1 : -1; }

    // The texts shown so far, in order.
    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const auto& s : shown)
            out.push_back(s.text);
        return out;
    }

private:
    template <typename T>
    static T take(std::deque<T>& queue, T fallback)
    {
        if (queue.empty())
            return fallback;
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};

} // namespace kivplus
