#pragma once

// Small builders for key map documents used by the reader tests.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace keymaptest {

// Attribute name and value; a value of nullopt leaves the attribute out.
using Attrs = std::vector<std::pair<std::string, std::optional<std::string>>>;

inline std::string element(const std::string& name, Attrs attrs, const Attrs& overrides,
                           const std::vector<std::string>& children = {})
{
    for (const auto& [key, value] : overrides) {
        bool replaced = false;
        for (auto& attr : attrs) {
            if (attr.first == key) {
                attr.second = value;
                replaced = true;
            }
        }
        if (!replaced)
            attrs.emplace_back(key, value);
    }
    std::string xml = "<" + name;
    for (const auto& [key, value] : attrs) {
        if (value)
            xml += " " + key + "=\"" + *value + "\"";
    }
    if (children.empty())
        return xml + "/>";
    xml += ">";
    for (const auto& child : children)
        xml += child;
    return xml + "</" + name + ">";
}

inline std::string frameXml(const Attrs& overrides = {})
{
    return element("CanFrame",
                   {{"num", "0"}, {"messageName", ""}, {"canCh", "1"}, {"messageId", "0x100"},
                    {"messageFormat", "Standard"}, {"messageLength", "2"}, {"messageData", "01 02"},
                    {"periodicInterval", "0"}, {"canFrameDelay", "10"}},
                   overrides);
}

inline std::string keyXml(const Attrs& overrides, const std::vector<std::string>& frames = std::vector<std::string>(1, frameXml()))
{
    return element("KeyNum",
                   {{"name", "12"}, {"type", "Single"}, {"numberOfCanFrame", std::to_string(frames.size())},
                    {"runTime", ""}, {"sleepTime", ""}},
                   overrides, frames);
}

inline std::string scenarioXml(const std::string& name, int frames, const Attrs& frameOverrides = {})
{
    std::vector<std::string> list;
    for (int i = 0; i < frames; ++i) {
        Attrs attrs = {{"num", std::to_string(i)}, {"messageId", "0x" + std::to_string(100 + i)}};
        attrs.insert(attrs.end(), frameOverrides.begin(), frameOverrides.end());
        list.push_back(frameXml(attrs));
    }
    return keyXml({{"name", name}, {"type", "Scenario"}}, list);
}

inline std::string ignitionXml(const Attrs& overrides, const std::vector<std::string>& frames = std::vector<std::string>(1, frameXml()))
{
    return element("Ignition", {{"type", "Acc"}, {"numberOfCanFrame", std::to_string(frames.size())}}, overrides,
                   frames);
}

inline std::string progressiveFrameXml(const Attrs& overrides = {})
{
    return element("CanFrame",
                   {{"num", "0"}, {"canCh", "1"}, {"messageName", ""}, {"messageId", "0x300"},
                    {"messageFormat", "Standard"}, {"messageLength", "2"}, {"messageData", "11 22"},
                    {"periodicInterval", "100"}, {"signalName", "Speed"}, {"startByte", "1"}, {"startBit", "7"},
                    {"signalLength", "8"}, {"signalType", "SNM"}, {"signalEndian", "Motorola"},
                    {"progressiveMin", "0"}, {"progressiveMax", "FF"}, {"progressiveStep", "1"}},
                   overrides);
}

inline std::string progressiveXml(const Attrs& overrides,
                                  const std::vector<std::string>& frames = std::vector<std::string>(1, progressiveFrameXml()))
{
    return element("KeyNum",
                   {{"name", "1"}, {"type", "Progressive"}, {"numberOfCanFrame", std::to_string(frames.size())}},
                   overrides, frames);
}

inline std::string controlXml(const Attrs& overrides, const std::string& keyNumber = "12")
{
    return element("Control", {{"controlType", "Normal"}, {"controlNumber", "1"}}, overrides,
                   {"<KeyNum>" + keyNumber + "</KeyNum>"});
}

inline std::string section(const std::string& name, const std::vector<std::string>& items)
{
    return element(name, {}, {}, items);
}

inline std::string document(const std::string& body, const std::optional<std::string>& docVersion = "1.0")
{
    return "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n"
           + element("KIVPlus", {{"docVersion", docVersion}}, {}, {body.empty() ? std::string() : body});
}

} // namespace keymaptest
