#include "platform/XmlDocument.h"

#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <cstring>

namespace kivplus {

namespace {

constexpr int kSafeParseOptions = XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

std::string lastError(const char* fallback)
{
    const xmlError* err = xmlGetLastError();
    if (!err || !err->message)
        return fallback;
    std::string message = err->message;
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    if (err->line > 0)
        message += " (line " + std::to_string(err->line) + ")";
    return message;
}

} // namespace

XmlDocument XmlDocument::parseFile(const std::string& path)
{
    xmlResetLastError();
    XmlDocument doc(xmlReadFile(path.c_str(), nullptr, kSafeParseOptions));
    if (!doc)
        doc.error_ = lastError("the file cannot be read as XML");
    return doc;
}

XmlDocument XmlDocument::parseMemory(const char* data, std::size_t size)
{
    xmlResetLastError();
    XmlDocument doc;
    if (data && size > 0 && size <= static_cast<std::size_t>(INT32_MAX))
        doc.doc_.reset(xmlReadMemory(data, static_cast<int>(size), "memory.xml", nullptr, kSafeParseOptions));
    if (!doc)
        doc.error_ = lastError("the text cannot be read as XML");
    return doc;
}

XmlXPath::XmlXPath(const XmlDocument& doc, const Namespaces& namespaces)
{
    if (!doc)
        return;
    context_ = xmlXPathNewContext(doc.get());
    for (const auto& [prefix, uri] : namespaces)
        xmlXPathRegisterNs(context_, BAD_CAST prefix.c_str(), BAD_CAST uri.c_str());
}

XmlXPath::~XmlXPath()
{
    if (context_)
        xmlXPathFreeContext(context_);
}

std::vector<xmlNodePtr> XmlXPath::select(const std::string& expression, xmlNodePtr context) const
{
    std::vector<xmlNodePtr> nodes;
    if (!context_)
        return nodes;
    xmlXPathObjectPtr result = context ? xmlXPathNodeEval(context, BAD_CAST expression.c_str(), context_)
                                       : xmlXPathEvalExpression(BAD_CAST expression.c_str(), context_);
    if (!result)
        return nodes;
    if (result->type == XPATH_NODESET && result->nodesetval) {
        nodes.reserve(static_cast<std::size_t>(result->nodesetval->nodeNr));
        for (int i = 0; i < result->nodesetval->nodeNr; ++i)
            nodes.push_back(result->nodesetval->nodeTab[i]);
    }
    xmlXPathFreeObject(result);
    return nodes;
}

xmlNodePtr XmlXPath::first(const std::string& expression, xmlNodePtr context) const
{
    auto nodes = select(expression, context);
    return nodes.empty() ? nullptr : nodes.front();
}

std::string XmlXPath::text(const std::string& expression, xmlNodePtr context, const std::string& fallback) const
{
    xmlNodePtr node = first(expression, context);
    return node ? xmlText(node) : fallback;
}

std::string xmlText(xmlNodePtr node)
{
    if (!node)
        return {};
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return text;
}

std::string xmlAttribute(xmlNodePtr node, const char* name, const std::string& fallback)
{
    if (!node)
        return fallback;
    xmlChar* value = xmlGetProp(node, BAD_CAST name);
    if (!value)
        return fallback;
    std::string text = reinterpret_cast<const char*>(value);
    xmlFree(value);
    return text;
}

std::vector<xmlNodePtr> xmlChildren(xmlNodePtr node, const char* name)
{
    std::vector<xmlNodePtr> children;
    if (!node)
        return children;
    for (xmlNodePtr child = node->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        if (!name || std::strcmp(reinterpret_cast<const char*>(child->name), name) == 0)
            children.push_back(child);
    }
    return children;
}

} // namespace kivplus
