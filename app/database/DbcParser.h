#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A DBC file as read, before it becomes a CMsgSignal. Texts are the file's
// 8-bit texts as they stand.
namespace kivplus::dbc {

struct AttributeValue {
    enum class Kind { Integer, Float, String, Enum };
    Kind kind = Kind::Integer;
    std::int64_t integer = 0;   // Integer, and the index of an Enum
    double real = 0.0;          // Float (and Integer as a number)
    std::string text;           // String, the label of an Enum, or the number as written
};

struct Attribute {
    std::string name;
    AttributeValue value;
};

struct ValueDescription {
    std::int64_t value = 0;
    std::string text;
};

struct Signal {
    std::string name;
    std::string multiplexer;    // "", "M" or "m<N>" (and "m<N>M")
    std::uint32_t startBit = 0;
    std::uint32_t length = 0;
    int byteOrder = 1;          // 1 Intel, 0 Motorola
    bool isSigned = false;
    double factor = 1.0;
    double offset = 0.0;
    double minimum = 0.0;
    double maximum = 0.0;
    std::string unit;
    std::vector<std::string> receivers;
    std::vector<Attribute> attributes;
    std::vector<ValueDescription> values;
};

struct Message {
    std::uint32_t id = 0;       // bit 31 marks a 29-bit identifier
    std::string name;
    std::uint32_t dlc = 0;
    std::string transmitter;
    std::vector<Signal> signalList;
    std::vector<Attribute> attributes;
};

struct File {
    std::string version;
    std::vector<std::string> nodes;
    std::vector<Message> messages;
    std::vector<Attribute> networkAttributes;   // with the defaults of those the file does not set
    // Defaults (BA_DEF_DEF_) of message and signal attributes: they apply to
    // every message or signal that sets no value of that name itself.
    std::vector<Attribute> messageDefaults;
    std::vector<Attribute> signalDefaults;
};

// The attribute of that name an object has, its default, or null.
const Attribute* findAttribute(const std::vector<Attribute>& own, const std::vector<Attribute>& defaults,
                               const std::string& name);

struct ParseResult {
    bool ok = false;
    std::string error;   // "line N: ..." when not ok
    File file;
};

// Reads DBC text. Every section of the format is understood; sections it does
// not know are skipped. Long message and signal
// names ("SystemMessageLongSymbol", "SystemSignalLongSymbol") replace the cut
// names of BO_ and SG_ lines.
ParseResult parse(std::string_view text);

} // namespace kivplus::dbc
