// Shaders rebuilt on save: the viewer looks at the shader folder a few times
// a second and asks for the programs of each file that changed to be built
// again (render/program_rebuild.h). Editors save by writing a new file and
// renaming it over the old, so a file's modification time and size are
// compared, not its handle; a file caught half-written fails to build, keeps
// the last good program, and is built again when the rest of it lands. Only
// the interactive viewer watches: the tools render what the files held when
// they started.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

class ShaderWatch {
public:
    // Takes the folder's files as they are now: only later changes count.
    explicit ShaderWatch(std::string folder);

    // Compares the files with what it saw last, at most every look interval
    // (`now` on the steady clock), asking a rebuild for each changed, new or
    // returned file as "FOLDER/NAME". Returns how many it asked for.
    int look(std::chrono::steady_clock::time_point now);
    // Compares at once, whatever the time.
    int lookNow();

private:
    struct Seen {
        std::filesystem::file_time_type modified;
        std::uintmax_t size = 0;
        bool operator==(const Seen&) const = default;
    };
    std::map<std::string, Seen> scan() const;

    std::string folder_;
    std::map<std::string, Seen> seen_;
    std::chrono::steady_clock::time_point lastLook_;
};
