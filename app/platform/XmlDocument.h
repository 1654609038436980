#pragma once

#include <libxml/tree.h>
#include <libxml/xpath.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kivplus {

// An owned libxml2 document. Input is parsed without network access, without
// loading external DTDs and without entity substitution; large files are allowed.
class XmlDocument {
public:
    XmlDocument() = default;
    explicit XmlDocument(xmlDocPtr doc) : doc_(doc) {}

    // On failure the document is empty and error() tells why.
    static XmlDocument parseFile(const std::string& path);
    static XmlDocument parseMemory(const char* data, std::size_t size);

    // A new document (XML 1.0) with no root element yet.
    static XmlDocument create();

    explicit operator bool() const { return doc_ != nullptr; }
    xmlDocPtr get() const { return doc_.get(); }
    xmlNodePtr root() const { return doc_ ? xmlDocGetRootElement(doc_.get()) : nullptr; }
    const std::string& error() const { return error_; }

    // Creates the root element (replacing any); null on failure.
    xmlNodePtr createRoot(const char* name);
    // The document as bytes in the given encoding (e.g. "euc-kr"), with an XML
    // declaration naming it; characters the encoding lacks become character
    // references. indent lays elements out on lines of their own. None on failure.
    std::optional<std::string> serialize(const char* encoding, bool indent) const;
    // Gives up ownership of the document (for APIs that take it over).
    xmlDocPtr release() { return doc_.release(); }

private:
    struct Free {
        void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
    };
    std::unique_ptr<xmlDoc, Free> doc_;
    std::string error_;
};

// XPath evaluation over a document with registered namespace prefixes.
class XmlXPath {
public:
    using Namespaces = std::vector<std::pair<std::string, std::string>>; // prefix, URI

    XmlXPath(const XmlDocument& doc, const Namespaces& namespaces = {});
    ~XmlXPath();
    XmlXPath(const XmlXPath&) = delete;
    XmlXPath& operator=(const XmlXPath&) = delete;

    // The element nodes that expression selects, relative to context (the
    // document when null). An invalid expression selects nothing.
    std::vector<xmlNodePtr> select(const std::string& expression, xmlNodePtr context = nullptr) const;
    xmlNodePtr first(const std::string& expression, xmlNodePtr context = nullptr) const;
    // Text of the first selected node, or fallback when nothing is selected.
    std::string text(const std::string& expression, xmlNodePtr context = nullptr,
                     const std::string& fallback = {}) const;

private:
    xmlXPathContextPtr context_ = nullptr;
};

// Appends a new element child; null on failure.
xmlNodePtr xmlAppendElement(xmlNodePtr parent, const char* name);
// Adds an attribute after the existing ones; false on failure.
bool xmlSetAttribute(xmlNodePtr node, const char* name, const std::string& value);
// Sets the text content of an element; false on failure.
bool xmlSetText(xmlNodePtr node, const std::string& text);

// Value of an attribute, or none when it is absent.
std::optional<std::string> xmlOptionalAttribute(xmlNodePtr node, const char* name);
// Element descendants of node with the given local name, in document order
// (node itself included when includeSelf). Walks without recursion.
std::vector<xmlNodePtr> xmlDescendants(xmlNodePtr node, const char* name, bool includeSelf = false);
// First child node that is not white space only text, or null.
xmlNodePtr xmlFirstContentChild(xmlNodePtr node);

// Text content of a node ("" for null).
std::string xmlText(xmlNodePtr node);
// Value of an attribute, or fallback when it is absent.
std::string xmlAttribute(xmlNodePtr node, const char* name, const std::string& fallback = {});
// Element children of a node with the given local name (all when name is null).
std::vector<xmlNodePtr> xmlChildren(xmlNodePtr node, const char* name = nullptr);

} // namespace kivplus
