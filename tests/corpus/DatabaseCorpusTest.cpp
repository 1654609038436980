// Every database listed in testdata/{dbc,arxml}/expected.json imports to what
// that file states.
#include "database/CMsgSignal.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <filesystem>
#include <set>
#include <string>

using namespace kivplus;
namespace fs = std::filesystem;

namespace {

// Where this import and the reference reader disagree on purpose: the
// reference drops value descriptions whose VAL_ line lacks its ';', this
// import keeps them (the list ends where the next section starts).
const std::set<std::string> kKeptValueLists = {
    "mazda_2017.dbc/BSM/LEFT_BS_STATUS",
    "mazda_2017.dbc/BSM/RIGHT_BS_STATUS",
};

QJsonObject readExpected(const fs::path& path)
{
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

fs::path findFile(const fs::path& folder, const std::string& name)
{
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().filename() == name)
            return entry.path();
    }
    return {};
}

// Integers beyond 2^53 come back from Qt's JSON as doubles; they are compared
// as doubles then.
void expectInteger(const QJsonValue& expected, std::int64_t got, bool isSigned, const std::string& where)
{
    const double asDouble = isSigned ? static_cast<double>(got) : static_cast<double>(static_cast<std::uint64_t>(got));
    if (std::fabs(expected.toDouble()) < 9007199254740992.0) {
        EXPECT_EQ(expected.toInteger(), got) << where;
    } else {
        EXPECT_EQ(expected.toDouble(), asDouble) << where;
    }
}

void expectReal(double expected, double got, const std::string& where)
{
    EXPECT_LE(std::fabs(expected - got), 1e-9 * std::max(1.0, std::fabs(expected))) << where << ": " << got;
}

void compare(const std::string& file, const QJsonObject& expected, const CMsgSignal& db)
{
    EXPECT_EQ(db.useGMParameterIds, expected["useGMParameterIds"].toBool()) << file;
    const QJsonArray messages = expected["messages"].toArray();
    ASSERT_EQ(db.messageCount(), static_cast<std::uint32_t>(messages.size())) << file;
    for (qsizetype i = 0; i < messages.size(); ++i) {
        const QJsonObject em = messages[i].toObject();
        const tDbMessage& m = db.messages[static_cast<std::size_t>(i)];
        const std::string where = file + "/" + em["name"].toString().toStdString();
        EXPECT_EQ(m.name, em["name"].toString().toStdString()) << where;
        EXPECT_EQ(m.id, static_cast<std::uint32_t>(em["id"].toInteger())) << where;
        EXPECT_EQ(m.extended, em["extended"].toInt()) << where;
        EXPECT_EQ(m.dlc, em["dlc"].toInt()) << where;
        if (!em["cycleTime"].isNull()) {
            EXPECT_EQ(m.cycleTime, em["cycleTime"].toInt()) << where;
        }
        if (!em["priority"].isNull()) {
            EXPECT_EQ(m.priority, em["priority"].toInt()) << where;
        }
        const QJsonArray signalArray = em["signals"].toArray();
        ASSERT_EQ(m.signalList.size(), static_cast<std::size_t>(signalArray.size())) << where;
        for (qsizetype k = 0; k < signalArray.size(); ++k) {
            const QJsonObject es = signalArray[k].toObject();
            const tDbSignal& s = m.signalList[static_cast<std::size_t>(k)];
            const std::string at = where + "/" + es["name"].toString().toStdString();
            EXPECT_EQ(s.name, es["name"].toString().toStdString()) << at;
            EXPECT_EQ(s.startByte, es["startByte"].toInt()) << at;
            EXPECT_EQ(s.startBit, es["startBit"].toInt()) << at;
            EXPECT_EQ(s.length, es["length"].toInt()) << at;
            EXPECT_EQ(s.byteOrder, es["byteOrder"].toInt()) << at;
            expectReal(es["factor"].toDouble(), s.factor, at + " factor");
            expectReal(es["offset"].toDouble(), s.offset, at + " offset");
            EXPECT_EQ(s.unit, es["unit"].toString().toStdString()) << at;
            EXPECT_EQ(s.signalType, es["signalType"].toString().toStdString()) << at;
            const bool isSigned = s.signalType == "SNM";
            expectInteger(es["rawMin"], s.rawMin, isSigned, at + " rawMin");
            expectInteger(es["rawMax"], s.rawMax, isSigned, at + " rawMax");
            if (kKeptValueLists.count(at))
                continue;
            const QJsonArray values = es["values"].toArray();
            ASSERT_EQ(s.valueTable.size(), static_cast<std::size_t>(values.size())) << at;
            for (qsizetype v = 0; v < values.size(); ++v) {
                const QJsonArray pair = values[v].toArray();
                EXPECT_EQ(s.valueTable[static_cast<std::size_t>(v)].value, pair[0].toInteger()) << at;
                EXPECT_EQ(s.valueTable[static_cast<std::size_t>(v)].text, pair[1].toString().toStdString()) << at;
            }
        }
    }
}

void runCorpus(const std::string& kind)
{
    const fs::path folder = kivtest::testdataDir() / kind;
    if (!fs::is_regular_file(folder / "expected.json"))
        GTEST_SKIP() << "no third-party test data at " << folder;
    const QJsonObject expected = readExpected(folder / "expected.json");
    ASSERT_FALSE(expected.isEmpty());
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        const std::string name = it.key().toStdString();
        const fs::path path = findFile(folder, name);
        ASSERT_FALSE(path.empty()) << name << " is listed but not present";
        const QJsonObject entry = it.value().toObject();
        CMsgSignal db;
        std::string extension = path.extension().string().substr(1);
        const bool loaded = db.loadDatabase(path.string(), extension);
        if (entry.contains("error")) {
            EXPECT_FALSE(loaded) << name << " should not import";
            continue;
        }
        // A database without a single message is refused by the import rules.
        if (kind == "dbc" && entry["messages"].toArray().isEmpty()) {
            EXPECT_FALSE(loaded) << name;
            continue;
        }
        ASSERT_TRUE(loaded) << name << ": " << db.lastError();
        compare(name, entry, db);
    }
}

TEST(DatabaseCorpus, DbcFilesImportAsExpected)
{
    runCorpus("dbc");
}

TEST(DatabaseCorpus, ArxmlFilesImportAsExpected)
{
    runCorpus("arxml");
}

} // namespace
