// Where a material's images live relative to the model files.
#include "material.h"

namespace {
const std::string kTextureFolder = "textures/";
}

std::string diffuseImagePath(const Material& m) { return kTextureFolder + m.textureStem + "_diffuse.png"; }
// "_gloss" rather than the longer word: the image is the material's
// specular strength, and short names keep the listings readable.
std::string specularImagePath(const Material& m) { return kTextureFolder + m.textureStem + "_gloss.png"; }
std::string normalImagePath(const Material& m) { return kTextureFolder + m.textureStem + "_normal.png"; }
