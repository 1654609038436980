#include "database/DatabaseChannels.h"

#include "database/DatabaseTexts.h"
#include "platform/IniSettings.h"
#include "platform/UserPrompt.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace kivplus {

namespace {

constexpr const char* kSection = "KivPlus";
constexpr const char* kPathKey = "KivDatabasePath";

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

bool DatabaseChannels::openDatabase(int channelIndex, UserPrompt& prompt, IniSettings& ini, const Hooks& hooks)
{
    namespace fs = std::filesystem;
    if (channelIndex < 0 || channelIndex >= kChannels)
        return false;
    std::string folder = ini.value(kSection, kPathKey);
    if (folder.empty()) {
        std::error_code ec;
        folder = fs::current_path(ec).string();
    }
    const std::string chosen = prompt.chooseOpenFileIn(dbtext::kOpenDatabaseTitle, dbtext::kOpenDatabaseFilter, folder);
    if (chosen.empty())
        return false;

    const fs::path chosenPath(chosen);
    std::string extension = chosenPath.extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    const std::string kind = lowerCase(extension);
    if (kind != "dbc" && kind != "arxml") {
        prompt.error(dbtext::kChooseDbcOrArxml);
        return false;
    }
    if (kind == "arxml" && hooks.xmlParserAvailable && !hooks.xmlParserAvailable())
        return false;

    ChannelDatabase& slot = channel(channelIndex);
    const std::string fileName = chosenPath.filename().string();
    const bool hadDatabase = !slot.name.empty();
    const std::string oldPath = hadDatabase ? slot.path : std::string();
    const std::string oldName = hadDatabase ? slot.name : std::string();

    if (!slot.nameInUse.empty() && slot.nameInUse != fileName && hooks.keyMapHasElements &&
        hooks.keyMapHasElements() && prompt.question(dbtext::kDatabaseNameDiffers) == UserPrompt::Answer::No)
        return false;

    slot.path = chosen;
    slot.name = fileName;
    auto loaded = std::make_unique<CMsgSignal>();
    const bool ok = loaded->loadDatabase(chosen, extension, &prompt);
    if (ok) {
        loaded->filePath = chosen;
        slot.nameInUse = fileName;
        if (slot.database && current_ == slot.database.get())
            current_ = nullptr;
        slot.database = std::move(loaded);
    } else {
        loaded->freeMessages();
        slot.path = oldPath;
        slot.name = oldName;
        prompt.error(dbtext::kInvalidDbc);
    }

    ini.setValue(kSection, kPathKey, chosenPath.parent_path().string());

    if (ok) {
        current_ = slot.database.get();
        currentPath_ = chosen;
        if (hooks.databaseLoaded)
            hooks.databaseLoaded(channelIndex);
    }
    return ok;
}

void DatabaseChannels::releaseAll()
{
    for (auto& slot : channels_) {
        if (slot.database)
            slot.database->freeMessages();
        slot.database.reset();
    }
    current_ = nullptr;
    currentPath_.clear();
}

} // namespace kivplus
