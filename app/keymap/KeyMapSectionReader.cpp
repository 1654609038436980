// Reading the KeyMap and IgnitionList sections of a key map file.
#include "keymap/KeyMapReader.h"

#include "keymap/KeyFields.h"
#include "keymap/KeyMapTexts.h"
#include "keymap/SectionReading.h"

#include <array>

namespace kivplus {

using namespace sectionread;
namespace text = keymaptext;

namespace {

constexpr int kFirstKeyNumber = 10;
constexpr int kLastKeyNumber = 99;
constexpr int kDeviceScenarioFrames = 50;
constexpr int kDeviceIgnitionFrames = 10;

// runTime and sleepTime are kept only as a pair of non-zero values, and never
// for a key map meant for the device.
void readRunRhythm(xmlNodePtr key, DeviceMode mode, tKeyEntry& entry)
{
    if (mode == DeviceMode::Configuration)
        return;
    const auto runTime = xmlOptionalAttribute(key, "runTime");
    const auto sleepTime = xmlOptionalAttribute(key, "sleepTime");
    if (runTime && sleepTime && parseDecimal(*runTime) != 0 && parseDecimal(*sleepTime) != 0) {
        entry.runTime = *runTime;
        entry.sleepTime = *sleepTime;
    }
}

int readKeyFrame(xmlNodePtr element, bool legacy, DeviceMode mode, const tKeyEntry& entry, const CKeyMap& staging,
                 std::string& error, tKeyFrame& frame)
{
    if (!xmlOptionalAttribute(element, "num"))
        return failStructure(error);
    frame.messageName = xmlAttribute(element, "messageName");
    if (const int code = readChannel(element, legacy, error, frame))
        return code;
    if (const int code = readFrameData(element, legacy, error, frame))
        return code;
    if (!isStopFrame(frame)) {
        if (const int code = checkFrameData(frame, error))
            return code;
    }
    const bool single = entry.type == KEY_TYPE_SINGLE;
    if (single && staging.findDuplicateSingleFrame(frame, std::string(), staging.count()))
        return failContent(error, text::kDuplicateData);

    const auto interval = xmlOptionalAttribute(element, "periodicInterval");
    if (single || mode == DeviceMode::Interface) {
        frame.periodicInterval = interval.value_or("0");
        if (parseDecimal(frame.periodicInterval) > kMaxTime)
            return failContent(error, text::kPeriodicTooLarge);
    } else if (mode == DeviceMode::Configuration) {
        frame.periodicInterval = interval.value_or(std::string());
        if (parseDecimal(frame.periodicInterval) >= 1)
            return failContent(error, text::kNoPeriodicInSettingMode);
    }

    if (!single) {
        const auto delay = xmlOptionalAttribute(element, "canFrameDelay");
        if (!delay)
            return failStructure(error);
        frame.canFrameDelay = *delay;
        if (parseDecimal(frame.canFrameDelay) > kMaxTime)
            return failContent(error, text::kDelayTooLarge);
    }
    return kOk;
}

int readKey(xmlNodePtr key, bool legacy, DeviceMode mode, CKeyMap& staging, std::string& error)
{
    const auto name = xmlOptionalAttribute(key, "name");
    if (!name)
        return failStructure(error, text::kKeyNumNoName);
    if (name->empty())
        return failContent(error, text::kKeyNumBlank);
    const std::int32_t number = parseDecimal(*name);
    if (number < kFirstKeyNumber || number > kLastKeyNumber)
        return failContent(error, text::kKeyNumOutOf10To99);
    if (staging.findKey(*name)) {
        error += text::kDuplicateKeyNum;
        return failContent(error, text::format(text::kDuplicateKeyNumName, {*name}));
    }
    error = text::format(text::kKeyHeader, {text::kKeyMapLabel, *name});

    tKeyEntry entry;
    entry.name = *name;
    const auto type = xmlOptionalAttribute(key, "type");
    if (!type)
        return failStructure(error);
    if (*type == "Single")
        entry.type = KEY_TYPE_SINGLE;
    else if (*type == "Scenario" || *type == "Sequence")
        entry.type = KEY_TYPE_SCENARIO;
    else
        return failContent(error, text::kKeyTypeInvalid);

    const auto count = xmlOptionalAttribute(key, "numberOfCanFrame");
    if (!count)
        return failStructure(error);
    const std::int32_t n = parseDecimal(*count);
    if (n == 0)
        return failContent(error, text::kFrameCountZero);
    if (n >= 2 && entry.type == KEY_TYPE_SINGLE)
        return failContent(error, text::kSingleOneFrame);
    if (n > kDeviceScenarioFrames && mode == DeviceMode::Configuration)
        return failContent(error, text::kScenarioFrameLimit);
    const auto frames = frameElements(key);
    if (static_cast<std::int64_t>(frames.size()) != n)
        return failContent(error, text::kFrameCountMismatch);

    readRunRhythm(key, mode, entry);
    entry.runnerStatus.expanded = 0;
    for (xmlNodePtr element : frames) {
        tKeyFrame frame;
        if (const int code = readKeyFrame(element, legacy, mode, entry, staging, error, frame))
            return code;
        entry.frames.push_back(std::move(frame));
    }
    staging.appendEntry(std::move(entry));
    return kOk;
}

int readIgnition(xmlNodePtr key, bool legacy, DeviceMode mode, CKeyMap& staging, std::string& error)
{
    static constexpr std::array<const char*, 4> kTypes = {"Off", "Acc", "Run", "Crank"};
    const auto type = xmlOptionalAttribute(key, "type");
    if (!type)
        return failStructure(error, text::kIgnitionNoType);
    tKeyEntry entry;
    for (std::size_t i = 0; i < kTypes.size(); ++i) {
        if (*type == kTypes[i])
            entry.name = std::to_string(i);
    }
    if (entry.name.empty())
        return failContent(error, text::kIgnitionTypeInvalid);
    error = text::format(text::kIgnitionHeader, {text::kIgnitionLabel, *type});
    entry.type = KEY_TYPE_SCENARIO;

    const auto count = xmlOptionalAttribute(key, "numberOfCanFrame");
    if (!count)
        return failStructure(error);
    const std::int32_t n = parseDecimal(*count);
    if (n == 0)
        return failContent(error, text::kFrameCountZero);
    if (n > kDeviceIgnitionFrames && mode == DeviceMode::Configuration)
        return failContent(error, text::kIgnitionFrameLimit);
    const auto frames = frameElements(key);
    if (static_cast<std::int64_t>(frames.size()) != n)
        return failContent(error, text::kFrameCountMismatch);

    entry.runnerStatus.expanded = 1;
    for (xmlNodePtr element : frames) {
        tKeyFrame frame;
        frame.messageName = xmlAttribute(element, "messageName");
        if (const int code = readChannel(element, legacy, error, frame))
            return code;
        if (const int code = readFrameData(element, legacy, error, frame))
            return code;
        if (!isStopFrame(frame)) {
            if (const int code = checkFrameData(frame, error))
                return code;
        }
        frame.periodicInterval = xmlAttribute(element, "periodicInterval", "0");
        if (parseDecimal(frame.periodicInterval) > kMaxTime)
            return failContent(error, text::kPeriodicTooLarge);
        frame.canFrameDelay.assign(1, '0');
        entry.frames.push_back(std::move(frame));
    }
    staging.appendEntry(std::move(entry));
    return kOk;
}

} // namespace

int readKeyMapSection(const XmlDocument& doc, std::string& error, DeviceMode mode, CKeyMap& staging)
{
    Section section;
    if (const int code = openSection(doc, "KeyMap", text::kKeyMapLabel, "KeyNum", error, section))
        return code;
    for (xmlNodePtr key : section.items) {
        if (const int code = readKey(key, section.legacy, mode, staging, error))
            return code;
    }
    return kOk;
}

int readIgnitionSection(const XmlDocument& doc, std::string& error, DeviceMode mode, CKeyMap& staging)
{
    Section section;
    if (const int code = openSection(doc, "IgnitionList", text::kIgnitionLabel, "Ignition", error, section))
        return code;
    for (xmlNodePtr key : section.items) {
        if (const int code = readIgnition(key, section.legacy, mode, staging, error))
            return code;
    }
    return kOk;
}

} // namespace kivplus
