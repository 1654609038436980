// kivtool db: a CAN database as the application loads it.
//   db dump FILE                                    the database as JSON
//   db decode FILE --id HEX [--extended] --data "HEX BYTES"   the raw signal values of a frame
#include "Command.h"

#include "database/CMsgSignal.h"
#include "database/SignalCodec.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using kivplus::CMsgSignal;

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out.push_back(static_cast<char>(c));
            }
        }
    }
    return out + "\"";
}

// The shortest text that reads back as the same double.
std::string jsonNumber(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool load(const std::string& path, CMsgSignal& database)
{
    std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    if (!database.loadDatabase(path, extension)) {
        std::fprintf(stderr, "kivtool db: %s: %s\n", path.c_str(), database.lastError().c_str());
        return false;
    }
    return true;
}

void dump(const CMsgSignal& database)
{
    std::string out = "{\"useGMParameterIds\": ";
    out += database.useGMParameterIds ? "true" : "false";
    out += ", \"messages\": [";
    bool firstMessage = true;
    for (const auto& m : database.messages) {
        out += firstMessage ? "\n  " : ",\n  ";
        firstMessage = false;
        out += "{\"name\": " + jsonString(m.name) + ", \"id\": " + std::to_string(m.id) +
               ", \"extended\": " + std::to_string(m.extended) + ", \"dlc\": " + std::to_string(m.dlc) +
               ", \"cycleTime\": " + std::to_string(m.cycleTime) + ", \"priority\": " + std::to_string(m.priority) +
               ", \"signals\": [";
        bool firstSignal = true;
        for (const auto& s : m.signalList) {
            out += firstSignal ? "\n    " : ",\n    ";
            firstSignal = false;
            const bool isSigned = s.signalType == "SNM";
            out += "{\"name\": " + jsonString(s.name) + ", \"startByte\": " + std::to_string(s.startByte) +
                   ", \"startBit\": " + std::to_string(s.startBit) + ", \"length\": " + std::to_string(s.length) +
                   ", \"byteOrder\": " + std::to_string(s.byteOrder) + ", \"factor\": " + jsonNumber(s.factor) +
                   ", \"offset\": " + jsonNumber(s.offset) + ", \"unit\": " + jsonString(s.unit) +
                   ", \"signalType\": " + jsonString(s.signalType) + ", \"rawMin\": " +
                   (isSigned ? std::to_string(s.rawMin) : std::to_string(static_cast<std::uint64_t>(s.rawMin))) +
                   ", \"rawMax\": " +
                   (isSigned ? std::to_string(s.rawMax) : std::to_string(static_cast<std::uint64_t>(s.rawMax))) +
                   ", \"values\": [";
            bool firstValue = true;
            for (const auto& v : s.valueTable) {
                out += firstValue ? "" : ", ";
                firstValue = false;
                out += "[" + std::to_string(v.value) + ", " + jsonString(v.text) + "]";
            }
            out += "]}";
        }
        out += firstSignal ? "]}" : "\n  ]}";
    }
    out += firstMessage ? "]}\n" : "\n]}\n";
    std::fputs(out.c_str(), stdout);
}

bool parseHexId(const std::string& text, std::uint32_t& id)
{
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits.erase(0, 2);
    if (digits.empty() || digits.size() > 8 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    id = static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16));
    return true;
}

int usage()
{
    std::fprintf(stderr, "usage: kivtool db dump FILE\n"
                         "       kivtool db decode FILE --id HEX [--extended] --data \"HEX BYTES\"\n");
    return 2;
}

int run(const kivtool::Args& input)
{
    kivtool::Args args = input;
    if (args.empty())
        return usage();
    const std::string verb = args.front();
    args.erase(args.begin());
    if (verb == "dump") {
        if (args.size() != 1)
            return usage();
        CMsgSignal database;
        if (!load(args[0], database))
            return 1;
        dump(database);
        return 0;
    }
    if (verb == "decode") {
        std::string idText;
        std::string data;
        const bool extended = kivtool::takeFlag(args, "--extended");
        if (!kivtool::takeOption(args, "--id", idText) || !kivtool::takeOption(args, "--data", data) ||
            args.size() != 1)
            return usage();
        std::uint32_t id = 0;
        if (!parseHexId(idText, id)) {
            std::fprintf(stderr, "kivtool db: '%s' is not a hexadecimal identifier\n", idText.c_str());
            return 2;
        }
        CMsgSignal database;
        if (!load(args[0], database))
            return 1;
        const kivplus::tDbMessage* message = database.findMessageById(id, extended ? 1 : 0);
        if (!message) {
            std::fprintf(stderr, "kivtool db: no message with identifier %s%s\n", idText.c_str(),
                         extended ? " (extended)" : "");
            return 1;
        }
        for (const auto& s : message->signalList) {
            const std::string raw =
                kivplus::decodeSignal(data, s.startByte, s.startBit, s.length, s.signalType, s.byteOrder);
            std::printf("%s=%s\n", s.name.c_str(), raw.c_str());
        }
        return 0;
    }
    return usage();
}

kivtool::Registration reg({"db", "db dump FILE | db decode FILE --id HEX [--extended] --data \"HEX BYTES\"", &run});

} // namespace
