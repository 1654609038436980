#include "uds/SequenceFile.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace kiv {

namespace {

constexpr std::size_t kMinStepLine = 8;       // characters before the line feed
constexpr std::size_t kMaxRest = 250;         // characters of the expected bytes field
constexpr std::size_t kMaxStepBytes = 8;
constexpr std::size_t kMaxFileSize = 1 << 20; // far above any real sequence
constexpr int kCommaFields = 5;               // fields that a comma must close

std::uint8_t hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<std::uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<std::uint8_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<std::uint8_t>(c - 'A' + 10);
    return 0;   // any other character counts as a zero digit
}

std::uint8_t hexValue(std::string_view text)
{
    std::uint8_t value = 0;
    for (char c : text)
        value = static_cast<std::uint8_t>(value << 4 | hexDigit(c));
    return value;
}

std::uint8_t decimalValue(std::string_view text)
{
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = (value * 10 + static_cast<unsigned>(c - '0')) & 0xFFu;
    }
    return static_cast<std::uint8_t>(value);
}

std::size_t skipSpaces(std::string_view text, std::size_t at)
{
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    return at;
}

// Hex pairs from digits; the count is consumed / 2, at most 8. Pairs beyond
// the digits read as zero.
void readPairs(std::string_view digits, std::size_t consumed, std::uint8_t* out)
{
    const std::size_t count = std::min(consumed / 2, kMaxStepBytes);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = 2 * i;
        const char high = at < digits.size() ? digits[at] : '0';
        const char low = at + 1 < digits.size() ? digits[at + 1] : '0';
        out[i] = static_cast<std::uint8_t>(hexDigit(high) << 4 | hexDigit(low));
    }
}

bool parseStep(std::string_view line, tUdsStep& step)
{
    // Fields 1 to 5 each end with a comma; a line without them is no step.
    std::string_view fields[kCommaFields];
    std::size_t fieldStart[kCommaFields];
    std::size_t at = 0;
    for (int i = 0; i < kCommaFields; ++i) {
        const std::size_t comma = line.find(',', at);
        if (comma == std::string_view::npos)
            return false;
        fieldStart[i] = at;
        fields[i] = line.substr(at, comma - at);
        at = comma + 1;
    }
    auto trimmed = [](std::string_view field) { return field.substr(skipSpaces(field, 0)); };
    step.functional = decimalValue(trimmed(fields[0]));
    step.extension = decimalValue(trimmed(fields[1]));
    step.addressExtension = hexValue(trimmed(fields[2]));
    step.dataLength = hexValue(trimmed(fields[3]));
    // Leading spaces, digits and the closing comma count towards the bytes taken.
    readPairs(trimmed(fields[4]), at - fieldStart[4], step.request);

    at = skipSpaces(line, at);
    if (at >= line.size() || line[at] == ',') {
        step.expectedService = kNoResponseExpected;
        return true;
    }
    const std::size_t comma = line.find(',', at);
    step.expectedService = hexValue(line.substr(at, comma == std::string_view::npos ? line.npos : comma - at));
    if (comma == std::string_view::npos)
        return true;
    const std::string_view rest = line.substr(comma + 1, kMaxRest);
    const std::size_t digitsAt = skipSpaces(rest, 0);
    readPairs(rest.substr(digitsAt), rest.size(), step.expected);
    return true;
}

} // namespace

bool parseSequenceText(std::string_view text, std::vector<tUdsStep>& steps, std::string& error)
{
    std::vector<tUdsStep> parsed;
    std::size_t lineNumber = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t feed = text.find('\n', at);
        const std::size_t end = feed == std::string_view::npos ? text.size() : feed;
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        if (lineNumber == 1 || line.size() < kMinStepLine)
            continue;   // the header, or a line too short to be a step
        line = line.substr(0, line.find('\r'));
        tUdsStep step;
        if (!parseStep(line, step)) {
            error = "line " + std::to_string(lineNumber) + ": a step needs at least six comma-separated fields";
            return false;
        }
        parsed.push_back(step);
    }
    if (parsed.empty()) {
        error = "the sequence holds no step";
        return false;
    }
    steps = std::move(parsed);
    return true;
}

bool loadSequenceFile(const char* path, std::vector<tUdsStep>& steps, std::string& error)
{
    std::ifstream file(path ? path : "", std::ios::binary);
    if (!file) {
        error = std::string("cannot open ") + (path ? path : "(no path)");
        return false;
    }
    std::string text;
    text.resize(kMaxFileSize + 1);
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (text.size() > kMaxFileSize) {
        error = "the sequence file is larger than 1 MiB";
        return false;
    }
    return parseSequenceText(text, steps, error);
}

} // namespace kiv
