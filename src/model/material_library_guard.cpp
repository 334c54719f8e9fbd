// Screens material libraries before Assimp parses them. The line rules copy
// the reader's: a statement may be indented (but for the first), and a
// carriage return, form feed or NUL ends a line as a newline does.
#include "model/material_library_guard.h"

#include "model/obj_lines.h"

#include <assimp/MemoryIOWrapper.h>
#include <assimp/material.h>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

constexpr char kComment = '#';
// The reader's name for a material whose statement names none, which its
// list holds from the start.
constexpr std::string_view kDefaultMaterial = AI_DEFAULT_MATERIAL_NAME;
constexpr double kNsPerMs = 1e6;
constexpr std::uint64_t kBytesPerMiB = std::uint64_t{1} << 20;
// The reader's copy of a library and this guard's, both held while the
// reader parses it.
constexpr std::uint64_t kCopiesOfALibrary = 2;

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

std::vector<std::string> materialNames(std::string_view library)
{
    std::vector<std::string> names;
    forEachStatement(library, [&](std::size_t at) {
        if (!startsMaterial(library, at)) {
            return;
        }
        std::size_t end = at + 1;
        while (end < library.size() && !endsLine(library[end])) {
            ++end;
        }
        // The statement's word, then the name: the rest of the line.
        const std::string_view line = library.substr(at + 1, end - at - 1);
        const std::size_t blank = line.find_first_of(" \t");
        const std::size_t name =
            blank == std::string_view::npos ? blank : line.find_first_not_of(" \t", blank);
        names.emplace_back(name == std::string_view::npos ? kDefaultMaterial
                                                          : trimmedRight(line.substr(name)));
    });
    return names;
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
    libraryBytesRead_ += size;
    ++librariesRead_;
    largestLibrary_ = std::max<std::uint64_t>(largestLibrary_, size);
    const std::uint64_t memory = cost_.memoryBytes + materials_.size() * kBytesPerMaterial +
                                 largestLibrary_ * kCopiesOfALibrary;
    if (memory > kMaxImportBytes) {
        refusal_ = "OBJ: importing it with its material libraries would take about " +
                   std::to_string(memory / kBytesPerMiB) + " MiB, more than the " +
                   std::to_string(kMaxImportBytes / kBytesPerMiB) + " MiB this viewer allows";
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

    text = commentOutStatementsBeforeFirstMaterial(std::move(text));
    for (std::string& name : materialNames(text)) {
        const std::size_t length = name.size();
        if (name != kDefaultMaterial && materials_.insert(std::move(name)).second) {
            materialNameBytes_ += length;
        }
    }
    const std::uint64_t withMaterials = cost_.memoryBytes + materials_.size() * kBytesPerMaterial +
                                        largestLibrary_ * kCopiesOfALibrary;
    if (withMaterials > kMaxImportBytes) {
        refusal_ = "OBJ: " + std::to_string(materials_.size()) +
                   " materials in its libraries would take about " +
                   std::to_string(withMaterials / kBytesPerMiB) + " MiB with the model, more than the " +
                   std::to_string(kMaxImportBytes / kBytesPerMiB) + " MiB this viewer allows";
        return nullptr;
    }
    const double work = foreseenWorkNs();
    if (work > kMaxImportWorkNs) {
        refusal_ = "OBJ: work estimated at " + std::to_string(static_cast<std::uint64_t>(work / kNsPerMs)) +
                   " ms with its material libraries (" + std::to_string(cost_.materialLookups) +
                   " lookups among " + std::to_string(materials_.size()) + " materials, " +
                   std::to_string(cost_.libraryStatements) + " library statements reading up to " +
                   std::to_string(largestLibrary_) + " bytes each), more than the " +
                   std::to_string(static_cast<std::uint64_t>(kMaxImportWorkNs / kNsPerMs)) +
                   " ms this viewer allows";
        return nullptr;
    }
    auto* bytes = new std::uint8_t[size];
    std::copy(text.begin(), text.end(), bytes);
    // The stream owns and frees the copy.
    screened_.push_back(std::make_unique<Assimp::MemoryIOStream>(bytes, size, true));
    return screened_.back().get();
}

double MaterialLibraryGuard::workNs() const
{
    return objWorkNs(cost_) + materialLookupWorkNs(cost_, materials_.size(), materialNameBytes_) +
           static_cast<double>(libraryBytesRead_) * kLibraryByteNs;
}

double MaterialLibraryGuard::foreseenWorkNs() const
{
    // Every library statement still to come may read a library as large as
    // the largest so far: a model that names one large library over and
    // over is refused at its first reading, not after all of them.
    const std::uint64_t toCome =
        cost_.libraryStatements > librariesRead_ ? cost_.libraryStatements - librariesRead_ : 0;
    return workNs() + static_cast<double>(toCome) * static_cast<double>(largestLibrary_) * kLibraryByteNs;
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
