#include "trace/DatabaseMessageNamer.h"

#include "database/CMsgSignal.h"

#include <gtest/gtest.h>

#include <string>

using namespace kivplus;

namespace {

tDbMessage message(std::string name, std::uint32_t id, int extended)
{
    tDbMessage m;
    m.name = std::move(name);
    m.id = id;
    m.extended = extended;
    return m;
}

std::string nameOf(const DatabaseMessageNamer& namer, int channel, std::uint32_t id, bool extended)
{
    return std::string(namer.messageName(channel, id, extended));
}

TEST(DatabaseMessageNamer, AnswersAsTheChannelDatabaseFindsTheMessage)
{
    CMsgSignal can1;
    can1.messages = {message("Engine", 0x100, 0), message("EngineAgain", 0x100, 0), message("Body", 0x100, 1),
                     message("Diag", 0x18DAF110, 1), message("", 0x200, 0)};
    CMsgSignal can2;
    can2.useGMParameterIds = true;
    can2.messages = {message("GmParameter", 0x0C9E000, 1), message("Brake", 0x101, 0)};

    DatabaseMessageNamer namer;
    namer.setDatabase(0, &can1);
    namer.setDatabase(1, &can2);

    struct Case {
        int channel;
        std::uint32_t id;
        bool extended;
    };
    const Case cases[] = {
        {0, 0x100, false}, {0, 0x100, true}, {0, 0x18DAF110, true}, {0, 0xF8DAF110, true}, {0, 0x200, false},
        {0, 0x101, false}, {1, 0x100, false}, {1, 0x10C9E0F1, true}, {1, 0x0C9E000, true}, {1, 0x101, false},
        {1, 0x101, true},
    };
    for (const Case& c : cases) {
        const CMsgSignal& database = c.channel == 0 ? can1 : can2;
        const tDbMessage* found = database.findMessageById(c.id, c.extended ? 1 : 0);
        EXPECT_EQ(nameOf(namer, c.channel, c.id, c.extended), found ? found->name : std::string())
            << "channel " << c.channel << " id " << std::hex << c.id << (c.extended ? " extended" : "");
    }
    EXPECT_EQ(nameOf(namer, 0, 0x100, false), "Engine") << "the first message wins";
    EXPECT_EQ(nameOf(namer, 1, 0x10C9E0F1, true), "GmParameter") << "priority and source address ignored";
    EXPECT_EQ(nameOf(namer, 2, 0x100, false), "");
    EXPECT_EQ(nameOf(namer, -1, 0x100, false), "");
}

TEST(DatabaseMessageNamer, KeepsItsOwnCopyUntilADatabaseIsTakenAgain)
{
    auto database = std::make_unique<CMsgSignal>();
    database->messages = {message("Old", 0x100, 0)};
    DatabaseMessageNamer namer;
    EXPECT_EQ(nameOf(namer, 0, 0x100, false), "") << "no database";
    namer.setDatabase(0, database.get());
    const std::string_view before = namer.messageName(0, 0x100, false);

    database = std::make_unique<CMsgSignal>();   // the old database is gone
    EXPECT_EQ(before, "Old");
    EXPECT_EQ(nameOf(namer, 0, 0x100, false), "Old");

    database->messages = {message("New", 0x100, 0)};
    namer.setDatabase(0, database.get());
    EXPECT_EQ(nameOf(namer, 0, 0x100, false), "New");
    namer.setDatabase(0, nullptr);
    EXPECT_EQ(nameOf(namer, 0, 0x100, false), "");
}

} // namespace
