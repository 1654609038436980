#include "KeymapJson.h"

#include <cstdio>
#include <initializer_list>
#include <utility>

namespace kivtool {

namespace {

using kivplus::CPanelLayout;
using kivplus::tKeyEntry;
using kivplus::tKeyFrame;

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                out += escape;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

// One JSON object from name/value pairs whose values are already JSON.
std::string object(std::initializer_list<std::pair<const char*, std::string>> members, const std::string& indent)
{
    std::string out = "{";
    const char* separator = "\n";
    for (const auto& [name, value] : members) {
        out += separator + indent + "  " + quoted(name) + ": " + value;
        separator = ",\n";
    }
    return out + "\n" + indent + "}";
}

template <typename Items, typename Format>
std::string array(const Items& items, const std::string& indent, Format format)
{
    if (items.empty())
        return "[]";
    std::string out = "[";
    const char* separator = "\n";
    for (const auto& item : items) {
        out += separator + indent + "  " + format(item, indent + "  ");
        separator = ",\n";
    }
    return out + "\n" + indent + "]";
}

std::string frameJson(const tKeyFrame& f, const std::string& indent)
{
    return object({{"num", std::to_string(f.num)},
                   {"canCh", quoted(f.canCh)},
                   {"messageName", quoted(f.messageName)},
                   {"periodicInterval", quoted(f.periodicInterval)},
                   {"messageId", quoted(f.messageId)},
                   {"messageFormat", quoted(f.messageFormat)},
                   {"messageData", quoted(f.messageData)},
                   {"messageLength", quoted(f.messageLength)},
                   {"canFrameDelay", quoted(f.canFrameDelay)},
                   {"signalName", quoted(f.signalName)},
                   {"startByte", quoted(f.startByte)},
                   {"startBit", quoted(f.startBit)},
                   {"signalLength", quoted(f.signalLength)},
                   {"signalType", quoted(f.signalType)},
                   {"signalEndian", quoted(f.signalEndian)},
                   {"progressiveMin", quoted(f.progressiveMin)},
                   {"progressiveMax", quoted(f.progressiveMax)},
                   {"progressiveStep", quoted(f.progressiveStep)},
                   {"sweepValue", quoted(f.sweepValue)}},
                  indent);
}

std::string entryJson(const tKeyEntry& e, const std::string& indent)
{
    return object({{"type", std::to_string(e.type)},
                   {"numberOfCanFrame", std::to_string(e.numberOfCanFrame)},
                   {"expanded", std::to_string(e.runnerStatus.expanded.load())},
                   {"name", quoted(e.name)},
                   {"runTime", quoted(e.runTime)},
                   {"sleepTime", quoted(e.sleepTime)},
                   {"frames", array(e.frames, indent + "  ", frameJson)}},
                  indent);
}

std::string controlsJson(const CPanelLayout::ControlMap& map, const std::string& indent)
{
    return array(map, indent, [](const auto& assignment, const std::string& inner) {
        return object({{"controlNumber", std::to_string(assignment.first)},
                       {"keyNumber", std::to_string(assignment.second)}},
                      inner);
    });
}

} // namespace

std::string keyMapToJson(const kivplus::KeyMapLists& lists, const std::array<std::string, 2>& databaseNames)
{
    const std::string inner = "  ";
    return object({{"databaseName", object({{"can1", quoted(databaseNames[0])}, {"can2", quoted(databaseNames[1])}},
                                           inner)},
                   {"keyMap", array(lists.keyMap.entries(), inner, entryJson)},
                   {"ignition", array(lists.ignition.entries(), inner, entryJson)},
                   {"progressive", array(lists.progressive.entries(), inner, entryJson)},
                   {"panel", object({{"normal", controlsJson(lists.panel.normalMap(), inner + "  ")},
                                     {"progressive", controlsJson(lists.panel.progressiveMap(), inner + "  ")}},
                                    inner)}},
                  "")
           + "\n";
}

} // namespace kivtool
