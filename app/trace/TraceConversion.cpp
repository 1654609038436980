#include "trace/TraceConversion.h"

#include <cstdio>
#include <cstring>

namespace kivplus {

namespace {

constexpr const char* kNoMessageName = "No Message Name";

std::uint32_t bigEndian(const std::uint8_t* bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

} // namespace

bool formatTraceTime(std::uint64_t microseconds, char (&text)[18])
{
    const std::uint64_t hours = microseconds / 3600000000ULL;
    std::uint64_t rest = microseconds - hours * 3600000000ULL;
    const std::uint64_t minutes = rest / 60000000ULL;
    rest -= minutes * 60000000ULL;
    const std::uint64_t seconds = rest / 1000000ULL;
    const std::uint64_t micros = rest - seconds * 1000000ULL;
    if (hours > 9999)
        return false;
    std::snprintf(text, sizeof text, "%04u:%02u:%02u.%06u", unsigned(hours), unsigned(minutes),
                  unsigned(seconds), unsigned(micros));
    return true;
}

bool convertTraceEvent(const sTraceEvent& event, const MessageNamer* namer, std::uint64_t& baseTime,
                       CTraceData& record)
{
    const std::uint8_t* bytes = event.eventBytes;
    const bool extended = bytes[0] != 0;
    const int dlc = bytes[1];
    if (dlc > 8)
        return false;

    const int idBytes = extended ? 4 : 2;
    const std::uint32_t id = bigEndian(bytes + 2, idBytes);
    const std::uint8_t* data = bytes + 2 + idBytes;
    const std::uint8_t* after = data + dlc;
    const int channelIndex = after[0];
    if (channelIndex > 8)
        return false;

    std::memset(&record, 0, sizeof record);
    char text[32];
    std::snprintf(text, sizeof text, "%d", dlc);
    record.setDlcText(text);
    std::snprintf(text, sizeof text, "0x%X", unsigned(id));
    record.setMessageId(text);
    record.setExtended(extended ? "Y" : "N");

    char dataText[24] = {};
    char* out = dataText;
    for (int i = 0; i < dlc; ++i)
        out += std::snprintf(out, 4, i ? " %02X" : "%02X", data[i]);
    record.setDataText(dataText);

    std::snprintf(text, sizeof text, "%d", channelIndex + 1);
    record.setChannel(text);

    std::string_view name = event.eventName;
    if (name.empty() && namer)
        name = namer->messageName(channelIndex, id, extended);
    record.setMessageName(name.empty() ? std::string_view(kNoMessageName) : name);

    const std::uint64_t millis = bigEndian(after + 1, 4);
    const std::uint32_t tick = bigEndian(after + 5, 4);
    // The tick counts down from 120000 within a millisecond; a larger value is
    // read as the start of the millisecond.
    const std::uint64_t sub = tick <= 120000 ? (120000 - tick) / 120 : 0;
    const std::uint64_t t = millis * 1000 + sub;
    if (baseTime == 0 || t < baseTime)
        baseTime = t;
    char time[18];
    if (formatTraceTime(t - baseTime, time))
        record.setTimeStamp(time);

    switch (event.eventKind) {
    case sTraceEvent::Transmitted: record.setDirection("Tx"); break;
    case sTraceEvent::Received: record.setDirection("Rx"); break;
    case sTraceEvent::TransmitError: record.setDirection("Err"); break;
    default: break;
    }
    return true;
}

} // namespace kivplus
