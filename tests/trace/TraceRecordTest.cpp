#include "TraceTestSupport.h"
#include "trace/CTraceData.h"
#include "trace/TraceConversion.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <map>

using namespace kivplus;
using tracetest::describe;
using tracetest::makeEvent;

namespace {

class FakeNamer : public MessageNamer {
public:
    std::map<std::pair<int, std::uint32_t>, std::string> names;
    std::string_view messageName(int channelIndex, std::uint32_t id, bool) const override
    {
        auto it = names.find({channelIndex, id});
        return it == names.end() ? std::string_view() : std::string_view(it->second);
    }
};

TEST(TraceConversion, RecordsFromEvents)
{
    FakeNamer namer;
    namer.names[{0, 0x7DF}] = "OBD_Request";
    struct Case {
        const char* what;
        std::unique_ptr<sTraceEvent> event;
        const char* expected;
    };
    Case cases[] = {
        {"first frame sets the base", makeEvent(false, 0x100, {1}, 1, 1000), "0000:00:00.000000|Rx|2|N|0x100|1|01|No Message Name"},
        {"1.5 s later, named on CAN 1", makeEvent(false, 0x7DF, {2, 0x10, 3, 0, 0, 0, 0, 0}, 0, 2500),
         "0000:00:01.500000|Rx|1|N|0x7DF|8|02 10 03 00 00 00 00 00|OBD_Request"},
        {"same id on CAN 2 has no name", makeEvent(false, 0x7DF, {}, 1, 2500), "0000:00:01.500000|Rx|2|N|0x7DF|0||No Message Name"},
        {"extended identifier", makeEvent(true, 0x12345, {0xAB}, 0, 1000, 120000 - 120 * 7), "0000:00:00.000007|Rx|1|Y|0x12345|1|AB|No Message Name"},
        {"short extended identifier keeps no zeros", makeEvent(true, 0x123, {}, 0, 1001), "0000:00:00.001000|Rx|1|Y|0x123|0||No Message Name"},
        {"transmit report", makeEvent(false, 1, {}, 0, 1000, 120000, sTraceEvent::Transmitted), "0000:00:00.000000|Tx|1|N|0x1|0||No Message Name"},
        {"transmit error", makeEvent(false, 1, {}, 0, 1000, 120000, sTraceEvent::TransmitError), "0000:00:00.000000|Err|1|N|0x1|0||No Message Name"},
        {"unknown kind has no direction", makeEvent(false, 1, {}, 0, 1000, 120000, 9), "0000:00:00.000000||1|N|0x1|0||No Message Name"},
        {"past 35 min 47 s", makeEvent(false, 1, {}, 0, 1000 + 3723000, 120000 - 120 * 4), "0001:02:03.000004|Rx|1|N|0x1|0||No Message Name"},
        {"tick above 120000 reads as the millisecond start", makeEvent(false, 1, {}, 0, 1002, 200000), "0000:00:00.002000|Rx|1|N|0x1|0||No Message Name"},
    };
    std::uint64_t base = 0;
    for (auto& c : cases) {
        CTraceData record{};
        ASSERT_TRUE(convertTraceEvent(*c.event, &namer, base, record)) << c.what;
        EXPECT_EQ(describe(record), c.expected) << c.what;
        EXPECT_EQ(record.timeSeconds, secondsOfTimeText(record.timeStampText())) << c.what;
    }
}

TEST(TraceConversion, EarlierFrameMovesTheBase)
{
    std::uint64_t base = 0;
    CTraceData r{};
    convertTraceEvent(*makeEvent(false, 1, {}, 0, 5000), nullptr, base, r);
    convertTraceEvent(*makeEvent(false, 1, {}, 0, 4000), nullptr, base, r);
    EXPECT_STREQ(r.timeStamp, "0000:00:00.000000");
    convertTraceEvent(*makeEvent(false, 1, {}, 0, 4250), nullptr, base, r);
    EXPECT_STREQ(r.timeStamp, "0000:00:00.250000");
}

TEST(TraceConversion, UntraceableFramesAreDropped)
{
    std::uint64_t base = 0;
    CTraceData r{};
    EXPECT_FALSE(convertTraceEvent(*makeEvent(false, 1, {1, 2, 3, 4, 5, 6, 7, 8}, 0, 1, 0, 3, 9), nullptr, base, r));
    EXPECT_FALSE(convertTraceEvent(*makeEvent(false, 1, {}, 9, 1), nullptr, base, r));
    EXPECT_EQ(base, 0u);
}

TEST(TraceConversion, EventNameWinsAndLongNamesAreCut)
{
    FakeNamer namer;
    namer.names[{0, 1}] = std::string(59, 'a') + "\xC3\xA9xyz";   // é straddles the 60-byte limit
    std::uint64_t base = 0;
    CTraceData r{};
    convertTraceEvent(*makeEvent(false, 1, {}, 0, 1), &namer, base, r);
    EXPECT_EQ(r.messageNameLength, 59);
    EXPECT_EQ(std::string(r.messageName), std::string(59, 'a'));

    auto event = makeEvent(false, 1, {}, 0, 1);
    event->eventName = "Given";
    convertTraceEvent(*event, &namer, base, r);
    EXPECT_STREQ(r.messageName, "Given");
}

TEST(TraceRecord, TextsFitTheirMembers)
{
    CTraceData r{};
    r.setMessageId("0x123456789ABC");
    EXPECT_STREQ(r.messageId, "0x12345678");
    EXPECT_EQ(r.messageIdLength, 10);
    r.setDataText("00 11 22 33 44 55 66 77 88");
    EXPECT_EQ(r.dataLength, 23);
    r.setChannel("12");
    EXPECT_STREQ(r.channel, "1");
    sLogExtraInfo extra{};
    extra.setValue(std::string(400, 'v'));
    EXPECT_EQ(extra.valueLength, 151);
    EXPECT_EQ(extra.value[151], 0);
}

TEST(TraceRecord, TimeTextsReadBack)
{
    struct Case {
        const char* text;
        int seconds;
        long long micros;
    };
    const Case cases[] = {
        {"0000:00:01.500000", 1, 1500000},
        {"0001:02:03.000004", 3723, 3723000004LL},
        {"0010:00:00.000000", 36000, 36000000000LL},
        {"9999:59:59.999999", 35999999, 35999999999999LL},
        {"0000:00:02.5", 2, 2500000},
        {"", 0, 0},
        {"garbage", 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(secondsOfTimeText(c.text), c.seconds) << c.text;
        EXPECT_EQ(microsecondsOfTimeText(c.text), c.micros) << c.text;
    }
}

} // namespace

namespace {

TEST(TraceRecord, HugeTimeTextsDoNotOverflow)
{
    EXPECT_EQ(secondsOfTimeText("99999999999999999:99"), INT32_MAX);
    EXPECT_EQ(microsecondsOfTimeText("99999999999999999"), 999999999LL * 3600 * 1000000);
}

} // namespace
