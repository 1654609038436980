#pragma once

#include "trace/CTraceData.h"
#include "trace/GroupOrder.h"
#include "trace/ZeroedArray.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kivplus {

class CTraceLog;

struct sTraceViewItem {
    std::int32_t logIndex;
    std::int32_t groupIndex;    // the entry's message group, -1 when it has none
    std::int64_t replayTime;    // microseconds, filled when a replay starts
};

struct sMessageId {
    char text[11];
};

// Colours are 0xRRGGBB.
struct sHighLightInfo {
    std::string messageId;
    std::uint32_t backColor = 0;
    std::uint32_t textColor = 0;
};

struct sSearchInfo {
    std::string time;
    std::string direction;
    std::string channel;
    std::string messageName;
    std::int32_t viewIndex = 0;
};

// What a window shows of a message group: its key, member count and the view
// position of its latest member.
struct sMessageGroupInfo {
    std::string messageId;
    std::string channel;
    std::int32_t memberCount = 0;
    std::int32_t lastMember = -1;
};

// Black text on light backgrounds, white on dark ones.
std::uint32_t highlightTextColor(std::uint32_t backColor);

// A window's filtered view of a trace log: the indexes of the records that pass
// its filters, in log order, with message groups (one per identifier and
// channel) ordered by their latest member, oldest first.
//
// add() runs on the trace distribution thread, the filter and list commands,
// rebuild() and search() on the user-interface thread; they are serialised by
// the view's lock. Readers may take entries below itemCount() at any time.
class CTraceView {
public:
    static constexpr int kDefaultItemCapacity = 100000;
    static constexpr int kGroupSlots = 10000;
    static constexpr int kSearchBlock = 100;

    CTraceView() = default;
    ~CTraceView() = default;
    CTraceView(const CTraceView&) = delete;
    CTraceView& operator=(const CTraceView&) = delete;

    bool allocateItems(int capacity);
    void freeItems();
    bool allocateGroups(int count);
    void freeGroups();
    void attachLog(const CTraceLog* log);
    const CTraceLog* log() const { return log_; }

    // Filter test without the time range; appends the entry when it passes.
    bool add(const CTraceData& record, int logIndex);
    bool passes(const CTraceData& record, bool useTimeRange) const;
    // Re-filters the whole attached log with the time range on a worker thread;
    // returns when it has finished.
    void rebuild();

    int itemCount() const { return itemCount_.load(std::memory_order_acquire); }
    int itemCapacity() const { return itemCapacity_; }
    bool hasItems() const { return bool(items_); }
    const sTraceViewItem* itemAt(int viewIndex) const;
    // The log record of a view entry; null when out of range or no log is attached.
    const CTraceData* recordOf(int viewIndex) const;

    int groupCount() const;
    std::optional<sMessageGroupInfo> groupAt(int position) const;
    // The view positions of the members of the group at that position, oldest first.
    std::vector<std::uint32_t> groupMembers(int position) const;

    // Filter settings.
    void setChannelBit(std::uint8_t bits, bool on);
    void setDirectionBit(std::uint8_t bits, bool on);
    void setTimeRange(std::uint32_t from, std::uint32_t to);
    bool timeRangeValid() const;
    std::uint8_t channelMask() const;
    std::uint8_t directionMask() const;

    void addInclude(std::string_view id);
    void removeInclude(std::string_view id);
    void clearIncludes();
    void addExclude(std::string_view id);
    void removeExclude(std::string_view id);
    void clearExcludes();
    std::vector<std::string> includes() const;
    std::vector<std::string> excludes() const;

    // Highlights (user-interface thread only).
    void setHighlight(std::string_view id, std::uint32_t backColor);
    void renameHighlight(std::string_view oldId, std::string_view newId, std::uint32_t backColor);
    void removeHighlight(std::string_view id);
    void clearHighlights() { highlights_.clear(); }
    const std::vector<sHighLightInfo>& highlights() const { return highlights_; }
    const sHighLightInfo* highlightOf(std::string_view id) const;

    // Searches view entries whose identifiers contain the comma-separated terms
    // in consecutive entries, newest first, in blocks of 100 hits. True when the
    // search has finished, false when more may follow (call again with continuing).
    bool search(std::string_view text, bool continuing);
    const std::vector<sSearchInfo>& searchResults() const { return searchResults_; }

    // Replay state, kept for the Send Log Data window's replay.
    std::int32_t replayFrom = 0;
    std::int32_t replayTo = 0;
    std::atomic<int> replaying{0};
    std::atomic<int> awaitingReport{0};

private:
    struct Group {
        char messageId[11];
        char channel[3];
        std::vector<std::uint32_t> members;
        std::int32_t lastMember;
    };
    struct GroupKey {
        char messageId[11];
        char channel[3];
        bool operator==(const GroupKey& other) const;
    };
    struct GroupKeyHash {
        std::size_t operator()(const GroupKey& key) const;
    };

    bool passesLocked(const CTraceData& record, bool useTimeRange) const;
    void appendLocked(const CTraceData& record, int logIndex);
    void resetGroupsLocked();

    mutable std::mutex lock_;          // filters, lists, entries being appended
    mutable std::mutex groupLock_;     // the groups and their order
    ZeroedArray<sTraceViewItem> items_;
    int itemCapacity_ = kDefaultItemCapacity;
    std::atomic<int> itemCount_{0};
    int coveredCount_ = 0;             // log records the last rebuild went through
    const CTraceLog* log_ = nullptr;

    std::uint8_t channelMask_ = 0;
    std::uint8_t directionMask_ = 0;
    std::uint32_t timeFrom_ = 0;
    std::uint32_t timeTo_ = 0;
    std::vector<sMessageId> includeList_;
    std::vector<sMessageId> excludeList_;
    std::vector<sHighLightInfo> highlights_;
    std::vector<sSearchInfo> searchResults_;
    int searchCursor_ = 0;

    std::vector<Group> groups_;
    int groupCapacity_ = 0;
    std::unordered_map<GroupKey, int, GroupKeyHash> groupIndex_;
    GroupOrder groupOrder_;
};

} // namespace kivplus
