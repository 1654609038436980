// Firmware and boot-loader images sent in blocks to the virtual device.
#include "SessionFixture.h"

#include "shell/FirmwareUpdate.h"
#include "shell/SessionTexts.h"

#include "TestPaths.h"

#include <fstream>

using namespace kivplus;
using namespace KIVCommon;

namespace {

class FirmwareEndToEnd : public sessiontest::SessionFixture {
protected:
    std::string writeImage(const std::string& name, std::size_t size)
    {
        const auto path = (dir / name).string();
        std::ofstream file(path, std::ios::binary);
        for (std::size_t i = 0; i < size; ++i)
            file.put(static_cast<char>(i * 7));
        return path;
    }

    std::vector<std::uint8_t> counters() const
    {
        std::vector<std::uint8_t> out;
        for (const auto& block : sim->firmware().blocks())
            out.push_back(block.counter);
        return out;
    }

    kivtest::TempDir dir;
};

TEST_F(FirmwareEndToEnd, ImagesAreSentInCountedBlocks)
{
    struct Case {
        std::size_t size;
        std::vector<std::uint8_t> counters;
        std::vector<std::size_t> sizes;
    } const cases[] = {
        {2500, {2, 1, 0}, {1024, 1024, 452}},
        {2048, {2, 1}, {1024, 1024}},
        {0, {}, {}},
    };
    for (const Case& c : cases) {
        session.disconnect();
        sim = std::make_unique<kivsim::Simulator>();
        ASSERT_TRUE(session.connect(sim->path()));
        prompt.shown.clear();
        const std::string path = writeImage("image" + std::to_string(c.size) + ".bin", c.size);
        ASSERT_TRUE(updateDeviceImage(session, path)) << c.size;
        EXPECT_EQ(prompt.texts(), std::vector<std::string>{sessiontext::kFirmwareDone});
        EXPECT_EQ(counters(), c.counters);
        std::vector<std::size_t> sizes;
        for (const auto& block : sim->firmware().blocks()) {
            sizes.push_back(block.dataSize);
            EXPECT_EQ(block.command, MSG_FIRMWARE_BLOCK);
        }
        EXPECT_EQ(sizes, c.sizes);
        ASSERT_TRUE(sim->device().waitForFrames(MSG_DEVICE_CONTROL, 1, std::chrono::seconds(1)));
        EXPECT_EQ(sim->settings().controlCodes(), std::vector<std::uint8_t>{4});
        std::ifstream file(path, std::ios::binary);
        EXPECT_EQ(sim->firmware().image(), std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {}));
    }
}

TEST_F(FirmwareEndToEnd, BootLoaderBlocksAndAFailureAtBlockN)
{
    sim->faults().setFault(MSG_BOOTLOADER_BLOCK, kivsim::Fault::StatusZero, 2);
    EXPECT_FALSE(updateDeviceImage(session, writeImage("boot.bl", 3000)));
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{sessiontext::kBootLoaderFailed});
    ASSERT_EQ(sim->firmware().blocks().size(), 2u) << "no block after the failed one";
    EXPECT_EQ(sim->firmware().blocks()[0].command, MSG_BOOTLOADER_BLOCK);
    EXPECT_EQ(sent(MSG_DEVICE_CONTROL), 0u);

    sim->faults().clear();
    prompt.shown.clear();
    EXPECT_TRUE(updateDeviceImage(session, writeImage("boot2.bl", 100)));
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{sessiontext::kBootLoaderDone});
}

TEST_F(FirmwareEndToEnd, FilesThatCannotBeSentAreRefused)
{
    EXPECT_FALSE(updateDeviceImage(session, writeImage("image.hex", 10)));
    EXPECT_FALSE(updateDeviceImage(session, writeImage("big.bin", kMaxImageSize + 1)));
    EXPECT_FALSE(updateDeviceImage(session, (dir / "missing.bin").string()));
    EXPECT_EQ(prompt.texts(), (std::vector<std::string>{sessiontext::kChooseImageFile, sessiontext::kImageTooLarge,
                                                        sessiontext::kFirmwareFailed}));
    EXPECT_EQ(sim->device().received().size(), 0u);
}

} // namespace
