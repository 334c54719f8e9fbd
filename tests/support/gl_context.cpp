#include "support/gl_context.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

GLFWwindow* testGLContext()
{
    static GLFWwindow* window = [] {
        if (!glfwInit()) {
            throw std::runtime_error("glfwInit failed: GL tests need a display (run under xvfb-run -a)");
        }
        // Tear the context down before the process exits, as the viewer does:
        // leaving the driver's rasterizer threads running into the exit
        // handlers crashed the odd test process after it had passed.
        std::atexit(glfwTerminate);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
        glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
        glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        GLFWwindow* created = glfwCreateWindow(1280, 720, "Vorlune tests", nullptr, nullptr);
        if (created == nullptr) {
            throw std::runtime_error("could not create a 3.3 core GL window");
        }
        glfwMakeContextCurrent(created);
        glewExperimental = GL_TRUE;
        if (glewInit() != GLEW_OK) {
            throw std::runtime_error("glewInit failed");
        }
        return created;
    }();
    glfwMakeContextCurrent(window);
    return window;
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
