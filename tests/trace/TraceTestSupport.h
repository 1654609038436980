#pragma once

#include "trace/CTraceData.h"
#include "trace/TraceEvent.h"

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

namespace tracetest {

// A reported frame as the session's dispatch packs it.
inline std::unique_ptr<kivplus::sTraceEvent> makeEvent(bool extended, std::uint32_t id,
                                                       std::initializer_list<std::uint8_t> data, int channelIndex,
                                                       std::uint32_t millis, std::uint32_t tick = 120000,
                                                       int kind = kivplus::sTraceEvent::Received, int dlc = -1)
{
    auto event = std::make_unique<kivplus::sTraceEvent>();
    event->eventKind = kind;
    std::uint8_t* b = event->eventBytes;
    *b++ = extended ? 1 : 0;
    *b++ = std::uint8_t(dlc >= 0 ? dlc : int(data.size()));
    for (int i = extended ? 3 : 1; i >= 0; --i)
        *b++ = std::uint8_t(id >> (8 * i));
    for (auto d : data)
        *b++ = d;
    *b++ = std::uint8_t(channelIndex);
    for (int i = 3; i >= 0; --i)
        *b++ = std::uint8_t(millis >> (8 * i));
    for (int i = 3; i >= 0; --i)
        *b++ = std::uint8_t(tick >> (8 * i));
    return event;
}

// A record with the given texts, as the conversion or a reader makes it.
inline kivplus::CTraceData makeRecord(const std::string& time, const std::string& direction,
                                      const std::string& channel, const std::string& extended, const std::string& id,
                                      const std::string& dlc, const std::string& data,
                                      const std::string& name = "No Message Name")
{
    kivplus::CTraceData r{};
    r.setTimeStamp(time);
    r.setDirection(direction);
    r.setChannel(channel);
    r.setExtended(extended);
    r.setMessageId(id);
    r.setDlcText(dlc);
    r.setDataText(data);
    r.setMessageName(name);
    return r;
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// The eight texts of a record joined by "|", for comparisons that show what differs.
inline std::string describe(const kivplus::CTraceData& r)
{
    std::ostringstream out;
    out << r.timeStampText() << '|' << r.directionText() << '|' << r.channelText() << '|' << r.extendedText() << '|'
        << r.messageIdText() << '|' << r.dlcTextView() << '|' << r.dataTextView() << '|' << r.messageNameText();
    return out.str();
}

} // namespace tracetest
