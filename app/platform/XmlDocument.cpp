#include "platform/XmlDocument.h"

#include <libxml/parser.h>
#include <libxml/xmlsave.h>
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

XmlDocument XmlDocument::create()
{
    XmlDocument doc(xmlNewDoc(BAD_CAST "1.0"));
    if (!doc)
        doc.error_ = "no memory for a new document";
    return doc;
}

xmlNodePtr XmlDocument::createRoot(const char* name)
{
    if (!doc_)
        return nullptr;
    xmlNodePtr root = xmlNewDocNode(doc_.get(), nullptr, BAD_CAST name, nullptr);
    if (!root)
        return nullptr;
    if (xmlNodePtr old = xmlDocSetRootElement(doc_.get(), root))
        xmlFreeNode(old);
    return root;
}

std::optional<std::string> XmlDocument::serialize(const char* encoding, bool indent) const
{
    if (!doc_)
        return std::nullopt;
    xmlBufferPtr buffer = xmlBufferCreate();
    if (!buffer)
        return std::nullopt;
    std::optional<std::string> bytes;
    if (xmlSaveCtxtPtr save = xmlSaveToBuffer(buffer, encoding, indent ? XML_SAVE_FORMAT : 0)) {
        const long written = xmlSaveDoc(save, doc_.get());
        if (xmlSaveClose(save) >= 0 && written >= 0)
            bytes.emplace(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                          static_cast<std::size_t>(xmlBufferLength(buffer)));
    }
    xmlBufferFree(buffer);
    return bytes;
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

xmlNodePtr xmlAppendElement(xmlNodePtr parent, const char* name)
{
    if (!parent)
        return nullptr;
    return xmlNewChild(parent, nullptr, BAD_CAST name, nullptr);
}

bool xmlSetAttribute(xmlNodePtr node, const char* name, const std::string& value)
{
    return node && xmlNewProp(node, BAD_CAST name, BAD_CAST value.c_str()) != nullptr;
}

bool xmlSetText(xmlNodePtr node, const std::string& text)
{
    if (!node)
        return false;
    xmlChar* escaped = xmlEncodeSpecialChars(node->doc, BAD_CAST text.c_str());
    if (!escaped)
        return false;
    xmlNodeSetContent(node, escaped);
    xmlFree(escaped);
    return true;
}

std::optional<std::string> xmlOptionalAttribute(xmlNodePtr node, const char* name)
{
    if (!node)
        return std::nullopt;
    xmlChar* value = xmlGetProp(node, BAD_CAST name);
    if (!value)
        return std::nullopt;
    std::string text = reinterpret_cast<const char*>(value);
    xmlFree(value);
    return text;
}

std::vector<xmlNodePtr> xmlDescendants(xmlNodePtr node, const char* name, bool includeSelf)
{
    std::vector<xmlNodePtr> found;
    if (!node)
        return found;
    auto matches = [name](xmlNodePtr n) {
        return n->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0;
    };
    if (includeSelf && matches(node))
        found.push_back(node);
    xmlNodePtr current = node->children;
    while (current) {
        if (matches(current))
            found.push_back(current);
        if (current->type == XML_ELEMENT_NODE && current->children) {
            current = current->children;
            continue;
        }
        while (current && current != node && !current->next)
            current = current->parent;
        if (!current || current == node)
            break;
        current = current->next;
    }
    return found;
}

xmlNodePtr xmlFirstContentChild(xmlNodePtr node)
{
    if (!node)
        return nullptr;
    for (xmlNodePtr child = node->children; child; child = child->next) {
        if (child->type == XML_TEXT_NODE && xmlIsBlankNode(child))
            continue;
        return child;
    }
    return nullptr;
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
