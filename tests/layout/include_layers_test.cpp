// The layers of src/ as the includes draw them: app/ composes the others and
// nothing but the web page (web/, the browser's entry point) includes it; model/ may use render/'s program helpers but render/
// knows nothing of models; and no two source files include each other,
// however indirectly. Every include written in quotes names a file of src/
// by its folder, so the graph sees it and nothing reaches past src/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A header and its source file are one node ("render/shadow_pass").
using Graph = std::map<std::string, std::set<std::string>>;

Graph includeGraph(const fs::path& sources)
{
    Graph graph;
    const std::regex include(R"re(#include "([a-z_]+(?:/[a-z_0-9]+)+)\.h")re");
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(sources)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const std::string node = fs::relative(entry.path(), sources).replace_extension().generic_string();
        std::ifstream file(entry.path());
        graph[node];
        for (std::string line; std::getline(file, line);) {
            std::smatch match;
            if (std::regex_search(line, match, include) && match[1] != node && fs::exists(sources / (match[1].str() + ".h"))) {
                graph[node].insert(match[1]);
            }
        }
    }
    return graph;
}

std::string folderOf(const std::string& node)
{
    return node.substr(0, node.find('/'));
}

// The first cycle found, as the path that closes it; empty when there is none.
std::vector<std::string> findCycle(const Graph& graph)
{
    std::map<std::string, int> state;  // 1 on the path, 2 done
    std::vector<std::string> path;
    std::vector<std::string> cycle;
    const std::function<void(const std::string&)> visit = [&](const std::string& node) {
        state[node] = 1;
        path.push_back(node);
        for (const std::string& next : graph.at(node)) {
            if (!cycle.empty()) {
                break;
            }
            if (state[next] == 1) {
                cycle.assign(std::find(path.begin(), path.end(), next), path.end());
                cycle.push_back(next);
            } else if (state[next] == 0 && graph.count(next) != 0) {
                visit(next);
            }
        }
        path.pop_back();
        state[node] = 2;
    };
    for (const auto& [node, includes] : graph) {
        if (state[node] == 0 && cycle.empty()) {
            visit(node);
        }
    }
    return cycle;
}

std::string joined(const std::vector<std::string>& nodes)
{
    std::string text;
    for (const std::string& node : nodes) {
        text += (text.empty() ? "" : " -> ") + node;
    }
    return text;
}

TEST(IncludeLayers, FoldersDependOneWayAndNoFilesIncludeEachOther)
{
    const Graph files = includeGraph(fs::path(VORLUNE_SOURCE_DIR) / "src");
    ASSERT_GT(files.size(), 50u);
    Graph folders;
    for (const auto& [node, includes] : files) {
        folders[folderOf(node)];
        for (const std::string& included : includes) {
            if (folderOf(included) != folderOf(node)) {
                folders[folderOf(node)].insert(folderOf(included));
            }
        }
    }
    EXPECT_EQ(findCycle(folders), std::vector<std::string>()) << joined(findCycle(folders));
    for (const auto& [folder, includes] : folders) {
        EXPECT_TRUE(folder == "app" || folder == "web" || includes.count("app") == 0) << folder << "/ includes app/";
        EXPECT_EQ(includes.count("web"), 0u) << folder << "/ includes web/";
    }
    EXPECT_EQ(folders["render"].count("model"), 0u) << "render/ includes model/";
    EXPECT_EQ(findCycle(files), std::vector<std::string>()) << joined(findCycle(files));
}

// A bare name ("png_file.h") or a file outside src/ is found only through
// another include path, such as tools/: the layers above would not see it.
TEST(IncludeLayers, EveryQuotedIncludeIsAFileOfSrcNamedByItsFolder)
{
    const fs::path sources = fs::path(VORLUNE_SOURCE_DIR) / "src";
    const std::regex quoted(R"re(^\s*#\s*include\s*"([^"]+)")re");
    const std::regex folderAndName(R"re([a-z_]+(?:/[a-z_0-9]+)+\.h)re");
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(sources)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        std::ifstream file(entry.path());
        for (std::string line; std::getline(file, line);) {
            std::smatch match;
            if (std::regex_search(line, match, quoted)) {
                const std::string included = match[1];
                EXPECT_TRUE(std::regex_match(included, folderAndName) && fs::is_regular_file(sources / included))
                    << fs::relative(entry.path(), sources).generic_string() << " includes \"" << included
                    << "\", not a file of src/ named by its folder";
            }
        }
    }
}

}  // namespace
