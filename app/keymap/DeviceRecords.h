#pragma once

#include "keymap/CIgnition.h"
#include "keymap/CKeyMap.h"
#include "keymap/CProgressive.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kivplus {

class KeyMapDatabases;

// The key map records as the KIV-2xx stores them (all numbers big-endian):
// the Single key list, one Scenario key, the ignition list and the progressive
// list. Encoders refuse what a record cannot express and then say why in
// error (a text for the user) and leave out unchanged; decoders add the keys
// to a (staging) list and succeed exactly when the bytes end with the last
// record.
using DeviceBytes = std::vector<std::uint8_t>;

bool encodeSingleKeyList(const CKeyMap& keyMap, DeviceBytes& out, std::string& error);
bool encodeScenarioKey(const tKeyEntry& key, DeviceBytes& out, std::string& error);
bool encodeIgnitionList(const CIgnition& ignition, DeviceBytes& out, std::string& error);
bool encodeProgressiveList(const CProgressive& progressive, DeviceBytes& out, std::string& error);

bool decodeSingleKeyList(const std::uint8_t* bytes, std::size_t size, CKeyMap& staging);
bool decodeScenarioKeys(const std::uint8_t* bytes, std::size_t size, CKeyMap& staging);
// The ignition list's staging copy is a plain key list.
bool decodeIgnitionList(const std::uint8_t* bytes, std::size_t size, CKeyMap& staging);
// The record does not say whether the swept signal is Intel or Motorola: the
// databases, when given and when they know the signal, tell its byte order
// (and the frame's signalEndian is set from them); otherwise the values are
// read with Motorola placement.
bool decodeProgressiveList(const std::uint8_t* bytes, std::size_t size, CProgressive& staging,
                           const KeyMapDatabases* databases = nullptr);

// The 8-byte minimum or maximum image of a progressive frame: the frame data
// with the swept signal set to the value text (hex); empty when the frame
// cannot be expressed.
DeviceBytes progressiveImage(const tKeyFrame& frame, const std::string& valueText);
// The signal value read back from an image (startByte, startBit and length
// as stored) with Motorola placement, the way the device record is read.
std::uint64_t imageValue(std::uint64_t image, int startByte, int startBit, int length);

} // namespace kivplus
