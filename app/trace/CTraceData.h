#pragma once

#include <cstdint>
#include <string_view>

namespace kivplus {

// Copies text into a fixed-width member: at most N - 1 bytes, never splitting a
// UTF-8 sequence, always NUL-terminated. Returns the stored length.
std::int32_t storeFixedText(char* member, std::size_t width, std::string_view text);

template <std::size_t N>
std::int32_t storeText(char (&member)[N], std::string_view text)
{
    return storeFixedText(member, N, text);
}

// Whole seconds of a time text "HHHH:MM:SS.uuuuuu": hours * 3600 + minutes * 60
// + seconds, each part read as a decimal number that ends at the first non-digit.
std::int32_t secondsOfTimeText(std::string_view time);

// Microseconds of a time text: whole seconds * 1 000 000 + the six digits after
// the point (fewer digits are read as if padded with zeros).
std::int64_t microsecondsOfTimeText(std::string_view time);

// One traced CAN frame as display texts. A new record is zero-filled; every text
// member holds a NUL-terminated text and its length member matches it.
struct CTraceData {
    char timeStamp[18];
    char direction[4];
    char channel[2];
    char extended[2];
    char messageName[61];
    char messageId[11];
    char dlcText[2];
    char dataText[24];
    std::int32_t timeStampLength;
    std::int32_t directionLength;
    std::int32_t channelLength;
    std::int32_t extendedLength;
    std::int32_t messageIdLength;
    std::int32_t messageNameLength;
    std::int32_t dlcLength;
    std::int32_t dataLength;
    std::int32_t timeSeconds;

    // Setting the time also sets timeSeconds.
    void setTimeStamp(std::string_view text);
    void setDirection(std::string_view text) { directionLength = storeText(direction, text); }
    void setChannel(std::string_view text) { channelLength = storeText(channel, text); }
    void setExtended(std::string_view text) { extendedLength = storeText(extended, text); }
    void setMessageName(std::string_view text) { messageNameLength = storeText(messageName, text); }
    void setMessageId(std::string_view text) { messageIdLength = storeText(messageId, text); }
    void setDlcText(std::string_view text) { dlcLength = storeText(dlcText, text); }
    void setDataText(std::string_view text) { dataLength = storeText(dataText, text); }

    std::string_view timeStampText() const { return {timeStamp, std::size_t(timeStampLength)}; }
    std::string_view directionText() const { return {direction, std::size_t(directionLength)}; }
    std::string_view channelText() const { return {channel, std::size_t(channelLength)}; }
    std::string_view extendedText() const { return {extended, std::size_t(extendedLength)}; }
    std::string_view messageNameText() const { return {messageName, std::size_t(messageNameLength)}; }
    std::string_view messageIdText() const { return {messageId, std::size_t(messageIdLength)}; }
    std::string_view dlcTextView() const { return {dlcText, std::size_t(dlcLength)}; }
    std::string_view dataTextView() const { return {dataText, std::size_t(dataLength)}; }
};

// Columns of a log file record that CTraceData has no room for, kept so that a
// file read in can be written back.
struct sLogExtraInfo {
    char status[16];
    char node[16];
    char value[152];
    std::int32_t statusLength;
    std::int32_t nodeLength;
    std::int32_t valueLength;

    void setStatus(std::string_view text) { statusLength = storeText(status, text); }
    void setNode(std::string_view text) { nodeLength = storeText(node, text); }
    void setValue(std::string_view text) { valueLength = storeText(value, text); }

    std::string_view statusText() const { return {status, std::size_t(statusLength)}; }
    std::string_view nodeText() const { return {node, std::size_t(nodeLength)}; }
    std::string_view valueText() const { return {value, std::size_t(valueLength)}; }
};

} // namespace kivplus
