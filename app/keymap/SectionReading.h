#pragma once

// Steps shared by the section readers of the key map file.

#include "keymap/KeyRecords.h"
#include "platform/XmlDocument.h"

#include <string>
#include <string_view>
#include <vector>

namespace kivplus::sectionread {

inline constexpr int kOk = 0;
inline constexpr int kContent = 13;
inline constexpr int kStructure = 110;

inline constexpr int kMaxTime = 60000;

struct Section {
    bool legacy = false;
    std::vector<xmlNodePtr> items; // the key elements, in document order
};

// The common start: 110 without a document element; sets error to the
// section's header; items stay empty when the document has no such section.
int openSection(const XmlDocument& doc, const char* sectionName, const char* label, const char* itemName,
                std::string& error, Section& section);

// Appends message to error and answers 13 or 110.
int failContent(std::string& error, std::string_view message);
int failStructure(std::string& error, std::string_view message = {});

// The channel attribute (canCh; canNum in the legacy form) as a mask; 110 when missing.
int readChannel(xmlNodePtr element, bool legacy, std::string& error, tKeyFrame& frame);
// messageId, messageFormat, messageLength and messageData (legacy: split from
// canFrameData): 110 when missing, 13 when one of the first three is empty.
int readFrameData(xmlNodePtr element, bool legacy, std::string& error, tKeyFrame& frame);
// The identifier and data checks: 13 with the offending text.
int checkFrameData(const tKeyFrame& frame, std::string& error);

// The CanFrame elements of a key element.
std::vector<xmlNodePtr> frameElements(xmlNodePtr key);

} // namespace kivplus::sectionread
