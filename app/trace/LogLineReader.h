#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

namespace kivplus {

// Splits a file into lines at LF, reading 4096-byte chunks. Each line is handed
// out with its line end; a line longer than the line buffer is cut there and
// the rest of it is skipped.
class LogLineReader {
public:
    static constexpr std::size_t kLineSize = 4096;

    explicit LogLineReader(std::FILE* file) : file_(file) {}

    // False when the file has no more lines. The view stays valid until the next call.
    bool next(std::string_view& line);

private:
    bool fill();

    std::FILE* file_;
    char chunk_[4096];
    std::size_t chunkPos_ = 0;
    std::size_t chunkLen_ = 0;
    char line_[kLineSize];
};

// 1 + the number of LF bytes in the file; 0 when it cannot be opened.
long countLogFileLines(const char* path);

// Reads fields and tokens of one line without ever leaving it.
class LineCursor {
public:
    explicit LineCursor(std::string_view line) : line_(line) {}

    void skipSpaces();
    // The characters after any spaces up to the next space, tab, CR or LF.
    std::string_view token();
    // The characters after any spaces up to the next comma, which is consumed;
    // without a comma, up to CR or LF.
    std::string_view field();
    // The characters after any spaces up to CR or LF, at most maxLength of them.
    std::string_view rest(std::size_t maxLength);
    // The characters from the current position up to CR or LF, at most maxLength of them.
    std::string_view restFromHere(std::size_t maxLength) const;
    bool atEnd() const;

private:
    std::string_view line_;
    std::size_t pos_ = 0;
};

} // namespace kivplus
