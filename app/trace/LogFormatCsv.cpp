#include "trace/CTraceLog.h"
#include "trace/LogFormats.h"
#include "trace/LogLineReader.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <locale.h>

namespace kivplus {

namespace {

constexpr const char* kNetwork1 = "HS CAN";
constexpr const char* kNetwork2 = "HS CAN2 (neoVI 3G)";

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
    locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    strftime_l(date, sizeof date, "Save Date,%m/%d/%Y\nSave Time,%I:%M:%S %p", &local, c);
    freelocale(c);
    return std::string("Vehicle Spy 3 Bus Traffic File\r\n") + date +
           "\r\nNotes,\r\n\r\n"
           "Network Description,Hardware,Network,Protocol,Baud Rate\r\n"
           "HS CAN,Default,HS CAN,CAN,500000,\r\n"
           "HS CAN2 (neoVI 3G),Default,HS CAN2 (neoVI 3G),CAN,500000,\r\n\r\n"
           "Line,Abs Time(Sec),Rel Time (Sec),Status,Er,Tx,Description,Network,Node,Arb ID,Remote,Xtd,"
           "B1,B2,B3,B4,B5,B6,B7,B8,Value,Trigger,Signals\r\n"
           "Line,Abs Time(Sec),Rel Time (Sec),Status,Er,Tx,Description,Network,Node,PT,Trgt,Src,"
           "B1,B2,B3,B4,B5,B6,B7,B8,Value,Trigger,Signals\r\n";
}

bool startsWithTrue(std::string_view text)
{
    return !text.empty() && (text[0] == 'T' || text[0] == 't');
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && std::strchr(" \t\r\n", text.front()))
        text.remove_prefix(1);
    while (!text.empty() && std::strchr(" \t\r\n", text.back()))
        text.remove_suffix(1);
    return text;
}

// The channel number of a network name: slots are taken in order of first use.
int channelOfNetwork(char (&names)[CTraceLog::kNetworkSlots][20], std::string_view network)
{
    char stored[20];
    storeText(stored, network);
    for (int slot = 0; slot < CTraceLog::kNetworkSlots; ++slot) {
        if (names[slot][0] == 0) {
            std::memcpy(names[slot], stored, sizeof stored);
            return slot + 1;
        }
        if (std::strcmp(names[slot], stored) == 0)
            return slot + 1;
    }
    return 0;
}

} // namespace

bool writeCsvLog(std::FILE* file, CTraceLog& log)
{
    auto& names = log.networkNames();
    std::memset(names, 0, sizeof names);
    storeText(names[0], kNetwork1);
    storeText(names[1], kNetwork2);

    bool ok = writeText(file, log.headerFormat() == CTraceLog::HeaderFormat::Csv && !log.header().empty()
                                  ? log.header()
                                  : generatedHeader());
    const int count = log.count();
    double previous = 0;
    std::string line;
    for (int i = 0; i < count; ++i) {
        const CTraceData& r = log.recordAt(i);
        const sLogExtraInfo* extra = log.extraAt(i);
        const std::string absolute = secondsText(r);
        const double now = std::strtod(absolute.c_str(), nullptr);
        char relative[40] = "0";
        if (previous != 0)
            std::snprintf(relative, sizeof relative, "%.6lf", now - previous);
        previous = now;

        line = std::to_string(i + 1);
        line += ',';
        line += absolute;
        line += ',';
        line += relative;
        line += ',';
        line += extra ? extra->statusText() : std::string_view(" ");
        line += ',';
        line += r.directionText() == "Tx" ? "F,T" : r.directionText() == "Rx" ? "F,F" : "T,F";
        line += ',';
        if (r.messageNameLength > 0) {
            line += r.messageNameText();
            if (extra && extra->nodeLength > 0) {
                line += ' ';
                line += extra->nodeText();
            }
        }
        line += ',';
        const int channel = std::atoi(r.channel);
        if (r.channelLength > 0 && channel >= 1 && channel <= CTraceLog::kNetworkSlots)
            line += names[channel - 1];
        line += ',';
        line += extra ? extra->nodeText() : std::string_view(" ");
        line += ',';
        if (r.messageIdLength > 2)
            line += r.messageIdText().substr(2);
        line += ",F,";
        line += r.extendedText() == "Y" ? "T" : "F";
        const int dlc = std::atoi(r.dlcText);
        const std::string_view data = r.dataTextView();
        for (int b = 1; b <= 8; ++b) {
            line += ',';
            const std::size_t at = std::size_t(3 * (b - 1));
            if (dlc >= b && at < data.size())
                line += data.substr(at, 2);
        }
        line += ',';
        line += extra ? extra->valueText() : std::string_view(" ");
        line += "\r\n";
        ok = writeText(file, line) && ok;
    }
    return ok;
}

void readCsvDataLine(std::string_view line, CTraceLog& log, CTraceData& record, sLogExtraInfo& extra)
{
    LineCursor cursor(line);
    cursor.field();   // Line
    char time[18];
    if (timeStampFromSeconds(cursor.field(), time))
        record.setTimeStamp(time);
    cursor.field();   // Rel Time
    extra.setStatus(cursor.field());
    const std::string_view er = cursor.field();
    const std::string_view tx = cursor.field();
    record.setDirection(startsWithTrue(er) ? "Err" : startsWithTrue(tx) ? "Tx" : "Rx");
    std::string_view description = cursor.field();
    const std::string_view network = cursor.field();
    const std::string_view node = cursor.field();
    extra.setNode(node);
    // The writer puts the node after the name; take it off again so that a file
    // read and written back keeps its Description column.
    if (!node.empty() && description.size() > node.size() &&
        description.substr(description.size() - node.size()) == node &&
        description[description.size() - node.size() - 1] == ' ')
        description.remove_suffix(node.size() + 1);
    if (!description.empty())
        record.setMessageName(description);

    const int channel = channelOfNetwork(log.networkNames(), network);
    if (channel >= 1 && channel <= 9) {
        const char text[2] = {char('0' + channel), 0};
        record.setChannel(text);
    }
    const std::string_view id = cursor.field();
    if (!id.empty())
        record.setMessageId(std::string("0x").append(id));
    cursor.field();   // Remote
    record.setExtended(cursor.field() == "T" ? "Y" : "N");

    char data[24] = {};
    int bytes = 0;
    for (int j = 0; j < 8; ++j) {
        const std::string_view byte = cursor.field();
        if (byte.empty())
            continue;
        char* out = data + 3 * bytes;
        if (bytes)
            out[-1] = ' ';
        out[0] = byte.size() >= 2 ? byte[0] : '0';
        out[1] = byte.size() >= 2 ? byte[1] : byte[0];
        ++bytes;
    }
    record.setDataText(data);
    const char dlc[2] = {char('0' + bytes), 0};
    record.setDlcText(dlc);
    extra.setValue(cursor.rest(150));
}

void readCsvLog(LogLineReader& reader, CTraceLog& log)
{
    std::memset(log.networkNames(), 0, sizeof log.networkNames());
    std::string header;
    bool inHeader = true;
    std::string_view line;
    while (log.count() < log.capacity() && reader.next(line)) {
        if (inHeader) {
            const std::string_view text = trimmed(line);
            if (text.substr(0, 2) != "1,") {
                header.append(text).append("\r\n");
                continue;
            }
            inHeader = false;
        }
        if (line.size() <= 2)
            continue;
        CTraceData record{};
        sLogExtraInfo extra{};
        readCsvDataLine(line, log, record, extra);
        log.appendRead(record, extra);
    }
    log.setHeader(std::move(header), CTraceLog::HeaderFormat::Csv);
}

} // namespace kivplus
