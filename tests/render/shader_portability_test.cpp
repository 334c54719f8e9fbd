// Every shader stage must also satisfy the Khronos reference compiler, not
// only Mesa's: GPU drivers stricter than Mesa reject what it lets through.
#include "common/dials.h"
#include "render/lighting_pass.h"
#include "render/shader_program.h"
#include "support/files.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/platform_skips.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

namespace {

// Files built in several forms: the definitions of each form, as the
// viewer inserts them, by file name.
std::map<std::string, std::vector<std::string>> variantDefinitions()
{
    std::vector<std::string> forms;
    for (int index = 0; index < kLightingVariantCount; ++index) {
        forms.push_back(lightingDefinitions(lightingEffectsAt(index)));
    }
    std::map<std::string, std::vector<std::string>> byFile;
    const ShaderFiles& lightingFiles = lightingPass.shaderFiles;
    for (const char* path : {lightingFiles.vertex, lightingFiles.geometry, lightingFiles.fragment}) {
        if (path != nullptr) {
            byFile[std::filesystem::path(path).filename().string()] = forms;
        }
    }
    return byFile;
}
const std::map<std::string, std::vector<std::string>> kVariantDefines = variantDefinitions();
const std::map<std::string, std::string> kStages = {{".vs", "vert"}, {".gs", "geom"}, {".fs", "frag"}};

// Checks every form of every stage whose file name `include` accepts, with
// the dials as they are set; returns how many it checked.
template <typename Include>
int validateStages(const TempDir& scratch, Include include)
{
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(VORLUNE_SOURCE_DIR) + "/data/shader")) {
        const std::string name = entry.path().filename().string();
        if (!include(name)) {
            continue;
        }
        const std::string source = withDialValues(readFile(entry.path()), "data/shader/" + name);
        const auto found = kVariantDefines.find(name);
        const std::vector<std::string> variants =
            found == kVariantDefines.end() ? std::vector<std::string>{""} : found->second;
        for (const std::string& defines : variants) {
            scratch.write(name, withDefinitions(source, defines));
            const ProcessResult run = runProgram(
                {"glslangValidator", "-S", kStages.at(entry.path().extension().string()), scratch.file(name)});
            EXPECT_TRUE(run.status == 0 && run.output.empty()) << name << " [" << defines << "]:\n" << run.output;
            ++checked;
        }
    }
    return checked;
}

TEST(ShaderPortability, EveryStageAndVariantPassesGlslangValidatorWithoutWarnings)
{
    SKIP_WITHOUT_POSIX_SHELL();
    ASSERT_EQ(runShell("command -v glslangValidator").status, 0) << "bash tools/install-deps.sh installs it";
    TempDir scratch;
    EXPECT_GE(validateStages(scratch, [](const std::string&) { return true; }), 11)
        << "the five programs have eleven stages";

    // The text a dial writes must build as well, at either end of its range.
    const auto dialFile = [](const std::string& name) {
        return std::any_of(dialTable().begin(), dialTable().end(),
                           [&name](const Dial& dial) { return dial.file != nullptr && "data/shader/" + name == dial.file; });
    };
    for (const bool most : {false, true}) {
        for (const Dial& dial : dialTable()) {
            setDial(dial.id, most ? dial.most : dial.least);
        }
        validateStages(scratch, dialFile);
    }
    resetAllDials();
}

}  // namespace
