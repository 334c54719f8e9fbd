// Screens material libraries before Assimp parses them. The line rules copy
// the reader's: a statement may be indented (but for the first), and a
// carriage return, form feed or NUL ends a line as a newline does.
#include "loading/work/material_library_guard.h"

#include "loading/work/obj_lines.h"

#include <assimp/MemoryIOWrapper.h>

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>

namespace {

constexpr char kComment = '#';
// Calls `statement` with the offset of every statement the reader reads in
// `text`, in order.
template <typename Statement>
void forEachStatement(std::string_view text, Statement statement)
{
    std::size_t at = 0;
    while (at < text.size()) {
        statement(at);
        while (at < text.size() && !endsLine(text[at])) {
            ++at;
        }
        ++at;
        while (at < text.size() && isBlank(text[at])) {
            ++at;
        }
    }
}

// The reader starts a material on "ne", of any word, after an 'n' or 'N'.
bool startsMaterial(std::string_view text, std::size_t at)
{
    return at + 1 < text.size() && (text[at] == 'n' || text[at] == 'N') && text[at + 1] == 'e';
}

}  // namespace

std::string commentOutStatementsBeforeFirstMaterial(std::string text)
{
    bool material = false;
    forEachStatement(text, [&](std::size_t at) {
        material = material || startsMaterial(text, at);
        while (!material && at < text.size() && isBlank(text[at])) {
            ++at;
        }
        if (!material && at < text.size() && !endsLine(text[at])) {
            text[at] = kComment;
        }
    });
    return text;
}

namespace {

// A stream that tells its guard when it is gone: the import library deletes
// some streams itself instead of closing them (while it probes a file's
// format), so only the stream's own end knows when a read has ended.
class TrackedStream : public Assimp::IOStream {
public:
    TrackedStream(Assimp::IOStream* inner, std::shared_ptr<int> openModelReads)
        : inner_(inner), openModelReads_(std::move(openModelReads))
    {
        if (openModelReads_) {
            ++*openModelReads_;
        }
    }
    ~TrackedStream() override
    {
        if (openModelReads_) {
            --*openModelReads_;
        }
    }
    std::size_t Read(void* buffer, std::size_t size, std::size_t count) override
    {
        return inner_->Read(buffer, size, count);
    }
    std::size_t Write(const void* buffer, std::size_t size, std::size_t count) override
    {
        return inner_->Write(buffer, size, count);
    }
    aiReturn Seek(std::size_t offset, aiOrigin origin) override { return inner_->Seek(offset, origin); }
    std::size_t Tell() const override { return inner_->Tell(); }
    std::size_t FileSize() const override { return inner_->FileSize(); }
    void Flush() override { inner_->Flush(); }

private:
    std::unique_ptr<Assimp::IOStream> inner_;
    // Counted for reads of the model only.
    std::shared_ptr<int> openModelReads_;
};

}  // namespace

MaterialLibraryGuard::MaterialLibraryGuard(Assimp::IOSystem* inner, std::string modelPath)
    : inner_(inner), modelPath_(std::move(modelPath))
{
}

MaterialLibraryGuard::~MaterialLibraryGuard() = default;

bool MaterialLibraryGuard::Exists(const char* file) const
{
    return inner_->Exists(file);
}

char MaterialLibraryGuard::getOsSeparator() const
{
    return inner_->getOsSeparator();
}

bool MaterialLibraryGuard::ComparePaths(const char* one, const char* second) const
{
    return inner_->ComparePaths(one, second);
}

Assimp::IOStream* MaterialLibraryGuard::Open(const char* file, const char* mode)
{
    const bool model = *openModelReads_ == 0 && inner_->ComparePaths(file, modelPath_.c_str());
    Assimp::IOStream* stream = inner_->Open(file, mode);
    if (stream == nullptr) {
        return nullptr;
    }
    return new TrackedStream(model ? stream : screenLibrary(stream), model ? openModelReads_ : nullptr);
}

Assimp::IOStream* MaterialLibraryGuard::screenLibrary(Assimp::IOStream* stream)
{
    const std::size_t size = stream->FileSize();
    std::string text(size, '\0');
    if (size == 0 || stream->Read(text.data(), 1, size) != size) {
        // Unreadable (a directory, say): the importer gets the file as it is
        // and reports the failure in its own words.
        stream->Seek(0, aiOrigin_SET);
        return stream;
    }
    inner_->Close(stream);

    text = commentOutStatementsBeforeFirstMaterial(std::move(text));
    auto* bytes = new std::uint8_t[size];
    std::copy(text.begin(), text.end(), bytes);
    // The stream owns and frees the copy.
    return new Assimp::MemoryIOStream(bytes, size, true);
}

void MaterialLibraryGuard::Close(Assimp::IOStream* stream)
{
    delete stream;
}
