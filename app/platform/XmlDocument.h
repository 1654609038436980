#pragma once

#include <libxml/tree.h>
#include <libxml/xpath.h>

#include <memory>
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

    explicit operator bool() const { return doc_ != nullptr; }
    xmlDocPtr get() const { return doc_.get(); }
    xmlNodePtr root() const { return doc_ ? xmlDocGetRootElement(doc_.get()) : nullptr; }
    const std::string& error() const { return error_; }

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

// Text content of a node ("" for null).
std::string xmlText(xmlNodePtr node);
// Value of an attribute, or fallback when it is absent.
std::string xmlAttribute(xmlNodePtr node, const char* name, const std::string& fallback = {});
// Element children of a node with the given local name (all when name is null).
std::vector<xmlNodePtr> xmlChildren(xmlNodePtr node, const char* name = nullptr);

} // namespace kivplus
