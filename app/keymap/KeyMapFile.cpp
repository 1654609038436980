#include "keymap/KeyMapFile.h"

#include "keymap/KeyMapDatabases.h"
#include "keymap/KeyMapReader.h"
#include "keymap/KeyMapTexts.h"
#include "keymap/KeyMapWriter.h"
#include "platform/AtomicFile.h"
#include "platform/ProgramFolder.h"
#include "platform/UserPrompt.h"
#include "platform/XsltTransform.h"

#include <libxml/encoding.h>

#include <system_error>

namespace kivplus {

namespace {

constexpr const char* kFileEncoding = "euc-kr";

std::optional<std::string> documentBytes(const XmlDocument& doc, const std::filesystem::path& stylesheet)
{
    std::error_code ec;
    if (!stylesheet.empty() && stylesheet.is_absolute() && std::filesystem::is_regular_file(stylesheet, ec)) {
        XsltResult styled = applyStylesheet(doc, stylesheet);
        if (styled.document.root())
            return styled.document.serialize(kFileEncoding, styled.indent);
    }
    return doc.serialize(kFileEncoding, true);
}

} // namespace

std::filesystem::path defaultIndentStylesheet()
{
    const std::filesystem::path folder = programFolder();
    if (folder.empty())
        return {};
    return folder / "res" / "indent.xsl";
}

bool checkXmlSupport()
{
    xmlCharEncodingHandlerPtr handler = xmlFindCharEncodingHandler(kFileEncoding);
    if (!handler)
        return false;
    xmlCharEncCloseFunc(handler);
    return true;
}

bool saveKeyMapFile(const std::string& target, KeyMapLists lists, const ChannelDatabaseNames& names,
                    const std::filesystem::path& stylesheet)
{
    std::array<std::string, 2> databaseNames;
    for (std::size_t channel = 0; channel < 2; ++channel)
        databaseNames[channel] = names.current[channel].empty() ? names.recorded[channel] : names.current[channel];
    const XmlDocument doc = buildKeyMapDocument(lists, databaseNames);
    if (!doc)
        return false;
    const auto bytes = documentBytes(doc, stylesheet);
    if (!bytes || !writeFileAtomically(target, *bytes))
        return false;
    lists.keyMap.setModified(false);
    lists.ignition.setModified(false);
    lists.progressive.setModified(false);
    return true;
}

bool loadKeyMapFile(const std::string& path, DeviceMode mode, KeyMapLists lists, ChannelDatabaseNames& names,
                    const KeyMapDatabases* databases, UserPrompt& prompt)
{
    const auto fileNames = readDatabaseNames(path);
    bool differ = false;
    for (std::size_t channel = 0; channel < 2; ++channel) {
        const std::string& current = names.current[channel];
        differ = differ || (!current.empty() && !fileNames[channel].empty() && current != fileNames[channel]);
    }
    if (differ && prompt.question(keymaptext::kDatabaseNameDiffers) == UserPrompt::Answer::No)
        return false;

    const KeyMapReadResult result = readKeyMapFile(path, mode, lists);
    if (result.code != kKeyMapReadOk) {
        prompt.error(result.shownText());
        return false;
    }
    for (std::size_t channel = 0; channel < 2; ++channel) {
        const bool loaded = databases && databases->isLoaded(static_cast<int>(channel) + 1);
        names.recorded[channel] = loaded ? names.current[channel] : fileNames[channel];
    }
    if (databases) {
        lists.keyMap.resolveMessageNames(*databases);
        lists.ignition.resolveMessageNames(*databases);
        lists.progressive.resolveProgressiveSignals(*databases);
    }
    return true;
}

std::string keyMapBackupPath(const std::string& path)
{
    std::size_t cut = path.size();
    for (int characters = 0; characters < 3 && cut > 0; ++characters) {
        --cut;
        while (cut > 0 && (static_cast<unsigned char>(path[cut]) & 0xC0) == 0x80)
            --cut;
    }
    return path.substr(0, cut) + "bak";
}

bool backupKeyMapFile(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return true;
    const std::string backup = keyMapBackupPath(path);
    if (std::filesystem::exists(backup, ec))
        return true;
    return std::filesystem::copy_file(path, backup, std::filesystem::copy_options::skip_existing, ec) && !ec;
}

} // namespace kivplus
