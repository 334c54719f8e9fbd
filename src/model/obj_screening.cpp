// Counts what an OBJ file will cost the import library by reading it the way
// its reader does, closely enough that no file makes the reader do more than
// this scan counts: a statement is told by the first character of its line;
// a carriage return, form feed or NUL ends a line as a newline does; and a
// backslash right before a line end joins the text after the next newline.
#include "model/obj_screening.h"

#include "model/obj_lines.h"

#include <assimp/SpatialSort.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using Position = std::array<float, 3>;

// Tangent generation finds a corner's neighbours among the positions whose
// distance along one fixed direction lies within this fraction of the
// mesh's bounding-box diagonal of its own.
constexpr float kNeighbourFraction = 1e-4f;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();

std::uint64_t saturatingSquare(std::uint64_t n)
{
    constexpr std::uint64_t kRoot = std::uint64_t{1} << 32;
    return n >= kRoot ? kMost : n * n;
}

std::uint64_t saturatingSum(std::uint64_t a, std::uint64_t b)
{
    return a > kMost - b ? kMost : a + b;
}

// The logical lines of the text, as the reader assembles them.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    bool next(std::string& line)
    {
        if (at_ >= text_.size()) {
            return false;
        }
        line.clear();
        while (at_ < text_.size()) {
            if (text_[at_] == '\\' && at_ + 1 < text_.size() && endsLine(text_[at_ + 1])) {
                // The reader skips through the next newline and then keeps
                // whatever character follows, a line end included.
                const std::size_t newline = text_.find('\n', at_ + 1);
                at_ = newline == std::string_view::npos ? text_.size() : newline + 1;
                if (at_ < text_.size()) {
                    line.push_back(text_[at_++]);
                }
                continue;
            }
            if (endsLine(text_[at_])) {
                ++at_;
                break;
            }
            line.push_back(text_[at_++]);
        }
        return true;
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

// What C's atoi makes of an index at `at`: a sign and digits, saturated as
// strtol saturates, then cut to an int. Zero where no digit follows.
int readerIndex(std::string_view line, std::size_t at)
{
    constexpr std::uint64_t kLongMax = std::numeric_limits<long>::max();
    bool negative = false;
    if (at < line.size() && (line[at] == '+' || line[at] == '-')) {
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

// A number as the reader's float parser takes it, nan and inf included; an
// overflowing one is taken as infinite. False where the reader would give up
// on the file.
bool readerReal(std::string_view token, float& value)
{
    const char* first = token.data();
    const char* last = first + token.size();
    if (first != last && *first == '+') {
        ++first;
    }
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc::result_out_of_range) {
        value = std::numeric_limits<float>::infinity();
        return true;
    }
    return error == std::errc() && end != first;
}

bool startsNanOrInf(std::string_view token)
{
    if (token.size() < 3) {
        return false;
    }
    std::string start(token.substr(0, 3));
    std::transform(start.begin(), start.end(), start.begin(),
                   [](char c) { return static_cast<char>(c | 0x20); });
    return start == "nan" || start == "inf";
}

std::vector<std::string_view> blankSeparatedWords(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size() && !endsLine(line[at])) {
        if (isBlank(line[at])) {
            ++at;
            continue;
        }
        const std::size_t start = at;
        while (at < line.size() && !isBlank(line[at]) && !endsLine(line[at])) {
            ++at;
        }
        words.push_back(line.substr(start, at - start));
    }
    return words;
}

struct Scan {
    std::vector<Position> positions;
    // The position behind each vertex the import will make, while there are
    // no more of them than the limit; negative where out of range.
    std::vector<std::int64_t> cornerPositions;
    std::vector<std::int64_t> face;
    std::uint64_t corners = 0;
    std::uint64_t triangulationWork = 0;
    std::uint64_t largestFace = 0;
    std::uint64_t parts = 0;
    std::uint64_t libraries = 0;
    std::uint64_t textureCoordinates = 0;
    std::uint64_t normals = 0;
    bool namesTextureCoordinates = false;
    bool namesNormals = false;
    // Set when a face would send the reader past the end of its line, into
    // whatever its line buffer held before: it then reads the rest of an
    // earlier, longer line as more corners of this face, so one short line
    // can make millions of them.
    std::string pastItsLine;
};

void addCorner(Scan& scan, std::int64_t position)
{
    ++scan.corners;
    if (scan.cornerPositions.size() <= kMaxModelCorners) {
        scan.cornerPositions.push_back(position);
    }
}

// A face, line or point statement taken apart as the reader does: past the
// first word, '/' moves on from the position index to the texture
// coordinate and then the normal index, a blank moves back to the position,
// and anything else is read as an index. False where the reader gives up on
// the file, which ends its work there, or would read past the line.
bool scanFace(std::string_view line, Scan& scan)
{
    std::size_t at = 0;
    while (at < line.size() && !isBlank(line[at]) && !endsLine(line[at])) {
        ++at;
    }
    const auto positionsSoFar = static_cast<std::int64_t>(scan.positions.size());
    scan.face.clear();
    int slot = 0;
    while (at < line.size() && !endsLine(line[at])) {
        const char c = line[at];
        std::size_t step = 1;
        if (c == '/') {
            ++slot;
        } else if (isBlank(c)) {
            slot = 0;
        } else if (c == '\v') {
            // The reader's atoi skips it and the line end after it.
            scan.pastItsLine = "a vertical tab in a face";
            return false;
        } else {
            const int value = readerIndex(line, at);
            if (value == 0) {
                return false;
            }
            if (slot == 1 && scan.textureCoordinates == 0 && scan.normals > 0) {
                // Without texture coordinates the reader takes the second
                // index as the normal, and a further '/' as a fourth index.
                slot = 2;
            }
            if (slot >= 3) {
                // The reader skips to the end of the line on it, then goes on.
                scan.pastItsLine = "a face corner with more indices than position, texture and normal";
                return false;
            }
            if (slot == 0) {
                scan.face.push_back(value > 0 ? value - 1 : positionsSoFar + value);
            }
            scan.namesTextureCoordinates |= slot == 1;
            scan.namesNormals |= slot == 2;
            step = indexWidth(value);
        }
        at += step;
    }

    const std::vector<std::int64_t>& face = scan.face;
    if (line[0] == 'l' && face.size() >= 2) {
        // A polyline becomes one two-point segment per pair of neighbours.
        for (std::size_t i = 0; i + 1 < face.size(); ++i) {
            addCorner(scan, face[i]);
            addCorner(scan, face[i + 1]);
        }
        return true;
    }
    for (const std::int64_t position : face) {
        addCorner(scan, position);
    }
    if (line[0] == 'f' && face.size() > 3) {
        scan.triangulationWork = saturatingSum(scan.triangulationWork, saturatingSquare(face.size()));
        scan.largestFace = std::max<std::uint64_t>(scan.largestFace, face.size());
    }
    return true;
}

// A position statement. The reader counts the numbers on the line (words
// that start with a digit or a sign, or spell nan or inf) and keeps a
// position only for three (x y z), four (x y z w, divided by w) or six (a
// colour after x y z), reading the first words whatever they are. Where it
// would give up on the file instead, the scan goes on: it may only ever
// count more than the reader does, never less.
void scanPosition(std::string_view line, Scan& scan)
{
    const std::vector<std::string_view> words = blankSeparatedWords(line.substr(1));
    std::size_t numbers = 0;
    for (const std::string_view word : words) {
        const char first = word[0];
        if (isDigit(first) || first == '+' || first == '-' || startsNanOrInf(word)) {
            ++numbers;
        }
    }
    if (numbers != 3 && numbers != 4 && numbers != 6) {
        return;
    }
    Position position{};
    for (std::size_t axis = 0; axis < position.size(); ++axis) {
        if (!readerReal(words[axis], position[axis])) {
            return;
        }
    }
    float w = 1.0f;
    if (numbers == 4 && (!readerReal(words[3], w) || w == 0.0f)) {
        return;
    }
    for (float& coordinate : position) {
        coordinate /= w;
    }
    scan.positions.push_back(position);
}

bool scanStatement(std::string_view line, Scan& scan)
{
    if (line.empty()) {
        return true;
    }
    switch (line[0]) {
    case 'v':
        if (line.size() > 1 && line[1] == 't') {
            ++scan.textureCoordinates;
        } else if (line.size() > 1 && line[1] == 'n') {
            ++scan.normals;
        }
        if (line.size() > 1 && isBlank(line[1])) {
            scanPosition(line, scan);
        }
        return true;
    case 'f':
    case 'l':
    case 'p':
        return scanFace(line, scan);
    case 'o':
    case 'g':
    case 'u':
        ++scan.parts;
        return true;
    case 'm':
        ++scan.libraries;
        return true;
    default:
        return true;
    }
}

// The direction along which the import library sorts positions to find
// neighbours, asked of the library itself.
class SortDirection : public Assimp::SpatialSort {
public:
    Position axis() const { return {mPlaneNormal.x, mPlaneNormal.y, mPlaneNormal.z}; }
};

// How many positions tangent generation scans, summed over every vertex: for
// each, all those whose distance along the sort direction lies within its
// neighbour radius. Taken over all corners at once, as if the file were one
// mesh, which only widens the radius and adds positions, so it never counts
// fewer than the import scans mesh by mesh. Nothing when no mesh can have
// both texture coordinates and normals, which tangents need.
std::uint64_t crowding(const Scan& scan)
{
    if (!scan.namesTextureCoordinates || !scan.namesNormals) {
        return 0;
    }
    std::vector<const Position*> points;
    points.reserve(scan.cornerPositions.size());
    for (const std::int64_t index : scan.cornerPositions) {
        if (index >= 0 && index < static_cast<std::int64_t>(scan.positions.size())) {
            points.push_back(&scan.positions[static_cast<std::size_t>(index)]);
        }
    }
    if (points.empty()) {
        return 0;
    }
    Position low = *points.front();
    Position high = low;
    for (const Position* point : points) {
        for (std::size_t axis = 0; axis < low.size(); ++axis) {
            low[axis] = std::min(low[axis], (*point)[axis]);
            high[axis] = std::max(high[axis], (*point)[axis]);
        }
    }
    const float dx = high[0] - low[0];
    const float dy = high[1] - low[1];
    const float dz = high[2] - low[2];
    const float radius = std::sqrt(dx * dx + dy * dy + dz * dz) * kNeighbourFraction;

    const Position axis = SortDirection().axis();
    std::vector<float> distances;
    distances.reserve(points.size());
    bool finite = std::isfinite(radius);
    for (const Position* point : points) {
        const float distance = (*point)[0] * axis[0] + (*point)[1] * axis[1] + (*point)[2] * axis[2];
        finite = finite && std::isfinite(distance);
        distances.push_back(distance);
    }
    if (!finite) {
        // An infinite radius, or positions no order can sort: every vertex
        // scans them all.
        return saturatingSquare(distances.size());
    }
    std::sort(distances.begin(), distances.end());
    std::uint64_t scanned = 0;
    std::size_t from = 0;
    std::size_t to = 0;
    for (const float distance : distances) {
        while (distances[from] < distance - radius) {
            ++from;
        }
        while (to < distances.size() && distances[to] < distance + radius) {
            ++to;
        }
        scanned += to - from;
    }
    return scanned;
}

std::string over(std::uint64_t count, const char* what, std::uint64_t limit, const char* verb)
{
    return "OBJ: " + std::to_string(count) + " " + what + ", more than the " +
           std::to_string(limit) + " this viewer " + verb;
}

}  // namespace

std::string objImportRefusal(std::string_view text)
{
    Scan scan;
    LineReader lines(text);
    std::string line;
    while (lines.next(line) && scanStatement(line, scan)) {
    }

    if (!scan.pastItsLine.empty()) {
        return "OBJ: " + scan.pastItsLine + ", which sends the reader past the end of its line";
    }
    const auto largestTriangulated = static_cast<std::uint64_t>(std::sqrt(double(kMaxTriangulationWork)));
    if (scan.largestFace > largestTriangulated) {
        return "OBJ: a face of " + std::to_string(scan.largestFace) + " corners, more than the " +
               std::to_string(largestTriangulated) + " this viewer triangulates";
    }
    if (scan.triangulationWork > kMaxTriangulationWork) {
        return "OBJ: polygons too large to triangulate in time (their corner counts squared sum to " +
               std::to_string(scan.triangulationWork) + ", more than " +
               std::to_string(kMaxTriangulationWork) + ")";
    }
    const std::uint64_t crowded = crowding(scan);
    if (crowded > kMaxCrowding) {
        return "OBJ: corners too crowded for tangent generation (it would scan " +
               std::to_string(crowded) + " neighbours, more than " + std::to_string(kMaxCrowding) + ")";
    }
    // A file without faces becomes one cloud of all its positions.
    const std::uint64_t vertices = std::max<std::uint64_t>(scan.corners, scan.positions.size());
    if (vertices > kMaxModelCorners) {
        return over(vertices, "face corners or positions", kMaxModelCorners, "imports");
    }
    if (scan.parts > kMaxModelParts) {
        return over(scan.parts, "object, group and material statements", kMaxModelParts, "imports");
    }
    if (scan.libraries > kMaxMaterialLibraryStatements) {
        return over(scan.libraries, "material library statements", kMaxMaterialLibraryStatements, "reads");
    }
    return std::string();
}

std::uint64_t materialCount(std::string_view library)
{
    std::uint64_t materials = 0;
    std::size_t at = 0;
    while (at < library.size()) {
        while (at < library.size() && isBlank(library[at])) {
            ++at;
        }
        if (library.compare(at, 2, "ne") == 0) {
            ++materials;
        }
        while (at < library.size() && !endsLine(library[at])) {
            ++at;
        }
        ++at;
    }
    return materials;
}
