// Where a material's images live relative to the model files.
#include "material.h"

namespace {
const std::string kTextureFolder = "textures/";
}

std::string diffuseImagePath(const Material& m) { return kTextureFolder + m.textureStem + "_diffuse.png"; }
std::string specularImagePath(const Material& m) { return kTextureFolder + m.textureStem + "_specular.png"; }
std::string normalImagePath(const Material& m) { return kTextureFolder + m.textureStem + "_normal.png"; }
