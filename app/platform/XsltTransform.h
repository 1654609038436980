#pragma once

#include "platform/XmlDocument.h"

#include <filesystem>
#include <string>

namespace kivplus {

// The result of an XSLT transformation and whether the stylesheet asks for
// indented output.
struct XsltResult {
    XmlDocument document; // empty on failure
    bool indent = false;
    std::string error;
};

// Applies the stylesheet file to doc. The stylesheet is read like any other
// input (no network, no DTD, no entity substitution) and runs with security
// preferences that forbid writing files, creating folders and network access;
// a stylesheet that tries any of these fails.
XsltResult applyStylesheet(const XmlDocument& doc, const std::filesystem::path& stylesheet);

} // namespace kivplus
