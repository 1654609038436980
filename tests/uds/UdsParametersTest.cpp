// The "KivPlusUDS" INI keys and their conversion into a download configuration.
#include "shell/UdsParameters.h"

#include "TestPaths.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <fstream>

using namespace kivplus;

namespace {

class UdsParametersTest : public testing::Test {
protected:
    std::string iniPath() const { return (dir / "KivPlus.ini").string(); }

    UdsParameters loaded(const std::string& iniText, int formatBefore = 0)
    {
        std::ofstream(iniPath()) << iniText;
        IniSettings ini(iniPath());
        UdsParameters parameters;
        parameters.addressFormat = formatBefore;
        parameters.load(ini);
        return parameters;
    }

    UdsParameters valid() const
    {
        UdsParameters p;
        p.sourceAddress = "F1";
        p.targetAddress = "0x10";
        p.targetAddressType = "0";
        p.addressFormat = 1;
        p.addressExtension = "";
        p.transferSendId = "7E0";
        p.transferReceiveId = "0x18DAF110";
        p.allNodeSendId = "7df";
        p.wakeUpSendId = "100";
        p.vendor = "1";
        p.canChannel = "1";
        p.fileCount = "1";
        p.sequencePath = "download.seq";
        p.files[0] = dataPath;
        return p;
    }

    kivtest::TempDir dir;
    std::string dataPath = [this] {
        const std::string path = (dir / "image.bin").string();
        std::ofstream(path) << std::string(300, 'x');
        return path;
    }();
};

TEST_F(UdsParametersTest, MissingSectionGivesEmptyFieldsAndNormal)
{
    const UdsParameters p = loaded("[Other]\nKivMode=1\n", 3);
    EXPECT_EQ(p.addressFormat, 0);
    EXPECT_EQ(p.sourceAddress, "");
    EXPECT_EQ(p.sequencePath, "");
    EXPECT_EQ(p.files[9], "");
}

TEST_F(UdsParametersTest, AddressFormatSelection)
{
    const std::pair<const char*, int> cases[] = {
        {"MIXED 11BIT", 4}, {"mixed", 3}, {"Normal Fixed", 1}, {"EXT", 2}, {"bogus", 2}, {"NORMAL FIXED PLUS", 2},
    };
    for (const auto& [value, format] : cases)
        EXPECT_EQ(loaded(std::string("[KivPlusUDS]\nUdsNetworkAF=") + value + "\n", 2).addressFormat, format) << value;
}

TEST_F(UdsParametersTest, SaveWritesEveryKeyAndLoadsBack)
{
    UdsParameters p = valid();
    p.files[9] = "/data/ten.bin";
    p.sequencePath = std::string(300, 's');
    {
        IniSettings ini(iniPath());
        p.save(ini);
    }
    QSettings written(QString::fromStdString(iniPath()), QSettings::IniFormat);
    written.beginGroup("KivPlusUDS");
    EXPECT_EQ(written.childKeys().size(), 23);
    EXPECT_EQ(written.value("UdsNetworkAF").toString(), "NORMAL FIXED");
    EXPECT_EQ(written.value("UdsFileCount10").toString(), "/data/ten.bin");

    IniSettings ini(iniPath());
    UdsParameters back;
    back.load(ini);
    EXPECT_EQ(back.transferReceiveId, "0x18DAF110");
    EXPECT_EQ(back.addressFormat, 1);
    EXPECT_EQ(back.files[0], dataPath);
    EXPECT_EQ(back.sequencePath.size(), 259u);
}

TEST_F(UdsParametersTest, ConversionOfValidTexts)
{
    KIVCommon::tUDSInformation info;
    const auto errors = toUdsInformation(valid(), info);
    ASSERT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(info.sourceAddress, 0xF1);
    EXPECT_EQ(info.targetAddress, 0x10);
    EXPECT_EQ(info.addressFormat, 1);
    EXPECT_EQ(info.physicalId, 0x7E0u);
    EXPECT_EQ(info.responseId, 0x98DAF110u);
    EXPECT_EQ(info.functionalId, 0x7DFu);
    EXPECT_EQ(info.wakeUpId, 0x100u);
    EXPECT_EQ(info.vendor, 1);
    EXPECT_EQ(info.canChannel, 1);
    EXPECT_EQ(info.fileSize[0], 300u);
    EXPECT_EQ(std::string(info.filePath[0]), dataPath);
    EXPECT_EQ(info.fileSize[1], 0u);
}

TEST_F(UdsParametersTest, EachFieldThatDoesNotConvertIsNamed)
{
    struct Case {
        std::string UdsParameters::*field;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {&UdsParameters::sourceAddress, "1G", "N_SA: \"1G\" is not a hexadecimal byte (00 to FF)"},
        {&UdsParameters::targetAddress, "100", "N_TA: \"100\" is not a hexadecimal byte (00 to FF)"},
        {&UdsParameters::targetAddressType, "-1", "N_TAType: \"-1\" is not a decimal number"},
        {&UdsParameters::transferSendId, "", "Transfer Send ID: no value"},
        {&UdsParameters::transferReceiveId, "20000000",
         "Transfer Receive ID: \"20000000\" is not a hexadecimal CAN identifier (0 to 1FFFFFFF)"},
        {&UdsParameters::wakeUpSendId, "0x", "WakeUp Send Id: \"0x\" is not a hexadecimal CAN identifier (0 to 1FFFFFFF)"},
        {&UdsParameters::vendor, "A", "Vendor: \"A\" is not a decimal number"},
        {&UdsParameters::canChannel, "2", "CAN Channel: \"2\" must be 0 (CAN 1) or 1 (CAN 2)"},
        {&UdsParameters::fileCount, "11", "FILE COUNT: \"11\" must be 0 to 10"},
        {&UdsParameters::fileCount, "2", "FILE 2: \"\" is not a readable file"},
        {&UdsParameters::sequencePath, "", "Sequence Path: no value"},
    };
    for (const auto& c : cases) {
        UdsParameters p = valid();
        p.*c.field = c.text;
        KIVCommon::tUDSInformation info;
        EXPECT_EQ(toUdsInformation(p, info), std::vector<std::string>{c.message}) << c.text;
    }
}

} // namespace
