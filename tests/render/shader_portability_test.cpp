// Every shader stage must also satisfy the Khronos reference compiler, not
// only Mesa's: GPU drivers stricter than Mesa reject what it lets through.
#include "support/gl_context.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace {

// Files built in several forms: the lines each form inserts after #version.
const std::map<std::string, std::vector<std::string>> kVariantDefines = {
    {"pointLightNormal.vs", {""}},
    {"pointLightNormal.fs", {""}},
};
const std::map<std::string, std::string> kStages = {{".vs", "vert"}, {".gs", "geom"}, {".fs", "frag"}};

TEST(ShaderPortability, EveryStageAndVariantPassesGlslangValidatorWithoutWarnings)
{
    ASSERT_EQ(std::system("command -v glslangValidator >/dev/null"), 0) << "bash tools/install-deps.sh installs it";
    TempDir scratch;
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(VORLUNE_SOURCE_DIR) + "/data/shader")) {
        const std::string name = entry.path().filename().string();
        std::ifstream in(entry.path());
        std::string version;
        std::getline(in, version);
        const std::string rest((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto found = kVariantDefines.find(name);
        const std::vector<std::string> variants =
            found == kVariantDefines.end() ? std::vector<std::string>{""} : found->second;
        for (const std::string& defines : variants) {
            scratch.write(name, version + "\n" + defines + rest);
            const std::string command = "glslangValidator -S " + kStages.at(entry.path().extension().string()) +
                                        " '" + scratch.file(name) + "' >'" + scratch.file("out") + "' 2>&1";
            const int status = std::system(command.c_str());
            std::stringstream output;
            output << std::ifstream(scratch.file("out")).rdbuf();
            EXPECT_TRUE(status == 0 && output.str().empty()) << name << " [" << defines << "]:\n" << output.str();
            ++checked;
        }
    }
    EXPECT_GE(checked, 11) << "the five programs have eleven stages";
}

}  // namespace
