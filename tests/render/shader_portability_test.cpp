// Every shader stage must also satisfy the Khronos reference compiler
// (glslangValidator), not only the Mesa compiler the other tests run on:
// a GPU driver that is stricter than Mesa rejects what Mesa lets through.
#include "support/gl_context.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Files built in several forms, each the lines the program inserts after
// #version; a file not listed is built as it is.
const std::map<std::string, std::vector<std::string>> kVariantDefines = {
    {"pointLightNormal.vs", {""}},
    {"pointLightNormal.fs", {""}},
};
const std::map<std::string, std::string> kStageOfExtension = {{".vs", "vert"}, {".gs", "geom"}, {".fs", "frag"}};

std::string run(const std::string& command)
{
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    char buffer[512];
    while (pipe != nullptr && std::fgets(buffer, sizeof(buffer), pipe) != nullptr) {
        output += buffer;
    }
    return pipe != nullptr && pclose(pipe) == 0 ? output : output + "(exit status not 0)\n";
}

TEST(ShaderPortability, EveryStageAndVariantPassesTheReferenceCompilerWithoutWarnings)
{
    ASSERT_EQ(std::system("command -v glslangValidator >/dev/null"), 0)
        << "glslangValidator is missing: bash tools/install-deps.sh installs it (Debian package glslang-tools)";
    TempDir scratch;
    int checked = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(std::string(VORLUNE_SOURCE_DIR) + "/data/shader")) {
        const std::string name = entry.path().filename().string();
        std::ifstream in(entry.path());
        std::string version;
        std::getline(in, version);
        const std::string rest((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto variants = kVariantDefines.find(name);
        for (const std::string& defines :
             variants == kVariantDefines.end() ? std::vector<std::string>{""} : variants->second) {
            SCOPED_TRACE(name + " with [" + defines + "]");
            // The variant's text exactly as the program hands it to GL.
            scratch.write(name, version + "\n" + defines + rest);
            const std::string stage = kStageOfExtension.at(entry.path().extension().string());
            const std::string output = run("glslangValidator -S " + stage + " '" + scratch.file(name) + "'");
            EXPECT_EQ(output, "");
            ++checked;
        }
    }
    EXPECT_GE(checked, 11) << "the five programs have eleven stages";
}

}  // namespace
