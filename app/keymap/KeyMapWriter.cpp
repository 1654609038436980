#include "keymap/KeyMapWriter.h"

#include "keymap/KeyFields.h"

#include <array>
#include <initializer_list>
#include <utility>

namespace kivplus {

namespace {

using Attributes = std::initializer_list<std::pair<const char*, std::string>>;

xmlNodePtr appendElement(xmlNodePtr parent, const char* name, Attributes attributes)
{
    xmlNodePtr element = xmlAppendElement(parent, name);
    if (!element)
        return nullptr;
    for (const auto& [attribute, value] : attributes) {
        if (!xmlSetAttribute(element, attribute, value))
            return nullptr;
    }
    return element;
}

bool writeBasicFrame(xmlNodePtr key, const tKeyFrame& frame, bool withDelay)
{
    xmlNodePtr element = appendElement(key, "CanFrame",
                                       {{"num", std::to_string(frame.num)},
                                        {"messageName", frame.messageName},
                                        {"canCh", channelMaskToText(frame.canCh)},
                                        {"messageId", frame.messageId},
                                        {"messageFormat", frame.messageFormat},
                                        {"messageLength", frame.messageLength},
                                        {"messageData", frame.messageData},
                                        {"periodicInterval", frame.periodicInterval}});
    return element && (!withDelay || xmlSetAttribute(element, "canFrameDelay", frame.canFrameDelay));
}

std::string ignitionTypeText(const std::string& name)
{
    static constexpr std::array<const char*, 4> kTypes = {"Off", "Acc", "Run", "Crank"};
    for (std::size_t i = 0; i < kTypes.size(); ++i) {
        if (name == std::to_string(i))
            return kTypes[i];
    }
    return name;
}

bool writeControls(xmlNodePtr section, const char* type, const CPanelLayout::ControlMap& map)
{
    for (const auto& [control, key] : map) {
        xmlNodePtr element = appendElement(section, "Control", {{"controlType", type},
                                                                {"controlNumber", std::to_string(control)}});
        if (!element || !xmlSetText(xmlAppendElement(element, "KeyNum"), std::to_string(key)))
            return false;
    }
    return true;
}

} // namespace

bool writeKeyMapSection(xmlNodePtr root, const CKeyMap& keyMap)
{
    xmlNodePtr section = xmlAppendElement(root, "KeyMap");
    if (!section)
        return false;
    for (const auto& entry : keyMap.entries()) {
        const bool single = entry.type == KEY_TYPE_SINGLE;
        xmlNodePtr key = appendElement(section, "KeyNum",
                                       {{"name", entry.name},
                                        {"type", single ? "Single" : "Scenario"},
                                        {"numberOfCanFrame", std::to_string(entry.numberOfCanFrame)},
                                        {"runTime", entry.runTime},
                                        {"sleepTime", entry.sleepTime}});
        if (!key)
            return false;
        for (const auto& frame : entry.frames) {
            if (!writeBasicFrame(key, frame, !single))
                return false;
        }
    }
    return true;
}

bool writeIgnitionSection(xmlNodePtr root, const CKeyMap& ignition)
{
    xmlNodePtr section = xmlAppendElement(root, "IgnitionList");
    if (!section)
        return false;
    for (const auto& entry : ignition.entries()) {
        xmlNodePtr key = appendElement(section, "Ignition",
                                       {{"type", ignitionTypeText(entry.name)},
                                        {"numberOfCanFrame", std::to_string(entry.numberOfCanFrame)}});
        if (!key)
            return false;
        for (const auto& frame : entry.frames) {
            if (!writeBasicFrame(key, frame, false))
                return false;
        }
    }
    return true;
}

bool writeProgressiveSection(xmlNodePtr root, const CProgressive& progressive)
{
    xmlNodePtr section = xmlAppendElement(root, "ProgressiveKey");
    if (!section)
        return false;
    for (const auto& entry : progressive.entries()) {
        xmlNodePtr key = appendElement(section, "KeyNum",
                                       {{"name", entry.name},
                                        {"type", "Progressive"},
                                        {"numberOfCanFrame", std::to_string(entry.numberOfCanFrame)}});
        if (!key)
            return false;
        for (const auto& frame : entry.frames) {
            if (!appendElement(key, "CanFrame",
                               {{"num", std::to_string(frame.num)},
                                {"canCh", channelMaskToText(frame.canCh)},
                                {"messageName", frame.messageName},
                                {"messageId", frame.messageId},
                                {"messageFormat", frame.messageFormat},
                                {"messageLength", frame.messageLength},
                                {"messageData", frame.messageData},
                                {"periodicInterval", frame.periodicInterval},
                                {"signalName", frame.signalName},
                                {"startByte", frame.startByte},
                                {"startBit", frame.startBit},
                                {"signalLength", frame.signalLength},
                                {"signalType", frame.signalType},
                                {"signalEndian", frame.signalEndian},
                                {"progressiveMin", frame.progressiveMin},
                                {"progressiveMax", frame.progressiveMax},
                                {"progressiveStep", frame.progressiveStep}}))
                return false;
        }
    }
    return true;
}

bool writePanelSection(xmlNodePtr root, const CPanelLayout& panel)
{
    xmlNodePtr section = xmlAppendElement(root, "Panel");
    return section && writeControls(section, "Normal", panel.normalMap())
           && writeControls(section, "Progressive", panel.progressiveMap());
}

XmlDocument buildKeyMapDocument(KeyMapLists lists, const std::array<std::string, 2>& databaseNames)
{
    XmlDocument doc = XmlDocument::create();
    xmlNodePtr root = doc.createRoot("KIVPlus");
    if (!root || !xmlSetAttribute(root, "docVersion", "1.0")
        || !appendElement(root, "DatabaseName", {{"can1", databaseNames[0]}, {"can2", databaseNames[1]}})
        || !writeKeyMapSection(root, lists.keyMap) || !writeIgnitionSection(root, lists.ignition)
        || !writeProgressiveSection(root, lists.progressive) || !writePanelSection(root, lists.panel))
        return {};
    return doc;
}

} // namespace kivplus
