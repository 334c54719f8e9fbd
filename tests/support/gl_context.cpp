#include "support/gl_context.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

const RenderContext& testGLContext()
{
    static std::optional<RenderContext> context = openRenderContext(ContextKind::Offscreen);
    if (!context) {
        throw std::runtime_error("no offscreen OpenGL 3.3 core context (see the line above)");
    }
    // Torn down before the process exits, as the tools do: leaving the
    // driver's rasterizer threads running into the exit handlers crashed the
    // odd test process after it had passed.
    static const bool closesAtExit = [] { return std::atexit([] { closeRenderContext(*context); }) == 0; }();
    (void)closesAtExit;
    makeRenderContextCurrent(*context);
    return *context;
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vorlune-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

void TempDir::write(const std::string& name, const std::string& contents) const
{
    std::filesystem::path target = std::filesystem::path(path) / name;
    std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary);
    out << contents;
}
