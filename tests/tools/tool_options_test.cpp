// The tools' command lines: each parser's refusals name the argument at
// fault, and the real programs answer --help and a bad flag with the status
// and streams a script relies on, before they start anything.
#include "capture/capture_options.h"
#include "frame_bench/bench_options.h"
#include "generate_assets/asset_options.h"
#include "model_import_bench/import_bench_options.h"
#include "support/process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kUsageError = 2;

// A refusal of "" expects the words to be accepted.
struct Case {
    std::vector<std::string> words;
    std::string refusal;
};

// Runs `parse` on the words as a command line; the stop tells what it refused.
template <typename Parse>
CommandLineStop parseWords(Parse parse, std::vector<std::string> words)
{
    words.insert(words.begin(), "tool");
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    CommandLineStop stop;
    const bool accepted = static_cast<bool>(parse(static_cast<int>(argv.size()), argv.data(), stop));
    EXPECT_EQ(accepted, !stop.helpAsked && stop.refusal.empty());
    return stop;
}

template <typename Parse>
void expectRefusals(Parse parse, const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        const CommandLineStop stop = parseWords(parse, c.words);
        EXPECT_FALSE(stop.helpAsked);
        EXPECT_EQ(stop.refusal, c.refusal) << testing::PrintToString(c.words);
    }
    EXPECT_TRUE(parseWords(parse, {"--help"}).helpAsked);
    EXPECT_TRUE(parseWords(parse, {"-h"}).helpAsked);
}

TEST(ToolOptions, FrameBenchRefusesWhatItWouldOnceHaveGuessed)
{
    expectRefusals(parseBenchOptions,
                   {{{"--frames", "200", "--long-run", "1000", "--offscreen", "--startup-only"}, ""},
                    {{"--frames", "abc"}, "--frames takes a whole number from 1 to 100000, not abc"},
                    {{"--frames", "99999999999"}, "--frames takes a whole number from 1 to 100000, not 99999999999"},
                    {{"--frames", "0"}, "--frames takes a whole number from 1 to 100000, not 0"},
                    {{"--long-run", "-5"}, "--long-run takes a whole number from 1 to 10000000, not -5"},
                    {{"--frame", "1"}, "unknown option --frame"},
                    {{"60"}, "unexpected argument 60"},
                    {{"--frames"}, "--frames needs a value"},
                    {{"--size", "3840x2160", "--resizes", "200"}, ""},
                    {{"--resizes", "0"}, "--resizes takes a whole number from 1 to 100000, not 0"}});
}

// Both tools read --size the same way, to the same bounds.
TEST(ToolOptions, SizesAreTwoWholeSidesWithinBounds)
{
    const std::string bounds = "--size takes WIDTHxHEIGHT in pixels, each from 16 to 8192, not ";
    const std::vector<Case> sizes = {{{"--size", "16x8192"}, ""},
                                     {{"--size", "0x5"}, bounds + "0x5"},
                                     {{"--size", "8193x600"}, bounds + "8193x600"},
                                     {{"--size", "99999999999999999999x5"}, bounds + "99999999999999999999x5"},
                                     {{"--size", "abc"}, bounds + "abc"},
                                     {{"--size", "+1920x1080"}, bounds + "+1920x1080"},
                                     {{"--size", "1920x1080x1"}, bounds + "1920x1080x1"},
                                     {{"--size"}, "--size needs a value"}};
    expectRefusals(parseBenchOptions, sizes);
    std::vector<Case> captureSizes = sizes;
    for (Case& c : captureSizes) {
        c.words.insert(c.words.begin(), "1.0");
    }
    expectRefusals(parseCaptureOptions, captureSizes);

    std::string words[] = {"tool", "--size", "800x600", "1.0"};
    char* argv[] = {words[0].data(), words[1].data(), words[2].data(), words[3].data()};
    CommandLineStop stop;
    EXPECT_EQ(parseCaptureOptions(4, argv, stop).value().size, (FrameSize{800, 600}));
    EXPECT_EQ(parseBenchOptions(3, argv, stop).value().size, (FrameSize{800, 600}));
}

TEST(ToolOptions, CaptureRefusesTimesAndAnglesOutOfRange)
{
    expectRefusals(parseCaptureOptions,
                   {{{"--free-look", "-360,89", "--bloom", "off", "0", "3600"}, ""},
                    {{"4000"}, "TIME takes seconds from 0 to 3600, not 4000"},
                    {{"1", "nan"}, "TIME takes seconds from 0 to 3600, not nan"},
                    {{"inf"}, "TIME takes seconds from 0 to 3600, not inf"},
                    {{"--free-look", "10,95", "1"}, "--free-look's pitch takes degrees from -89 to 89, not 95"},
                    {{"--free-look", "x,0", "1"}, "--free-look's yaw takes degrees from -360 to 360, not x"},
                    {{"--frames", "3", "1"}, "unknown option --frames"},
                    {{"1", "--out"}, "--out needs a value"},
                    {{"--view", "shadow-map", "1"}, ""},
                    {{"--view", "depth", "1"},
                     "--view takes one of frame, god-rays, bloom-bright, bloom-blur, shadow-map, not depth"},
                    // "-000.png" makes 255 bytes of a 247-character prefix.
                    {{"--prefix", std::string(247, 'p'), "0"}, ""},
                    {{"--prefix", std::string(248, 'p'), "0"},
                     "--prefix of 248 characters makes file names of 256, more than the 255 a file name may have"}});
}

TEST(ToolOptions, ModelImportBenchAndGeneratorTakeNoOptions)
{
    expectRefusals(parseImportBenchOptions, {{{}, ""}, {{"--runs", "3"}, "unknown option --runs"}});
    expectRefusals(parseAssetOptions, {{{}, ""},
                                       {{"out"}, ""},
                                       {{"--out", "x"}, "unknown option --out"},
                                       {{"one", "two"}, "unexpected argument two"}});
}

TEST(ToolOptions, EveryProgramAnswersHelpAndABadFlagBeforeStarting)
{
    ProcessOptions keepErrorsApart;
    keepErrorsApart.separateErrors = true;
    for (const char* program : {VORLUNE_CAPTURE, VORLUNE_FRAME_BENCH, VORLUNE_MODEL_IMPORT_BENCH,
                                VORLUNE_GENERATE_ASSETS}) {
        SCOPED_TRACE(program);
        const std::string name = std::filesystem::path(program).stem().string();
        const ProcessResult help = runProgram({program, "--help"}, keepErrorsApart);
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.output.rfind("usage: " + name, 0), 0u) << help.output;
        EXPECT_EQ(help.errors, "");

        const ProcessResult bad = runProgram({program, "--bogus"}, keepErrorsApart);
        EXPECT_EQ(bad.status, kUsageError);
        EXPECT_EQ(bad.output, "");
        EXPECT_EQ(bad.errors, name + ": unknown option --bogus\n" + help.output);
    }
}

}  // namespace
