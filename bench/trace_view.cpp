// Trace view over 1 500 000 records with 2 000 distinct identifiers: live adds,
// rebuild, search (all blocks of 100) and walking the group order.
#include "TraceBenchSupport.h"
#include "trace/CTraceLog.h"
#include "trace/CTraceView.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    const int records = argc > 1 ? std::stoi(argv[1]) : 1500000;
    const int ids = argc > 2 ? std::stoi(argv[2]) : 2000;

    kivplus::CTraceLog log;
    log.allocate(records, false);
    for (int i = 0; i < records; ++i)
        log.add(tracebench::benchRecord(i, ids));

    kivplus::CTraceView view;
    view.allocateItems(records);
    view.allocateGroups(kivplus::CTraceView::kGroupSlots);
    view.attachLog(&log);

    tracebench::Stopwatch addTime;
    for (int i = 0; i < records; ++i)
        view.add(log.recordAt(i), i);
    const double added = addTime.seconds();
    std::printf("add (live, every record):     %8.3f s  %6.0f ns/record  %d entries, %d groups\n", added,
                added * 1e9 / records, view.itemCount(), view.groupCount());

    tracebench::Stopwatch rebuildTime;
    view.rebuild();
    const double rebuilt = rebuildTime.seconds();
    std::printf("rebuild (no filter):          %8.3f s  %6.0f ns/record  %d entries, %d groups\n", rebuilt,
                rebuilt * 1e9 / records, view.itemCount(), view.groupCount());

    view.setChannelBit(1, true);
    view.addExclude("0x100");
    view.setTimeRange(60, 300);
    tracebench::Stopwatch filteredTime;
    view.rebuild();
    const double filtered = filteredTime.seconds();
    std::printf("rebuild (CAN 1, exclude, time):%7.3f s  %6.0f ns/record  %d entries, %d groups\n", filtered,
                filtered * 1e9 / records, view.itemCount(), view.groupCount());
    view.setChannelBit(0, true);
    view.clearExcludes();
    view.setTimeRange(0, 0);
    view.rebuild();

    for (const char* text : {"0x1F4", "0x7FF", "0x5,0x4"}) {
        tracebench::Stopwatch searchTime;
        int blocks = 1;
        bool finished = view.search(text, false);
        const double first = searchTime.seconds();
        while (!finished) {
            finished = view.search(text, true);
            ++blocks;
        }
        const double all = searchTime.seconds();
        std::printf("search \"%s\": first block %8.3f ms, all %6zu hits in %5d blocks %8.3f s\n", text, first * 1e3,
                    view.searchResults().size(), blocks, all);
    }

    tracebench::Stopwatch walkTime;
    long members = 0;
    for (int p = 0; p < view.groupCount(); ++p)
        members += view.groupAt(p)->memberCount;
    const double walked = walkTime.seconds();
    std::printf("groupAt over all %d groups:   %8.3f ms  (%ld members)\n", view.groupCount(), walked * 1e3, members);
    return 0;
}
