// Where a program started from anywhere finds data/, and the one line when
// it finds none.
#include "app/data_folder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// The install lives in a fresh temporary folder: only places found from the
// program's own folder can reach its share/, so a moved install works.
TEST(DataFolder, StartFolderThenProgramFolderThenTheInstallBesideIt)
{
    TempDir root;
    const fs::path start = root.path + "/home", bin = root.path + "/moved/bin";
    const auto found = [&] { return findDataFolder(dataFolderCandidates(start, bin)); };
    root.write("home/data/notes.txt", "an unrelated data/ without shaders");
    EXPECT_EQ(found(), std::nullopt);
    fs::create_directories(root.path + "/moved/share/vorlune/data/shader");
    EXPECT_EQ(found(), fs::path(root.path + "/moved/share/vorlune"));
    fs::create_directories(bin / "data/shader");
    EXPECT_EQ(found(), bin);
    // Shaders in the start folder win even with a file missing: the loaders
    // report that file and the program goes on.
    fs::create_directories(start / "data/shader");
    EXPECT_EQ(found(), start);
}

TEST(DataFolder, NotFoundLineNamesEachPlaceOnceAndTheFix)
{
#ifdef _WIN32
    EXPECT_EQ(dataFolderNotFoundLine("vorlune.exe", dataFolderCandidates("C:\\v\\bin", "C:\\v\\bin")),
              "vorlune.exe: cannot find its data (looked for data/shader/ in C:\\v\\bin and C:\\v\\share\\vorlune); "
              "start it from the folder that holds data/ (a source checkout's root), or unpack the package "
              "again so that data\\ sits beside the program");
#else
    EXPECT_EQ(dataFolderNotFoundLine("vorlune", dataFolderCandidates("/opt/v/bin", "/opt/v/bin")),
              "vorlune: cannot find its data (looked for data/shader/ in /opt/v/bin and /opt/v/share/vorlune); "
              "start it from the folder that holds data/ (a source checkout's root), or install it again so "
              "that share/vorlune/data sits beside its bin/ folder");
#endif
}

}  // namespace
