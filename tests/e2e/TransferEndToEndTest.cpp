// Get KeyMap and Set KeyMap against the virtual device: a full key map goes
// to the device and comes back equal in every field the device records
// carry; each failure leaves the lists as they were.
#include "SessionFixture.h"

#include "../keymap/FakeDatabases.h"

#include "keymap/KeyFields.h"
#include "keymap/KeyMapTexts.h"
#include "keymap/KeyMapTransfer.h"
#include "shell/DeviceJob.h"
#include "shell/SessionTexts.h"

#include <atomic>

using namespace kivplus;
using namespace KIVCommon;

namespace {

tKeyFrame frame(const std::string& id, const std::string& format, const std::string& data, const std::string& canCh,
                const std::string& interval = "0", const std::string& delay = "")
{
    tKeyFrame f;
    f.messageId = id;
    f.messageFormat = format;
    f.messageData = data;
    f.messageLength = std::to_string(data.empty() ? 0 : (data.size() + 1) / 3);
    f.canCh = canCh;
    f.periodicInterval = interval;
    f.canFrameDelay = delay;
    return f;
}

tKeyEntry entry(const std::string& name, int type, std::vector<tKeyFrame> frames)
{
    tKeyEntry e;
    e.name = name;
    e.type = type;
    e.frames = std::move(frames);
    return e;
}

tKeyFrame sweep(const std::string& endian, const std::string& type, const std::string& startByte,
                const std::string& startBit, const std::string& length, const std::string& min, const std::string& max,
                const std::string& step)
{
    tKeyFrame f = frame("0x3E9", "Standard", "11 22 33 44 55 66 77 88", "1", "100");
    f.signalEndian = endian;
    f.signalType = type;
    f.startByte = startByte;
    f.startBit = startBit;
    f.signalLength = length;
    f.progressiveMin = min;
    f.progressiveMax = max;
    f.progressiveStep = step;
    return f;
}

void fillFullKeyMap(CKeyMap& keyMap, CIgnition& ignition, CProgressive& progressive)
{
    keyMap.appendEntry(entry("10", KEY_TYPE_SINGLE, {frame("0x123", "Standard", "11 22", "1", "100")}));
    keyMap.appendEntry(
        entry("11", KEY_TYPE_SINGLE, {frame("0x18FF0012", "Extended", "01 AB 00 FF 10 20 30 40", "2", "0")}));
    keyMap.appendEntry(entry("20", KEY_TYPE_SCENARIO,
                             {frame("0x100", "Standard", "01", "1", "", "0"),
                              frame("0x1ABCDE01", "Extended", "02 03", "2", "", "250"),
                              frame("0x7FF", "Standard", "", "1", "", "60000")}));
    keyMap.appendEntry(entry("12", KEY_TYPE_SINGLE, {frame("0x7", "Standard", "FF", "1", "60000")}));
    keyMap.appendEntry(entry("21", KEY_TYPE_SCENARIO, {frame("0x55", "Standard", "AA BB CC", "2", "", "5")}));
    for (int type = 0; type < 4; ++type) {
        std::vector<tKeyFrame> frames;
        const int count = type == 2 ? 10 : type + 1;
        for (int i = 0; i < count; ++i)
            frames.push_back(frame("0x" + std::to_string(200 + 10 * type + i), "Standard", "0" + std::to_string(i),
                                   type == 3 ? "2" : "1", std::to_string(10 * i)));
        ignition.appendEntry(entry(std::to_string(type), KEY_TYPE_SCENARIO, frames));
    }
    // A multi-bit Intel signal that is not byte aligned: the record does not
    // say Intel, so reading it back needs the database.
    progressive.appendEntry(
        entry("0", KEY_TYPE_PROGRESSIVE, {sweep("Intel", "UNM", "2", "4", "12", "123", "ABC", "1")}));
    progressive.appendEntry(
        entry("1", KEY_TYPE_PROGRESSIVE, {sweep("Motorola", "UNM", "1", "7", "16", "100", "FFFF", "100")}));
    progressive.appendEntry(entry("2", KEY_TYPE_PROGRESSIVE, {sweep("Motorola", "SNM", "4", "3", "4", "8", "7", "1")}));
}

// The fields a device record carries, in a comparable form.
std::vector<std::string> deviceFields(const CKeyMap& list)
{
    std::vector<std::string> out;
    for (const tKeyEntry& key : list.entries()) {
        std::string line = key.name + "|" + std::to_string(key.type);
        for (const tKeyFrame& f : key.frames) {
            line += "|" + f.messageId + "," + (f.messageFormat == "Standard" ? "S" : "X") + ","
                + std::to_string(parseDecimal(f.messageLength)) + "," + f.messageData + "," + f.canCh + ",";
            if (key.type == KEY_TYPE_SCENARIO && f.periodicInterval.empty())
                line += "d" + f.canFrameDelay;
            else
                line += "p" + f.periodicInterval;
            if (key.type == KEY_TYPE_PROGRESSIVE)
                line += "," + f.startByte + "," + f.startBit + "," + f.signalLength + "," + f.progressiveMin + ","
                    + f.progressiveMax + "," + f.progressiveStep;
        }
        out.push_back(line);
    }
    return out;
}

class TransferEndToEnd : public sessiontest::SessionFixture {
protected:
    void SetUp() override
    {
        SessionFixture::SetUp();
        sim->keyMap().setBlockSize(40);
    }

    // Writes the full key map to the device from a second set of lists.
    void storeFullKeyMap()
    {
        CKeyMap keyMap;
        CIgnition ignition;
        CProgressive progressive;
        fillFullKeyMap(keyMap, ignition, progressive);
        KeyMapTransfer writer(session, keyMap, ignition, progressive);
        ASSERT_TRUE(writer.setKeyMapOnDevice()) << testing::PrintToString(prompt.texts());
        prompt.shown.clear();
    }

    // Puts one known key in each list and marks them unchanged.
    void fillBefore()
    {
        keyMap.appendEntry(entry("99", KEY_TYPE_SINGLE, {frame("0x1", "Standard", "01", "1", "0")}));
        ignition.appendEntry(entry("1", KEY_TYPE_SCENARIO, {frame("0x2", "Standard", "02", "1", "0")}));
        progressive.appendEntry(entry("0", KEY_TYPE_PROGRESSIVE, {sweep("Intel", "UNM", "0", "0", "8", "1", "2", "1")}));
        before = {deviceFields(keyMap), deviceFields(ignition), deviceFields(progressive)};
    }

    void expectListsAsBefore()
    {
        EXPECT_EQ(deviceFields(keyMap), before[0]);
        EXPECT_EQ(deviceFields(ignition), before[1]);
        EXPECT_EQ(deviceFields(progressive), before[2]);
    }

    CKeyMap keyMap;
    CIgnition ignition;
    CProgressive progressive;
    KeyMapTransfer transfer{session, keyMap, ignition, progressive};
    std::vector<std::vector<std::string>> before;
};

// The database of CAN 1 as the progressive keys' signals need it.
keymaptest::FakeDatabases sweptSignals()
{
    keymaptest::FakeDatabases databases;
    databases.addMessage(1, 0x3E9, false, "Sweep");
    databases.addSignal(1, 0x3E9, false, 2, 4, {"IntelSweep", "UNM", 1});
    databases.addSignal(1, 0x3E9, false, 1, 7, {"MotorolaSweep", "UNM", 0});
    databases.addSignal(1, 0x3E9, false, 4, 3, {"SignedSweep", "SNM", 0});
    return databases;
}

TEST_F(TransferEndToEnd, FullKeyMapRoundTrip)
{
    const keymaptest::FakeDatabases databases = sweptSignals();
    transfer.setDatabases(&databases, nullptr);
    storeFullKeyMap();
    EXPECT_EQ(sent(MSG_KEY_WRITE), 2u);
    EXPECT_EQ(sim->keyMap().stored().scenarioKeys.size(), 2u);

    ASSERT_TRUE(transfer.getKeyMapFromDevice()) << testing::PrintToString(prompt.texts());
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_GT(sent(MSG_IGNITION_READ), 2u) << "several blocks were acknowledged";

    CKeyMap expectedKeys;
    CIgnition expectedIgnition;
    CProgressive expectedProgressive;
    fillFullKeyMap(expectedKeys, expectedIgnition, expectedProgressive);
    // The device keeps the Single keys first, then the Scenario keys.
    std::vector<std::string> keys;
    for (const auto& line : deviceFields(expectedKeys))
        if (line.find("|2|") != std::string::npos)
            keys.push_back(line);
    for (const auto& line : deviceFields(expectedKeys))
        if (line.find("|1|") != std::string::npos)
            keys.push_back(line);
    EXPECT_EQ(deviceFields(keyMap), keys);
    EXPECT_EQ(deviceFields(ignition), deviceFields(expectedIgnition));
    EXPECT_EQ(deviceFields(progressive), deviceFields(expectedProgressive));
    for (std::size_t i = 0; i < progressive.entries().size() && i < expectedProgressive.entries().size(); ++i)
        EXPECT_EQ(progressive.entries()[i].frames.front().signalEndian,
                  expectedProgressive.entries()[i].frames.front().signalEndian);
    EXPECT_TRUE(keyMap.modified());
}

TEST_F(TransferEndToEnd, OnlyWhatTheListsHoldIsWritten)
{
    keyMap.appendEntry(entry("20", KEY_TYPE_SCENARIO, {frame("0x100", "Standard", "01", "1", "", "0")}));
    ASSERT_TRUE(transfer.setKeyMapOnDevice());
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{sessiontext::kStored});
    EXPECT_EQ(sent(MSG_VERSION_CHECK), 1u);
    EXPECT_EQ(sent(MSG_KEY_WRITE), 1u);
    EXPECT_EQ(sent(MSG_KEYMAP_WRITE) + sent(MSG_IGNITION_WRITE) + sent(MSG_PROGRESSIVE_WRITE), 0u);
}

TEST_F(TransferEndToEnd, ATransferRunsOnAJobWithProgress)
{
    fillFullKeyMap(keyMap, ignition, progressive);
    std::vector<int> steps;   // written by the job, read after wait()
    transfer.setProgress([&](int done, int total) {
        EXPECT_EQ(total, 3);
        steps.push_back(done);
    });
    std::atomic<int> finished{-1};
    DeviceJob job;
    ASSERT_TRUE(job.start([&] { return transfer.setKeyMapOnDevice(); }, [&](bool ok) { finished = ok ? 1 : 0; }));
    EXPECT_FALSE(job.start([] { return true; }));
    job.wait();
    EXPECT_FALSE(job.isRunning());
    EXPECT_EQ(finished.load(), 1);
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3}));
}

TEST_F(TransferEndToEnd, VersionFailuresTransferNothing)
{
    fillBefore();
    const std::string wrongVersion = keymaptext::format(sessiontext::kWrongVersion, {"v1.30"});
    struct Case {
        std::uint8_t minor;
        kivsim::Fault fault;
        std::string message;
    } const cases[] = {
        {29, kivsim::Fault::None, wrongVersion},
        {31, kivsim::Fault::None, wrongVersion},
        {30, kivsim::Fault::NoAnswer, sessiontext::kConnectFailed},
    };
    for (const Case& c : cases) {
        sim->version().setVersion({1, c.minor});
        sim->faults().setFault(MSG_VERSION_CHECK, c.fault);
        prompt.shown.clear();
        EXPECT_FALSE(transfer.getKeyMapFromDevice());
        EXPECT_EQ(prompt.texts(), std::vector<std::string>{c.message});
        expectListsAsBefore();
    }
    EXPECT_EQ(sent(MSG_KEYMAP_READ) + sent(MSG_IGNITION_READ), 0u);
}

TEST_F(TransferEndToEnd, ReadFailuresLeaveTheListsAsTheyWere)
{
    storeFullKeyMap();
    fillBefore();
    struct Case {
        std::uint8_t request;
        kivsim::Fault fault;
        int fromAnswer;
        const char* message;
    } const cases[] = {
        {MSG_KEY_COUNT_READ, kivsim::Fault::NoAnswer, 1, sessiontext::kKeyMapReadFailed},
        {MSG_KEY_READ, kivsim::Fault::WrongType, 2, sessiontext::kKeyMapReadFailed},
        {MSG_IGNITION_READ, kivsim::Fault::WrongType, 2, sessiontext::kIgnitionReadFailed},
        {MSG_PROGRESSIVE_READ, kivsim::Fault::NoAnswer, 2, sessiontext::kProgressiveReadFailed},
    };
    for (const Case& c : cases) {
        sim->faults().clear();
        sim->faults().setFault(c.request, c.fault, c.fromAnswer);
        prompt.shown.clear();
        EXPECT_FALSE(transfer.getKeyMapFromDevice()) << c.message;
        EXPECT_EQ(prompt.texts(), std::vector<std::string>{c.message});
        expectListsAsBefore();
        EXPECT_EQ(keyMap.staging(), nullptr);
    }
}

TEST_F(TransferEndToEnd, WriteFailuresNameTheList)
{
    fillFullKeyMap(keyMap, ignition, progressive);
    keyMap.setModified(false);
    struct Case {
        std::uint8_t request;
        const char* message;
    } const cases[] = {
        {MSG_KEYMAP_WRITE, sessiontext::kKeyMapWriteFailed},
        {MSG_KEY_WRITE, sessiontext::kKeyMapWriteFailed},
        {MSG_IGNITION_WRITE, sessiontext::kIgnitionWriteFailed},
        {MSG_PROGRESSIVE_WRITE, sessiontext::kProgressiveWriteFailed},
    };
    for (const Case& c : cases) {
        sim->faults().clear();
        sim->faults().setFault(c.request, kivsim::Fault::StatusZero);
        prompt.shown.clear();
        EXPECT_FALSE(transfer.setKeyMapOnDevice());
        EXPECT_EQ(prompt.texts(), std::vector<std::string>{c.message});
    }
    EXPECT_FALSE(keyMap.modified());
}

TEST_F(TransferEndToEnd, HangUpInTheMiddleOfAWrite)
{
    fillFullKeyMap(keyMap, ignition, progressive);
    sim->faults().setHangUpAfter(3);   // version check, Single keys, first Scenario key
    EXPECT_FALSE(transfer.setKeyMapOnDevice());
    const auto texts = prompt.texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), sessiontext::kKeyMapWriteFailed);
    EXPECT_EQ(sent(MSG_IGNITION_WRITE), 0u);
}

TEST_F(TransferEndToEnd, RecordsTheDeviceCannotHoldAreRefusedBeforeSending)
{
    progressive.appendEntry(entry("3", KEY_TYPE_PROGRESSIVE, {sweep("Intel", "UNM", "0", "0", "8", "1", "2", "1")}));
    EXPECT_FALSE(transfer.setKeyMapOnDevice());
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{keymaptext::format(sessiontext::kProgressiveNumberTooHigh, {"3"})});

    // 240 Single key records of 18 bytes do not fit one command frame.
    progressive.clearKeys();
    const tKeyFrame wide = frame("0x18FF0012", "Extended", "01 02 03 04 05 06 07 08", "1", "0");
    for (int key = 0; key < 240; ++key)
        keyMap.appendEntry(entry(std::to_string(key), KEY_TYPE_SINGLE, {wide}));
    prompt.shown.clear();
    EXPECT_FALSE(transfer.setKeyMapOnDevice());
    ASSERT_EQ(prompt.texts().size(), 1u);
    EXPECT_NE(prompt.texts()[0].find("4189"), std::string::npos);
    EXPECT_EQ(sim->device().received().size(), 0u);
}

TEST_F(TransferEndToEnd, AnAnswerBeyondTheReadBufferFailsTheRead)
{
    kivsim::StoredKeyMap stored;
    // 300 Single key records of 17 bytes: 5100 bytes.
    for (int key = 0; key < 300; ++key) {
        const std::vector<std::uint8_t> record{static_cast<std::uint8_t>(key), 0, 8, 0x01, 0x23, 1, 2, 3, 4, 5, 6, 7, 8,
                                               0, 0, 0};
        stored.singleKeys.insert(stored.singleKeys.end(), record.begin(), record.end());
    }
    sim->keyMap().setStored(stored);
    sim->keyMap().setBlockSize(1000);
    fillBefore();
    EXPECT_FALSE(transfer.getKeyMapFromDevice());
    EXPECT_EQ(prompt.texts(), (std::vector<std::string>{sessiontext::kAnswerTooLarge, sessiontext::kKeyMapReadFailed}));
    expectListsAsBefore();
}

} // namespace
