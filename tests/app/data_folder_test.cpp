// Where a program started from anywhere finds data/: its start folder first,
// then beside itself, then an install's share folder found from its own
// place, so a moved install still works; and the one line when none has it.
#include "app/data_folder.h"
#include "support/gl_context.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

std::optional<fs::path> dataFolderFor(const fs::path& start, const fs::path& program)
{
    return findDataFolder(dataFolderCandidates(start, program));
}

TEST(DataFolder, StartFolderThenProgramFolderThenInstallShareFolder)
{
    TempDir root;
    const fs::path start = root.path + "/home";
    const fs::path bin = root.path + "/prefix/bin";
    const fs::path share = root.path + "/prefix/share/vorlune";
    root.write("home/data/notes.txt", "an unrelated data folder");

    EXPECT_EQ(dataFolderFor(start, bin), std::nullopt);
    fs::create_directories(share / "data/shader");
    EXPECT_EQ(dataFolderFor(start, bin), share);
    fs::create_directories(bin / "data/shader");
    EXPECT_EQ(dataFolderFor(start, bin), bin);
    // Shaders in the start folder win even with a file missing: the loaders
    // report that file and the program goes on.
    fs::create_directories(start / "data/shader");
    EXPECT_EQ(dataFolderFor(start, bin), start);
}

TEST(DataFolder, MovedInstallFindsItsDataFromItsNewPlace)
{
    TempDir root;
    root.write("old/share/vorlune/data/shader/x.vs", "");
    fs::rename(root.path + "/old", root.path + "/new");
    EXPECT_EQ(dataFolderFor(root.path, root.path + "/new/bin"), fs::path(root.path + "/new/share/vorlune"));
}

TEST(DataFolder, NotFoundLineNamesEveryPlaceLookedAtAndTheFix)
{
    const std::string line =
        dataFolderNotFoundLine("vorlune", dataFolderCandidates("/home/u", "/opt/vorlune/bin"));
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(line.rfind("vorlune: ", 0), 0u);
    for (const char* place : {"/home/u, ", "/opt/vorlune/bin and ", "/opt/vorlune/share/vorlune)", "data/shader/",
                              "start it from the folder that holds data/"}) {
        EXPECT_NE(line.find(place), std::string::npos) << place << " missing from: " << line;
    }
    // Started from its own folder, the program lists it once.
    EXPECT_EQ(dataFolderCandidates("/opt/vorlune/bin", "/opt/vorlune/bin").size(), 2u);
}

}  // namespace
