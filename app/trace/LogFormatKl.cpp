#include "trace/CTraceLog.h"
#include "trace/LogFormats.h"
#include "trace/LogLineReader.h"

#include <cstring>
#include <strings.h>

namespace kivplus {

LogFormat logFormatOfPath(const std::string& path)
{
    const auto dot = path.rfind('.');
    if (dot == std::string::npos)
        return LogFormat::None;
    const char* extension = path.c_str() + dot + 1;
    if (strcasecmp(extension, "kl") == 0)
        return LogFormat::Kl;
    if (strcasecmp(extension, "asc") == 0)
        return LogFormat::Asc;
    if (strcasecmp(extension, "csv") == 0)
        return LogFormat::Csv;
    return LogFormat::None;
}

namespace {

constexpr std::size_t kBlockSize = 1800;
constexpr int kLinesPerBlock = 10;

char* appendField(char* out, std::string_view text)
{
    std::memcpy(out, text.data(), text.size());
    out += text.size();
    *out++ = ',';
    return out;
}

} // namespace

bool writeKlRecords(std::FILE* file, const CTraceData* records, int count)
{
    bool ok = true;
    for (int first = 0; first < count; first += kLinesPerBlock) {
        char block[kBlockSize] = {};
        char* out = block;
        const int last = std::min(count, first + kLinesPerBlock);
        for (int i = first; i < last; ++i) {
            const CTraceData& r = records[i];
            out = appendField(out, r.timeStampText());
            out = appendField(out, r.directionText());
            out = appendField(out, r.channelText());
            out = appendField(out, r.extendedText());
            out = appendField(out, r.messageIdText());
            out = appendField(out, r.dlcTextView());
            out = appendField(out, r.dataTextView());
            out = appendField(out, r.messageNameText());
            *out++ = '\n';
        }
        const std::size_t size = std::size_t(out - block);
        ok = std::fwrite(block, 1, size, file) == size && ok;
    }
    return ok;
}

bool writeKlLog(std::FILE* file, const CTraceLog& log)
{
    const int count = log.count();
    return count == 0 || writeKlRecords(file, &log.recordAt(0), count);
}

void readKlLine(std::string_view line, CTraceData& record)
{
    LineCursor cursor(line);
    record.setTimeStamp(cursor.field());
    record.setDirection(cursor.field());
    record.setChannel(cursor.field());
    record.setExtended(cursor.field());
    record.setMessageId(cursor.field());
    record.setDlcText(cursor.field());
    record.setDataText(cursor.field());
    std::string_view name = cursor.rest(150);
    if (!name.empty() && name.back() == ',')
        name.remove_suffix(1);
    record.setMessageName(name);
}

void readKlLog(LogLineReader& reader, CTraceLog& log)
{
    const sLogExtraInfo noExtra{};
    std::string_view line;
    while (log.count() < log.capacity() && reader.next(line)) {
        if (line.size() <= 2)
            continue;
        CTraceData record{};
        readKlLine(line, record);
        log.appendRead(record, noExtra);
    }
}

} // namespace kivplus
