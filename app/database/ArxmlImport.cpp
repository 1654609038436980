// The ARXML import: one message per CAN frame triggering of an AUTOSAR 3 or
// AUTOSAR 4 system description, references followed by short name.
#include "database/CMsgSignal.h"
#include "database/FileBytes.h"
#include "platform/XmlDocument.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <strings.h>
#include <unordered_map>

namespace kivplus {

namespace {

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// The leading integer of a text: decimal, or AUTOSAR's 0x (hex) and 0b
// (binary) forms. Overflow saturates; the unsigned reading of a negative text
// wraps modulo 2^64 like the C library's.
struct LeadingInteger {
    bool negative = false;
    std::uint64_t magnitude = 0;
    bool overflow = false;
};

LeadingInteger leadingInteger(const std::string& text)
{
    LeadingInteger result;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        result.negative = text[i] == '-';
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        const char marker = text[i + 1];
        if ((marker == 'x' || marker == 'X') && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            base = 16;
            i += 2;
        } else if ((marker == 'b' || marker == 'B') && i + 2 < text.size() && (text[i + 2] == '0' || text[i + 2] == '1')) {
            base = 2;
            i += 2;
        }
    }
    constexpr auto kMax = std::numeric_limits<std::uint64_t>::max();
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            break;
        if (digit >= base)
            break;
        if (result.magnitude > (kMax - digit) / base)
            result.overflow = true;
        else
            result.magnitude = result.magnitude * base + digit;
    }
    return result;
}

std::int64_t decimal64(const std::string& text)
{
    const LeadingInteger n = leadingInteger(text);
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (n.negative)
        return n.overflow || n.magnitude > kMax + 1 ? std::numeric_limits<std::int64_t>::min()
                                                    : static_cast<std::int64_t>(~n.magnitude + 1);
    return n.overflow || n.magnitude > kMax ? std::numeric_limits<std::int64_t>::max()
                                            : static_cast<std::int64_t>(n.magnitude);
}

std::int32_t decimal32(const std::string& text)
{
    const std::int64_t value = decimal64(text);
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

std::uint64_t unsigned64(const std::string& text)
{
    const LeadingInteger n = leadingInteger(text);
    if (n.overflow)
        return std::numeric_limits<std::uint64_t>::max();
    return n.negative ? ~n.magnitude + 1 : n.magnitude;
}

double real(const std::string& text)
{
    const std::string t = trimmed(text);
    const char* begin = t.data();
    const char* end = begin + t.size();
    if (begin != end && *begin == '+')
        ++begin;
    double value = 0.0;
    const auto result = std::from_chars(begin, end, value);
    return result.ec == std::errc() ? value : 0.0;
}

std::int64_t allOnes(int length)
{
    if (length >= 64)
        return -1;
    if (length <= 0)
        return 0;
    return static_cast<std::int64_t>((std::uint64_t{1} << length) - 1);
}

class MissingElement : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ArxmlReader {
public:
    ArxmlReader(const XmlDocument& document, const std::string& defaultNamespace, bool autosar4)
        : xpath_(document, {{"default", defaultNamespace}, {"xsi", "http://www.w3.org/2001/XMLSchema-instance"}}),
          namespace_(defaultNamespace), autosar4_(autosar4)
    {
        indexShortNames(document.root(), false);
    }

    std::vector<tDbMessage> read()
    {
        const std::string prefix = autosar4_ ? "//default:AR-PACKAGES" : "//default:TOP-LEVEL-PACKAGES";
        // Frame triggerings in packages at any depth, in document order.
        const std::string path =
            autosar4_ ? prefix + "//default:AR-PACKAGE/default:ELEMENTS/default:CAN-CLUSTER"
                                 "/default:CAN-CLUSTER-VARIANTS/default:CAN-CLUSTER-CONDITIONAL"
                                 "/default:PHYSICAL-CHANNELS/default:CAN-PHYSICAL-CHANNEL"
                                 "/default:FRAME-TRIGGERINGS/default:CAN-FRAME-TRIGGERING"
                      : prefix + "//default:AR-PACKAGE/default:ELEMENTS/default:CAN-CLUSTER"
                                 "/default:PHYSICAL-CHANNELS/default:PHYSICAL-CHANNEL"
                                 "/default:FRAME-TRIGGERINGSS/default:CAN-FRAME-TRIGGERING";
        std::vector<tDbMessage> messages;
        const auto triggerings = xpath_.select(path);
        messages.reserve(triggerings.size());
        for (xmlNodePtr triggering : triggerings)
            messages.push_back(message(triggering));
        return messages;
    }

private:
    // Every element under the packages that has a SHORT-NAME, by element name
    // and short name (white space around either trimmed); the first in
    // document order wins. References are looked up here by short name only.
    void indexShortNames(xmlNodePtr node, bool insidePackages)
    {
        for (xmlNodePtr child = node ? node->children : nullptr; child; child = child->next) {
            if (child->type != XML_ELEMENT_NODE || !inDefaultNamespace(child))
                continue;
            const char* name = reinterpret_cast<const char*>(child->name);
            const bool inside = insidePackages || std::strcmp(name, autosar4_ ? "AR-PACKAGES" : "TOP-LEVEL-PACKAGES") == 0;
            if (inside) {
                for (xmlNodePtr grand = child->children; grand; grand = grand->next) {
                    if (grand->type == XML_ELEMENT_NODE && inDefaultNamespace(grand) &&
                        std::strcmp(reinterpret_cast<const char*>(grand->name), "SHORT-NAME") == 0) {
                        shortNames_.try_emplace(key(name, trimmed(directText(grand))), child);
                    }
                }
            }
            indexShortNames(child, inside);
        }
    }

    bool inDefaultNamespace(xmlNodePtr node) const
    {
        const char* href = node->ns && node->ns->href ? reinterpret_cast<const char*>(node->ns->href) : "";
        return namespace_ == href;
    }

    // The concatenated text-node children of an element.
    static std::string directText(xmlNodePtr node)
    {
        std::string text;
        for (xmlNodePtr child = node->children; child; child = child->next) {
            if ((child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) && child->content)
                text += reinterpret_cast<const char*>(child->content);
        }
        return text;
    }

    static std::string key(const std::string& type, const std::string& shortName) { return type + '\n' + shortName; }

    xmlNodePtr child(xmlNodePtr context, const std::string& path) const { return xpath_.first(path, context); }

    xmlNodePtr required(xmlNodePtr context, const std::string& path, const std::string& what) const
    {
        xmlNodePtr node = child(context, path);
        if (!node)
            throw MissingElement(what + ": no " + path);
        return node;
    }

    std::string text(xmlNodePtr node) const { return trimmed(xmlText(node)); }

    // The element a reference child names, or null.
    xmlNodePtr resolveReference(xmlNodePtr element, const std::string& referenceName) const
    {
        xmlNodePtr reference = child(element, referenceName);
        if (!reference)
            return nullptr;
        const std::string path = trimmed(xmlText(reference));
        const std::string dest = xmlAttribute(reference, "DEST");
        const auto slash = path.rfind('/');
        const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
        const auto it = shortNames_.find(key(dest, last));
        return it == shortNames_.end() ? nullptr : it->second;
    }

    xmlNodePtr requiredReference(xmlNodePtr element, const std::string& referenceName, const std::string& what) const
    {
        xmlNodePtr target = resolveReference(element, referenceName);
        if (!target) {
            xmlNodePtr reference = child(element, referenceName);
            throw MissingElement(what + (reference ? ": unresolved reference " + xmlText(reference)
                                                   : ": no " + referenceName));
        }
        return target;
    }

    tDbMessage message(xmlNodePtr triggering)
    {
        tDbMessage m;
        m.name = text(required(triggering, "default:SHORT-NAME", "frame triggering"));
        const std::string what = "frame triggering " + m.name;
        const std::string mode = text(required(triggering, "default:CAN-ADDRESSING-MODE", what));
        const std::int32_t identifier = decimal32(text(required(triggering, "default:IDENTIFIER", what)));
        if (strcasecmp(mode.c_str(), "STANDARD") == 0) {
            m.extended = 0;
            m.id = static_cast<std::uint32_t>(identifier) & 0x7FFu;
        } else {
            m.extended = 1;
            m.id = static_cast<std::uint32_t>(identifier) & 0x1FFFFFFFu;
        }
        xmlNodePtr frame = requiredReference(triggering, "default:FRAME-REF", what);
        m.dlc = decimal32(text(required(frame, "default:FRAME-LENGTH", what)));

        // A frame without a PDU mapping is a message without signals.
        xmlNodePtr mapping = child(frame, "default:PDU-TO-FRAME-MAPPINGS/default:PDU-TO-FRAME-MAPPING");
        if (!mapping)
            return m;
        required(mapping, "default:SHORT-NAME", what);
        xmlNodePtr pdu = requiredReference(mapping, "default:PDU-REF", what);

        const std::string timing = "/default:I-PDU-TIMING/default:TRANSMISSION-MODE-DECLARATION"
                                   "/default:TRANSMISSION-MODE-TRUE-TIMING/default:CYCLIC-TIMING/default:TIME-PERIOD";
        xmlNodePtr period = child(pdu, "default:I-PDU-TIMING-SPECIFICATION" + timing);
        if (!period && autosar4_)
            period = child(pdu, "default:I-PDU-TIMING-SPECIFICATIONS" + timing);
        if (period) {
            const double ms = real(text(period)) * 1000.0;
            m.cycleTime = ms >= 2147483647.0 ? INT32_MAX : ms <= -2147483648.0 ? INT32_MIN : static_cast<std::int32_t>(ms);
        }

        const std::string reference = autosar4_ ? "default:I-SIGNAL-REF" : "default:SIGNAL-REF";
        auto references = xpath_.select((autosar4_ ? "default:I-SIGNAL-TO-PDU-MAPPINGS" : "default:SIGNAL-TO-PDU-MAPPINGS") +
                                            std::string("/default:I-SIGNAL-TO-I-PDU-MAPPING/") + reference,
                                        pdu);
        if (references.empty())
            references = xpath_.select("default:I-SIGNAL-TO-I-PDU-MAPPINGS/default:I-SIGNAL-TO-I-PDU-MAPPING/" + reference,
                                       pdu);
        for (xmlNodePtr r : references) {
            // A mapping without a start position (a signal group) places no signal.
            if (!child(r->parent, "default:START-POSITION"))
                continue;
            m.signalList.push_back(signal(r, what));
        }
        return m;
    }

    tDbSignal signal(xmlNodePtr reference, const std::string& frameWhat)
    {
        tDbSignal s;
        xmlNodePtr mapping = reference->parent;
        s.name = text(required(mapping, "default:SHORT-NAME", frameWhat + ", signal mapping"));
        const std::string what = frameWhat + ", signal " + s.name;
        xmlNodePtr order = child(mapping, "default:PACKING-BYTE-ORDER");
        s.byteOrder = order && strcasecmp(text(order).c_str(), "MOST-SIGNIFICANT-BYTE-LAST") == 0 ? 1 : 0;
        const std::int32_t position = decimal32(text(required(mapping, "default:START-POSITION", what)));
        s.startByte = position / 8;
        s.startBit = static_cast<std::uint8_t>(position % 8);

        xmlNodePtr properties = nullptr;
        if (autosar4_) {
            xmlNodePtr isignal = requiredReference(mapping, "default:I-SIGNAL-REF", what);
            s.length = decimal32(text(required(isignal, "default:LENGTH", what)));
            properties = child(isignal, "default:NETWORK-REPRESENTATION-PROPS/default:SW-DATA-DEF-PROPS-VARIANTS"
                                        "/default:SW-DATA-DEF-PROPS-CONDITIONAL");
        } else {
            xmlNodePtr isignal = requiredReference(mapping, "default:SIGNAL-REF", what);
            xmlNodePtr systemSignal = requiredReference(isignal, "default:SYSTEM-SIGNAL-REF", what);
            s.length = decimal32(text(required(systemSignal, "default:LENGTH", what)));
            xmlNodePtr dataType = requiredReference(systemSignal, "default:DATA-TYPE-REF", what);
            properties = child(dataType, "default:SW-DATA-DEF-PROPS");
        }
        s.unit.clear();
        s.value = "0";
        setDefaults(s);
        if (!properties || !child(properties, "default:COMPU-METHOD-REF"))
            return s;

        xmlNodePtr compu = requiredReference(properties, "default:COMPU-METHOD-REF", what);
        if (child(compu, "default:UNIT-REF")) {
            xmlNodePtr unit = requiredReference(compu, "default:UNIT-REF", what);
            if (xmlNodePtr display = child(unit, "default:DISPLAY-NAME"))
                s.unit = text(display);
        }
        const auto scales =
            xpath_.select("default:COMPU-INTERNAL-TO-PHYS/default:COMPU-SCALES/default:COMPU-SCALE", compu);
        if (scales.empty())
            return s;
        if (scales.size() < 2)
            linear(s, scales.front(), what);
        else
            enumerated(s, scales, what);
        return s;
    }

    static void setDefaults(tDbSignal& s)
    {
        s.signalType = "UNM";
        s.factor = 1.0;
        s.offset = 0.0;
        s.rawMin = 0;
        s.rawMax = allOnes(s.length);
    }

    void scaling(tDbSignal& s, xmlNodePtr scale, const std::string& what) const
    {
        xmlNodePtr numerator = child(scale, "default:COMPU-RATIONAL-COEFFS/default:COMPU-NUMERATOR");
        if (!numerator) {
            s.offset = 0.0;
            s.factor = 1.0;
            return;
        }
        s.offset = real(text(required(numerator, "default:V[1]", what)));
        s.factor = real(text(required(numerator, "default:V[2]", what)));
    }

    void linear(tDbSignal& s, xmlNodePtr scale, const std::string& what) const
    {
        s.signalType = "UNM";
        xmlNodePtr lower = child(scale, "default:LOWER-LIMIT");
        s.rawMin = lower ? decimal64(text(lower)) : 0;
        if (s.rawMin < 0)
            s.signalType = "SNM";
        xmlNodePtr upper = child(scale, "default:UPPER-LIMIT");
        if (upper)
            s.rawMax = s.rawMin < 0 ? decimal64(text(upper)) : static_cast<std::int64_t>(unsigned64(text(upper)));
        else
            s.rawMax = allOnes(s.length);
        scaling(s, scale, what);
    }

    void enumerated(tDbSignal& s, const std::vector<xmlNodePtr>& scales, const std::string& what) const
    {
        s.signalType = "ENM";
        s.rawMin = 0;
        s.rawMax = 0;
        for (std::size_t j = 0; j + 1 < scales.size(); ++j) {
            tDbValueEntry entry;
            if (xmlNodePtr constant = child(scales[j], "default:COMPU-CONST"))
                entry.text = text(constant);
            if (xmlNodePtr upper = child(scales[j], "default:UPPER-LIMIT"))
                entry.value = decimal32(text(upper));
            const bool maxFits = static_cast<std::uint64_t>(s.rawMax) <= 0xFFFFFFFFu;
            if (maxFits && static_cast<std::uint32_t>(entry.value) > static_cast<std::uint32_t>(s.rawMax))
                s.rawMax = entry.value;
            s.valueTable.push_back(std::move(entry));
        }
        scaling(s, scales.back(), what);
    }

    XmlXPath xpath_;
    std::string namespace_;
    bool autosar4_;
    std::unordered_map<std::string, xmlNodePtr> shortNames_;
};

// The default namespace of the root element, "" when it has none.
std::string defaultNamespace(xmlNodePtr root)
{
    for (xmlNsPtr ns = root->nsDef; ns; ns = ns->next) {
        if (!ns->prefix && ns->href)
            return reinterpret_cast<const char*>(ns->href);
    }
    return {};
}

// AUTOSAR 4 when the part before the first '.' of the namespace's last
// '/'-separated component contains a 4 ("r4.0"); AUTOSAR 3 otherwise ("3.2.3").
bool isAutosar4(const std::string& ns)
{
    const auto slash = ns.rfind('/');
    std::string last = slash == std::string::npos ? ns : ns.substr(slash + 1);
    last = last.substr(0, last.find('.'));
    return last.find('4') != std::string::npos;
}

} // namespace

bool CMsgSignal::importArxml(const std::string& path)
{
    std::string bytes;
    std::string reason;
    if (!readFileBytes(path, bytes, reason))
        return fail(reason);
    return importArxmlBytes(bytes);
}

bool CMsgSignal::importArxmlBytes(const std::string& bytes)
{
    lastError_.clear();
    messages.clear();
    return importArxmlDocument(XmlDocument::parseMemory(bytes.data(), bytes.size()));
}

bool CMsgSignal::importArxmlDocument(const XmlDocument& document)
{
    if (!document || !document.root())
        return fail(document.error().empty() ? "the file is not an XML document" : document.error());
    const std::string ns = defaultNamespace(document.root());
    try {
        ArxmlReader reader(document, ns, isAutosar4(ns));
        messages = reader.read();
    } catch (const MissingElement& missing) {
        return fail(missing.what());
    }
    return true;
}

} // namespace kivplus
