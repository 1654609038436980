#pragma once

#include "keymap/KeyRecords.h"

#include <string>

namespace keymaptest {

inline kivplus::tKeyFrame frame(const std::string& id, const std::string& data, const std::string& interval = "0",
                                const std::string& canCh = "1")
{
    kivplus::tKeyFrame f;
    f.canCh = canCh;
    f.messageId = id;
    f.messageFormat = "Standard";
    f.messageData = data;
    f.messageLength = std::to_string(data.empty() ? 0 : (data.size() + 1) / 3);
    f.periodicInterval = interval;
    f.canFrameDelay = "10";
    return f;
}

// A key with frames numbered 0, 1, 2 ...
inline kivplus::tKeyEntry key(const std::string& name, int type, int frames, const std::string& interval = "0")
{
    kivplus::tKeyEntry entry;
    entry.name = name;
    entry.type = type;
    for (int i = 0; i < frames; ++i) {
        entry.frames.push_back(frame("0x" + std::to_string(100 + i), "01", interval));
        entry.frames.back().num = i;
    }
    entry.numberOfCanFrame = frames;
    return entry;
}

} // namespace keymaptest
