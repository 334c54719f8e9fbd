#include "png_file.h"

#include "common/system_path.h"

#include <stb_image_write.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

#ifdef _WIN32
// Binary, or the C runtime turns every 0x0A byte into 0x0D 0x0A; the name is
// given wide, as it is UTF-8 text.
int createFile(const std::string& path)
{
    return _wopen(pathFromUtf8(path).c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
}
#else
constexpr int kNewFileMode = 0666;  // narrowed by the umask, as for any new file

int createFile(const std::string& path)
{
    return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
}
#endif

void appendBytes(void* context, void* data, int size)
{
    auto* bytes = static_cast<std::vector<unsigned char>*>(context);
    const auto* first = static_cast<const unsigned char*>(data);
    bytes->insert(bytes->end(), first, first + size);
}

// Writes all of `bytes`, going on after a short write, which a signal or a
// nearly full disk can cause.
bool writeAll(int descriptor, const std::vector<unsigned char>& bytes)
{
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = write(descriptor, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            // A write that takes nothing without an error would loop forever.
            if (count == 0) {
                errno = EIO;
            }
            return false;
        }
        written += static_cast<size_t>(count);
    }
    return true;
}

}  // namespace

std::string writePngFile(const std::string& path, const RgbaImage& image)
{
    std::vector<unsigned char> bytes;
    stbi_flip_vertically_on_write(image.rowsBottomUp ? 1 : 0);
    if (stbi_write_png_to_func(appendBytes, &bytes, image.width, image.height, kRgbaChannels, image.pixels,
                               image.width * kRgbaChannels) == 0) {
        return "the image could not be encoded as PNG";
    }
    const int descriptor = createFile(path);
    if (descriptor < 0) {
        return std::strerror(errno);
    }
    if (!writeAll(descriptor, bytes)) {
        const int writeError = errno;
        close(descriptor);
        return std::strerror(writeError);
    }
    // Some file systems (NFS, a full quota) report a failed write only here.
    if (close(descriptor) != 0) {
        return std::strerror(errno);
    }
    return {};
}
