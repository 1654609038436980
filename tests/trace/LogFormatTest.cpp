#include "TestPaths.h"
#include "TraceTestSupport.h"
#include "trace/CTraceLog.h"
#include "trace/LogFormats.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kivplus;
using tracetest::describe;
using tracetest::makeRecord;
using tracetest::readFile;
using tracetest::writeFile;

namespace {

// Reads a file into a fresh log sized for it, as the Open Log command does.
struct ReadLog {
    CTraceLog log;
    int result = 0;
    explicit ReadLog(const std::string& path, int capacity = 1000)
    {
        log.allocate(capacity, true);
        result = log.openLogFile(path);
    }
};

std::string afterHeader(const std::string& text, const std::string& marker)
{
    const auto at = text.find(marker);
    return at == std::string::npos ? text : text.substr(at + marker.size());
}

TEST(KlFormat, WritesAndReadsTheExampleLine)
{
    kivtest::TempDir dir;
    CTraceLog log;
    log.allocate(10, false);
    log.add(makeRecord("0000:00:01.500000", "Rx", "1", "N", "0x7DF", "8", "02 10 03 00 00 00 00 00"));
    log.add(makeRecord("0001:02:03.000004", "Err", "2", "Y", "0x12345", "0", "", "Name, with comma"));
    const std::string path = dir / "a.kl";
    ASSERT_EQ(log.saveLogFile(path), 1);
    EXPECT_EQ(readFile(path),
              "0000:00:01.500000,Rx,1,N,0x7DF,8,02 10 03 00 00 00 00 00,No Message Name,\n"
              "0001:02:03.000004,Err,2,Y,0x12345,0,,Name, with comma,\n");

    ReadLog back(path);
    ASSERT_EQ(back.result, 1);
    ASSERT_EQ(back.log.count(), 2);
    EXPECT_TRUE(back.log.isFromFile());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(describe(back.log.recordAt(i)), describe(log.recordAt(i)));
        EXPECT_EQ(back.log.recordAt(i).timeSeconds, log.recordAt(i).timeSeconds);
    }
}

TEST(KlFormat, ReaderStaysInsideItsLineAndMembers)
{
    struct Case {
        const char* line;
        const char* expected;
    };
    const Case cases[] = {
        {"0000:00:01.000000,Rx\n", "0000:00:01.000000|Rx||||||"},
        {"  0000:00:01.000000, Rx ,1,N,0x1,1,AA,  Name,\r\n", "0000:00:01.000000|Rx |1|N|0x1|1|AA|Name"},
        {"x,y,123,NN,0x1234567890123,99,00 11 22 33 44 55 66 77 88 99,n\n", "x|y|1|N|0x12345678|9|00 11 22 33 44 55 66 77|n"},
    };
    for (const auto& c : cases) {
        CTraceData r{};
        readKlLine(c.line, r);
        EXPECT_EQ(describe(r), c.expected) << c.line;
    }
    CTraceData r{};
    readKlLine("t,d,c,e,i,l,d," + std::string(300, 'n') + "\n", r);
    EXPECT_EQ(r.messageNameLength, 60);
}

TEST(AscFormat, WritesEachKindOfLine)
{
    kivtest::TempDir dir;
    CTraceLog log;
    log.allocate(10, false);
    log.add(makeRecord("0001:02:03.000004", "Rx", "1", "Y", "0x12345", "2", "01 02"));
    log.add(makeRecord("0000:00:01.500000", "Err", "2", "N", "0x7DF", "0", ""));
    const std::string path = dir / "a.asc";
    ASSERT_EQ(log.saveLogFile(path), 1);
    const std::string text = readFile(path);
    EXPECT_EQ(text.substr(0, 5), "date ");
    EXPECT_EQ(afterHeader(text, "Begin TriggerBlock\r\n"),
              "3723.000004 1  12345x          Rx   d 2 01 02\r\n"
              "   1.500000 2  7DF             Tx   d 0 \r\n"
              "End TriggerBlock\r\n");
}

TEST(AscFormat, ReadsFramesAndEventsAndWritesThemBack)
{
    kivtest::TempDir dir;
    const std::string header = "date Sat Sep 30 15:06:13.191 2017\r\nbase hex  timestamps absolute\r\n"
                               "Begin Triggerblock Sat Sep 30 15:06:13.191 2017\r\n";
    const std::string body = "   0.000000 Start of measurement\r\n"
                             "   1.000000 1  Statistic: D 0 R 0\r\n"
                             "   2.501000 1 ErrorFrame\r\n"
                             "   2.510001 2 100 Tx r\r\n"
                             "  83.123456 1  12345x          Rx   d 2 01 02  Length = 1 BitCount = 2\r\n"
                             "   2.5 2   C8             Tx   d 3 9 8 7\r\n"
                             "   3.000000 1  CFE6C00x       Rx   d 8 01 02 03 04 Length = 5\r\n"
                             "   4.000000 1  6F9  Rx   d 1 05\n"
                             "   5.000000 12  6F9  Rx   d 1 05\r\n"
                             "End TriggerBlock\r\n";
    writeFile(dir / "in.asc", header + body);
    ReadLog in(dir / "in.asc");
    ASSERT_EQ(in.result, 1);
    EXPECT_EQ(in.log.header(), header);
    struct Expected {
        const char* record;
        const char* value;
    };
    const Expected expected[] = {
        {"0000:00:00.000000|||||||", "Start of measurement"},
        {"0000:00:01.000000||1|||||", "Statistic: D 0 R 0"},
        {"0000:00:02.501000||1|||||", "ErrorFrame"},
        {"0000:00:02.510001||2|||||", "100 Tx r"},
        {"0000:01:23.123456|Rx|1|Y|0x12345|2|01 02|", "Length = 1 BitCount = 2"},
        {"0000:00:02.500000|Tx|2|N|0xC8|3|09 08 07|", ""},
        {"0000:00:03.000000|Rx|1|Y|0xCFE6C00|4|01 02 03 04|", "Length = 5"},
        {"0000:00:04.000000|Rx|1|N|0x6F9|1|05|", ""},
        {"0000:00:05.000000|||||||", "12  6F9  Rx   d 1 05"},
    };
    ASSERT_EQ(in.log.count(), int(std::size(expected)));
    for (int i = 0; i < in.log.count(); ++i) {
        EXPECT_EQ(describe(in.log.recordAt(i)), expected[i].record) << i;
        EXPECT_EQ(in.log.extraAt(i)->valueText(), expected[i].value) << i;
    }

    ASSERT_EQ(in.log.saveLogFile(dir / "out.asc"), 1);
    EXPECT_EQ(readFile(dir / "out.asc"),
              header +
                  "   0.000000 Start of measurement\r\n"
                  "   1.000000 1  Statistic: D 0 R 0\r\n"
                  "   2.501000 1  ErrorFrame\r\n"
                  "   2.510001 2  100 Tx r\r\n"
                  "  83.123456 1  12345x          Rx   d 2 01 02  Length = 1 BitCount = 2\r\n"
                  "   2.500000 2  C8              Tx   d 3 09 08 07  \r\n"
                  "   3.000000 1  CFE6C00x        Rx   d 4 01 02 03 04  Length = 5\r\n"
                  "   4.000000 1  6F9             Rx   d 1 05  \r\n"
                  "   5.000000 12  6F9  Rx   d 1 05\r\n"
                  "End TriggerBlock\r\n");
}

TEST(AscFormat, TimesReadBack)
{
    struct Case {
        const char* seconds;
        const char* time;
    };
    const Case cases[] = {
        {"83.123456", "0000:01:23.123456"}, {"3723.000004", "0001:02:03.000004"},
        {"36000.000000", "0010:00:00.000000"}, {"360000.000000", "0100:00:00.000000"},
        {"2.5", "0000:00:02.500000"}, {"7", "0000:00:07.000000"},
    };
    for (const auto& c : cases) {
        char text[18];
        ASSERT_TRUE(timeStampFromSeconds(c.seconds, text)) << c.seconds;
        EXPECT_STREQ(text, c.time);
        CTraceData r{};
        r.setTimeStamp(text);
        EXPECT_EQ(timeStampFromSeconds(secondsText(r), text), true);
        EXPECT_STREQ(text, c.time);
    }
    char text[18];
    EXPECT_FALSE(timeStampFromSeconds("36000000.0", text));
    EXPECT_FALSE(timeStampFromSeconds("99999999999999999999999.0", text));
}

TEST(CsvFormat, WritesTheGeneratedHeaderAndColumns)
{
    kivtest::TempDir dir;
    CTraceLog log;
    log.allocate(10, false);
    log.add(makeRecord("0000:00:00.000000", "Tx", "1", "N", "0x7DF", "3", "01 02 03"));
    log.add(makeRecord("0000:00:00.500000", "Rx", "2", "Y", "0x12345", "0", ""));
    log.add(makeRecord("0000:00:01.000000", "Err", "1", "N", "0x1", "1", "FF", ""));
    log.add(makeRecord("0000:00:01.500000", "Rx", "1", "N", "0x1", "1", "FF"));
    const std::string path = dir / "a.CSV";
    ASSERT_EQ(log.saveLogFile(path), 1);
    const std::string text = readFile(path);
    EXPECT_EQ(text.substr(0, 42), "Vehicle Spy 3 Bus Traffic File\r\nSave Date,");
    EXPECT_NE(text.find("\nSave Time,"), std::string::npos);
    EXPECT_NE(text.find("\r\nNotes,\r\n\r\nNetwork Description,Hardware,Network,Protocol,Baud Rate\r\n"
                        "HS CAN,Default,HS CAN,CAN,500000,\r\nHS CAN2 (neoVI 3G),Default,HS CAN2 (neoVI 3G),CAN,500000,\r\n\r\n"),
              std::string::npos);
    EXPECT_EQ(afterHeader(text, "B1,B2,B3,B4,B5,B6,B7,B8,Value,Trigger,Signals\r\nLine,Abs Time(Sec),Rel Time (Sec),Status,Er,Tx,"
                                "Description,Network,Node,PT,Trgt,Src,B1,B2,B3,B4,B5,B6,B7,B8,Value,Trigger,Signals\r\n"),
              "1,0.000000,0, ,F,T,No Message Name,HS CAN, ,7DF,F,F,01,02,03,,,,,, \r\n"
              "2,0.500000,0, ,F,F,No Message Name,HS CAN2 (neoVI 3G), ,12345,F,T,,,,,,,,, \r\n"
              "3,1.000000,0.500000, ,T,F,,HS CAN, ,1,F,F,FF,,,,,,,, \r\n"
              "4,1.500000,0.500000, ,F,F,No Message Name,HS CAN, ,1,F,F,FF,,,,,,,, \r\n");
}

TEST(CsvFormat, ReadsNetworksDirectionsAndExtrasAndWritesThemBack)
{
    kivtest::TempDir dir;
    const std::string header = "Vehicle Spy 3 Bus Traffic File\r\nLine,Abs Time(Sec),Rel Time (Sec),Status,Er,Tx,Description,Network\r\n";
    const std::string body =
        "1,3723.000004,0,St1,F,F,Engine ECM,HS CAN2 (neoVI 3G),ECM,7DF,F,F,02,10,3,,,,,,v1,trig\r\n"
        "2,3724.000000,1.0,St2,T,F,,HS CAN,,12345,F,T,AA,,,,,,,,v2\r\n"
        "3,3725.000000,1.0,St3,F,t,Brake,HS CAN2 (neoVI 3G),,100,F,F,,,,,,,,,\r\n";
    writeFile(dir / "in.csv", "  Vehicle Spy 3 Bus Traffic File \r\nLine,Abs Time(Sec),Rel Time (Sec),Status,Er,Tx,Description,Network\n" + body);
    ReadLog in(dir / "in.csv");
    ASSERT_EQ(in.result, 1);
    EXPECT_EQ(in.log.header(), header);
    const char* expected[] = {
        "0001:02:03.000004|Rx|1|N|0x7DF|3|02 10 03|Engine",
        "0001:02:04.000000|Err|2|Y|0x12345|1|AA|",
        "0001:02:05.000000|Tx|1|N|0x100|0||Brake",
    };
    ASSERT_EQ(in.log.count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(describe(in.log.recordAt(i)), expected[i]) << i;
    EXPECT_EQ(in.log.extraAt(0)->statusText(), "St1");
    EXPECT_EQ(in.log.extraAt(0)->nodeText(), "ECM");
    EXPECT_EQ(in.log.extraAt(0)->valueText(), "v1,trig");

    ASSERT_EQ(in.log.saveLogFile(dir / "out.csv"), 1);
    EXPECT_EQ(readFile(dir / "out.csv"),
              header +
                  "1,3723.000004,0,St1,F,F,Engine ECM,HS CAN,ECM,7DF,F,F,02,10,03,,,,,,v1,trig\r\n"
                  "2,3724.000000,0.999996,St2,T,F,,HS CAN2 (neoVI 3G),,12345,F,T,AA,,,,,,,,v2\r\n"
                  "3,3725.000000,1.000000,St3,F,T,Brake,HS CAN,,100,F,F,,,,,,,,,\r\n");
}

TEST(LogFile, SaveAndOpenResults)
{
    kivtest::TempDir dir;
    CTraceLog empty;
    empty.allocate(10, false);
    EXPECT_EQ(empty.saveLogFile(dir / "empty.kl"), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "empty.kl"));

    CTraceLog log;
    log.allocate(10, false);
    log.add(makeRecord("0000:00:01.000000", "Rx", "1", "N", "0x1", "0", ""));
    EXPECT_EQ(log.saveLogFile(dir / "a.ASC"), 1);
    EXPECT_EQ(readFile(dir / "a.ASC").substr(0, 5), "date ");
    EXPECT_EQ(log.saveLogFile(dir / "a.txt"), 0);
    EXPECT_EQ(log.saveLogFile(dir / "missing" / "a.kl"), 0);

    writeFile(dir / "three.kl", "0000:00:01.000000,Rx,1,N,0x1,0,,n,\n0000:00:01.000000,Rx,1,N,0x1,0,,n,\n"
                                "0000:00:01.000000,Rx,1,N,0x1,0,,n,");
    EXPECT_EQ(ReadLog(dir / "three.kl", 1).result, -1);
    ReadLog fits(dir / "three.kl", 2);
    EXPECT_EQ(fits.result, 1);
    EXPECT_EQ(fits.log.count(), 2);   // reading stops when the log is full
    ReadLog all(dir / "three.kl", 3);
    EXPECT_EQ(all.log.count(), 3);    // a last line without line end is read too
    EXPECT_EQ(all.log.writtenCount(), 3);
    EXPECT_EQ(ReadLog(dir / "nothing.kl").result, 0);
}

TEST(LogFile, LongLinesAreCutNotOverrun)
{
    kivtest::TempDir dir;
    writeFile(dir / "long.asc", "   1.000000 1  " + std::string(9000, 'Z') + "\r\n   2.000000 1  6F9  Rx   d 1 05\r\n");
    ReadLog in(dir / "long.asc");
    ASSERT_EQ(in.log.count(), 2);
    EXPECT_EQ(in.log.extraAt(0)->valueLength, 150);
    EXPECT_EQ(describe(in.log.recordAt(1)), "0000:00:02.000000|Rx|1|N|0x6F9|1|05|");
}

TEST(LogFile, HeaderOfOneFormatIsNotWrittenIntoAnother)
{
    kivtest::TempDir dir;
    writeFile(dir / "in.csv", "Vehicle Spy 3 Bus Traffic File\r\n1,1.000000,0,,F,F,,HS CAN,,7DF,F,F,01,,,,,,,,\r\n");
    ReadLog in(dir / "in.csv");
    ASSERT_EQ(in.log.saveLogFile(dir / "out.asc"), 1);
    const std::string text = readFile(dir / "out.asc");
    EXPECT_EQ(text.substr(0, 5), "date ");
    EXPECT_EQ(text.find("Vehicle Spy"), std::string::npos);
}

} // namespace
