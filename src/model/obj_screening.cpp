// Counts what an OBJ file will cost the import library by reading it the way
// its reader does: block by block, a statement told by the first character
// of its line, meshes begun where the reader begins them. The costly loops of
// the post-processing (triangulation, tangent generation) are then replayed
// on the numbers the reader would have read, with the library's own vector
// arithmetic, counting their steps instead of keeping their results.
#include "model/obj_screening.h"

#include "model/obj_lines.h"

#include <assimp/SpatialSort.h>
#include <assimp/fast_atof.h>
#include <assimp/qnan.h>
#include <assimp/vector2.h>
#include <assimp/vector3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <utility>
#include <unordered_set>
#include <vector>

namespace {

constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

// The reader refuses files shorter than this before reading them.
constexpr std::uint64_t kSmallestFile = 16;
// Beyond a file smaller than one block the reader's cache holds newlines;
// its line assembly reads at most two of them.
constexpr std::size_t kCachePadding = 8;
// The reader copies a word into a buffer of this size, NUL included.
constexpr std::size_t kWordBuffer = 4096;
// Material names are compared as the library's strings, which keep this
// many bytes.
constexpr std::size_t kLibraryStringBytes = MAXLEN - 1;
constexpr const char* kDefaultObjectName = "defaultobject";

// Tangent generation: the library's position tolerance is this fraction of
// a mesh's bounding-box diagonal, and its bounds start from these values.
constexpr float kPositionEpsilon = 1e-4f;
constexpr float kBoundsStart = 1e10f;
// It joins a vertex with a neighbour whose normal is this close and whose
// tangent and bitangent are within 45 degrees.
constexpr float kNormalsAlike = 0.9999f;
// Tangents and bitangents, which lie across a corner's normal, are sorted by
// their angle around it into sectors this wide, narrower than 45 degrees by
// far more than the error of the angle's approximation (a quarter of a
// degree) and rounding: two frames in one pair of sectors are surely
// joined. Only unit normals (as exporters write them) keep them square to
// the normal.
constexpr float kPi = 3.14159265f;
constexpr float kSectorRadians = 40.0f * kPi / 180.0f;
constexpr int kSectors = 9;
constexpr float kInPlane = 0.5f;
// atan(t) for t in [0, 1] is t * pi / 4 + kArcTangentBend * t * (1 - t),
// within 0.0038 rad.
constexpr float kArcTangentBend = 0.273f;
constexpr float kUnitNormalSlack = 1e-4f;
constexpr float kUnitLength = 0.9f;
constexpr int kQuadCorners = 4;
constexpr int kTriangleCorners = 3;

std::uint64_t saturatingSum(std::uint64_t a, std::uint64_t b)
{
    return a > kMost - b ? kMost : a + b;
}

std::uint64_t saturatingProduct(std::uint64_t a, std::uint64_t b)
{
    return b != 0 && a > kMost / b ? kMost : a * b;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlankOrLineEnd(char c)
{
    return isBlank(c) || endsLine(c);
}

// The reader's stream buffer: blocks of kReaderCacheBytes read into one
// cache, and logical lines assembled from it, a backslash before a line end
// skipping through the next newline. Where the reader would index outside
// its cache, reading stops and overrun() says so.
class ReaderLines {
public:
    ReaderLines(Assimp::IOStream& file, std::uint64_t longestLine)
        : file_(file),
          fileSize_(file.FileSize()),
          cacheSize_(std::min<std::uint64_t>(fileSize_, kReaderCacheBytes)),
          longestLine_(longestLine)
    {
        const bool oneBlock = fileSize_ < kReaderCacheBytes;
        cache_.assign(oneBlock ? fileSize_ + kCachePadding : kReaderCacheBytes, '\n');
    }

    bool next(std::string& line)
    {
        line.clear();
        bufferSize_ = cacheSize_;
        if ((cachePos_ >= cacheSize_ || filePos_ == 0) && !readNextBlock()) {
            return false;
        }
        for (;;) {
            // Plain characters are taken as they come, many at a time.
            std::uint64_t run = cachePos_;
            while (run < cacheSize_ && cache_[run] != '\\' && !endsLine(cache_[run])) {
                ++run;
            }
            if (run > cachePos_) {
                line.append(cache_.data() + cachePos_, run - cachePos_);
                cachePos_ = run;
            } else {
                char c = cache_[cachePos_];
                char following = 0;
                if (c == '\\' && (!at(cachePos_ + 1, following) || endsLine(following))) {
                    ++cachePos_;
                    while (at(cachePos_, c) && c != '\n') {
                        ++cachePos_;
                    }
                    ++cachePos_;
                } else if (endsLine(c)) {
                    break;
                }
                // Whatever follows a continuation is kept, a line end too.
                if (overrun_ || !at(cachePos_, c)) {
                    return false;
                }
                line.push_back(c);
                ++cachePos_;
            }
            if (line.size() > longestLine_) {
                tooLong_ = true;
                return false;
            }
            if (cachePos_ >= fileSize_) {
                break;
            }
            if (cachePos_ >= cacheSize_ && !readNextBlock()) {
                return false;
            }
        }
        ++cachePos_;
        while (bufferSize_ <= line.size()) {
            bufferSize_ *= 2;
        }
        return true;
    }

    // The size of the reader's line buffer with the last line in it.
    std::uint64_t bufferSize() const { return bufferSize_; }
    bool overrun() const { return overrun_; }
    bool tooLong() const { return tooLong_; }

private:
    bool at(std::uint64_t index, char& c)
    {
        if (index >= cache_.size()) {
            overrun_ = true;
            return false;
        }
        c = cache_[index];
        return true;
    }

    bool readNextBlock()
    {
        file_.Seek(filePos_, aiOrigin_SET);
        const std::size_t read = file_.Read(cache_.data(), 1, cacheSize_);
        if (read == 0) {
            return false;
        }
        cacheSize_ = std::min<std::uint64_t>(cacheSize_, read);
        filePos_ += cacheSize_;
        cachePos_ = 0;
        return true;
    }

    Assimp::IOStream& file_;
    std::uint64_t fileSize_;
    std::uint64_t cacheSize_;
    std::uint64_t longestLine_;
    std::vector<char> cache_;
    std::uint64_t cachePos_ = 0;
    std::uint64_t filePos_ = 0;
    std::uint64_t bufferSize_ = 0;
    bool overrun_ = false;
    bool tooLong_ = false;
};

// A logical line as the reader holds it: its text, then a newline.
class Line {
public:
    explicit Line(const std::string& text) : text_(text) {}
    char operator[](std::size_t i) const { return i < text_.size() ? text_[i] : '\n'; }
    std::size_t size() const { return text_.size(); }

    // Where the next word starts: past the first one and the blanks after
    // it, stopping at the line's end.
    std::size_t afterFirstWord() const
    {
        std::size_t at = 0;
        while (at < size() && !isBlankOrLineEnd(text_[at])) {
            ++at;
        }
        return skipBlanks(at);
    }
    std::size_t skipBlanks(std::size_t at) const
    {
        while (at < size() && isBlank(text_[at])) {
            ++at;
        }
        return at;
    }
    std::string_view firstWord() const
    {
        std::size_t end = 0;
        while (end < size() && !isBlankOrLineEnd(text_[end])) {
            ++end;
        }
        return std::string_view(text_).substr(0, end);
    }
    // From `at` to the first line end.
    std::string_view restOfLine(std::size_t at) const
    {
        const std::size_t start = std::min(at, size());
        std::size_t end = start;
        while (end < size() && !endsLine(text_[end])) {
            ++end;
        }
        return std::string_view(text_).substr(start, end - start);
    }
    std::size_t lineEnd(std::size_t at) const { return at + restOfLine(at).size(); }

private:
    const std::string& text_;
};

// What C's atoi makes of an index at `at`: a sign and digits, saturated as
// strtol saturates, then cut to an int. Zero where no digit follows.
int readerIndex(const Line& line, std::size_t at)
{
    constexpr std::uint64_t kLongMax = std::numeric_limits<long>::max();
    bool negative = false;
    if (line[at] == '+' || line[at] == '-') {
        negative = line[at] == '-';
        ++at;
    }
    std::uint64_t magnitude = 0;
    bool saturated = false;
    for (; at < line.size() && isDigit(line[at]); ++at) {
        const auto digit = static_cast<std::uint64_t>(line[at] - '0');
        if (saturated || magnitude > (kLongMax - digit) / 10) {
            saturated = true;
        } else {
            magnitude = magnitude * 10 + digit;
        }
    }
    long value = 0;
    if (saturated) {
        value = negative ? std::numeric_limits<long>::min() : std::numeric_limits<long>::max();
    } else {
        value = negative ? -static_cast<long>(magnitude) : static_cast<long>(magnitude);
    }
    return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

// How far the reader moves past an index: one character per digit of the
// value it got, and one more for a minus sign. The value decides, not the
// text, so "007" yields three indices and a run of digits too long for an
// int yields many.
std::size_t indexWidth(int value)
{
    std::size_t width = value < 0 ? 2 : 1;
    for (int rest = value / 10; rest != 0; rest /= 10) {
        ++width;
    }
    return width;
}

bool startsNanOrInf(const Line& line, std::size_t at)
{
    const auto lower = [&](std::size_t i) { return static_cast<char>(line[at + i] | 0x20); };
    return (lower(0) == 'n' && lower(1) == 'a' && lower(2) == 'n') ||
           (lower(0) == 'i' && lower(1) == 'n' && lower(2) == 'f');
}

// The numbers the reader counts on a data line from `at`: words that start
// with a digit or a sign, or spell nan or inf.
std::size_t componentCount(const Line& line, std::size_t at)
{
    std::size_t count = 0;
    for (at = line.skipBlanks(at); at < line.size() && !endsLine(line[at]); at = line.skipBlanks(at)) {
        const char first = line[at];
        if (isDigit(first) || first == '+' || first == '-' || startsNanOrInf(line, at)) {
            ++count;
        }
        while (!isBlankOrLineEnd(line[at])) {
            ++at;
        }
    }
    return count;
}

// The next word from `at` as the reader copies it into `word` (NUL ended),
// and where it leaves off: a word that fills the buffer is cut, and the
// reader resumes on its last character.
void nextWord(const Line& line, std::size_t& at, std::array<char, kWordBuffer>& word)
{
    at = line.skipBlanks(at);
    if (line[at] == '\\') {
        at = line.skipBlanks(at + 2);
    }
    std::size_t length = 0;
    while (!isBlankOrLineEnd(line[at])) {
        word[length++] = line[at];
        if (length == kWordBuffer - 1) {
            break;
        }
        ++at;
    }
    word[length] = '\0';
}

// What the reader's number parser throws where it gives up on the file.
struct NotANumber {
    template <typename... Message>
    explicit NotANumber(Message&&...)
    {
    }
};

// A number as the reader's parser reads it; nullopt where the parser gives
// up on the file.
std::optional<float> readerReal(const Line& line, std::size_t& at)
{
    std::array<char, kWordBuffer> word;
    nextWord(line, at, word);
    try {
        return Assimp::fast_atof<NotANumber>(word.data());
    } catch (const NotANumber&) {
        return std::nullopt;
    }
}

std::optional<aiVector3D> readerVector(const Line& line, std::size_t& at)
{
    aiVector3D v;
    for (unsigned int axis = 0; axis < 3; ++axis) {
        const std::optional<float> value = readerReal(line, at);
        if (!value) {
            return std::nullopt;
        }
        v[axis] = *value;
    }
    return v;
}

struct Face {
    std::uint64_t firstCorner = 0;
    std::uint32_t corners = 0;
    std::uint32_t uvs = 0;
    std::uint32_t normals = 0;
    char kind = 'f';
};

struct Mesh {
    std::uint64_t firstFace = 0;
    std::uint64_t faceEnd = 0;
    // False where the reader may as well have gone on with the mesh before
    // it: both are then counted as one, which never counts less work.
    bool certainStart = true;
    bool hasNormals = false;
    bool hasUvs = false;
};

// What the current mesh or the reader's current material is, as far as the
// OBJ text can tell: a material library read in between may change it.
struct MaterialState {
    enum Kind { None, Known, Unknown } kind = None;
    std::string name;
};

class ObjScan {
public:
    explicit ObjScan(ObjImportCost& cost) : cost_(cost) {}

    // False once the reader would give up on the file, or read past a line.
    bool statement(const std::string& text, std::uint64_t bufferSize)
    {
        const Line line(text);
        bufferSize_ = bufferSize;
        if (text.empty()) {
            return true;
        }
        if (insideCurve_) {
            insideCurve_ = !(text[0] == 'e' && line.firstWord() == "end");
            return true;
        }
        switch (text[0]) {
        case 'v':
            return vertexData(line);
        case 'f':
        case 'l':
        case 'p':
            return face(line);
        case 'u':
            if (line.firstWord() == "usemtl") {
                useMaterial(trimmedRight(line.restOfLine(line.afterFirstWord())));
            }
            return true;
        case 'm':
            if (line.firstWord() == "mtllib" && !line.restOfLine(line.afterFirstWord()).empty()) {
                readsLibrary();
            }
            return true;
        case 'g':
            group(line);
            return true;
        case 'o':
            object(line);
            return true;
        case 'c':
            insideCurve_ = line.firstWord() == "cstype";
            return true;
        default:
            return true;
        }
    }

    // The memory the import holds by what has been read so far.
    std::uint64_t memory(std::uint64_t longestLine) const
    {
        if (exhausted_) {
            return kMost;
        }
        const std::uint64_t attributes = positions_.size() + uvs_.size() + normals_.size() + colours_;
        std::uint64_t bytes = 2 * kReaderCacheBytes + saturatingProduct(longestLine, kBytesPerLineByte);
        bytes = saturatingSum(bytes, saturatingProduct(attributes, kBytesPerAttribute));
        bytes = saturatingSum(bytes, saturatingProduct(cornerCount_, kBytesPerCorner));
        bytes = saturatingSum(bytes, saturatingProduct(faces_.size() + outputFaces_, kBytesPerFace));
        bytes = saturatingSum(bytes, saturatingProduct(meshesWithFaces_, kBytesPerMesh));
        bytes = saturatingSum(bytes, saturatingProduct(objectCount_, kBytesPerObject));
        bytes = saturatingSum(bytes, saturatingProduct(materialsNamed_.size(), kBytesPerMaterial));
        return saturatingSum(bytes, namesBytes_);
    }

    void finish(double budgetNs);

private:
    bool vertexData(const Line& line)
    {
        // A backslash before a line end sends the number readers past it.
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\\' && endsLine(line[i + 1])) {
                cost_.pastItsBuffer = "a backslash before the end of a data line";
                return false;
            }
        }
        std::size_t at = 2;
        if (isBlank(line[1])) {
            at = 1;
            const std::size_t numbers = componentCount(line, at);
            if (numbers == 3 || numbers == 6) {
                const std::optional<aiVector3D> position = readerVector(line, at);
                if (!position) {
                    return false;
                }
                positions_.push_back(*position);
                if (numbers == 6) {
                    ++colours_;
                    return readerVector(line, at).has_value();
                }
            } else if (numbers == 4) {
                const std::optional<aiVector3D> position = readerVector(line, at);
                const std::optional<float> w = position ? readerReal(line, at) : std::nullopt;
                if (!w || *w == 0.0f) {
                    return false;
                }
                positions_.emplace_back(position->x / *w, position->y / *w, position->z / *w);
            }
            return true;
        }
        if (line[1] == 't') {
            const std::size_t numbers = componentCount(line, at);
            if (numbers != 2 && numbers != 3) {
                return false;
            }
            aiVector3D uv;
            for (unsigned int axis = 0; axis < numbers; ++axis) {
                const std::optional<float> value = readerReal(line, at);
                if (!value) {
                    return false;
                }
                uv[axis] = std::isfinite(*value) ? *value : 0.0f;
            }
            uvs_.push_back(uv);
            return true;
        }
        if (line[1] == 'n') {
            const std::optional<aiVector3D> normal = readerVector(line, at);
            if (normal) {
                normals_.push_back(*normal);
            }
            return normal.has_value();
        }
        return true;
    }

    // A face, line or point statement taken apart as the reader does: past
    // the first word, '/' moves on from the position index to the texture
    // coordinate and then the normal index, a blank moves back to the
    // position, and anything else is read as an index.
    bool face(const Line& line)
    {
        std::size_t at = line.afterFirstWord();
        const auto positionsSoFar = static_cast<int>(positions_.size());
        const auto uvsSoFar = static_cast<int>(uvs_.size());
        const auto normalsSoFar = static_cast<int>(normals_.size());
        std::vector<std::uint32_t>* slots[3] = {&facePositions_, &faceUvs_, &faceNormals_};
        const int sizes[3] = {positionsSoFar, uvsSoFar, normalsSoFar};
        for (std::vector<std::uint32_t>* slot : slots) {
            slot->clear();
        }
        int slot = 0;
        while (!endsLine(line[at])) {
            const char c = line[at];
            std::size_t step = 1;
            if (c == '/') {
                ++slot;
            } else if (isBlank(c)) {
                slot = 0;
            } else if (c == '\v') {
                // The reader's atoi skips it and the line end after it.
                cost_.pastItsBuffer = "a vertical tab in a face";
                return false;
            } else {
                const int value = readerIndex(line, at);
                if (value == 0) {
                    return false;
                }
                if (slot == 1 && uvs_.empty() && !normals_.empty()) {
                    // Without texture coordinates the reader takes the
                    // second index as the normal, and a further '/' as a
                    // fourth index.
                    slot = 2;
                }
                if (slot >= 3) {
                    // The reader skips to the end of the line on it, then goes on.
                    cost_.pastItsBuffer = "a face corner with more indices than position, texture and normal";
                    return false;
                }
                const std::int64_t index = value > 0 ? value - 1 : std::int64_t{sizes[slot]} + value;
                slots[slot]->push_back(static_cast<std::uint32_t>(index));
                if ((cornerCount_ + facePositions_.size()) * kBytesPerCorner > kMaxImportBytes) {
                    // One face of more corners than the import may hold:
                    // counting stops before it takes as much itself.
                    exhausted_ = true;
                    return false;
                }
                step = indexWidth(value);
                if (at + step > line.size()) {
                    cost_.pastItsBuffer = "a face index wider than its text";
                    return false;
                }
            }
            at += step;
        }
        if (facePositions_.empty()) {
            return true;
        }
        if (!hasObject_) {
            createObject(kDefaultObjectName);
        }
        Face added;
        added.firstCorner = cornerPositions_.size();
        added.corners = static_cast<std::uint32_t>(facePositions_.size());
        added.uvs = static_cast<std::uint32_t>(faceUvs_.size());
        added.normals = static_cast<std::uint32_t>(faceNormals_.size());
        added.kind = line[0];
        for (std::uint32_t corner = 0; corner < added.corners; ++corner) {
            cornerPositions_.push_back(facePositions_[corner]);
            cornerUvs_.push_back(corner < added.uvs ? faceUvs_[corner] : kNone);
            cornerNormals_.push_back(corner < added.normals ? faceNormals_[corner] : kNone);
        }
        faces_.push_back(added);
        Mesh& mesh = meshes_.back();
        meshesWithFaces_ += mesh.faceEnd == mesh.firstFace ? 1 : 0;
        mesh.faceEnd = faces_.size();
        mesh.hasNormals = mesh.hasNormals || added.normals > 0;
        mesh.hasUvs = mesh.hasUvs || added.uvs > 0;
        // A polyline becomes one two-point segment per pair of neighbours.
        const std::uint64_t vertices =
            added.kind == 'l' && added.corners >= 2 ? 2 * (std::uint64_t{added.corners} - 1) : added.corners;
        cornerCount_ += vertices;
        outputFaces_ += added.kind == 'f' ? 1 : (added.kind == 'l' ? vertices / 2 : vertices);
        return true;
    }

    void createMesh(bool certain)
    {
        Mesh mesh;
        mesh.firstFace = faces_.size();
        mesh.faceEnd = faces_.size();
        mesh.certainStart = certain;
        meshes_.push_back(mesh);
    }

    void createObject(std::string_view name)
    {
        objectNames_.emplace(name);
        ++objectsOfLength_[name.size()];
        ++objectCount_;
        namesBytes_ += name.size();
        hasObject_ = true;
        createMesh(true);
        meshMaterial_ = currentMaterial_;
        if (currentMaterial_.kind != MaterialState::None) {
            ++cost_.materialLookups;
        }
    }

    // The reader looks an object's name up in the list of every object so
    // far; names of another length are told apart by their length alone.
    void compareWithObjects(std::string_view name)
    {
        cost_.objectNameComparisons += objectCount_;
        const auto sameLength = objectsOfLength_.find(name.size());
        if (sameLength != objectsOfLength_.end()) {
            cost_.objectNameBytes =
                saturatingSum(cost_.objectNameBytes, saturatingProduct(sameLength->second, name.size()));
        }
    }

    void object(const Line& line)
    {
        const std::string_view rest = line.restOfLine(line.afterFirstWord());
        const std::string name(rest.substr(0, std::min(rest.size(), rest.find_first_of(" \t"))));
        if (name.empty()) {
            return;
        }
        compareWithObjects(name);
        if (objectNames_.count(name) != 0) {
            hasObject_ = true;
        } else {
            createObject(name);
        }
    }

    void group(const Line& line)
    {
        const std::size_t at = line.afterFirstWord();
        const std::size_t end = line.lineEnd(at);
        // The reader drops a group whose line ends in its buffer's last byte.
        if (end + 1 >= bufferSize_) {
            return;
        }
        const std::string name(line.restOfLine(at));
        if (name == activeGroup_) {
            return;
        }
        createObject(name);
        if (groups_.insert(name).second) {
            namesBytes_ += name.size();
        }
        activeGroup_ = name;
    }

    void useMaterial(std::string_view name)
    {
        if (name.empty()) {
            return;
        }
        const std::string_view kept = name.substr(0, kLibraryStringBytes);
        const bool longName = name.size() >= kLibraryStringBytes;
        if (currentMaterial_.kind == MaterialState::Known && !longName &&
            std::string_view(currentMaterial_.name).substr(0, kLibraryStringBytes) == kept) {
            return;
        }
        // The reader may skip the statement when a library read in between
        // left a material of this name current.
        const bool maybeSkipped = currentMaterial_.kind == MaterialState::Unknown || longName;
        if (materialsNamed_.emplace(name).second) {
            cost_.materialNameBytes += name.size();
            namesBytes_ += name.size();
        }
        const bool meshExists = !meshes_.empty();
        cost_.materialLookups += meshExists ? 2 : 1;
        if (!meshExists) {
            createMesh(true);
        } else {
            const Mesh& mesh = meshes_.back();
            const bool hasFaces = mesh.faceEnd > mesh.firstFace;
            if (hasFaces && meshMaterial_.kind == MaterialState::Unknown) {
                createMesh(false);
            } else if (hasFaces && meshMaterial_.kind == MaterialState::Known && meshMaterial_.name != name) {
                createMesh(!maybeSkipped);
            }
        }
        const bool sameAsMesh = meshMaterial_.kind == MaterialState::Known && meshMaterial_.name == name;
        meshMaterial_ = {maybeSkipped && !sameAsMesh ? MaterialState::Unknown : MaterialState::Known,
                         std::string(name)};
        currentMaterial_ = {longName ? MaterialState::Unknown : MaterialState::Known, std::string(name)};
    }

    // A library's materials become current, and a new one is given to the
    // current mesh.
    void readsLibrary()
    {
        ++cost_.libraryStatements;
        currentMaterial_ = {MaterialState::Unknown, std::string()};
        if (!meshes_.empty()) {
            meshMaterial_ = currentMaterial_;
        }
    }

    std::uint64_t triangulationSteps(const Face& face, std::uint64_t cap) const;
    std::uint64_t neighbourScans(std::size_t firstMesh, std::size_t meshEnd) const;

    ObjImportCost& cost_;
    std::uint64_t bufferSize_ = 0;
    bool insideCurve_ = false;
    bool exhausted_ = false;

    std::vector<aiVector3D> positions_;
    std::vector<aiVector3D> uvs_;
    std::vector<aiVector3D> normals_;
    std::uint64_t colours_ = 0;

    std::vector<std::uint32_t> facePositions_;
    std::vector<std::uint32_t> faceUvs_;
    std::vector<std::uint32_t> faceNormals_;
    std::vector<std::uint32_t> cornerPositions_;
    std::vector<std::uint32_t> cornerUvs_;
    std::vector<std::uint32_t> cornerNormals_;
    std::vector<Face> faces_;
    std::vector<Mesh> meshes_;
    std::uint64_t cornerCount_ = 0;
    std::uint64_t outputFaces_ = 0;
    std::uint64_t meshesWithFaces_ = 0;

    bool hasObject_ = false;
    std::uint64_t objectCount_ = 0;
    std::unordered_set<std::string> objectNames_;
    std::map<std::size_t, std::uint64_t> objectsOfLength_;
    std::unordered_set<std::string> groups_;
    std::string activeGroup_;
    std::unordered_set<std::string> materialsNamed_;
    std::uint64_t namesBytes_ = 0;
    MaterialState currentMaterial_;
    MaterialState meshMaterial_;
};

// --- Triangulation ----------------------------------------------------------

// The library's 2D predicates, with its mix of float vectors and double sums.
double area2D(const aiVector2D& v1, const aiVector2D& v2, const aiVector2D& v3)
{
    return 0.5 * (v1.x * (static_cast<double>(v3.y) - v2.y) + v2.x * (static_cast<double>(v1.y) - v3.y) +
                  v3.x * (static_cast<double>(v2.y) - v1.y));
}

bool onLeftSideOfLine(const aiVector2D& p0, const aiVector2D& p1, const aiVector2D& p2)
{
    return area2D(p0, p2, p1) > 0;
}

bool pointInTriangle(const aiVector2D& p0, const aiVector2D& p1, const aiVector2D& p2, const aiVector2D& pp)
{
    const aiVector2D v0 = p1 - p0;
    const aiVector2D v1 = p2 - p0;
    const aiVector2D v2 = pp - p0;
    double dot00 = v0 * v0;
    double dot11 = v1 * v1;
    const double dot01 = v0 * v1;
    const double dot02 = v0 * v2;
    const double dot12 = v1 * v2;
    const double denominator = dot00 * dot11 - dot01 * dot01;
    if (denominator == 0.0) {
        return false;
    }
    const double inverse = 1.0 / denominator;
    dot11 = (dot11 * dot02 - dot01 * dot12) * inverse;
    dot00 = (dot00 * dot12 - dot01 * dot02) * inverse;
    return dot11 > 0 && dot00 > 0 && dot11 + dot00 < 1;
}

// The polygon's corners projected as the library projects them: onto the
// axis plane its Newell normal points away from least, turned so the
// polygon winds the same way.
std::vector<aiVector2D> projected(const std::vector<aiVector3D>& corners)
{
    const std::size_t n = corners.size();
    const auto wrapped = [&](std::size_t i) -> const aiVector3D& { return corners[i % n]; };
    float sumXy = 0.0f;
    float sumYz = 0.0f;
    float sumZx = 0.0f;
    for (std::size_t i = 0; i < n; ++i) {
        sumXy += wrapped(i + 1).x * (wrapped(i + 2).y - wrapped(i).y);
        sumYz += wrapped(i + 1).y * (wrapped(i + 2).z - wrapped(i).z);
        sumZx += wrapped(i + 1).z * (wrapped(i + 2).x - wrapped(i).x);
    }
    const aiVector3D normal(sumYz, sumZx, sumXy);
    const float ax = normal.x > 0 ? normal.x : -normal.x;
    const float ay = normal.y > 0 ? normal.y : -normal.y;
    const float az = normal.z > 0 ? normal.z : -normal.z;
    unsigned int ac = 0;
    unsigned int bc = 1;
    float inverse = normal.z;
    if (ax > ay) {
        if (ax > az) {
            ac = 1;
            bc = 2;
            inverse = normal.x;
        }
    } else if (ay > az) {
        ac = 2;
        bc = 0;
        inverse = normal.y;
    }
    if (inverse < 0.0f) {
        std::swap(ac, bc);
    }
    std::vector<aiVector2D> points;
    points.reserve(n);
    for (const aiVector3D& corner : corners) {
        points.emplace_back(corner[ac], corner[bc]);
    }
    return points;
}

// The library's ear clipping, step for step: every corner it skips while
// looking for the next live one, every candidate ear, and every corner it
// tests against a candidate. Stops counting past `cap`.
std::uint64_t earClippingSteps(const std::vector<aiVector2D>& points, std::uint64_t cap)
{
    const int max = static_cast<int>(points.size());
    std::vector<bool> done(points.size(), false);
    std::uint64_t steps = points.size();
    int num = max;
    int ear = 0;
    int prev = num - 1;
    int next = 0;
    while (num > 3 && steps <= cap) {
        int numFound = 0;
        for (ear = next;; prev = ear, ear = next) {
            for (next = ear + 1; done[(next >= max ? next = 0 : next)]; ++next) {
                ++steps;
            }
            ++steps;
            if (next < ear && ++numFound == 2) {
                break;
            }
            const aiVector2D& p1 = points[ear];
            const aiVector2D& p0 = points[prev];
            const aiVector2D& p2 = points[next];
            if (onLeftSideOfLine(p0, p2, p1)) {
                continue;
            }
            int tmp = 0;
            for (; tmp < max; ++tmp) {
                ++steps;
                const aiVector2D& v = points[tmp];
                if (v != p1 && v != p2 && v != p0 && pointInTriangle(p0, p1, p2, v)) {
                    break;
                }
            }
            if (tmp != max && steps <= cap) {
                continue;
            }
            break;
        }
        if (numFound == 2) {
            break;
        }
        done[ear] = true;
        --num;
    }
    return steps;
}

std::uint64_t ObjScan::triangulationSteps(const Face& face, std::uint64_t cap) const
{
    std::vector<aiVector3D> corners;
    corners.reserve(face.corners);
    for (std::uint32_t c = 0; c < face.corners; ++c) {
        const std::uint32_t position = cornerPositions_[face.firstCorner + c];
        if (position >= positions_.size()) {
            // The import fails on it before triangulating anything.
            return 0;
        }
        corners.push_back(positions_[position]);
    }
    return earClippingSteps(projected(corners), cap);
}

// --- Tangent generation ----------------------------------------------------

// Finite floats in ascending order, by their bits (a radix sort, a byte at
// a time: the bits of a float, its sign bit flipped and a negative one's
// others too, order as the floats do).
void sortFinite(std::vector<float>& values)
{
    constexpr int kDigitBits = 8;
    constexpr std::uint32_t kDigits = 1u << kDigitBits;
    constexpr std::uint32_t kSignBit = 0x80000000u;
    std::vector<std::uint32_t> keys(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &values[i], sizeof bits);
        keys[i] = (bits & kSignBit) != 0 ? ~bits : bits | kSignBit;
    }
    std::vector<std::uint32_t> spare(keys.size());
    for (int shift = 0; shift < 32; shift += kDigitBits) {
        std::vector<std::size_t> first(kDigits + 1, 0);
        for (const std::uint32_t key : keys) {
            ++first[((key >> shift) & (kDigits - 1)) + 1];
        }
        for (std::uint32_t d = 1; d <= kDigits; ++d) {
            first[d] += first[d - 1];
        }
        for (const std::uint32_t key : keys) {
            spare[first[(key >> shift) & (kDigits - 1)]++] = key;
        }
        keys.swap(spare);
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::uint32_t bits = (keys[i] & kSignBit) != 0 ? keys[i] & ~kSignBit : ~keys[i];
        std::memcpy(&values[i], &bits, sizeof bits);
    }
}

// The direction of the library's spatial sort, asked of the library itself.
class SortDirection : public Assimp::SpatialSort {
public:
    aiVector3D axis() const { return mPlaneNormal; }
};

// The cell of a corner's tangent frame: the sectors of its tangent's and
// its bitangent's angles around the normal, across which both lie. -1 where
// the library joins the corner with nothing, or the normal is not of unit
// length.
std::int16_t frameCell(const aiVector3D& normal, const aiVector3D& tangent, const aiVector3D& bitangent)
{
    const auto usable = [](const aiVector3D& v) {
        return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) &&
               v.SquareLength() >= kUnitLength;
    };
    const float normalLength = normal.SquareLength();
    if (!usable(tangent) || !usable(bitangent) || normalLength < kNormalsAlike ||
        normalLength > 1.0f + kUnitNormalSlack) {
        return -1;
    }
    // A basis across the normal, from the axis it leans on least.
    const float ax = std::fabs(normal.x);
    const float ay = std::fabs(normal.y);
    const float az = std::fabs(normal.z);
    const aiVector3D axis =
        ax <= ay && ax <= az ? aiVector3D(1, 0, 0) : (ay <= az ? aiVector3D(0, 1, 0) : aiVector3D(0, 0, 1));
    aiVector3D first = normal ^ axis;
    first.Normalize();
    const aiVector3D second = normal ^ first;
    int sectors[2] = {0, 0};
    const aiVector3D* vectors[2] = {&tangent, &bitangent};
    for (int k = 0; k < 2; ++k) {
        const float x = *vectors[k] * first;
        const float y = *vectors[k] * second;
        const float larger = std::max(std::fabs(x), std::fabs(y));
        if (larger < kInPlane) {
            return -1;
        }
        const float t = std::min(std::fabs(x), std::fabs(y)) / larger;
        float angle = t * (kPi / 4) + kArcTangentBend * t * (1.0f - t);
        angle = std::fabs(y) > std::fabs(x) ? kPi / 2 - angle : angle;
        angle = x < 0.0f ? kPi - angle : angle;
        angle = y < 0.0f ? 2 * kPi - angle : angle;
        sectors[k] = std::min(static_cast<int>(angle / kSectorRadians), kSectors - 1);
    }
    return static_cast<std::int16_t>(sectors[0] * kSectors + sectors[1]);
}

struct TangentVertex {
    std::uint32_t position = kNone;
    std::uint32_t uv = kNone;
    std::uint32_t normal = kNone;
    // The cell of the tangent frame the library gives it.
    std::int16_t frame = -1;
    // Whether the library looks for its neighbours: a corner of a triangle
    // or polygon; and whether it joins it with others.
    bool searched = false;
    bool joinable = false;
};

// The corners of the triangles a quad becomes, as the library cuts it: along
// the diagonal from the first corner whose angle exceeds half a turn.
std::array<int, 6> quadTriangles(const aiVector3D* corners)
{
    int start = 0;
    for (int i = 0; i < kQuadCorners; ++i) {
        const aiVector3D& v0 = corners[(i + 3) % kQuadCorners];
        const aiVector3D& v1 = corners[(i + 2) % kQuadCorners];
        const aiVector3D& v2 = corners[(i + 1) % kQuadCorners];
        const aiVector3D& v = corners[i];
        aiVector3D left = v0 - v;
        aiVector3D diagonal = v1 - v;
        aiVector3D right = v2 - v;
        left.Normalize();
        diagonal.Normalize();
        right.Normalize();
        const float angle = std::acos(left * diagonal) + std::acos(right * diagonal);
        if (angle > AI_MATH_PI_F) {
            start = i;
            break;
        }
    }
    const auto corner = [&](int k) { return (start + k) % kQuadCorners; };
    return {corner(0), corner(1), corner(2), corner(0), corner(2), corner(3)};
}

// One triangle's tangent frame, given to each of its corners as the library
// gives it, in the plane of the corner's normal.
void tangentFrame(std::vector<TangentVertex>& vertices, const std::vector<aiVector3D>& positions,
                  const std::vector<aiVector3D>& uvs, const std::vector<aiVector3D>& normals,
                  const std::array<std::uint64_t, 3>& corners)
{
    const auto uvOf = [&](std::uint64_t v) {
        const std::uint32_t uv = vertices[v].uv;
        // The import flips texture rows before it makes tangents.
        return uv < uvs.size() ? aiVector3D(uvs[uv].x, 1.0f - uvs[uv].y, uvs[uv].z)
                               : aiVector3D(0.0f, 1.0f, 0.0f);
    };
    const aiVector3D& p0 = positions[vertices[corners[0]].position];
    const aiVector3D v = positions[vertices[corners[1]].position] - p0;
    const aiVector3D w = positions[vertices[corners[2]].position] - p0;
    const aiVector3D t0 = uvOf(corners[0]);
    const aiVector3D t1 = uvOf(corners[1]);
    const aiVector3D t2 = uvOf(corners[2]);
    float sx = t1.x - t0.x;
    float sy = t1.y - t0.y;
    float tx = t2.x - t0.x;
    float ty = t2.y - t0.y;
    const float direction = (tx * sy - ty * sx) < 0.0f ? -1.0f : 1.0f;
    if (sx * ty == sy * tx) {
        sx = 0.0f;
        sy = 1.0f;
        tx = 1.0f;
        ty = 0.0f;
    }
    const aiVector3D tangent((w.x * sy - v.x * ty) * direction, (w.y * sy - v.y * ty) * direction,
                             (w.z * sy - v.z * ty) * direction);
    const aiVector3D bitangent((-w.x * sx + v.x * tx) * direction, (-w.y * sx + v.y * tx) * direction,
                               (-w.z * sx + v.z * tx) * direction);
    for (const std::uint64_t corner : corners) {
        TangentVertex& vertex = vertices[corner];
        const aiVector3D n = vertex.normal < normals.size() ? normals[vertex.normal] : aiVector3D();
        aiVector3D localTangent = tangent - n * (tangent * n);
        aiVector3D localBitangent =
            bitangent - n * (bitangent * n) - localTangent * (bitangent * localTangent);
        localTangent.NormalizeSafe();
        localBitangent.NormalizeSafe();
        const auto special = [](const aiVector3D& a) {
            return is_special_float(a.x) || is_special_float(a.y) || is_special_float(a.z);
        };
        const bool badTangent = special(localTangent);
        if (badTangent != special(localBitangent)) {
            if (badTangent) {
                localTangent = n ^ localBitangent;
                localTangent.NormalizeSafe();
            } else {
                localBitangent = localTangent ^ n;
                localBitangent.NormalizeSafe();
            }
        }
        vertex.frame = frameCell(n, localTangent, localBitangent);
    }
}

// The positions tangent generation scans for a mesh: for every vertex it
// searches from, every position whose distance along the sort direction is
// within the tolerance of its own. A vertex found with a like normal,
// tangent and bitangent is joined and searched from no more; corners that
// share their position and normal index and whose tangent directions fall
// in one cell are surely joined, so only the first of them is counted.
std::uint64_t ObjScan::neighbourScans(std::size_t firstMesh, std::size_t meshEnd) const
{
    bool hasNormals = false;
    bool hasUvs = false;
    for (std::size_t m = firstMesh; m < meshEnd; ++m) {
        hasNormals = hasNormals || meshes_[m].hasNormals;
        hasUvs = hasUvs || meshes_[m].hasUvs;
    }
    if (!hasNormals || !hasUvs || normals_.empty() || uvs_.empty()) {
        return 0;
    }
    std::vector<TangentVertex> vertices;
    bool hasTriangles = false;
    const std::uint64_t faceEnd = meshes_[meshEnd - 1].faceEnd;
    for (std::uint64_t f = meshes_[firstMesh].firstFace; f < faceEnd; ++f) {
        const Face& face = faces_[f];
        const std::uint64_t first = vertices.size();
        for (std::uint32_t c = 0; c < face.corners; ++c) {
            TangentVertex vertex;
            vertex.position = cornerPositions_[face.firstCorner + c];
            if (vertex.position >= positions_.size()) {
                // The import fails on it before post-processing.
                return 0;
            }
            vertex.uv = cornerUvs_[face.firstCorner + c];
            vertex.normal = cornerNormals_[face.firstCorner + c];
            vertex.searched = face.kind == 'f' && face.corners >= kTriangleCorners;
            vertices.push_back(vertex);
            if (face.kind == 'l' && c > 0 && c + 1 < face.corners) {
                vertices.push_back(vertex);
            }
        }
        if (face.kind != 'f' || face.corners < kTriangleCorners) {
            continue;
        }
        hasTriangles = true;
        if (face.corners == kTriangleCorners) {
            tangentFrame(vertices, positions_, uvs_, normals_, {first, first + 1, first + 2});
        } else if (face.corners == kQuadCorners) {
            aiVector3D corners[kQuadCorners];
            for (int c = 0; c < kQuadCorners; ++c) {
                corners[c] = positions_[vertices[first + c].position];
            }
            const std::array<int, 6> cut = quadTriangles(corners);
            for (int t = 0; t < 2; ++t) {
                tangentFrame(vertices, positions_, uvs_, normals_,
                             {first + cut[3 * t], first + cut[3 * t + 1], first + cut[3 * t + 2]});
            }
        }
        // The corners of larger polygons are left unjoinable.
        for (std::uint64_t v = first; face.corners <= kQuadCorners && v < vertices.size(); ++v) {
            const std::uint32_t normal = vertices[v].normal;
            vertices[v].joinable = normal < normals_.size() && vertices[v].frame >= 0;
        }
    }
    if (!hasTriangles) {
        return 0;
    }

    aiVector3D low(kBoundsStart, kBoundsStart, kBoundsStart);
    aiVector3D high(-kBoundsStart, -kBoundsStart, -kBoundsStart);
    for (const TangentVertex& vertex : vertices) {
        const aiVector3D& p = positions_[vertex.position];
        low = aiVector3D(std::min(p.x, low.x), std::min(p.y, low.y), std::min(p.z, low.z));
        high = aiVector3D(std::max(p.x, high.x), std::max(p.y, high.y), std::max(p.z, high.z));
    }
    const float radius = (high - low).Length() * kPositionEpsilon;
    const aiVector3D axis = SortDirection().axis();
    const float scale = 1.0f / static_cast<float>(vertices.size());
    aiVector3D centroid;
    for (const TangentVertex& vertex : vertices) {
        centroid += scale * positions_[vertex.position];
    }
    std::vector<float> distances;
    distances.reserve(vertices.size());
    bool ordered = std::isfinite(radius);
    for (const TangentVertex& vertex : vertices) {
        distances.push_back((positions_[vertex.position] - centroid) * axis);
        ordered = ordered && std::isfinite(distances.back());
    }
    const std::uint64_t searched = static_cast<std::uint64_t>(
        std::count_if(vertices.begin(), vertices.end(), [](const TangentVertex& v) { return v.searched; }));
    if (!ordered) {
        // Positions no order can sort: every search may scan them all.
        return saturatingProduct(searched, vertices.size());
    }
    std::vector<float> sorted = distances;
    sortFinite(sorted);
    // The distance of every search counted, answered together in order.
    std::vector<float> searches;
    // Joinable corners by position index (a counting sort), then each
    // position's corners by normal index and cells: equal ones are joined.
    struct Joinable {
        std::uint32_t normal;
        std::uint32_t cells;
        float distance;
        bool operator<(const Joinable& o) const
        {
            return normal != o.normal ? normal < o.normal : cells < o.cells;
        }
    };
    std::vector<std::uint32_t> firstOfPosition(positions_.size() + 1, 0);
    const auto joins = [&](const TangentVertex& vertex, float distance) {
        // A vertex finds one at its own position only where the tolerance
        // is not lost in rounding.
        return vertex.searched && vertex.joinable && distance < distance + radius && radius * radius != 0.0f;
    };
    for (std::size_t v = 0; v < vertices.size(); ++v) {
        if (joins(vertices[v], distances[v])) {
            ++firstOfPosition[vertices[v].position + 1];
        } else if (vertices[v].searched) {
            searches.push_back(distances[v]);
        }
    }
    for (std::size_t p = 1; p < firstOfPosition.size(); ++p) {
        firstOfPosition[p] += firstOfPosition[p - 1];
    }
    std::vector<Joinable> joinable(firstOfPosition.back());
    std::vector<std::uint32_t> filled(firstOfPosition.begin(), firstOfPosition.end() - 1);
    for (std::size_t v = 0; v < vertices.size(); ++v) {
        const TangentVertex& vertex = vertices[v];
        if (joins(vertex, distances[v])) {
            joinable[filled[vertex.position]++] = {vertex.normal, static_cast<std::uint32_t>(vertex.frame),
                                                   distances[v]};
        }
    }
    for (std::size_t p = 0; p + 1 < firstOfPosition.size(); ++p) {
        const auto first = joinable.begin() + firstOfPosition[p];
        const auto last = joinable.begin() + firstOfPosition[p + 1];
        std::sort(first, last);
        for (auto k = first; k != last; ++k) {
            if (k == first || *(k - 1) < *k) {
                searches.push_back(k->distance);
            }
        }
    }
    // Each search scans from the first position not below its distance less
    // the tolerance to the first not below its distance plus it.
    sortFinite(searches);
    std::uint64_t scans = 0;
    std::size_t from = 0;
    std::size_t to = 0;
    for (const float distance : searches) {
        while (from < sorted.size() && sorted[from] < distance - radius) {
            ++from;
        }
        while (to < sorted.size() && sorted[to] < distance + radius) {
            ++to;
        }
        scans = saturatingSum(scans, to - from);
    }
    return scans;
}

void ObjScan::finish(double budgetNs)
{
    cost_.materialsNamed = materialsNamed_.size();
    constexpr double kStepNs = kTriangulationStepNs * kTriangulationRuns;
    double spentNs = objWorkNs(cost_) + materialLookupWorkNs(cost_, 0, 0);
    for (const Face& face : faces_) {
        if (face.kind != 'f' || face.corners <= static_cast<std::uint32_t>(kQuadCorners)) {
            continue;
        }
        const auto left = static_cast<std::uint64_t>(std::max(0.0, budgetNs - spentNs) / kStepNs);
        const std::uint64_t cap = std::min(kMaxFaceTriangulationSteps, left);
        const std::uint64_t steps = triangulationSteps(face, cap);
        cost_.triangulationSteps = saturatingSum(cost_.triangulationSteps, steps);
        if (steps > cost_.costliestFaceSteps) {
            cost_.costliestFaceSteps = steps;
            cost_.costliestFaceCorners = face.corners;
        }
        spentNs += static_cast<double>(steps) * kStepNs;
        if (steps > cap) {
            return;
        }
    }
    for (std::size_t first = 0; first < meshes_.size();) {
        std::size_t end = first + 1;
        while (end < meshes_.size() && !meshes_[end].certainStart) {
            ++end;
        }
        const std::uint64_t scans = neighbourScans(first, end);
        cost_.neighbourScans = saturatingSum(cost_.neighbourScans, scans);
        cost_.costliestMeshScans = std::max(cost_.costliestMeshScans, scans);
        first = end;
    }
}

std::string over(const std::string& what, std::uint64_t limit, const char* unit, const char* scope = "")
{
    return "OBJ: " + what + ", more than the " + std::to_string(limit) + unit + " this viewer allows" + scope;
}

std::uint64_t milliseconds(double ns)
{
    constexpr double kNsPerMs = 1e6;
    return static_cast<std::uint64_t>(ns / kNsPerMs);
}

constexpr std::uint64_t kBytesPerMiB = std::uint64_t{1} << 20;

}  // namespace

ObjImportCost countObjImportCost(Assimp::IOStream& file)
{
    ObjImportCost cost;
    if (file.FileSize() < kSmallestFile) {
        return cost;
    }
    ObjScan scan(cost);
    // A line longer than this alone passes the memory limit.
    ReaderLines lines(file, kMaxImportBytes / kBytesPerLineByte);
    std::string line;
    std::uint64_t longest = 0;
    bool readToTheEnd = true;
    while (lines.next(line)) {
        longest = std::max<std::uint64_t>(longest, line.size());
        readToTheEnd = scan.statement(line, lines.bufferSize());
        cost.memoryBytes = scan.memory(longest);
        if (!readToTheEnd || cost.memoryBytes > kMaxImportBytes) {
            break;
        }
    }
    if (lines.overrun()) {
        cost.pastItsBuffer = "a backslash that continues a line beyond the reader's 16 MiB block";
    }
    if (lines.tooLong()) {
        cost.memoryBytes = kMost;
    }
    // Where the reader gives up on the file the import ends there, before
    // any post-processing.
    if (readToTheEnd && cost.pastItsBuffer.empty() && cost.memoryBytes <= kMaxImportBytes) {
        scan.finish(kMaxImportWorkNs);
    }
    return cost;
}

double objWorkNs(const ObjImportCost& cost)
{
    return static_cast<double>(cost.triangulationSteps) * kTriangulationStepNs * kTriangulationRuns +
           static_cast<double>(cost.neighbourScans) * kNeighbourScanNs +
           static_cast<double>(cost.objectNameComparisons) * kNameComparisonNs +
           static_cast<double>(cost.objectNameBytes) * kNameByteNs;
}

double materialLookupWorkNs(const ObjImportCost& cost,
                            std::uint64_t libraryMaterials,
                            std::uint64_t libraryNameBytes)
{
    // The reader's default material is on the list from the start.
    const double materials = static_cast<double>(cost.materialsNamed + libraryMaterials + 1);
    const double nameBytes = static_cast<double>(cost.materialNameBytes + libraryNameBytes);
    return static_cast<double>(cost.materialLookups) *
           (materials * kNameComparisonNs + nameBytes * kNameByteNs);
}

std::string objImportRefusal(const ObjImportCost& cost)
{
    if (!cost.pastItsBuffer.empty()) {
        return "OBJ: " + cost.pastItsBuffer + ", which sends the reader past the end of its line or buffer";
    }
    if (cost.memoryBytes > kMaxImportBytes) {
        return over("importing it would take " +
                        (cost.memoryBytes == kMost
                             ? std::string("more memory than any limit")
                             : "about " + std::to_string(cost.memoryBytes / kBytesPerMiB) + " MiB"),
                    kMaxImportBytes / kBytesPerMiB, " MiB");
    }
    if (cost.costliestFaceSteps > kMaxFaceTriangulationSteps) {
        return over("a face of " + std::to_string(cost.costliestFaceCorners) +
                        " corners whose triangulation takes " + std::to_string(cost.costliestFaceSteps) +
                        " steps",
                    kMaxFaceTriangulationSteps, "", " for one face");
    }
    if (cost.costliestMeshScans > kMaxMeshNeighbourScans) {
        return over("a mesh whose tangent generation scans " + std::to_string(cost.costliestMeshScans) +
                        " neighbours",
                    kMaxMeshNeighbourScans, "", " for one mesh");
    }
    const double work = objWorkNs(cost) + materialLookupWorkNs(cost, 0, 0);
    if (work > kMaxImportWorkNs) {
        return over("work estimated at " + std::to_string(milliseconds(work)) + " ms (" +
                        std::to_string(cost.triangulationSteps) + " triangulation steps, " +
                        std::to_string(cost.neighbourScans) + " neighbour scans, " +
                        std::to_string(cost.objectNameComparisons +
                                       cost.materialLookups * (cost.materialsNamed + 1)) +
                        " name comparisons)",
                    milliseconds(kMaxImportWorkNs), " ms");
    }
    return std::string();
}
