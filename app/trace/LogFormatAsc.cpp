#include "trace/CTraceLog.h"
#include "trace/LogFormats.h"
#include "trace/LogLineReader.h"

#include <ctime>
#include <locale.h>

namespace kivplus {

namespace {

constexpr std::size_t kValueLimit = 150;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// An identifier token: 1 to 8 hexadecimal digits, "x" after an extended one.
bool isIdentifierToken(std::string_view token)
{
    if (!token.empty() && token.back() == 'x')
        token.remove_suffix(1);
    if (token.empty() || token.size() > 8)
        return false;
    for (char c : token) {
        if (!isHexDigit(c))
            return false;
    }
    return true;
}

int decimalValue(std::string_view text)
{
    int value = 0;
    for (char c : text) {
        if (!isDigit(c) || value > 1000)
            break;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool writeText(std::FILE* file, std::string_view text)
{
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

std::string generatedHeader()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[96];
    // Day and month names are English whatever the user's locale.
    locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    strftime_l(date, sizeof date, "date %a %b %d %I:%M:%S %p %Y\r\n", &local, c);
    freelocale(c);
    return std::string(date) +
           "base hex  timestamps absolute\r\ninternal events logged\r\n// version 8.2.0\r\nBegin TriggerBlock\r\n";
}

} // namespace

std::string secondsText(const CTraceData& record)
{
    const std::int64_t micros = microsecondsOfTimeText(record.timeStampText());
    char text[40];
    std::snprintf(text, sizeof text, "%lld.%06lld", static_cast<long long>(micros / 1000000),
                  static_cast<long long>(micros % 1000000));
    return text;
}

bool timeStampFromSeconds(std::string_view seconds, char (&text)[18])
{
    std::size_t pos = 0;
    std::uint64_t whole = 0;
    while (pos < seconds.size() && isDigit(seconds[pos])) {
        if (whole > 100000000000ULL)
            return false;
        whole = whole * 10 + std::uint64_t(seconds[pos] - '0');
        ++pos;
    }
    // The fraction is the first up to six digits after the point, padded with zeros.
    char fraction[7] = "000000";
    if (pos < seconds.size() && seconds[pos] == '.') {
        ++pos;
        for (int i = 0; i < 6 && pos < seconds.size() && isDigit(seconds[pos]); ++i, ++pos)
            fraction[i] = seconds[pos];
    }
    const std::uint64_t hours = whole / 3600;
    if (hours > 9999)
        return false;
    std::snprintf(text, sizeof text, "%04u:%02u:%02u.%s", unsigned(hours), unsigned(whole % 3600 / 60),
                  unsigned(whole % 60), fraction);
    return true;
}

bool writeAscLog(std::FILE* file, const CTraceLog& log)
{
    bool ok = writeText(file, log.headerFormat() == CTraceLog::HeaderFormat::Asc && !log.header().empty()
                                  ? log.header()
                                  : generatedHeader());
    const int count = log.count();
    std::string line;
    for (int i = 0; i < count; ++i) {
        const CTraceData& r = log.recordAt(i);
        const sLogExtraInfo* extra = log.extraAt(i);
        const std::string value(extra ? extra->valueText() : std::string_view());
        const std::string time = secondsText(r);
        char text[512];
        if (r.channelLength == 0) {
            std::snprintf(text, sizeof text, "%11s %s\r\n", time.c_str(), value.c_str());
        } else if (r.messageIdLength == 0) {
            std::snprintf(text, sizeof text, "%11s %s  %s\r\n", time.c_str(), r.channel, value.c_str());
        } else {
            std::string id(r.messageIdText().substr(r.messageIdLength >= 2 ? 2 : 0));
            if (r.extendedText() == "Y")
                id += 'x';
            const char* direction = r.directionText() == "Rx" ? "Rx" : "Tx";
            if (extra)
                std::snprintf(text, sizeof text, "%11s %-2s %-10s      %2s   d %s %s  %s\r\n", time.c_str(),
                              r.channel, id.c_str(), direction, r.dlcText, r.dataText, value.c_str());
            else
                std::snprintf(text, sizeof text, "%11s %-2s %-10s      %2s   d %s %s\r\n", time.c_str(), r.channel,
                              id.c_str(), direction, r.dlcText, r.dataText);
        }
        ok = writeText(file, text) && ok;
    }
    return writeText(file, "End TriggerBlock\r\n") && ok;
}

void readAscDataLine(std::string_view line, CTraceData& record, sLogExtraInfo& extra)
{
    LineCursor cursor(line);
    char time[18];
    if (timeStampFromSeconds(cursor.token(), time))
        record.setTimeStamp(time);

    cursor.skipSpaces();
    const LineCursor atChannel = cursor;
    const std::string_view channel = cursor.token();
    // Event lines without a channel; a channel number that does not fit the
    // record keeps the line as an event too.
    if (channel.empty() || !isDigit(channel[0]) || channel.size() > 1) {
        extra.setValue(atChannel.restFromHere(kValueLimit));
        return;
    }
    record.setChannel(channel);

    // Only "<identifier> Tx|Rx d <dlc> <data>" is a frame; any other line with a
    // channel (error frames, remote frames, statistics) is kept as an event.
    cursor.skipSpaces();
    const LineCursor atIdentifier = cursor;
    const std::string_view id = cursor.token();
    const std::string_view direction = cursor.token();
    const std::string_view kind = cursor.token();
    const std::string_view dlcToken = cursor.token();
    const int dlc = decimalValue(dlcToken);
    if (!isIdentifierToken(id) || (direction != "Tx" && direction != "Rx") || kind != "d" || dlcToken.empty() ||
        !isDigit(dlcToken[0]) || dlc > 8) {
        extra.setValue(atIdentifier.restFromHere(kValueLimit));
        return;
    }

    const bool extendedId = id.back() == 'x';
    record.setMessageId(std::string("0x").append(extendedId ? id.substr(0, id.size() - 1) : id));
    record.setExtended(extendedId ? "Y" : "N");
    record.setDirection(direction == "Tx" ? "Tx" : "Rx");

    char data[24] = {};
    int bytes = 0;
    for (; bytes < dlc; ++bytes) {
        LineCursor next = cursor;
        const std::string_view token = next.token();
        if (token.empty() || token.size() > 2 || !isHexDigit(token[0]) || !isHexDigit(token.back()))
            break;
        cursor = next;
        char* out = data + 3 * bytes;
        if (bytes)
            out[-1] = ' ';
        out[0] = token.size() == 2 ? token[0] : '0';
        out[1] = token.back();
    }
    // A line with fewer data bytes than its DLC keeps the bytes it has.
    const char dlcText[2] = {char('0' + bytes), 0};
    record.setDlcText(dlcText);
    record.setDataText(data);
    extra.setValue(cursor.rest(kValueLimit));
}

void readAscLog(LogLineReader& reader, CTraceLog& log)
{
    std::string header;
    bool inHeader = true;
    std::string_view line;
    while (log.count() < log.capacity() && reader.next(line)) {
        if (inHeader) {
            if (line.empty() || !(isDigit(line[0]) || line[0] == ' ')) {
                header.append(line);
                continue;
            }
            inHeader = false;
        }
        if (line.size() <= 2 || line[0] == 'E')
            continue;
        CTraceData record{};
        sLogExtraInfo extra{};
        readAscDataLine(line, record, extra);
        log.appendRead(record, extra);
    }
    log.setHeader(std::move(header), CTraceLog::HeaderFormat::Asc);
}

} // namespace kivplus
