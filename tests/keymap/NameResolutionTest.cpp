#include "FakeDatabases.h"
#include "KeyListFixtures.h"

#include "keymap/CKeyMap.h"
#include "keymap/CProgressive.h"

#include <gtest/gtest.h>

using namespace kivplus;
using keymaptest::FakeDatabases;
using keymaptest::frame;

namespace {

tKeyFrame named(const std::string& canCh, const std::string& id, const std::string& format, const std::string& name)
{
    tKeyFrame f = frame(id, "01", "0", canCh);
    f.messageFormat = format;
    f.messageName = name;
    return f;
}

} // namespace

TEST(NameResolution, FramesFollowTheDatabaseOfTheirChannel)
{
    FakeDatabases databases;
    databases.addMessage(1, 0x100, false, "EngineData");
    databases.addMessage(1, 0x18DAF110, true, "Diag");

    struct Case {
        tKeyFrame frame;
        std::string expected;
    } cases[] = {
        {named("1", "0x100", "Standard", "Old"), "EngineData"},
        {named("1", "0x18DAF110", "Extended", "Old"), "Diag"},
        {named("1", "0x18daf110", "GMExtended", ""), "Diag"},
        {named("1", "0x100", "Extended", "Old"), ""},     // not found: the name goes
        {named("1", "0x101", "Standard", "Old"), ""},
        {named("2", "0x100", "Standard", "Kept"), "Kept"}, // no database on CAN 2
        {named("3", "0x100", "Standard", "Both"), "Both"}, // both channels: left alone
        {named("0", "0x100", "Standard", "None"), "None"},
        {named("1", "0x0", "Standard", kStopFrameName), kStopFrameName}, // stop frames stay stop frames
    };
    CKeyMap keyMap;
    tKeyEntry entry = keymaptest::key("20", KEY_TYPE_SCENARIO, 0);
    for (const auto& c : cases)
        entry.frames.push_back(c.frame);
    keyMap.appendEntry(entry);
    keyMap.resolveMessageNames(databases);
    const auto& frames = keyMap.entries()[0].frames;
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(frames[i].messageName, cases[i].expected) << i;
    EXPECT_FALSE(keyMap.modified());
}

TEST(NameResolution, NothingChangesWithoutAnyDatabase)
{
    CKeyMap keyMap;
    tKeyEntry entry = keymaptest::key("20", KEY_TYPE_SINGLE, 0);
    entry.frames.push_back(named("1", "0x100", "Standard", "Old"));
    keyMap.appendEntry(entry);
    keyMap.resolveMessageNames(FakeDatabases());
    EXPECT_EQ(keyMap.entries()[0].frames[0].messageName, "Old");
}

TEST(NameResolution, ProgressiveKeysAlsoTakeTheSignalAtTheirStartBit)
{
    FakeDatabases databases;
    databases.addMessage(2, 0x200, false, "Speed");
    databases.addSignal(2, 0x200, false, 1, 7, {"VehicleSpeed", "SNM"});

    auto sweep = [](const std::string& id, const std::string& startByte) {
        tKeyEntry entry = keymaptest::key("0", KEY_TYPE_PROGRESSIVE, 0);
        tKeyFrame f = named("2", id, "Standard", "OldMessage");
        f.startByte = startByte;
        f.startBit = "7";
        f.signalName = "OldSignal";
        f.signalType = "OldType";
        f.signalEndian = "Motorola";
        entry.frames.push_back(f);
        return entry;
    };
    CProgressive progressive;
    progressive.appendEntry(sweep("0x200", "1")); // message and signal found
    progressive.appendEntry(sweep("0x200", "2")); // message found, no signal there
    progressive.appendEntry(sweep("0x201", "1")); // message not found
    progressive.resolveProgressiveSignals(databases);

    const auto& e = progressive.entries();
    EXPECT_EQ(e[0].frames[0].messageName, "Speed");
    EXPECT_EQ(e[0].frames[0].signalName, "VehicleSpeed");
    EXPECT_EQ(e[0].frames[0].signalType, "SNM");
    EXPECT_EQ(e[1].frames[0].messageName, "Speed");
    EXPECT_EQ(e[1].frames[0].signalName, "OldSignal");
    EXPECT_EQ(e[1].frames[0].signalType, "OldType");
    EXPECT_EQ(e[2].frames[0].messageName, "");
    EXPECT_EQ(e[2].frames[0].signalName, "");
    EXPECT_EQ(e[2].frames[0].signalType, "");
    EXPECT_EQ(e[2].frames[0].signalEndian, "Motorola");
}
