#include "shell/UdsParameters.h"

#include <QString>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <string_view>

namespace kivplus {

namespace {

constexpr std::size_t kMaxText = 259;
constexpr std::uint32_t kMaxCanId = 0x1FFFFFFF;
constexpr std::uint32_t kMaxStandardId = 0x7FF;
constexpr std::uint32_t kExtendedIdMark = 0x80000000u;
constexpr std::size_t kPathSize = sizeof(KIVCommon::tUDSInformation::filePath[0]);

// The messages of the conversion, together in one place.
std::string notHexByte(const char* field, const std::string& text)
{
    return std::string(field) + ": \"" + text + "\" is not a hexadecimal byte (00 to FF)";
}
std::string notCanId(const char* field, const std::string& text)
{
    return std::string(field) + ": \"" + text + "\" is not a hexadecimal CAN identifier (0 to 1FFFFFFF)";
}
std::string notNumber(const char* field, const std::string& text)
{
    return std::string(field) + ": \"" + text + "\" is not a decimal number";
}
std::string notChannel(const std::string& text)
{
    return "CAN Channel: \"" + text + "\" must be 0 (CAN 1) or 1 (CAN 2)";
}
std::string notFileCount(const std::string& text) { return "FILE COUNT: \"" + text + "\" must be 0 to 10"; }
std::string emptyField(const char* field) { return std::string(field) + ": no value"; }
std::string pathTooLong(const std::string& field) { return field + ": the path is longer than 255 bytes"; }
std::string missingFile(const std::string& field, const std::string& path)
{
    return field + ": \"" + path + "\" is not a readable file";
}

struct Key {
    const char* name;
    std::string UdsParameters::*text;
};

const Key kTextKeys[] = {
    {"UdsNetworkSA", &UdsParameters::sourceAddress},
    {"UdsNetworkTA", &UdsParameters::targetAddress},
    {"UdsNetworkTAType", &UdsParameters::targetAddressType},
    {"UdsNetworkAE", &UdsParameters::addressExtension},
    {"UdsTransferSendId", &UdsParameters::transferSendId},
    {"UdsTransferReceiveId", &UdsParameters::transferReceiveId},
    {"UdsAllNodeSendId", &UdsParameters::allNodeSendId},
    {"UdsWakeUpSendId", &UdsParameters::wakeUpSendId},
    {"UdsVendor", &UdsParameters::vendor},
    {"UdsCanChannel", &UdsParameters::canChannel},
    {"UdsFileCount", &UdsParameters::fileCount},
    {"UdsScenarioFilePath", &UdsParameters::sequencePath},
};
constexpr const char* kFormatKey = "UdsNetworkAF";

std::string fileKey(std::size_t number) { return "UdsFileCount" + std::to_string(number); }

std::string limited(std::string text)
{
    if (text.size() > kMaxText)
        text.resize(kMaxText);
    return text;
}

// Hexadecimal with an optional 0x, surrounding spaces allowed; nothing when
// the text is no number or exceeds the maximum. An empty text is 0.
std::optional<std::uint32_t> hexNumber(std::string_view text, std::uint32_t maximum)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty())
        return 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    std::uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
        if (value > maximum)
            return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::optional<std::int32_t> decimalNumber(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty())
        return 0;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::int32_t>::max())
            return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

} // namespace

void UdsParameters::load(const IniSettings& ini)
{
    for (const Key& key : kTextKeys)
        this->*key.text = limited(ini.value(kUdsSection, key.name));
    for (std::size_t i = 0; i < kUdsFileCount; ++i)
        files[i] = limited(ini.value(kUdsSection, fileKey(i + 1)));
    const QString format = QString::fromStdString(limited(ini.value(kUdsSection, kFormatKey, "NORMAL")));
    for (std::size_t i = 0; i < kUdsAddressFormats.size(); ++i) {
        if (QString::fromLatin1(kUdsAddressFormats[i]).startsWith(format, Qt::CaseInsensitive)) {
            addressFormat = static_cast<int>(i);
            break;
        }
    }
}

void UdsParameters::save(IniSettings& ini) const
{
    for (const Key& key : kTextKeys)
        ini.setValue(kUdsSection, key.name, this->*key.text);
    const bool known = addressFormat >= 0 && addressFormat < static_cast<int>(kUdsAddressFormats.size());
    ini.setValue(kUdsSection, kFormatKey, kUdsAddressFormats[known ? addressFormat : 0]);
    for (std::size_t i = 0; i < kUdsFileCount; ++i)
        ini.setValue(kUdsSection, fileKey(i + 1), files[i]);
    ini.sync();
}

std::vector<std::string> toUdsInformation(const UdsParameters& p, KIVCommon::tUDSInformation& info)
{
    std::memset(&info, 0, sizeof info);
    std::vector<std::string> errors;
    info.addressFormat = p.addressFormat;

    auto hexByte = [&](const char* field, const std::string& text, std::uint8_t& out) {
        if (const auto value = hexNumber(text, 0xFF))
            out = static_cast<std::uint8_t>(*value);
        else
            errors.push_back(notHexByte(field, text));
    };
    auto canId = [&](const char* field, const std::string& text, std::uint32_t& out, bool required) {
        const auto value = hexNumber(text, kMaxCanId);
        if (required && text.find_first_not_of(' ') == std::string::npos)
            errors.push_back(emptyField(field));
        else if (!value)
            errors.push_back(notCanId(field, text));
        else
            out = *value > kMaxStandardId ? (*value | kExtendedIdMark) : *value;
    };
    auto decimal = [&](const char* field, const std::string& text, std::int32_t& out) {
        if (const auto value = decimalNumber(text))
            out = *value;
        else
            errors.push_back(notNumber(field, text));
    };

    hexByte("N_SA", p.sourceAddress, info.sourceAddress);
    hexByte("N_TA", p.targetAddress, info.targetAddress);
    decimal("N_TAType", p.targetAddressType, info.targetAddressType);
    hexByte("N_AE", p.addressExtension, info.addressExtension);
    canId("Transfer Send ID", p.transferSendId, info.physicalId, true);
    canId("Transfer Receive ID", p.transferReceiveId, info.responseId, true);
    canId("All Node Send Id", p.allNodeSendId, info.functionalId, true);
    canId("WakeUp Send Id", p.wakeUpSendId, info.wakeUpId, false);
    decimal("Vendor", p.vendor, info.vendor);

    const auto channel = decimalNumber(p.canChannel);
    if (channel && *channel <= 1)
        info.canChannel = *channel;
    else
        errors.push_back(notChannel(p.canChannel));

    if (p.sequencePath.empty())
        errors.push_back(emptyField("Sequence Path"));

    const auto count = decimalNumber(p.fileCount);
    if (!count || *count > static_cast<std::int32_t>(kUdsFileCount)) {
        errors.push_back(notFileCount(p.fileCount));
        return errors;
    }
    for (std::int32_t i = 0; i < *count; ++i) {
        const std::string field = "FILE " + std::to_string(i + 1);
        const std::string& path = p.files[static_cast<std::size_t>(i)];
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        if (path.size() >= kPathSize)
            errors.push_back(pathTooLong(field));
        else if (path.empty() || ec || !std::filesystem::is_regular_file(path, ec) || size > 0xFFFFFFFFu)
            errors.push_back(missingFile(field, path));
        else {
            std::snprintf(info.filePath[i], kPathSize, "%s", path.c_str());
            info.fileSize[i] = static_cast<std::uint32_t>(size);
        }
    }
    return errors;
}

} // namespace kivplus
