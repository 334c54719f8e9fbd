// The reply's layout: a header (magic, kind, decode time, failure), then
// for a model its error, directory and meshes, each mesh its vertices,
// indices and texture requests; for an image its size, failure and RGB
// rows. Counts are 64-bit, strings a count and their bytes, and every field
// starts on an 8-byte boundary so that arrays can be read where they lie.
#include "loading/reply_format.h"

#include "loading/scene_conversion.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace {

constexpr std::uint32_t kReplyMagic = 0x564C5259;  // "VLRY"
constexpr std::size_t kFieldAlignment = 8;
constexpr std::size_t kRgbBytesPerPixel = 3;

std::size_t aligned(std::size_t at)
{
    return (at + kFieldAlignment - 1) / kFieldAlignment * kFieldAlignment;
}

// Writes through `out`, or only counts when it is null, so one walk of the
// reply gives both its size and its bytes.
class Writer {
public:
    explicit Writer(unsigned char* out) : out_(out) {}

    void bytes(const void* from, std::size_t size)
    {
        if (out_ != nullptr && size != 0) {
            std::memcpy(out_ + at_, from, size);
        }
        at_ = aligned(at_ + size);
    }
    template <class T>
    void value(const T& v)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        bytes(&v, sizeof(T));
    }
    void text(std::string_view s)
    {
        value(static_cast<std::uint64_t>(s.size()));
        bytes(s.data(), s.size());
    }
    template <class T>
    void list(const T* items, std::size_t count)
    {
        value(static_cast<std::uint64_t>(count));
        bytes(items, count * sizeof(T));
    }
    std::size_t size() const { return at_; }

private:
    unsigned char* out_;
    std::size_t at_ = 0;
};

struct TextureRecord {
    std::uint32_t solid;
    unsigned char colour[3];
};

void walk(const LoadReply& reply, LoadKind kind, Writer& w)
{
    w.value(kReplyMagic);
    w.value(kind);
    w.value(reply.decodeMs);
    w.text(reply.failure);
    if (kind == LoadKind::Model) {
        const ImportedModelFile& model = reply.model;
        w.value(static_cast<std::uint32_t>(model.imported));
        w.text(model.error);
        w.text(model.directory);
        w.value(static_cast<std::uint64_t>(model.meshes.size()));
        for (const ConvertedMesh& mesh : model.meshes) {
            w.list(mesh.vertices.data(), mesh.vertices.size());
            w.list(mesh.indices.data(), mesh.indices.size());
            w.value(static_cast<std::uint64_t>(mesh.textures.size()));
            for (const TextureRequest& request : mesh.textures) {
                TextureRecord record{request.solidColour.has_value(), {0, 0, 0}};
                if (request.solidColour) {
                    std::copy(request.solidColour->begin(), request.solidColour->end(), record.colour);
                }
                w.value(record);
                w.text(std::string_view(request.materialPath.data, request.materialPath.length));
                w.text(request.samplerUniform);
            }
        }
    } else {
        const DecodedImage& image = reply.image;
        w.value(static_cast<std::int32_t>(image.width));
        w.value(static_cast<std::int32_t>(image.height));
        w.text(image.failure);
        const std::size_t pixelBytes =
            image.pixels ? static_cast<std::size_t>(image.width) * image.height * kRgbBytesPerPixel : 0;
        w.list(image.pixels.get(), pixelBytes);
    }
}

// Reads the reply's fields in order; the first field that does not fit, or
// does not make sense, stops it with a reason.
class Reader {
public:
    Reader(const unsigned char* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

    bool failed() const { return !why_.empty(); }
    const std::string& why() const { return why_; }
    void fail(std::string why)
    {
        if (why_.empty()) {
            why_ = std::move(why);
        }
    }

    // The next `size` bytes, or null (and failed) when there are not as many.
    const unsigned char* take(std::size_t size, const char* what)
    {
        if (failed()) {
            return nullptr;
        }
        if (size > size_ - at_) {
            fail(std::string(what) + " runs past the end of the reply");
            return nullptr;
        }
        const unsigned char* here = bytes_ + at_;
        at_ = std::min(size_, aligned(at_ + size));
        return here;
    }
    template <class T>
    T value(const char* what)
    {
        T v{};
        if (const unsigned char* here = take(sizeof(T), what)) {
            std::memcpy(&v, here, sizeof(T));
        }
        return v;
    }
    std::string text(const char* what)
    {
        const auto count = value<std::uint64_t>(what);
        const unsigned char* here = take(count, what);
        return here == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(here), count);
    }
    // `count` items of T: checked against the bytes left before multiplying,
    // so no count can wrap.
    template <class T>
    const T* list(std::uint64_t& count, const char* what)
    {
        count = value<std::uint64_t>(what);
        if (!failed() && count > (size_ - at_) / sizeof(T)) {
            fail(std::string(what) + ": " + std::to_string(count) + " of them run past the end of the reply");
            return nullptr;
        }
        return reinterpret_cast<const T*>(take(count * sizeof(T), what));
    }
    bool atEnd() const { return at_ == size_; }

private:
    const unsigned char* bytes_;
    std::size_t size_;
    std::size_t at_ = 0;
    std::string why_;
};

bool knownSampler(const std::string& name)
{
    return std::any_of(kTextureSlots.begin(), kTextureSlots.end(),
                       [&](const TextureSlot& slot) { return name == slot.samplerUniform; });
}

void readMesh(Reader& r, const std::shared_ptr<const void>& owner, ConvertedMesh& mesh)
{
    std::uint64_t vertexCount = 0;
    const Vertex* vertices = r.list<Vertex>(vertexCount, "a mesh's vertices");
    std::uint64_t indexCount = 0;
    const unsigned int* indices = r.list<unsigned int>(indexCount, "a mesh's indices");
    if (r.failed()) {
        return;
    }
    if (indexCount % 3 != 0) {
        r.fail("a mesh's " + std::to_string(indexCount) + " indices are not whole triangles");
        return;
    }
    for (std::uint64_t i = 0; i < indexCount; ++i) {
        if (indices[i] >= vertexCount) {
            r.fail("index " + std::to_string(indices[i]) + " names no vertex of a mesh of " +
                   std::to_string(vertexCount));
            return;
        }
    }
    mesh.vertices = SharedList<Vertex>(vertices, vertexCount, owner);
    mesh.indices = SharedList<unsigned int>(indices, indexCount, owner);
    const auto textureCount = r.value<std::uint64_t>("a mesh's texture count");
    for (std::uint64_t t = 0; t < textureCount && !r.failed(); ++t) {
        const auto record = r.value<TextureRecord>("a texture request");
        const std::string path = r.text("a texture path");
        TextureRequest request;
        request.samplerUniform = r.text("a sampler name");
        if (r.failed()) {
            return;
        }
        if (record.solid > 1 || (record.solid == 0) == path.empty() || path.size() >= MAXLEN ||
            !knownSampler(request.samplerUniform)) {
            r.fail("a texture request that names no file, or no known sampler");
            return;
        }
        if (record.solid == 1) {
            request.solidColour = Texel{record.colour[0], record.colour[1], record.colour[2]};
        } else {
            request.materialPath.Set(path);
        }
        mesh.textures.push_back(std::move(request));
    }
}

void readModel(Reader& r, const std::shared_ptr<const void>& owner, ImportedModelFile& model)
{
    const auto imported = r.value<std::uint32_t>("the import flag");
    model.error = r.text("the import error");
    model.directory = r.text("the model's folder");
    const auto meshCount = r.value<std::uint64_t>("the mesh count");
    if (imported > 1) {
        r.fail("an import flag of " + std::to_string(imported));
    }
    model.imported = imported == 1;
    for (std::uint64_t m = 0; m < meshCount && !r.failed(); ++m) {
        readMesh(r, owner, model.meshes.emplace_back());
    }
    if (!r.failed() && model.imported == model.meshes.empty()) {
        r.fail(model.imported ? "an imported model without meshes" : "meshes of a model that failed");
    }
}

void readImage(Reader& r, const std::shared_ptr<const void>& owner, DecodedImage& image)
{
    const auto width = r.value<std::int32_t>("the image width");
    const auto height = r.value<std::int32_t>("the image height");
    image.failure = r.text("the image failure");
    std::uint64_t pixelBytes = 0;
    const unsigned char* pixels = r.list<unsigned char>(pixelBytes, "the pixels");
    if (r.failed()) {
        return;
    }
    if (pixelBytes == 0) {
        if (image.failure.empty()) {
            r.fail("an image with neither pixels nor a failure");
        }
        return;
    }
    if (!image.failure.empty()) {
        r.fail("an image with both pixels and a failure");
    } else if (std::string why = imageSizeFailure(width, height); !why.empty()) {
        r.fail("an image of " + why);
    } else if (pixelBytes != static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * kRgbBytesPerPixel) {
        r.fail(std::to_string(pixelBytes) + " bytes of pixels for " + std::to_string(width) + " x " +
               std::to_string(height) + " px");
    } else {
        image.width = width;
        image.height = height;
        image.pixels = std::shared_ptr<const unsigned char>(owner, pixels);
    }
}

}  // namespace

std::size_t replySize(const LoadReply& reply, LoadKind kind)
{
    Writer counter(nullptr);
    walk(reply, kind, counter);
    return counter.size();
}

void writeReply(const LoadReply& reply, LoadKind kind, unsigned char* out)
{
    Writer writer(out);
    walk(reply, kind, writer);
}

bool readReply(LoadKind kind, const std::shared_ptr<const void>& owner, const unsigned char* bytes,
               std::size_t size, LoadReply& reply, std::string& why)
{
    reply = LoadReply{};
    Reader r(bytes, size);
    if (r.value<std::uint32_t>("the header") != kReplyMagic || r.value<LoadKind>("the header") != kind) {
        r.fail("not a reply to this request");
    }
    reply.decodeMs = r.value<double>("the decode time");
    reply.failure = r.text("the failure");
    if (kind == LoadKind::Model) {
        readModel(r, owner, reply.model);
    } else {
        readImage(r, owner, reply.image);
    }
    if (!r.failed() && !r.atEnd()) {
        r.fail("bytes after the end of the reply");
    }
    if (!r.failed() && !(reply.decodeMs >= 0.0)) {
        r.fail("a decode time of " + std::to_string(reply.decodeMs) + " ms");
    }
    why = r.why();
    if (r.failed()) {
        reply = LoadReply{};
        return false;
    }
    return true;
}
