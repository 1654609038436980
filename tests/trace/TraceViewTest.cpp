#include "TraceTestSupport.h"
#include "trace/CTraceLog.h"
#include "trace/CTraceView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

using namespace kivplus;
using tracetest::makeRecord;

namespace {

CTraceData frame(const std::string& id, const std::string& channel = "1", const std::string& direction = "Rx",
                 const std::string& time = "0000:00:00.000000")
{
    return makeRecord(time, direction, channel, "N", id, "0", "");
}

// A log and a view over it with entries and groups.
struct ViewFixture {
    CTraceLog log;
    CTraceView view;
    explicit ViewFixture(int capacity = 1000)
    {
        log.allocate(capacity, false);
        view.allocateItems(capacity);
        view.allocateGroups(CTraceView::kGroupSlots);
        view.attachLog(&log);
    }
    bool add(const CTraceData& record)
    {
        log.add(record);
        return view.add(record, log.count() - 1);
    }
    std::vector<std::string> groupIds() const
    {
        std::vector<std::string> ids;
        for (int i = 0; i < view.groupCount(); ++i)
            ids.push_back(view.groupAt(i)->messageId + "/" + view.groupAt(i)->channel);
        return ids;
    }
};

TEST(TraceViewFilter, ChannelDirectionTimeAndLists)
{
    struct Case {
        const char* what;
        void (*setUp)(CTraceView&);
        CTraceData record;
        bool useTime;
        bool passes;
    };
    const auto none = [](CTraceView&) {};
    const auto can1 = [](CTraceView& v) { v.setChannelBit(1, true); };
    const auto errOnly = [](CTraceView& v) { v.setDirectionBit(4, true); };
    const auto minute = [](CTraceView& v) { v.setTimeRange(60, 120); };
    const auto exclude = [](CTraceView& v) { v.addExclude("0x7df"); };
    const auto include = [](CTraceView& v) { v.addInclude("0x100"); };
    const Case cases[] = {
        {"all channels take 1", none, frame("0x1", "1"), false, true},
        {"all channels reject an empty channel", none, frame("0x1", ""), false, false},
        {"CAN 1 takes \"1\"", can1, frame("0x1", "1"), false, true},
        {"CAN 1 rejects \"2\"", can1, frame("0x1", "2"), false, false},
        {"all directions reject an empty one", none, frame("0x1", "1", ""), false, false},
        {"Err only takes Err", errOnly, frame("0x1", "1", "Err"), false, true},
        {"Err only rejects Rx", errOnly, frame("0x1", "1", "Rx"), false, false},
        {"range start inclusive", minute, frame("0x1", "1", "Rx", "0000:01:00.000000"), true, true},
        {"range end inclusive", minute, frame("0x1", "1", "Rx", "0000:02:00.999999"), true, true},
        {"after the range", minute, frame("0x1", "1", "Rx", "0000:02:01.000000"), true, false},
        {"range ignored without time", minute, frame("0x1", "1", "Rx", "0000:02:01.000000"), false, true},
        {"exclude ignores case", exclude, frame("0x7DF"), false, false},
        {"include lets only its ids", include, frame("0x200"), false, false},
        {"include ignores case", include, frame("0X100"), false, true},
    };
    for (const auto& c : cases) {
        CTraceView view;
        c.setUp(view);
        EXPECT_EQ(view.passes(c.record, c.useTime), c.passes) << c.what;
    }
}

TEST(TraceViewFilter, MasksAndListsEditing)
{
    CTraceView view;
    view.setChannelBit(1, true);
    view.setChannelBit(2, true);
    view.setChannelBit(1, false);
    EXPECT_EQ(view.channelMask(), 2);
    view.setChannelBit(0, true);
    EXPECT_EQ(view.channelMask(), 0);
    view.setTimeRange(10, 5);
    EXPECT_FALSE(view.timeRangeValid());
    view.setTimeRange(10, 0);
    EXPECT_TRUE(view.timeRangeValid());

    view.addExclude("0x7DF");
    view.addExclude("0x7df");
    view.addExclude("0x7DF");
    EXPECT_EQ(view.excludes(), (std::vector<std::string>{"0x7DF", "0x7df"}));
    view.removeExclude("0x123");
    view.removeExclude("0x7DF");
    EXPECT_EQ(view.excludes(), std::vector<std::string>{"0x7df"});
    view.addInclude("0x123456789AB");
    EXPECT_EQ(view.includes(), std::vector<std::string>{"0x12345678"});
}

TEST(TraceViewHighlight, TextColourAndReplacement)
{
    EXPECT_EQ(highlightTextColor(0xFFFF00), 0x000000u);
    EXPECT_EQ(highlightTextColor(0x0000FF), 0xFFFFFFu);
    CTraceView view;
    view.setHighlight("0x100", 0x0000FF);
    view.setHighlight("0x200", 0xFFFF00);
    view.setHighlight("0X100", 0xFFFFFF);
    ASSERT_EQ(view.highlights().size(), 2u);
    EXPECT_EQ(view.highlights()[0].messageId, "0X100");
    EXPECT_EQ(view.highlights()[0].textColor, 0x000000u);
    view.renameHighlight("0x200", "0x300", 0x000000);
    EXPECT_EQ(view.highlights()[1].messageId, "0x300");
    EXPECT_EQ(view.highlightOf("0x300")->textColor, 0xFFFFFFu);
    view.removeHighlight("0x100");
    EXPECT_EQ(view.highlights().size(), 1u);
}

TEST(TraceViewGroups, OrderedByLatestMember)
{
    ViewFixture f;
    for (const char* id : {"0x100", "0x100", "0x100", "0x200", "0x100"})
        f.add(frame(id));
    EXPECT_EQ(f.groupIds(), (std::vector<std::string>{"0x200/1", "0x100/1"}));
    EXPECT_EQ(f.view.groupAt(1)->memberCount, 4);
    EXPECT_EQ(f.view.groupMembers(1), (std::vector<std::uint32_t>{0, 1, 2, 4}));
    EXPECT_FALSE(f.view.groupAt(2));

    f.add(frame("0x200", "2"));
    EXPECT_EQ(f.groupIds(), (std::vector<std::string>{"0x200/1", "0x100/1", "0x200/2"}));
    EXPECT_EQ(f.view.groupAt(2)->lastMember, 5);
}

// groupAt must stay exact under any sequence: compare with a plain list model.
TEST(TraceViewGroups, MatchesAPlainModel)
{
    ViewFixture f(20000);
    std::vector<std::string> model;   // ids, least recently updated first
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        const std::string id = "0x" + std::to_string(random() % 300);
        f.add(frame(id));
        model.erase(std::remove(model.begin(), model.end(), id), model.end());
        model.push_back(id);
        if (i % 997 == 0 || i == 19999) {
            ASSERT_EQ(f.view.groupCount(), int(model.size()));
            for (int p = 0; p < int(model.size()); ++p)
                ASSERT_EQ(f.view.groupAt(p)->messageId, model[std::size_t(p)]) << "after " << i << " at " << p;
        }
    }
}

TEST(TraceViewGroups, MoreIdsThanGroupSlotsStillEnterTheView)
{
    ViewFixture f;
    f.view.allocateGroups(3);
    for (const char* id : {"0x1", "0x2", "0x3", "0x4", "0x1"})
        EXPECT_TRUE(f.add(frame(id)));
    EXPECT_EQ(f.view.itemCount(), 5);
    EXPECT_EQ(f.groupIds(), (std::vector<std::string>{"0x2/1", "0x3/1", "0x1/1"}));
}

TEST(TraceViewRebuild, RefiltersWithTheTimeRange)
{
    ViewFixture f;
    for (int s = 0; s < 10; ++s)
        f.add(frame(s % 2 ? "0x1" : "0x2", "1", "Rx", "0000:00:0" + std::to_string(s) + ".000000"));
    f.view.setTimeRange(3, 6);
    f.view.addExclude("0x2");
    f.view.rebuild();
    ASSERT_EQ(f.view.itemCount(), 2);
    EXPECT_EQ(f.view.itemAt(0)->logIndex, 3);
    EXPECT_EQ(f.view.itemAt(1)->logIndex, 5);
    EXPECT_EQ(f.groupIds(), std::vector<std::string>{"0x1/1"});
    // A record the rebuild already went through is not taken again.
    EXPECT_FALSE(f.view.add(f.log.recordAt(5), 5));
    f.view.setTimeRange(0, 0);
    EXPECT_TRUE(f.add(frame("0x1", "1", "Rx", "0000:09:00.000000")));
}

TEST(TraceViewSearch, FindsNewestFirstInBlocks)
{
    ViewFixture f;
    for (const char* id : {"0x100", "0x200", "0x100", "0x300", "0x100"})
        f.add(frame(id));
    EXPECT_TRUE(f.view.search("0x1", false));
    std::vector<int> hits;
    for (const auto& r : f.view.searchResults())
        hits.push_back(r.viewIndex);
    EXPECT_EQ(hits, (std::vector<int>{4, 2, 0}));

    EXPECT_TRUE(f.view.search("0x2,0x1", false));
    ASSERT_EQ(f.view.searchResults().size(), 1u);
    EXPECT_EQ(f.view.searchResults()[0].viewIndex, 2);
    EXPECT_TRUE(f.view.search(",", false));
    EXPECT_EQ(f.view.searchResults().size(), 4u);

    ViewFixture many;
    for (int i = 0; i < 250; ++i)
        many.add(frame(i % 2 ? "0x7DF" : "0x7E8"));
    EXPECT_FALSE(many.view.search("7DF", false));
    EXPECT_EQ(many.view.searchResults().size(), 100u);
    EXPECT_EQ(many.view.searchResults().front().viewIndex, 249);
    EXPECT_TRUE(many.view.search("7DF", true));
    EXPECT_EQ(many.view.searchResults().size(), 125u);
    EXPECT_EQ(many.view.searchResults().back().viewIndex, 1);

    ViewFixture one;
    one.add(frame("0x1"));
    EXPECT_TRUE(one.view.search("0x1", false));
    EXPECT_TRUE(one.view.searchResults().empty());
}

} // namespace
