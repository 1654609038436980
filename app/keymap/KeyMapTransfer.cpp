#include "keymap/KeyMapTransfer.h"

#include "keymap/KeyMapDatabases.h"
#include "keymap/KeyMapTexts.h"
#include "platform/UserPrompt.h"
#include "shell/DeviceSession.h"
#include "shell/ModeAnnouncer.h"
#include "shell/SessionDelay.h"
#include "shell/SessionTexts.h"

#include <chrono>
#include <cstring>
#include <thread>

using namespace KIVCommon;
using namespace std::chrono_literals;

namespace kivplus {

namespace {

// Stops the mode announce worker for the life of a transfer.
class AnnouncerPause {
public:
    explicit AnnouncerPause(ModeAnnouncer* announcer) : announcer_(announcer)
    {
        if (announcer_)
            announcer_->stop();
    }
    ~AnnouncerPause()
    {
        if (announcer_)
            announcer_->start();
    }
    AnnouncerPause(const AnnouncerPause&) = delete;
    AnnouncerPause& operator=(const AnnouncerPause&) = delete;

private:
    ModeAnnouncer* announcer_;
};

bool fitsCommand(const DeviceBytes& bytes, const std::string& what, std::string& error)
{
    if (bytes.size() <= static_cast<std::size_t>(kMaxCommandPayload))
        return true;
    error = keymaptext::format(sessiontext::kPayloadTooLarge, {what, std::to_string(bytes.size())});
    return false;
}

} // namespace

KeyMapTransfer::KeyMapTransfer(DeviceSession& session, CKeyMap& keyMap, CIgnition& ignition, CProgressive& progressive)
    : session_(session)
    , keyMap_(keyMap)
    , ignition_(ignition)
    , progressive_(progressive)
{
}

tKIVNGMessageData KeyMapTransfer::takeAnswer(int tries, std::chrono::milliseconds interval)
{
    CKIV* library = session_.library();
    tKIVNGMessageData record;
    std::memset(&record, 0, sizeof record);
    if (!library)
        return record;
    const int checks = stretchedPolls(tries);
    for (int i = 0; i < checks && library->isMessageStoreEmpty(MESSAGE_STORE_RESPONSE); ++i)
        std::this_thread::sleep_for(interval);
    while (!library->isMessageStoreEmpty(MESSAGE_STORE_RESPONSE)) {
        record = library->getRecievedMessage(MESSAGE_STORE_RESPONSE);
        if (record.messageKind == MESSAGE_KIND_DEVICE_FRAME)
            return record;
    }
    std::memset(&record, 0, sizeof record);
    return record;
}

BlockResult KeyMapTransfer::receiveBlocks(std::uint8_t request, std::uint8_t answer, std::vector<std::uint8_t>& data,
                                          bool ignitionWait)
{
    const BlockResult result = kivplus::receiveBlocks(
        answer,
        [&] { return ignitionWait ? takeAnswer(10, 1ms) : session_.waitFrame(answer); },
        [&] { session_.acknowledgeBlock(request); }, data);
    if (result == BlockResult::TooLarge)
        answerTooLarge_ = true;
    return result;
}

bool KeyMapTransfer::readKeyMapFromDevice(CKeyMap& staging)
{
    // A failed or malformed Single key answer does not fail the read: the key
    // map goes on with the keys decoded before it. An answer too large to
    // collect would lose keys unseen, so it does.
    std::vector<std::uint8_t> data;
    session_.requestBlock(MSG_KEYMAP_READ);
    const BlockResult singles = receiveBlocks(MSG_KEYMAP_READ, answerCode(MSG_KEYMAP_READ), data);
    if (singles == BlockResult::TooLarge)
        return false;
    if (singles == BlockResult::Complete)
        decodeSingleKeyList(data.data(), data.size(), staging);

    session_.requestBlock(MSG_KEY_COUNT_READ);
    const tKIVNGMessageData count = takeAnswer(10, 10ms);
    if (frameType(count) != answerCode(MSG_KEY_COUNT_READ))
        return false;
    const auto [payload, length] = framePayload(count);
    const int keys = length > 0 ? payload[0] : 0;
    for (int i = 0; i < keys; ++i) {
        data.clear();
        session_.requestBlock(MSG_KEY_READ);
        if (receiveBlocks(MSG_KEY_READ, answerCode(MSG_KEY_READ), data) != BlockResult::Complete
            || !decodeScenarioKeys(data.data(), data.size(), staging))
            return false;
    }
    return true;
}

bool KeyMapTransfer::readIgnitionFromDevice(CKeyMap& staging)
{
    std::vector<std::uint8_t> data;
    session_.requestBlock(MSG_IGNITION_READ);
    pause(100ms);
    bool decoded = false;
    if (receiveBlocks(MSG_IGNITION_READ, answerCode(MSG_IGNITION_READ), data, true) == BlockResult::Complete)
        decoded = decodeIgnitionList(data.data(), data.size(), staging);
    pause(100ms);
    return decoded;
}

bool KeyMapTransfer::readProgressiveFromDevice(CProgressive& staging)
{
    std::vector<std::uint8_t> data;
    session_.requestBlock(MSG_PROGRESSIVE_READ);
    pause(100ms);
    bool decoded = false;
    if (receiveBlocks(MSG_PROGRESSIVE_READ, answerCode(MSG_PROGRESSIVE_READ), data) == BlockResult::Complete)
        decoded = decodeProgressiveList(data.data(), data.size(), staging, databases_);
    pause(100ms);
    return decoded;
}

bool KeyMapTransfer::showVersionProblem(int versionResult)
{
    if (versionResult == VERSION_NO_ANSWER)
        session_.prompt().information(sessiontext::kConnectFailed);
    else if (versionResult != VERSION_SUPPORTED)
        session_.prompt().information(keymaptext::format(sessiontext::kWrongVersion, {supportedVersionText()}));
    return versionResult != VERSION_SUPPORTED;
}

void KeyMapTransfer::showReadFailure(const char* text)
{
    if (answerTooLarge_)
        session_.prompt().error(sessiontext::kAnswerTooLarge);
    session_.prompt().error(text);
}

const char* KeyMapTransfer::readInto(CKeyMap& keyMap, CKeyMap& ignition, CProgressive& progressive)
{
    if (!readKeyMapFromDevice(keyMap))
        return sessiontext::kKeyMapReadFailed;
    reportProgress(1);
    if (!readIgnitionFromDevice(ignition))
        return sessiontext::kIgnitionReadFailed;
    reportProgress(2);
    if (!readProgressiveFromDevice(progressive))
        return sessiontext::kProgressiveReadFailed;
    reportProgress(3);
    return nullptr;
}

const char* KeyMapTransfer::readAllIntoLists()
{
    answerTooLarge_ = false;
    CKeyMap& keyMap = keyMap_.createStaging();
    CKeyMap& ignition = ignition_.createStaging();
    CProgressive& progressive = progressive_.createStaging();
    const char* failure = readInto(keyMap, ignition, progressive);
    if (!failure) {
        keyMap_.commitStaging(true);
        ignition_.commitStaging(true);
        progressive_.commitStaging(true);
        if (databases_) {
            keyMap_.resolveMessageNames(*databases_);
            ignition_.resolveMessageNames(*databases_);
            progressive_.resolveProgressiveSignals(*databases_);
        }
        for (int channel = 1; channel <= 2; ++channel) {
            if (names_ && (!databases_ || !databases_->isLoaded(channel)))
                names_->recorded[static_cast<std::size_t>(channel - 1)].clear();
        }
        if (listsReplaced_)
            listsReplaced_();
    }
    keyMap_.discardStaging();
    ignition_.discardStaging();
    progressive_.discardStaging();
    return failure;
}

bool KeyMapTransfer::getKeyMapFromDevice()
{
    UserPrompt& prompt = session_.prompt();
    if (!session_.isConnected()) {
        prompt.information(sessiontext::kCheckConnection);
        return false;
    }
    if ((keyMap_.countsAsChanged() || ignition_.countsAsChanged() || progressive_.countsAsChanged())
        && prompt.question(sessiontext::kSaveChanges) == UserPrompt::Answer::Yes && saveChanges_)
        saveChanges_();

    AnnouncerPause announcerPause(announcer_);
    const char* failure = nullptr;
    int version = VERSION_SUPPORTED;
    {
        BusyScope busy(prompt);
        version = session_.checkFirmwareVersion(false);
        if (version == VERSION_SUPPORTED)
            failure = readAllIntoLists();
    }
    if (showVersionProblem(version))
        return false;
    if (failure)
        showReadFailure(failure);
    return failure == nullptr;
}

bool KeyMapTransfer::encodeForDevice(DeviceKeyMap& out, std::string& error) const
{
    DeviceKeyMap records;
    if (!encodeSingleKeyList(keyMap_, records.singleKeys, error) || !fitsCommand(records.singleKeys, "Key Map", error))
        return false;
    for (const tKeyEntry& key : keyMap_.entries()) {
        if (key.type != KEY_TYPE_SCENARIO)
            continue;
        DeviceBytes record;
        if (!encodeScenarioKey(key, record, error) || !fitsCommand(record, "Scenario Key " + key.name, error))
            return false;
        records.scenarioKeys.emplace_back(key.name, std::move(record));
    }
    if (!encodeIgnitionList(ignition_, records.ignition, error) || !fitsCommand(records.ignition, "Ignition", error)
        || !encodeProgressiveList(progressive_, records.progressive, error)
        || !fitsCommand(records.progressive, "Progressive", error))
        return false;
    out = std::move(records);
    return true;
}

bool KeyMapTransfer::writeKeyMapToDevice(const DeviceKeyMap& records)
{
    session_.drainStore(MESSAGE_STORE_RESPONSE);
    if (!records.singleKeys.empty()) {
        session_.sendCommand(MSG_KEYMAP_WRITE, records.singleKeys.data(), static_cast<int>(records.singleKeys.size()),
                             true, 500);
        if (!session_.waitStatus(answerCode(MSG_KEYMAP_WRITE)))
            return false;
    }
    for (const auto& [name, record] : records.scenarioKeys) {
        session_.drainStore(MESSAGE_STORE_RESPONSE);
        session_.sendCommand(MSG_KEY_WRITE, record.data(), static_cast<int>(record.size()), true, 40);
        if (!session_.waitStatus(answerCode(MSG_KEY_WRITE)))
            return false;
    }
    return true;
}

bool KeyMapTransfer::writeIgnitionToDevice(const DeviceKeyMap& records)
{
    session_.drainStore(MESSAGE_STORE_RESPONSE);
    if (records.ignition.empty())
        return true;
    session_.sendCommand(MSG_IGNITION_WRITE, records.ignition.data(), static_cast<int>(records.ignition.size()), true,
                         40);
    pause(2000ms);
    return session_.waitStatus(answerCode(MSG_IGNITION_WRITE));
}

bool KeyMapTransfer::writeProgressiveToDevice(const DeviceKeyMap& records)
{
    session_.drainStore(MESSAGE_STORE_RESPONSE);
    if (records.progressive.empty())
        return true;
    session_.sendCommand(MSG_PROGRESSIVE_WRITE, records.progressive.data(),
                         static_cast<int>(records.progressive.size()), true, 40);
    return session_.waitStatus(answerCode(MSG_PROGRESSIVE_WRITE));
}

const char* KeyMapTransfer::writeAllFromLists(const DeviceKeyMap& records)
{
    pause(100ms);
    if (!writeKeyMapToDevice(records))
        return sessiontext::kKeyMapWriteFailed;
    reportProgress(1);
    if (!writeIgnitionToDevice(records))
        return sessiontext::kIgnitionWriteFailed;
    reportProgress(2);
    if (!writeProgressiveToDevice(records))
        return sessiontext::kProgressiveWriteFailed;
    reportProgress(3);
    return nullptr;
}

bool KeyMapTransfer::setKeyMapOnDevice()
{
    UserPrompt& prompt = session_.prompt();
    if (!session_.isConnected()) {
        prompt.information(sessiontext::kCheckConnection);
        return false;
    }
    if (keyMap_.count() == 0 && ignition_.count() == 0 && progressive_.count() == 0) {
        prompt.information(sessiontext::kNothingToSave);
        return false;
    }
    DeviceKeyMap records;
    std::string refusal;
    if (!encodeForDevice(records, refusal)) {
        prompt.error(refusal);
        return false;
    }

    AnnouncerPause announcerPause(announcer_);
    const char* failure = nullptr;
    int version = VERSION_SUPPORTED;
    {
        BusyScope busy(prompt);
        version = session_.checkFirmwareVersion(true);
        if (version == VERSION_SUPPORTED)
            failure = writeAllFromLists(records);
    }
    if (showVersionProblem(version))
        return false;
    if (failure)
        prompt.error(failure);
    else
        prompt.information(sessiontext::kStored);
    return failure == nullptr;
}

} // namespace kivplus
