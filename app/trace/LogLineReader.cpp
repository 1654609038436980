#include "trace/LogLineReader.h"

#include <cstring>

namespace kivplus {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t'; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

} // namespace

bool LogLineReader::fill()
{
    chunkPos_ = 0;
    chunkLen_ = std::fread(chunk_, 1, sizeof chunk_, file_);
    return chunkLen_ > 0;
}

bool LogLineReader::next(std::string_view& line)
{
    std::size_t length = 0;
    bool any = false;
    for (;;) {
        if (chunkPos_ == chunkLen_ && !fill()) {
            line = std::string_view(line_, length);
            return any;
        }
        any = true;
        const char* start = chunk_ + chunkPos_;
        const std::size_t available = chunkLen_ - chunkPos_;
        const char* lf = static_cast<const char*>(std::memchr(start, '\n', available));
        const std::size_t take = lf ? std::size_t(lf - start) + 1 : available;
        const std::size_t room = kLineSize - length;
        std::memcpy(line_ + length, start, take < room ? take : room);
        length += take < room ? take : room;
        chunkPos_ += take;
        if (lf) {
            line_[length - 1] = '\n';   // a cut line still ends with its line end
            line = std::string_view(line_, length);
            return true;
        }
    }
}

long countLogFileLines(const char* path)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return 0;
    long lines = 1;
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        for (std::size_t i = 0; i < n; ++i)
            lines += chunk[i] == '\n';
    }
    std::fclose(file);
    return lines;
}

void LineCursor::skipSpaces()
{
    while (pos_ < line_.size() && isSpace(line_[pos_]))
        ++pos_;
}

std::string_view LineCursor::token()
{
    skipSpaces();
    const std::size_t start = pos_;
    while (pos_ < line_.size() && !isSpace(line_[pos_]) && !isLineEnd(line_[pos_]))
        ++pos_;
    return line_.substr(start, pos_ - start);
}

std::string_view LineCursor::field()
{
    skipSpaces();
    const std::size_t start = pos_;
    while (pos_ < line_.size() && line_[pos_] != ',' && !isLineEnd(line_[pos_]))
        ++pos_;
    const std::string_view value = line_.substr(start, pos_ - start);
    if (pos_ < line_.size() && line_[pos_] == ',')
        ++pos_;
    return value;
}

std::string_view LineCursor::rest(std::size_t maxLength)
{
    skipSpaces();
    return restFromHere(maxLength);
}

std::string_view LineCursor::restFromHere(std::size_t maxLength) const
{
    std::size_t end = pos_;
    while (end < line_.size() && !isLineEnd(line_[end]) && end - pos_ < maxLength)
        ++end;
    return line_.substr(pos_, end - pos_);
}

bool LineCursor::atEnd() const
{
    return pos_ >= line_.size() || isLineEnd(line_[pos_]);
}

} // namespace kivplus
