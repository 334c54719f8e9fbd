// Positions, texture coordinates and normals are each written once per
// distinct text and indexed by the faces, which keeps the files small.
#include "obj_writer.h"

#include <cstdio>
#include <map>
#include <sstream>

namespace {

constexpr int kPositionDecimals = 5;
constexpr int kUvDecimals = 5;
constexpr int kNormalDecimals = 4;
constexpr int kColourDecimals = 3;
constexpr int kShininessDecimals = 1;
constexpr size_t kNumberBuffer = 64;

// Hands out 1-based OBJ indices, one per distinct line of text.
class IndexedLines {
public:
    explicit IndexedLines(std::string prefix) : prefix(std::move(prefix)) {}
    size_t index(const std::string& text) {
        const auto found = indices.find(text);
        if (found != indices.end()) return found->second;
        lines << prefix << text << '\n';
        indices.emplace(text, indices.size() + 1);
        return indices.size();
    }
    std::string text() const { return lines.str(); }

private:
    std::string prefix;
    std::map<std::string, size_t> indices;
    std::ostringstream lines;
};

std::string triple(const glm::dvec3& v, int decimals) {
    return formatFixed(v.x, decimals) + " " + formatFixed(v.y, decimals) + " " + formatFixed(v.z, decimals);
}

}  // namespace

std::string formatFixed(double value, int decimals) {
    char buffer[kNumberBuffer];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text(buffer);
    if (text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos) text.erase(0, 1);
    return text;
}

std::string objText(const MeshModel& model) {
    IndexedLines positions("v ");
    IndexedLines uvs("vt ");
    IndexedLines normals("vn ");
    std::ostringstream faces;
    for (const MeshPart& part : model.parts) {
        faces << "o " << part.name << '\n' << "usemtl " << part.material << '\n';
        for (const auto& triangle : part.triangles) {
            faces << 'f';
            for (uint32_t i : triangle) {
                const MeshVertex& v = part.vertices[i];
                faces << ' ' << positions.index(triple(v.position, kPositionDecimals))
                      << '/' << uvs.index(formatFixed(v.uv.x, kUvDecimals) + " " + formatFixed(v.uv.y, kUvDecimals))
                      << '/' << normals.index(triple(v.normal, kNormalDecimals));
            }
            faces << '\n';
        }
    }
    std::ostringstream out;
    out << "# Vorlune " << model.name << ", made by generate_assets\n"
        << "mtllib " << model.name << ".mtl\n"
        << positions.text() << uvs.text() << normals.text() << faces.str();
    return out.str();
}

std::string mtlText(const std::vector<Material>& materials) {
    std::ostringstream out;
    out << "# Vorlune materials, made by generate_assets\n";
    for (const Material& m : materials) {
        out << "\nnewmtl " << m.name << '\n'
            << "Ka " << triple(m.ambient, kColourDecimals) << '\n'
            << "Kd " << triple(m.diffuse, kColourDecimals) << '\n'
            << "Ks " << triple(m.specular, kColourDecimals) << '\n'
            << "Ns " << formatFixed(m.shininess, kShininessDecimals) << '\n'
            << "map_Kd " << diffuseImagePath(m) << '\n'
            << "map_Ks " << specularImagePath(m) << '\n'
            << "map_Bump " << normalImagePath(m) << '\n';
    }
    return out.str();
}
