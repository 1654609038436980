#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kivplus {

class UserPrompt;
class XmlDocument;

// One value description of a signal.
struct tDbValueEntry {
    std::string text;
    std::int64_t value = 0;
};

// One signal of a message. Texts are UTF-8.
struct tDbSignal {
    std::string name;
    std::int32_t startByte = 0;   // start bit number / 8
    std::int32_t length = 0;      // bits
    std::uint8_t startBit = 0;    // start bit number % 8
    std::string signalType;       // "SNM" signed, "ENM" enumerated, anything else unsigned
    std::int64_t rawMin = 0;
    std::int64_t rawMax = 0;      // for unsigned signals read it as std::uint64_t
    double factor = 1.0;
    double offset = 0.0;
    std::string unit;
    std::int32_t byteOrder = 1;   // 1 Intel, 0 Motorola
    std::vector<tDbValueEntry> valueTable;
    std::string value = "0";      // current raw value, decimal text

    bool isSigned() const { return signalType == "SNM"; }
    // Absolute start bit: the LSB of an Intel signal, the MSB of a Motorola one.
    int absoluteStartBit() const { return startByte * 8 + startBit; }
};

// One message. Messages never move once a database is loaded.
struct tDbMessage {
    std::string name;
    std::uint32_t id = 0;         // without flag bits
    std::int32_t dlc = 0;
    std::int32_t extended = 0;    // 1 = 29-bit identifier
    std::vector<tDbSignal> signalList;
    std::int32_t cycleTime = 0;   // "GenMsgCycleTime", ms
    std::int32_t priority = 0;    // "Prio", for GM parameter identifiers

    std::int32_t signalCount() const { return static_cast<std::int32_t>(signalList.size()); }
};

// Identifier text and format name of a message as the windows show them.
struct MessageIdText {
    std::string id;       // upper-case hex
    std::string format;   // "Standard", "Extended" or "GMExtended"
};

// One CAN database: the messages of a DBC or ARXML file.
class CMsgSignal {
public:
    std::string filePath;                 // set by the open-database command
    std::vector<tDbMessage> messages;     // in import order
    bool useGMParameterIds = false;       // network attribute "UseGMParameterIDs"

    std::uint32_t messageCount() const { return static_cast<std::uint32_t>(messages.size()); }

    // Imports by extension ("dbc" or "arxml", any case); any other extension
    // loads nothing and succeeds. A failed import is shown through prompt
    // (when given) and leaves its reason in lastError().
    bool loadDatabase(const std::string& path, const std::string& extension, UserPrompt* prompt = nullptr);
    bool importDbc(const std::string& path);
    bool importArxml(const std::string& path);
    // Imports DBC text that is already in memory (the bytes of a file).
    bool importDbcBytes(const std::string& bytes);
    // Imports ARXML text that is already in memory.
    bool importArxmlBytes(const std::string& bytes);

    bool freeMessages();

    // extended is 0 or 1. An extended identifier is masked first (GM
    // parameter identifiers ignore priority and source address).
    const tDbMessage* findMessageById(std::uint32_t id, int extended) const;
    const tDbMessage* findMessageByName(const std::string& name) const;
    // True when a signal of a message named messageName contains text,
    // compared without regard to case.
    bool messageHasSignalLike(const std::string& messageName, const std::string& text) const;
    // Copies every field of signal but the value table into the first signal
    // of the message named signalName (or with an empty name).
    void updateSignal(const std::string& messageName, const std::string& signalName, const tDbSignal& signal);

    // Why the last import failed ("" after a success).
    const std::string& lastError() const { return lastError_; }

private:
    bool importArxmlDocument(const XmlDocument& document);
    bool fail(std::string reason);

    std::string lastError_;
};

// The identifier as the windows show it.
MessageIdText formatMessageId(bool useGMParameterIds, const tDbMessage& message);

} // namespace kivplus
