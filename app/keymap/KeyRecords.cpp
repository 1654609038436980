#include "keymap/KeyRecords.h"

namespace kivplus {

tKeyFrame makeStopFrame(int frameToStop, const std::string& canCh)
{
    tKeyFrame frame;
    frame.canCh = canCh;
    frame.messageName = kStopFrameName;
    frame.periodicInterval = "0";
    frame.messageId = "0x0";
    frame.messageFormat = "Standard";
    frame.messageLength = "1";
    frame.messageData = std::to_string(frameToStop);
    frame.canFrameDelay = "0";
    return frame;
}

} // namespace kivplus
