// The dials' table against the shader files it names, the whole steps that
// bring a dial back to its default's own bits, the text a moved dial
// writes, and the tools' "--dial NAME=VALUE".
#include "common/dials.h"
#include "common/shader_rebuilds.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

std::string shaderText(const Dial& dial)
{
    return readFile(std::string(VORLUNE_SOURCE_DIR) + "/" + dial.file);
}

struct DialsTest : testing::Test {
    void SetUp() override
    {
        resetAllDials();
        takeShaderRebuildRequests();
    }
    void TearDown() override { SetUp(); }
};

TEST_F(DialsTest, EveryDialStartsOnItsStepsWithinItsRangeAndNamesAConstantItsFileDeclares)
{
    std::set<std::string> names;
    for (const Dial& dial : dialTable()) {
        EXPECT_TRUE(names.insert(dial.name).second) << dial.name << " named twice";
        EXPECT_LE(dial.least, dial.byDefault) << dial.name;
        EXPECT_GE(dial.most, dial.byDefault) << dial.name;
        const float fromLeast = (dial.byDefault - dial.least) / dial.step;
        EXPECT_NEAR(fromLeast, std::round(fromLeast), 1e-3) << dial.name << "'s default is off its steps";
        if (dial.file != nullptr) {
            const std::string text = shaderText(dial);
            const std::string declared = (dial.decimals == 0 ? "\nconst int " : "\nconst float ") + std::string(dial.symbol) + " = ";
            const std::size_t at = text.find(declared);
            ASSERT_NE(at, std::string::npos) << dial.file << " does not declare " << dial.symbol
                                             << ": the dial would change nothing";
            EXPECT_EQ(std::stof(text.substr(at + declared.size())), dial.byDefault)
                << dial.name << ": the table's default is not the file's value";
        }
    }
}

TEST_F(DialsTest, DefaultsLeaveEveryFileAsItIsAndAMovedDialWritesOnlyItsValue)
{
    for (const Dial& dial : dialTable()) {
        if (dial.file != nullptr) {
            EXPECT_EQ(withDialValues(shaderText(dial), dial.file), shaderText(dial)) << dial.file;
        }
    }
    const Dial& samples = dialInfo(kDialGodRaySamples);
    const std::string text = "// kGodRaySamples of them\nconst int kGodRaySamplesMore = 9;\nconst int kGodRaySamples = 6;\n";
    ASSERT_TRUE(setDial(kDialGodRaySamples, 24.0f));
    EXPECT_EQ(withDialValues(text, samples.file),
              "// kGodRaySamples of them\nconst int kGodRaySamplesMore = 9;\nconst int kGodRaySamples = 24;\n");
    EXPECT_EQ(withDialValues(text, "data/shader/BloomShader.fs"), text) << "another file was written into";
}

TEST_F(DialsTest, StepsAwayAndBackGiveTheDefaultsBitsRangesHoldAndOnlyShaderDialsAskForRebuilds)
{
    for (const Dial& dial : dialTable()) {
        nudgeDial(dial.id, 7);
        nudgeDial(dial.id, -7);
        EXPECT_EQ(dialValue(dial.id), dial.byDefault) << dial.name;
        nudgeDial(dial.id, 100000);
        EXPECT_NEAR(dialValue(dial.id), dial.most, dial.step / 2) << dial.name;
        EXPECT_FALSE(nudgeDial(dial.id, 1)) << dial.name << " went past its end";
    }
    EXPECT_EQ(resetAllDials(), static_cast<int>(dialTable().size()));
    EXPECT_FALSE(setDial(kDialBloomBlurRadius, NAN));
    takeShaderRebuildRequests();

    nudgeDial(kDialGodRayExposure, 1);
    nudgeDial(kDialShadowBias, 1);
    nudgeDial(kDialBloomStrength, 1);
    EXPECT_EQ(takeShaderRebuildRequests(), std::vector<std::string>{"data/shader/pointLightNormal.fs"});
}

TEST_F(DialsTest, ToolSettingsNameADialWithDashesAndAValueInItsRange)
{
    const std::optional<DialSetting> setting = parseDialSetting("blur-radius=12");
    ASSERT_TRUE(setting && setting->id == kDialBloomBlurRadius);
    for (const char* refused : {"blur-radius=99", "blur-radius=", "blur radius=6", "glow=1", "blur-radius=6x"}) {
        EXPECT_FALSE(parseDialSetting(refused)) << refused;
    }
    EXPECT_EQ(dialSettingRefusal("--dial", "blur-radius=99"), "--dial blur-radius takes a value from 1 to 24, not 99");

    applyDialSettings({*setting});
    EXPECT_EQ(dialValue(kDialBloomBlurRadius), 12.0f);
    EXPECT_TRUE(takeShaderRebuildRequests().empty()) << "a tool's programs are built with its dials";
}

}  // namespace
