#include "database/CMsgSignal.h"

#include <gtest/gtest.h>

#include <string>

using namespace kivplus;

namespace {

std::string triggering(const std::string& name, const std::string& mode, const std::string& identifier,
                       const std::string& frame)
{
    return "<CAN-FRAME-TRIGGERING><SHORT-NAME>" + name + "</SHORT-NAME><CAN-ADDRESSING-MODE>" + mode +
           "</CAN-ADDRESSING-MODE><FRAME-REF DEST=\"CAN-FRAME\">/Any/Path/" + frame + "</FRAME-REF><IDENTIFIER>" +
           identifier + "</IDENTIFIER></CAN-FRAME-TRIGGERING>";
}

std::string frame(const std::string& name, const std::string& length, const std::string& pdu)
{
    std::string mapping;
    if (!pdu.empty())
        mapping = "<PDU-TO-FRAME-MAPPINGS><PDU-TO-FRAME-MAPPING><SHORT-NAME>" + name +
                  "Map</SHORT-NAME><PDU-REF DEST=\"I-SIGNAL-I-PDU\">/Pdus/" + pdu + "</PDU-REF></PDU-TO-FRAME-MAPPING>"
                  "</PDU-TO-FRAME-MAPPINGS>";
    return "<CAN-FRAME><SHORT-NAME>" + name + "</SHORT-NAME><FRAME-LENGTH>" + length + "</FRAME-LENGTH>" + mapping +
           "</CAN-FRAME>";
}

std::string mapping(const std::string& name, const std::string& signal, const std::string& start,
                    const std::string& order)
{
    std::string out = "<I-SIGNAL-TO-I-PDU-MAPPING><SHORT-NAME>" + name + "</SHORT-NAME><I-SIGNAL-REF DEST=\"I-SIGNAL\">/S/" +
                      signal + "</I-SIGNAL-REF>";
    if (!order.empty())
        out += "<PACKING-BYTE-ORDER>" + order + "</PACKING-BYTE-ORDER>";
    if (!start.empty())
        out += "<START-POSITION>" + start + "</START-POSITION>";
    return out + "</I-SIGNAL-TO-I-PDU-MAPPING>";
}

std::string pdu(const std::string& name, const std::string& timing, const std::string& mappingsElement,
                const std::string& mappings)
{
    return "<I-SIGNAL-I-PDU><SHORT-NAME>" + name + "</SHORT-NAME>" + timing + "<" + mappingsElement + ">" + mappings +
           "</" + mappingsElement + "></I-SIGNAL-I-PDU>";
}

std::string cyclic(const std::string& element, const std::string& period)
{
    return "<" + element + "><I-PDU-TIMING><TRANSMISSION-MODE-DECLARATION><TRANSMISSION-MODE-TRUE-TIMING><CYCLIC-TIMING>"
           "<TIME-PERIOD><VALUE>" + period + "</VALUE></TIME-PERIOD></CYCLIC-TIMING></TRANSMISSION-MODE-TRUE-TIMING>"
           "</TRANSMISSION-MODE-DECLARATION></I-PDU-TIMING></" + element + ">";
}

std::string isignal(const std::string& name, const std::string& length, const std::string& compu)
{
    std::string props;
    if (compu == "-")
        props = "<NETWORK-REPRESENTATION-PROPS><SW-DATA-DEF-PROPS-VARIANTS><SW-DATA-DEF-PROPS-CONDITIONAL/>"
                "</SW-DATA-DEF-PROPS-VARIANTS></NETWORK-REPRESENTATION-PROPS>";
    else if (!compu.empty())
        props = "<NETWORK-REPRESENTATION-PROPS><SW-DATA-DEF-PROPS-VARIANTS><SW-DATA-DEF-PROPS-CONDITIONAL>"
                "<COMPU-METHOD-REF DEST=\"COMPU-METHOD\">/C/" + compu + "</COMPU-METHOD-REF>"
                "</SW-DATA-DEF-PROPS-CONDITIONAL></SW-DATA-DEF-PROPS-VARIANTS></NETWORK-REPRESENTATION-PROPS>";
    return "<I-SIGNAL><SHORT-NAME>" + name + "</SHORT-NAME><LENGTH>" + length + "</LENGTH>" + props + "</I-SIGNAL>";
}

std::string scale(const std::string& lower, const std::string& upper, const std::string& v1, const std::string& v2,
                  const std::string& vt = {})
{
    std::string out = "<COMPU-SCALE>";
    if (!lower.empty())
        out += "<LOWER-LIMIT>" + lower + "</LOWER-LIMIT>";
    if (!upper.empty())
        out += "<UPPER-LIMIT>" + upper + "</UPPER-LIMIT>";
    if (!vt.empty())
        out += "<COMPU-CONST><VT>" + vt + "</VT></COMPU-CONST>";
    if (!v1.empty())
        out += "<COMPU-RATIONAL-COEFFS><COMPU-NUMERATOR><V>" + v1 + "</V><V>" + v2 +
               "</V></COMPU-NUMERATOR></COMPU-RATIONAL-COEFFS>";
    return out + "</COMPU-SCALE>";
}

std::string compu(const std::string& name, const std::string& scales, const std::string& unit = {})
{
    std::string unitRef = unit.empty() ? "" : "<UNIT-REF DEST=\"UNIT\">/U/" + unit + "</UNIT-REF>";
    return "<COMPU-METHOD><SHORT-NAME>" + name + "</SHORT-NAME>" + unitRef +
           "<COMPU-INTERNAL-TO-PHYS><COMPU-SCALES>" + scales + "</COMPU-SCALES></COMPU-INTERNAL-TO-PHYS></COMPU-METHOD>";
}

// An AUTOSAR 4 document: the cluster sits in a sub-package, the other
// elements in the top package.
std::string autosar4(const std::string& triggerings, const std::string& elements,
                     const std::string& ns = "http://autosar.org/schema/r4.0")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<AUTOSAR xmlns=\"" + ns +
           "\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><AR-PACKAGES><AR-PACKAGE>"
           "<SHORT-NAME>Top</SHORT-NAME><ELEMENTS>" + elements + "</ELEMENTS><AR-PACKAGES><AR-PACKAGE>"
           "<SHORT-NAME>Sub</SHORT-NAME><ELEMENTS><CAN-CLUSTER><SHORT-NAME>Bus</SHORT-NAME><CAN-CLUSTER-VARIANTS>"
           "<CAN-CLUSTER-CONDITIONAL><PHYSICAL-CHANNELS><CAN-PHYSICAL-CHANNEL><SHORT-NAME>Ch</SHORT-NAME>"
           "<FRAME-TRIGGERINGS>" + triggerings + "</FRAME-TRIGGERINGS></CAN-PHYSICAL-CHANNEL></PHYSICAL-CHANNELS>"
           "</CAN-CLUSTER-CONDITIONAL></CAN-CLUSTER-VARIANTS></CAN-CLUSTER></ELEMENTS></AR-PACKAGE></AR-PACKAGES>"
           "</AR-PACKAGE></AR-PACKAGES></AUTOSAR>\n";
}

std::string richDocument()
{
    const std::string triggerings = triggering("Std", "STANDARD", "2047", "F1") +
                                    triggering("Ext", "EXTENDED", "419361278", "F2") +
                                    triggering("Hex", "standard", "0x123", "F3") +
                                    triggering("Dup", "STANDARD", "0b11", "F1");
    const std::string mappings1 =
        mapping("Signed", "SigA", "13", "MOST-SIGNIFICANT-BYTE-LAST") + mapping("Unsigned", "SigB", "16", "") +
        mapping("Enum", "SigC", "24", "most-significant-byte-first") + mapping("Group", "SigA", "", "") +
        mapping("Plain", "SigD", "0x20", "") + mapping("NoProps", "SigE", "40", "") +
        mapping("NoScales", "SigF", "48", "");
    const std::string elements =
        frame("F1", "8", "P1") + frame("F2", "0x8", "P2") + frame("F3", "4", "") +
        pdu("P1", cyclic("I-PDU-TIMING-SPECIFICATION", "0.1"), "I-SIGNAL-TO-PDU-MAPPINGS", mappings1) +
        pdu("P2", cyclic("I-PDU-TIMING-SPECIFICATIONS", "0.0255"), "I-SIGNAL-TO-I-PDU-MAPPINGS",
            mapping("Second", "SigB", "0", "")) +
        isignal("SigA", "8", "Cs") + isignal("SigB", "0b1000", "Cu") + isignal("SigC", "2", "Ce") +
        isignal("SigD", "64", "") + isignal("SigE", "4", "-") + isignal("SigF", "3", "Cn") +
        compu("Cs", scale("-128", "127", "0", "0.5"), "Kmh") + compu("Cu", scale("0", "255", "", "")) +
        compu("Ce", scale("", "0", "", "", "Off") + scale("", "1", "", "", "On") + scale("", "", "0", "1")) +
        compu("Cn", "") + "<UNIT><SHORT-NAME>Kmh</SHORT-NAME><DISPLAY-NAME>km/h</DISPLAY-NAME></UNIT>" +
        // A second frame of the same short name later in the document: references go to the first.
        "<CAN-FRAME><SHORT-NAME>F1</SHORT-NAME><FRAME-LENGTH>1</FRAME-LENGTH></CAN-FRAME>";
    return autosar4(triggerings, elements);
}

TEST(ArxmlImport, ReadsAnAutosar4Document)
{
    CMsgSignal db;
    ASSERT_TRUE(db.importArxmlBytes(richDocument())) << db.lastError();
    ASSERT_EQ(db.messageCount(), 4u);
    EXPECT_FALSE(db.useGMParameterIds);

    struct MessageCase {
        const char* name;
        std::uint32_t id;
        int extended;
        int dlc;
        int cycleTime;
        int signalCount;
    };
    const MessageCase messages[] = {
        {"Std", 0x7FF, 0, 8, 100, 6},
        {"Ext", 0x18FEF1FE, 1, 8, 25, 1},
        {"Hex", 0x123, 0, 4, 0, 0},
        {"Dup", 3, 0, 8, 100, 6},
    };
    for (std::size_t i = 0; i < std::size(messages); ++i) {
        const auto& want = messages[i];
        const tDbMessage& got = db.messages[i];
        EXPECT_EQ(got.name, want.name);
        EXPECT_EQ(got.id, want.id) << want.name;
        EXPECT_EQ(got.extended, want.extended) << want.name;
        EXPECT_EQ(got.dlc, want.dlc) << want.name;
        EXPECT_EQ(got.cycleTime, want.cycleTime) << want.name;
        EXPECT_EQ(got.signalCount(), want.signalCount) << want.name;
        EXPECT_EQ(got.priority, 0);
    }

    struct SignalCase {
        const char* name;
        int startByte;
        int startBit;
        int length;
        int byteOrder;
        const char* type;
        std::int64_t rawMin;
        std::int64_t rawMax;
        double factor;
        double offset;
        const char* unit;
    };
    const SignalCase expectedSignals[] = {
        {"Signed", 1, 5, 8, 1, "SNM", -128, 127, 0.5, 0.0, "km/h"},
        {"Unsigned", 2, 0, 8, 0, "UNM", 0, 255, 1.0, 0.0, ""},
        {"Enum", 3, 0, 2, 0, "ENM", 0, 1, 1.0, 0.0, ""},
        {"Plain", 4, 0, 64, 0, "UNM", 0, -1, 1.0, 0.0, ""},
        {"NoProps", 5, 0, 4, 0, "UNM", 0, 15, 1.0, 0.0, ""},
        {"NoScales", 6, 0, 3, 0, "UNM", 0, 7, 1.0, 0.0, ""},
    };
    const auto& list = db.messages[0].signalList;
    ASSERT_EQ(list.size(), std::size(expectedSignals));
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto& want = expectedSignals[i];
        const tDbSignal& got = list[i];
        EXPECT_EQ(got.name, want.name);
        EXPECT_EQ(got.startByte, want.startByte) << want.name;
        EXPECT_EQ(got.startBit, want.startBit) << want.name;
        EXPECT_EQ(got.length, want.length) << want.name;
        EXPECT_EQ(got.byteOrder, want.byteOrder) << want.name;
        EXPECT_EQ(got.signalType, want.type) << want.name;
        EXPECT_EQ(got.rawMin, want.rawMin) << want.name;
        EXPECT_EQ(got.rawMax, want.rawMax) << want.name;
        EXPECT_DOUBLE_EQ(got.factor, want.factor) << want.name;
        EXPECT_DOUBLE_EQ(got.offset, want.offset) << want.name;
        EXPECT_EQ(got.unit, want.unit) << want.name;
        EXPECT_EQ(got.value, "0");
    }
    const auto& values = list[2].valueTable;
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].value, 0);
    EXPECT_EQ(values[0].text, "Off");
    EXPECT_EQ(values[1].value, 1);
    EXPECT_EQ(values[1].text, "On");

    // Found through the second-choice mapping path.
    EXPECT_EQ(db.messages[1].signalList[0].name, "Second");
}

TEST(ArxmlImport, TheNamespaceChoosesTheSchemaGeneration)
{
    struct Case {
        const char* ns;
        unsigned messages;
    };
    // The AUTOSAR 4 paths find the frame; the AUTOSAR 3 paths do not.
    const Case cases[] = {
        {"http://autosar.org/schema/r4.0", 1},
        {"http://autosar.org/3.1.4", 0},
        {"http://autosar.org/3.2.3", 0},
    };
    for (const auto& c : cases) {
        CMsgSignal db;
        const std::string document =
            autosar4(triggering("T", "STANDARD", "1", "F"), frame("F", "8", ""), c.ns);
        ASSERT_TRUE(db.importArxmlBytes(document)) << c.ns << ": " << db.lastError();
        EXPECT_EQ(db.messageCount(), c.messages) << c.ns;
    }
}

TEST(ArxmlImport, ReadsAnAutosar3Document)
{
    const std::string document =
        "<AUTOSAR xmlns=\"http://autosar.org/3.1.4\"><TOP-LEVEL-PACKAGES><AR-PACKAGE><SHORT-NAME>P</SHORT-NAME>"
        "<ELEMENTS><CAN-CLUSTER><SHORT-NAME>C</SHORT-NAME><PHYSICAL-CHANNELS><PHYSICAL-CHANNEL><SHORT-NAME>Ch"
        "</SHORT-NAME><FRAME-TRIGGERINGSS>" + triggering("T", "STANDARD", "100", "F") +
        "</FRAME-TRIGGERINGSS></PHYSICAL-CHANNEL></PHYSICAL-CHANNELS></CAN-CLUSTER>" + frame("F", "2", "Pdu") +
        "<I-SIGNAL-I-PDU><SHORT-NAME>Pdu</SHORT-NAME><SIGNAL-TO-PDU-MAPPINGS><I-SIGNAL-TO-I-PDU-MAPPING>"
        "<SHORT-NAME>M</SHORT-NAME><SIGNAL-REF DEST=\"I-SIGNAL\">/P/S</SIGNAL-REF><START-POSITION>3</START-POSITION>"
        "</I-SIGNAL-TO-I-PDU-MAPPING></SIGNAL-TO-PDU-MAPPINGS></I-SIGNAL-I-PDU>"
        "<I-SIGNAL><SHORT-NAME>S</SHORT-NAME><SYSTEM-SIGNAL-REF DEST=\"SYSTEM-SIGNAL\">/P/Y</SYSTEM-SIGNAL-REF></I-SIGNAL>"
        "<SYSTEM-SIGNAL><SHORT-NAME>Y</SHORT-NAME><DATA-TYPE-REF DEST=\"INTEGER-TYPE\">/P/T</DATA-TYPE-REF>"
        "<LENGTH>12</LENGTH></SYSTEM-SIGNAL><INTEGER-TYPE><SHORT-NAME>T</SHORT-NAME><SW-DATA-DEF-PROPS>"
        "<COMPU-METHOD-REF DEST=\"COMPU-METHOD\">/P/Cm</COMPU-METHOD-REF></SW-DATA-DEF-PROPS></INTEGER-TYPE>" +
        compu("Cm", scale("-2048", "2047", "1", "2")) + "</ELEMENTS></AR-PACKAGE></TOP-LEVEL-PACKAGES></AUTOSAR>";
    CMsgSignal db;
    ASSERT_TRUE(db.importArxmlBytes(document)) << db.lastError();
    ASSERT_EQ(db.messageCount(), 1u);
    ASSERT_EQ(db.messages[0].signalCount(), 1);
    const tDbSignal& s = db.messages[0].signalList[0];
    EXPECT_EQ(s.name, "M");
    EXPECT_EQ(s.length, 12);
    EXPECT_EQ(s.startBit, 3);
    EXPECT_EQ(s.signalType, "SNM");
    EXPECT_EQ(s.rawMin, -2048);
    EXPECT_EQ(s.rawMax, 2047);
    EXPECT_DOUBLE_EQ(s.offset, 1.0);
    EXPECT_DOUBLE_EQ(s.factor, 2.0);
}

TEST(ArxmlImport, FailsOnBrokenDocuments)
{
    struct Case {
        const char* what;
        std::string document;
        const char* error;
    };
    const Case cases[] = {
        {"not XML", "BO_ 1 M: 8 X", ""},
        {"dangling frame reference", autosar4(triggering("T", "STANDARD", "1", "Nowhere"), ""), "unresolved reference"},
        {"no identifier",
         autosar4("<CAN-FRAME-TRIGGERING><SHORT-NAME>T</SHORT-NAME><CAN-ADDRESSING-MODE>STANDARD</CAN-ADDRESSING-MODE>"
                  "</CAN-FRAME-TRIGGERING>", ""),
         "IDENTIFIER"},
        {"dangling signal reference",
         autosar4(triggering("T", "STANDARD", "1", "F"),
                  frame("F", "8", "P") + pdu("P", "", "I-SIGNAL-TO-PDU-MAPPINGS", mapping("M", "Gone", "0", ""))),
         "unresolved reference"},
    };
    for (const auto& c : cases) {
        CMsgSignal db;
        EXPECT_FALSE(db.importArxmlBytes(c.document)) << c.what;
        EXPECT_NE(db.lastError().find(c.error), std::string::npos) << c.what << ": " << db.lastError();
    }
}

TEST(ArxmlImport, RefusesExternalEntities)
{
    const std::string document =
        "<?xml version=\"1.0\"?><!DOCTYPE AUTOSAR [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>" +
        autosar4(triggering("&x;", "STANDARD", "1", "F"), frame("F", "8", "")).substr(39);
    CMsgSignal db;
    if (db.importArxmlBytes(document)) {
        ASSERT_EQ(db.messageCount(), 1u);
        EXPECT_EQ(db.messages[0].name.find("root"), std::string::npos);
    }
}

} // namespace
