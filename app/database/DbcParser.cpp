#include "database/DbcParser.h"

#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <stdexcept>
#include <unordered_map>

namespace kivplus::dbc {

namespace {

struct Token {
    enum class Kind { End, Identifier, Number, String, Punct };
    Kind kind = Kind::End;
    std::string text;   // a string's text with its escapes resolved
    int line = 1;
    bool lineStart = false;   // first token of its line
    bool indented = false;    // white space before it on its line
};

class ParseError : public std::runtime_error {
public:
    ParseError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

bool isIdentStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isIdentChar(char c)
{
    return isIdentStart(c) || (c >= '0' && c <= '9');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) { advance(); }

    const Token& peek() const { return current_; }
    Token next()
    {
        Token token = std::move(current_);
        advance();
        return token;
    }

private:
    void advance()
    {
        bool sawNewline = pos_ == 0;
        bool indented = false;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                sawNewline = true;
                indented = false;
                ++pos_;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v' || c == '\0') {
                indented = true;
                ++pos_;
            } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n')
                    ++pos_;
            } else {
                break;
            }
        }
        current_ = Token{};
        current_.line = line_;
        current_.lineStart = sawNewline;
        current_.indented = indented;
        if (pos_ >= text_.size())
            return;
        const char c = text_[pos_];
        if (c == '"') {
            readString();
        } else if (isIdentStart(c)) {
            const std::size_t start = pos_;
            while (pos_ < text_.size() && isIdentChar(text_[pos_]))
                ++pos_;
            current_.kind = Token::Kind::Identifier;
            current_.text.assign(text_.substr(start, pos_ - start));
        } else if (isDigit(c) || ((c == '-' || c == '+' || c == '.') && pos_ + 1 < text_.size() &&
                                  (isDigit(text_[pos_ + 1]) || text_[pos_ + 1] == '.'))) {
            readNumber();
        } else {
            current_.kind = Token::Kind::Punct;
            current_.text.assign(1, c);
            ++pos_;
        }
    }

    void readString()
    {
        const int startLine = line_;
        ++pos_;
        std::string text;
        while (true) {
            if (pos_ >= text_.size())
                throw ParseError(startLine, "unterminated string");
            const char c = text_[pos_++];
            if (c == '"')
                break;
            if (c == '\n')
                ++line_;
            if (c == '\\' && pos_ < text_.size()) {
                const char escaped = text_[pos_];
                if (escaped == '"' || escaped == '\\') {
                    text.push_back(escaped);
                    ++pos_;
                    continue;
                }
            }
            text.push_back(c);
        }
        current_.kind = Token::Kind::String;
        current_.text = std::move(text);
    }

    void readNumber()
    {
        const std::size_t start = pos_;
        if (text_[pos_] == '-' || text_[pos_] == '+')
            ++pos_;
        while (pos_ < text_.size() && isDigit(text_[pos_]))
            ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            while (pos_ < text_.size() && isDigit(text_[pos_]))
                ++pos_;
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            std::size_t p = pos_ + 1;
            if (p < text_.size() && (text_[p] == '+' || text_[p] == '-'))
                ++p;
            if (p < text_.size() && isDigit(text_[p])) {
                pos_ = p;
                while (pos_ < text_.size() && isDigit(text_[pos_]))
                    ++pos_;
            }
        }
        current_.kind = Token::Kind::Number;
        // A name that starts with digits ("1ABC") is a name.
        if (pos_ < text_.size() && isIdentStart(text_[pos_]) && isDigit(text_[start])) {
            while (pos_ < text_.size() && isIdentChar(text_[pos_]))
                ++pos_;
            current_.kind = Token::Kind::Identifier;
        }
        current_.text.assign(text_.substr(start, pos_ - start));
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    Token current_;
};

std::optional<double> toDouble(const std::string& text)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    double value = 0.0;
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc() || result.ptr != end)
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> toInteger(const std::string& text)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    std::int64_t value = 0;
    const auto result = std::from_chars(begin, end, value);
    if (result.ec == std::errc() && result.ptr == end)
        return value;
    // Integers written as reals ("100.0", "1e3") are taken when they fit.
    const auto real = toDouble(text);
    if (real && std::isfinite(*real) && *real >= -9.2e18 && *real <= 9.2e18)
        return static_cast<std::int64_t>(*real);
    return std::nullopt;
}

enum class ObjectKind { Network, Node, Message, Signal, EnvVar };

struct AttributeDefinition {
    ObjectKind object = ObjectKind::Network;
    AttributeValue::Kind kind = AttributeValue::Kind::Integer;
    std::vector<std::string> labels;   // ENUM
    std::optional<AttributeValue> fallback;
};

const char* const kSectionKeywords[] = {
    "VERSION", "NS_", "BS_", "BU_", "VAL_TABLE_", "BO_", "SG_", "CM_", "BA_DEF_", "BA_DEF_DEF_", "BA_",
    "VAL_", "SIG_VALTYPE_", "BO_TX_BU_", "SIG_GROUP_", "EV_", "ENVVAR_DATA_", "BA_DEF_REL_",
    "BA_DEF_DEF_REL_", "BA_REL_", "BU_SG_REL_", "BU_EV_REL_", "BU_BO_REL_", "SGTYPE_", "SGTYPE_VAL_",
    "SIG_TYPE_REF_", "SG_MUL_VAL_", "CAT_DEF_", "CAT_", "FILTER", "EV_DATA_", "BA_DEF_SGTYPE_", "BA_SGTYPE_",
};

bool isSectionKeyword(const std::string& word)
{
    for (const char* keyword : kSectionKeywords) {
        if (word == keyword)
            return true;
    }
    return false;
}

class Parser {
public:
    explicit Parser(std::string_view text) : lexer_(text) {}

    File run()
    {
        while (lexer_.peek().kind != Token::Kind::End) {
            const Token token = lexer_.next();
            if (token.kind != Token::Kind::Identifier) {
                skipStatement();
                continue;
            }
            section(token);
        }
        applyDefaults();
        applyLongNames();
        return std::move(file_);
    }

private:
    [[noreturn]] void fail(const Token& at, const std::string& what)
    {
        throw ParseError(at.line, what);
    }

    Token expect(Token::Kind kind, const char* what)
    {
        Token token = lexer_.next();
        if (token.kind != kind)
            fail(token, std::string("expected ") + what + describe(token));
        return token;
    }

    void expectPunct(char c)
    {
        Token token = lexer_.next();
        if (token.kind != Token::Kind::Punct || token.text[0] != c)
            fail(token, std::string("expected '") + c + "'" + describe(token));
    }

    bool acceptPunct(char c)
    {
        const Token& token = lexer_.peek();
        if (token.kind == Token::Kind::Punct && token.text[0] == c) {
            lexer_.next();
            return true;
        }
        return false;
    }

    static std::string describe(const Token& token)
    {
        switch (token.kind) {
        case Token::Kind::End:
            return " before the end of the file";
        case Token::Kind::String:
            return ", found a string";
        default:
            return ", found '" + token.text.substr(0, 40) + "'";
        }
    }

    double number(const char* what)
    {
        const Token token = expect(Token::Kind::Number, what);
        const auto value = toDouble(token.text);
        if (!value)
            fail(token, std::string("bad number for ") + what);
        return *value;
    }

    std::int64_t integer(const char* what)
    {
        const Token token = expect(Token::Kind::Number, what);
        const auto value = toInteger(token.text);
        if (!value)
            fail(token, std::string("bad integer for ") + what);
        return *value;
    }

    std::uint32_t messageId(const char* what)
    {
        const Token token = expect(Token::Kind::Number, what);
        const auto value = toInteger(token.text);
        if (!value || *value < 0 || *value > 0xFFFFFFFFLL)
            fail(token, std::string("bad message identifier ") + token.text);
        return static_cast<std::uint32_t>(*value);
    }

    bool nextOnSameLine() const
    {
        const Token& token = lexer_.peek();
        return token.kind != Token::Kind::End && !token.lineStart;
    }

    void skipRestOfLine()
    {
        while (nextOnSameLine())
            lexer_.next();
    }

    // Skips to the end of a statement: its ';', or the next section keyword
    // that starts a line when the ';' is missing.
    void skipStatement()
    {
        while (true) {
            const Token& token = lexer_.peek();
            if (token.kind == Token::Kind::End)
                return;
            if (token.lineStart && token.kind == Token::Kind::Identifier && isSectionKeyword(token.text))
                return;
            const Token taken = lexer_.next();
            if (taken.kind == Token::Kind::Punct && taken.text[0] == ';')
                return;
        }
    }

    void section(const Token& keyword)
    {
        const std::string& word = keyword.text;
        if (word == "VERSION") {
            if (lexer_.peek().kind == Token::Kind::String)
                file_.version = lexer_.next().text;
        } else if (word == "NS_") {
            newSymbols();
        } else if (word == "BS_") {
            skipRestOfLine();
        } else if (word == "BU_") {
            acceptPunct(':');
            while (nextOnSameLine()) {
                Token node = lexer_.next();
                if (node.kind == Token::Kind::Identifier)
                    file_.nodes.push_back(node.text);
            }
        } else if (word == "VAL_TABLE_") {
            expect(Token::Kind::Identifier, "a value table name");
            valueDescriptions();
        } else if (word == "BO_") {
            message();
        } else if (word == "SG_") {
            signal(keyword);
        } else if (word == "CM_") {
            comment();
        } else if (word == "BA_DEF_") {
            attributeDefinition();
        } else if (word == "BA_DEF_DEF_") {
            attributeDefault();
        } else if (word == "BA_") {
            attribute();
        } else if (word == "VAL_") {
            signalValues();
        } else {
            // SIG_VALTYPE_, BO_TX_BU_, SIG_GROUP_, EV_, ENVVAR_DATA_, the
            // _REL_ sections and anything unknown carry nothing we keep.
            skipStatement();
        }
    }

    // The NS_ list: symbols on their own lines, usually indented. It ends at
    // the first line that starts without indentation and holds more than
    // one token (the next section).
    void newSymbols()
    {
        acceptPunct(':');
        while (lexer_.peek().kind != Token::Kind::End) {
            const Token& token = lexer_.peek();
            if (!token.lineStart || token.indented) {
                lexer_.next();
                continue;
            }
            const Token taken = lexer_.next();
            if (lexer_.peek().kind == Token::Kind::End || lexer_.peek().lineStart)
                continue;
            if (taken.kind == Token::Kind::Identifier)
                section(taken);
            else
                skipStatement();
            return;
        }
    }

    void message()
    {
        Message m;
        m.id = messageId("a message identifier");
        const Token name = lexer_.next();
        if (name.kind != Token::Kind::Identifier && name.kind != Token::Kind::Number)
            fail(name, "expected a message name" + describe(name));
        m.name = name.text;
        expectPunct(':');
        const Token dlcToken = expect(Token::Kind::Number, "the message length");
        const auto dlc = toInteger(dlcToken.text);
        if (!dlc || *dlc < 0 || *dlc > 64)
            fail(dlcToken, "message length " + dlcToken.text + " is not 0 to 64");
        m.dlc = static_cast<std::uint32_t>(*dlc);
        if (nextOnSameLine() && lexer_.peek().kind == Token::Kind::Identifier)
            m.transmitter = lexer_.next().text;
        skipRestOfLine();
        if (messageIndex_.find(m.id) == messageIndex_.end())
            messageIndex_.emplace(m.id, file_.messages.size());
        file_.messages.push_back(std::move(m));
    }

    void signal(const Token& keyword)
    {
        if (file_.messages.empty())
            fail(keyword, "signal outside a message");
        Signal s;
        s.name = expect(Token::Kind::Identifier, "a signal name").text;
        if (lexer_.peek().kind == Token::Kind::Identifier)
            s.multiplexer = lexer_.next().text;
        expectPunct(':');
        const Token startToken = lexer_.peek();
        const std::int64_t start = integer("the start bit");
        expectPunct('|');
        const Token lengthToken = lexer_.peek();
        const std::int64_t length = integer("the signal length");
        expectPunct('@');
        const Token orderToken = lexer_.peek();
        const std::int64_t order = integer("the byte order");
        if (start < 0 || start > 511)
            fail(startToken, "start bit " + startToken.text + " is not 0 to 511");
        if (length < 0 || length > 64)
            fail(lengthToken, "signal length " + lengthToken.text + " is not 0 to 64");
        if (order != 0 && order != 1)
            fail(orderToken, "byte order must be 0 or 1");
        const Token sign = lexer_.next();
        if (sign.kind != Token::Kind::Punct || (sign.text[0] != '+' && sign.text[0] != '-'))
            fail(sign, "expected '+' or '-'" + describe(sign));
        s.startBit = static_cast<std::uint32_t>(start);
        s.length = static_cast<std::uint32_t>(length);
        s.byteOrder = static_cast<int>(order);
        s.isSigned = sign.text[0] == '-';
        expectPunct('(');
        s.factor = number("the factor");
        expectPunct(',');
        s.offset = number("the offset");
        expectPunct(')');
        expectPunct('[');
        s.minimum = number("the minimum");
        expectPunct('|');
        s.maximum = number("the maximum");
        expectPunct(']');
        s.unit = expect(Token::Kind::String, "the unit").text;
        while (nextOnSameLine()) {
            Token receiver = lexer_.next();
            if (receiver.kind == Token::Kind::Identifier)
                s.receivers.push_back(receiver.text);
        }
        file_.messages.back().signalList.push_back(std::move(s));
    }

    Message* findMessage(std::uint32_t id)
    {
        const auto it = messageIndex_.find(id);
        return it == messageIndex_.end() ? nullptr : &file_.messages[it->second];
    }

    Signal* findSignal(std::uint32_t id, const std::string& name)
    {
        Message* m = findMessage(id);
        if (!m)
            return nullptr;
        for (auto& s : m->signalList) {
            if (s.name == name)
                return &s;
        }
        return nullptr;
    }

    std::vector<ValueDescription> valueDescriptions()
    {
        std::vector<ValueDescription> values;
        while (true) {
            const Token& token = lexer_.peek();
            if (token.kind == Token::Kind::Punct && token.text[0] == ';') {
                lexer_.next();
                return values;
            }
            // A list whose ';' is missing ends where the next section starts.
            if (token.kind == Token::Kind::End ||
                (token.lineStart && token.kind == Token::Kind::Identifier && isSectionKeyword(token.text)))
                return values;
            ValueDescription value;
            value.value = integer("a value");
            value.text = expect(Token::Kind::String, "a value description").text;
            values.push_back(std::move(value));
        }
    }

    void comment()
    {
        const Token& token = lexer_.peek();
        if (token.kind == Token::Kind::Identifier) {
            const std::string object = lexer_.next().text;
            if (object == "BO_") {
                messageId("a message identifier");
            } else if (object == "SG_") {
                messageId("a message identifier");
                expect(Token::Kind::Identifier, "a signal name");
            } else if (object == "BU_" || object == "EV_") {
                expect(Token::Kind::Identifier, "a name");
            }
        }
        expect(Token::Kind::String, "the comment text");
        skipStatement();
    }

    static ObjectKind objectKind(const std::string& word, bool& known)
    {
        known = true;
        if (word == "BU_")
            return ObjectKind::Node;
        if (word == "BO_")
            return ObjectKind::Message;
        if (word == "SG_")
            return ObjectKind::Signal;
        if (word == "EV_")
            return ObjectKind::EnvVar;
        known = false;
        return ObjectKind::Network;
    }

    void attributeDefinition()
    {
        AttributeDefinition definition;
        if (lexer_.peek().kind == Token::Kind::Identifier) {
            bool known = false;
            const Token object = lexer_.next();
            definition.object = objectKind(object.text, known);
            if (!known)
                fail(object, "unknown attribute object " + object.text);
        }
        const std::string name = expect(Token::Kind::String, "the attribute name").text;
        const Token type = expect(Token::Kind::Identifier, "the attribute type");
        if (type.text == "INT" || type.text == "HEX") {
            definition.kind = AttributeValue::Kind::Integer;
        } else if (type.text == "FLOAT") {
            definition.kind = AttributeValue::Kind::Float;
        } else if (type.text == "STRING") {
            definition.kind = AttributeValue::Kind::String;
        } else if (type.text == "ENUM") {
            definition.kind = AttributeValue::Kind::Enum;
            while (lexer_.peek().kind == Token::Kind::String) {
                definition.labels.push_back(lexer_.next().text);
                if (!acceptPunct(','))
                    break;
            }
        } else {
            fail(type, "unknown attribute type " + type.text);
        }
        skipStatement();
        if (definitions_.find(name) == definitions_.end())
            definitionOrder_.push_back(name);
        definitions_[name] = std::move(definition);
    }

    AttributeValue attributeValue(const std::string& name)
    {
        const Token token = lexer_.next();
        if (token.kind != Token::Kind::Number && token.kind != Token::Kind::String)
            fail(token, "expected the value of attribute " + name + describe(token));
        const auto def = definitions_.find(name);
        AttributeValue value;
        value.text = token.text;
        if (def == definitions_.end()) {
            value.kind = token.kind == Token::Kind::String ? AttributeValue::Kind::String
                         : toInteger(token.text) && token.text.find_first_of(".eE") == std::string::npos
                             ? AttributeValue::Kind::Integer
                             : AttributeValue::Kind::Float;
        } else {
            value.kind = def->second.kind;
        }
        switch (value.kind) {
        case AttributeValue::Kind::Integer:
        case AttributeValue::Kind::Float: {
            if (token.kind == Token::Kind::Number) {
                value.real = toDouble(token.text).value_or(0.0);
                value.integer = toInteger(token.text).value_or(0);
            }
            break;
        }
        case AttributeValue::Kind::String:
            break;
        case AttributeValue::Kind::Enum: {
            const auto& labels = def->second.labels;
            if (token.kind == Token::Kind::Number) {
                value.integer = toInteger(token.text).value_or(-1);
                if (value.integer >= 0 && static_cast<std::size_t>(value.integer) < labels.size())
                    value.text = labels[static_cast<std::size_t>(value.integer)];
            } else {
                for (std::size_t i = 0; i < labels.size(); ++i) {
                    if (labels[i] == token.text)
                        value.integer = static_cast<std::int64_t>(i);
                }
            }
            break;
        }
        }
        return value;
    }

    void attributeDefault()
    {
        const std::string name = expect(Token::Kind::String, "the attribute name").text;
        AttributeValue value = attributeValue(name);
        skipStatement();
        const auto def = definitions_.find(name);
        if (def != definitions_.end())
            def->second.fallback = std::move(value);
    }

    void attribute()
    {
        const std::string name = expect(Token::Kind::String, "the attribute name").text;
        std::vector<Attribute>* target = &file_.networkAttributes;
        if (lexer_.peek().kind == Token::Kind::Identifier) {
            const Token object = lexer_.next();
            if (object.text == "BO_") {
                Message* m = findMessage(messageId("a message identifier"));
                target = m ? &m->attributes : nullptr;
            } else if (object.text == "SG_") {
                const std::uint32_t id = messageId("a message identifier");
                const std::string signalName = expect(Token::Kind::Identifier, "a signal name").text;
                Signal* s = findSignal(id, signalName);
                target = s ? &s->attributes : nullptr;
            } else if (object.text == "BU_" || object.text == "EV_") {
                expect(Token::Kind::Identifier, "a name");
                target = nullptr;
            } else {
                fail(object, "unknown attribute object " + object.text);
            }
        }
        AttributeValue value = attributeValue(name);
        skipStatement();
        if (target)
            target->push_back({name, std::move(value)});
    }

    void signalValues()
    {
        if (lexer_.peek().kind == Token::Kind::Identifier) {
            // Values of an environment variable.
            lexer_.next();
            valueDescriptions();
            return;
        }
        const std::uint32_t id = messageId("a message identifier");
        const std::string signalName = expect(Token::Kind::Identifier, "a signal name").text;
        auto values = valueDescriptions();
        if (Signal* s = findSignal(id, signalName))
            s->values = std::move(values);
    }

    static bool hasAttribute(const std::vector<Attribute>& attributes, const std::string& name)
    {
        for (const auto& a : attributes) {
            if (a.name == name)
                return true;
        }
        return false;
    }

    void applyDefaults()
    {
        for (const auto& name : definitionOrder_) {
            const AttributeDefinition& def = definitions_[name];
            if (!def.fallback)
                continue;
            switch (def.object) {
            case ObjectKind::Network:
                if (!hasAttribute(file_.networkAttributes, name))
                    file_.networkAttributes.push_back({name, *def.fallback});
                break;
            case ObjectKind::Message:
                file_.messageDefaults.push_back({name, *def.fallback});
                break;
            case ObjectKind::Signal:
                file_.signalDefaults.push_back({name, *def.fallback});
                break;
            case ObjectKind::Node:
            case ObjectKind::EnvVar:
                break;
            }
        }
    }

    // Names longer than 32 characters are cut in BO_ and SG_ lines; the whole
    // name is kept in a "System...LongSymbol" attribute.
    void applyLongNames()
    {
        auto longName = [](const std::vector<Attribute>& attributes, const char* attribute, std::string& name) {
            for (const auto& a : attributes) {
                if (a.name == attribute && a.value.kind == AttributeValue::Kind::String && !a.value.text.empty()) {
                    name = a.value.text;
                    return;
                }
            }
        };
        for (auto& m : file_.messages) {
            longName(m.attributes, "SystemMessageLongSymbol", m.name);
            for (auto& s : m.signalList)
                longName(s.attributes, "SystemSignalLongSymbol", s.name);
        }
    }

    Lexer lexer_;
    File file_;
    std::unordered_map<std::uint32_t, std::size_t> messageIndex_;
    std::map<std::string, AttributeDefinition> definitions_;
    std::vector<std::string> definitionOrder_;
};

} // namespace

const Attribute* findAttribute(const std::vector<Attribute>& own, const std::vector<Attribute>& defaults,
                               const std::string& name)
{
    for (const auto& a : own) {
        if (a.name == name)
            return &a;
    }
    for (const auto& a : defaults) {
        if (a.name == name)
            return &a;
    }
    return nullptr;
}

ParseResult parse(std::string_view text)
{
    ParseResult result;
    try {
        Parser parser(text);
        result.file = parser.run();
        result.ok = true;
    } catch (const ParseError& error) {
        result.error = "line " + std::to_string(error.line()) + ": " + error.what();
    }
    return result;
}

} // namespace kivplus::dbc
