// The parameters of a UDS download as the user keeps them: texts stored in
// the INI file's "KivPlusUDS" section, and their conversion into the
// tUDSInformation the library's download sequencer takes.
#pragma once

#include "kiv/KIV.h"
#include "platform/IniSettings.h"

#include <array>
#include <string>
#include <vector>

namespace kivplus {

inline constexpr const char* kUdsSection = "KivPlusUDS";
inline constexpr std::array<const char*, 5> kUdsAddressFormats = {"NORMAL", "NORMAL FIXED", "EXTENDED", "MIXED 29BIT",
                                                                  "MIXED 11BIT"};
inline constexpr std::size_t kUdsFileCount = 10;

struct UdsParameters {
    std::string sourceAddress;       // N_SA, hex
    std::string targetAddress;       // N_TA, hex
    std::string targetAddressType;   // N_TAType, 0 physical, other functional
    int addressFormat = 0;           // index into kUdsAddressFormats
    std::string addressExtension;    // N_AE, hex
    std::string transferSendId;      // request identifier, hex
    std::string transferReceiveId;   // response identifier, hex
    std::string allNodeSendId;       // functional identifier, hex
    std::string wakeUpSendId;        // wake-up identifier, hex
    std::string vendor;              // 0 standard layout, other alternative
    std::string canChannel;          // 0 CAN 1, 1 CAN 2
    std::string fileCount;           // data files in use, 0 to 10
    std::string sequencePath;
    std::array<std::string, kUdsFileCount> files;

    // Reads every key (texts up to 259 characters); "UdsNetworkAF" selects
    // the first format that begins with its value, ignoring case, and a value
    // that begins none leaves the selection as it was.
    void load(const IniSettings& ini);
    // Writes all thirteen keys and the ten file keys.
    void save(IniSettings& ini) const;
};

// The download configuration for the texts. Returns one message per field
// that does not convert (empty when all did); data files 1 to the file count
// must exist, their sizes are taken from the files.
std::vector<std::string> toUdsInformation(const UdsParameters& parameters, KIVCommon::tUDSInformation& info);

} // namespace kivplus
