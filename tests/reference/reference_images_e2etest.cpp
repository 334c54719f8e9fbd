// The real viewer's frames, rendered by the capture program on a hidden
// window and offscreen, against the committed reference images: a moved
// shadow, a lost effect, a changed tour or an offscreen frame that differs
// from the window's fails, and leaves the new render and a picture of the
// difference.
// With VORLUNE_UPDATE_REFERENCES=DIR set, the renders are written to DIR
// instead of compared (tools/update_references.sh does this, and replaces
// the references with them only once every frame has rendered).
#include "reference/capture_run.h"
#include "reference/image_difference.h"
#include "reference/reference_frames.h"
#include "support/rgb_image.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <sstream>

namespace {

namespace fs = std::filesystem;


constexpr const char* kUpdateVariable = "VORLUNE_UPDATE_REFERENCES";
constexpr const char* kEffectSwitches[] = {"--shadows", "--god-rays", "--bloom"};

// 50 ms turn the shields 14.5 degrees and carry the camera 7.5 cm: small
// next to anything a person would call the same picture.
constexpr double kTimeShift = 0.05;
constexpr const char* kShiftedFrame = "near-beacon";

// Where the update mode writes the renders; empty when comparing.
std::string updateDirectory()
{
    const char* directory = std::getenv(kUpdateVariable);
    return directory != nullptr ? directory : "";
}

// Reference images are kept at half size; see halved().
RgbImage halfSizeRender(const std::string& path)
{
    const RgbImage full = loadPng(path);
    return full.empty() ? full : halved(full);
}

// The capture program's two ways to a context: its hidden window, and the
// offscreen context that machines without a display use; and offscreen with
// the shadow cube map drawn a face at a time, as the browser draws it.
enum class ContextPath { HiddenWindow, Offscreen, OffscreenShadowFaces };

const char* pathName(ContextPath path)
{
    switch (path) {
    case ContextPath::HiddenWindow:
        return "window";
    case ContextPath::Offscreen:
        return "offscreen";
    case ContextPath::OffscreenShadowFaces:
        return "shadow_faces";
    }
    return "?";
}

void PrintTo(ContextPath path, std::ostream* out)
{
    *out << pathName(path);
}

// Where a person looks after a failure: beside the test, not in a temp dir.
struct FailureFiles {
    fs::path render;
    fs::path difference;
};

FailureFiles failureFilesFor(const std::string& imageName, ContextPath path)
{
    const fs::path directory = fs::current_path() / "reference-failures";
    const std::string stem = fs::path(imageName).stem().string() + "-" + pathName(path);
    return {directory / (stem + "-render.png"), directory / (stem + "-difference.png")};
}

void checkAgainstReference(const RgbImage& render, const std::string& imageName, ContextPath path)
{
    const std::string referencePath = kReferenceImageDirectory + "/" + imageName;
    const RgbImage reference = loadPng(referencePath);
    ASSERT_FALSE(reference.empty()) << "no reference image " << referencePath
                                    << "; run tools/update_references.sh";
    ASSERT_EQ(render.width, reference.width) << referencePath;
    ASSERT_EQ(render.height, reference.height) << referencePath;

    const ImageDifference difference = compareImages(render, reference, kChannelThreshold);
    // Every comparison's numbers, for a look at how close another build or
    // system comes (tools/windows.sh reports the largest).
    std::cout << imageName << " (" << pathName(path) << "): " << describe(difference) << "\n";
    const FailureFiles files = failureFilesFor(imageName, path);
    if (withinTolerance(difference)) {
        // An earlier failure's pictures would only mislead now.
        fs::remove(files.render);
        fs::remove(files.difference);
        return;
    }
    fs::create_directories(files.render.parent_path());
    savePng(files.render.string(), render);
    savePng(files.difference.string(), differencePicture(render, reference, kChannelThreshold));
    ADD_FAILURE() << imageName << ": " << describe(difference) << "\n  reference:  " << referencePath
                  << "\n  render:     " << files.render.string()
                  << "\n  difference: " << files.difference.string() << " (red: over the threshold)"
                  << "\n  If the change is intended, run tools/update_references.sh";
}

class RenderedFrame : public testing::TestWithParam<std::tuple<ReferenceFrame, ContextPath>> {};

TEST_P(RenderedFrame, MatchesItsReferenceImages)
{
    const auto& [frame, contextPath] = GetParam();
    std::string arguments = frame.arguments;
    if (contextPath == ContextPath::Offscreen) {
        arguments = "--offscreen " + arguments;
    } else if (contextPath == ContextPath::OffscreenShadowFaces) {
        if (!updateDirectory().empty()) {
            GTEST_SKIP() << "the references are made with the desktop's own shadow pass";
        }
        arguments = "--offscreen --per-face-shadows " + arguments;
    } else {
        // Without a display the capture program renders offscreen anyway.
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "the window path needs an X display (xvfb-run -a)";
    }
    TempDir scratch;
    const CaptureRun run = runCapture(scratch.path, frame.name, arguments);
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_FALSE(run.images.empty()) << run.output;

    const std::string updateInto = updateDirectory();
    for (const std::string& path : run.images) {
        const std::string imageName = fs::path(path).filename().string();
        SCOPED_TRACE(imageName);
        const RgbImage render = halfSizeRender(path);
        ASSERT_FALSE(render.empty()) << "unreadable render " << path;
        if (!updateInto.empty()) {
            const std::string updatePath = updateInto + "/" + imageName;
            ASSERT_TRUE(savePng(updatePath, render)) << "cannot write " << updatePath;
        } else {
            checkAgainstReference(render, imageName, contextPath);
        }
    }
}

std::string testNameOf(const testing::TestParamInfo<RenderedFrame::ParamType>& info)
{
    std::string name = std::get<ReferenceFrame>(info.param).name + "_" + pathName(std::get<ContextPath>(info.param));
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(ReferenceFrames, RenderedFrame,
                         testing::Combine(testing::ValuesIn(readReferenceFrames()),
                                          testing::Values(ContextPath::HiddenWindow, ContextPath::Offscreen,
                                                          ContextPath::OffscreenShadowFaces)),
                         testNameOf);

std::vector<std::string> wordsOf(const std::string& arguments)
{
    std::istringstream in(arguments);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

std::string joined(const std::vector<std::string>& words)
{
    std::string text;
    for (const std::string& word : words) {
        text += (text.empty() ? "" : " ") + word;
    }
    return text;
}

bool isEffectSwitch(const std::string& word)
{
    return std::find(std::begin(kEffectSwitches), std::end(kEffectSwitches), word) != std::end(kEffectSwitches);
}

// The arguments with every "--effect off" removed.
std::string withEffectsOn(const std::string& arguments)
{
    const std::vector<std::string> words = wordsOf(arguments);
    std::vector<std::string> kept;
    for (size_t i = 0; i < words.size(); ++i) {
        if (isEffectSwitch(words[i]) && i + 1 < words.size() && words[i + 1] == "off") {
            ++i;
        } else {
            kept.push_back(words[i]);
        }
    }
    return joined(kept);
}

// If an effect stopped doing anything, regenerating the references would
// quietly bless it; each switched-off frame must stay visibly different from
// its all-on twin.
TEST(ReferenceTolerance, RejectsEachEffectSwitchedOff)
{
    const std::vector<ReferenceFrame> frames = readReferenceFrames();
    ASSERT_FALSE(frames.empty()) << "cannot read " << kReferenceDirectory << "/frames.txt";

    for (const char* effect : kEffectSwitches) {
        SCOPED_TRACE(effect);
        int comparisons = 0;
        for (const ReferenceFrame& off : frames) {
            if (off.arguments.find(std::string(effect) + " off") == std::string::npos) {
                continue;
            }
            const std::string onArguments = withEffectsOn(off.arguments);
            const auto on = std::find_if(frames.begin(), frames.end(),
                                         [&](const ReferenceFrame& f) { return f.arguments == onArguments; });
            ASSERT_NE(on, frames.end()) << off.name << " has no frame with the same arguments and effects on";
            const std::vector<std::string> offImages = referenceImagesOf(off);
            const std::vector<std::string> onImages = referenceImagesOf(*on);
            ASSERT_EQ(offImages.size(), onImages.size()) << off.name << " against " << on->name;
            for (size_t i = 0; i < offImages.size(); ++i) {
                const RgbImage offImage = loadPng(offImages[i]);
                const RgbImage onImage = loadPng(onImages[i]);
                ASSERT_FALSE(offImage.empty() || onImage.empty()) << offImages[i] << " against " << onImages[i];
                const ImageDifference difference = compareImages(offImage, onImage, kChannelThreshold);
                EXPECT_FALSE(withinTolerance(difference)) << offImages[i] << ": " << describe(difference);
                ++comparisons;
            }
        }
        EXPECT_GT(comparisons, 0) << "no reference frame shows the scene with this effect off";
    }
}

// The tolerance must not absorb motion: the same frame a moment later, with
// the shadows swept on and the camera moved, fails.
TEST(ReferenceTolerance, RejectsTheSameViewFiftyMillisecondsLater)
{
    const std::vector<ReferenceFrame> frames = readReferenceFrames();
    const auto frame = std::find_if(frames.begin(), frames.end(),
                                    [](const ReferenceFrame& f) { return f.name == kShiftedFrame; });
    ASSERT_NE(frame, frames.end()) << kShiftedFrame << " is not in frames.txt";
    std::vector<std::string> words = wordsOf(frame->arguments);
    words.back() = std::to_string(std::stod(words.back()) + kTimeShift);
    const std::string later = joined(words);

    TempDir scratch;
    const CaptureRun run = runCapture(scratch.path, "later", later);
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_FALSE(run.images.empty()) << run.output;
    const std::vector<std::string> references = referenceImagesOf(*frame);
    ASSERT_EQ(references.size(), run.images.size());

    const RgbImage render = halfSizeRender(run.images.back());
    const RgbImage reference = loadPng(references.back());
    ASSERT_FALSE(render.empty() || reference.empty());
    const ImageDifference difference = compareImages(render, reference, kChannelThreshold);
    EXPECT_FALSE(withinTolerance(difference)) << later << ": " << describe(difference);
}

}  // namespace
