// Screens material libraries before Assimp parses them. The line rules copy
// the reader's: a statement may be indented, and a carriage return, form
// feed or NUL ends a line as a newline does.
#include "model/material_library_guard.h"

#include "model/obj_lines.h"
#include "model/obj_screening.h"

#include <assimp/MemoryIOWrapper.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {

constexpr char kComment = '#';
constexpr const char* kNewMaterial = "newmtl";

// Only a `newmtl` in the first column counts: the reader does not skip
// blanks before the first statement of a file, and stopping too late only
// costs statements that could not have been used.
bool startsMaterial(const std::string& text, std::size_t lineStart)
{
    const std::size_t length = std::strlen(kNewMaterial);
    if (text.compare(lineStart, length, kNewMaterial) != 0) {
        return false;
    }
    const std::size_t after = lineStart + length;
    return after == text.size() || isBlank(text[after]) || endsLine(text[after]);
}

}  // namespace

std::string commentOutStatementsBeforeFirstMaterial(std::string text)
{
    std::size_t lineStart = 0;
    while (lineStart < text.size() && !startsMaterial(text, lineStart)) {
        std::size_t at = lineStart;
        while (at < text.size() && isBlank(text[at])) {
            ++at;
        }
        if (at < text.size() && !endsLine(text[at])) {
            text[at] = kComment;
        }
        while (at < text.size() && !endsLine(text[at])) {
            ++at;
        }
        lineStart = at + 1;
    }
    return text;
}

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
    if (!refusal_.empty()) {
        return nullptr;
    }
    const bool model = modelReads_.empty() && inner_->ComparePaths(file, modelPath_.c_str());
    Assimp::IOStream* stream = inner_->Open(file, mode);
    if (stream == nullptr) {
        return nullptr;
    }
    if (model) {
        modelReads_.push_back(stream);
        return stream;
    }
    return screenLibrary(stream);
}

Assimp::IOStream* MaterialLibraryGuard::screenLibrary(Assimp::IOStream* stream)
{
    const std::size_t size = stream->FileSize();
    if (libraryBytes_ + size > kMaxMaterialLibraryBytes) {
        refusal_ = "OBJ: material libraries of " + std::to_string(libraryBytes_ + size) +
                   " bytes, more than the " + std::to_string(kMaxMaterialLibraryBytes) +
                   " this viewer reads";
        inner_->Close(stream);
        return nullptr;
    }
    std::string text(size, '\0');
    if (size == 0 || stream->Read(text.data(), 1, size) != size) {
        // Unreadable (a directory, say): the importer gets the file as it is
        // and reports the failure in its own words.
        stream->Seek(0, aiOrigin_SET);
        return stream;
    }
    inner_->Close(stream);
    libraryBytes_ += size;

    text = commentOutStatementsBeforeFirstMaterial(std::move(text));
    materials_ += materialCount(text);
    if (materials_ > kMaxMaterials) {
        refusal_ = "OBJ: " + std::to_string(materials_) + " materials in its libraries, more than the " +
                   std::to_string(kMaxMaterials) + " this viewer imports";
        return nullptr;
    }
    auto* bytes = new std::uint8_t[size];
    std::copy(text.begin(), text.end(), bytes);
    // The stream owns and frees the copy.
    screened_.push_back(std::make_unique<Assimp::MemoryIOStream>(bytes, size, true));
    return screened_.back().get();
}

void MaterialLibraryGuard::Close(Assimp::IOStream* stream)
{
    const auto ours = std::find_if(screened_.begin(), screened_.end(),
                                   [stream](const auto& screened) { return screened.get() == stream; });
    if (ours != screened_.end()) {
        screened_.erase(ours);
        return;
    }
    modelReads_.erase(std::remove(modelReads_.begin(), modelReads_.end(), stream), modelReads_.end());
    inner_->Close(stream);
}
