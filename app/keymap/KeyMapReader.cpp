#include "keymap/KeyMapReader.h"

#include "keymap/KeyFields.h"
#include "keymap/KeyMapTexts.h"
#include "keymap/SectionReading.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace kivplus {

using namespace sectionread;
namespace text = keymaptext;

namespace {

// controlNumber as a whole 32-bit number, white space around it allowed.
bool toControlNumber(const std::string& value, int& number)
{
    const char* begin = value.c_str();
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(begin, &end, 10);
    if (end == begin || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    while (*end == ' ' || *end == '\t' || *end == '\r' || *end == '\n')
        ++end;
    if (*end != '\0')
        return false;
    number = static_cast<int>(parsed);
    return true;
}

int readControl(xmlNodePtr control, CPanelLayout& layout, std::string& error)
{
    const auto type = xmlOptionalAttribute(control, "controlType");
    if (!type)
        return failStructure(error, text::kPanelNoControlType);
    if (type->empty())
        return failContent(error, text::kEmptyData);
    const auto numberText = xmlOptionalAttribute(control, "controlNumber");
    int number = 0;
    if (!numberText || !toControlNumber(*numberText, number))
        return failStructure(error);
    int controlType;
    if (*type == "Normal")
        controlType = CPanelLayout::kNormalControl;
    else if (*type == "Progressive")
        controlType = CPanelLayout::kProgressiveControl;
    else
        return failContent(error, text::kControlTypeInvalid);
    if (const xmlNodePtr child = xmlFirstContentChild(control))
        layout.setStagingControlKey(controlType, number, parseDecimal(xmlText(child)));
    return kOk;
}

} // namespace

std::string KeyMapReadResult::shownText() const
{
    if (code == kKeyMapInvalidFile)
        return errorText + text::kInvalidFile;
    return code == kKeyMapReadOk ? std::string() : errorText;
}

std::array<std::string, 2> readDatabaseNames(const XmlDocument& doc)
{
    const auto found = xmlDescendants(doc.root(), "DatabaseName", true);
    if (found.empty())
        return {};
    return {xmlAttribute(found.front(), "can1"), xmlAttribute(found.front(), "can2")};
}

std::array<std::string, 2> readDatabaseNames(const std::string& path)
{
    return readDatabaseNames(XmlDocument::parseFile(path));
}

int readPanelSection(const XmlDocument& doc, std::string& error, CPanelLayout& layout)
{
    Section section;
    if (const int code = openSection(doc, "Panel", text::kPanelLabel, "Control", error, section))
        return code;
    for (xmlNodePtr control : section.items) {
        if (const int code = readControl(control, layout, error))
            return code;
    }
    return kOk;
}

KeyMapReadResult readKeyMapFile(const std::string& path, DeviceMode mode, KeyMapLists lists)
{
    KeyMapReadResult result;
    CKeyMap& keyMap = lists.keyMap.createStaging();
    CKeyMap& ignition = lists.ignition.createStaging();
    CProgressive& progressive = lists.progressive.createStaging();
    lists.panel.clearLayoutStaging();

    const XmlDocument doc = XmlDocument::parseFile(path);
    result.code = readKeyMapSection(doc, result.errorText, mode, keyMap);
    if (result.code == kOk)
        result.code = readIgnitionSection(doc, result.errorText, mode, ignition);
    if (result.code == kOk)
        result.code = readProgressiveSection(doc, result.errorText, progressive);
    if (result.code == kOk)
        result.code = readPanelSection(doc, result.errorText, lists.panel);

    if (result.code == kOk) {
        lists.keyMap.commitStaging(false);
        lists.ignition.commitStaging(false);
        lists.progressive.commitStaging(false);
        lists.panel.commitLayout();
    }
    lists.keyMap.discardStaging();
    lists.ignition.discardStaging();
    lists.progressive.discardStaging();
    lists.panel.clearLayoutStaging();
    return result;
}

} // namespace kivplus
