// A material as the MTL file states it: colour terms and the three images
// the viewer binds (diffuse, specular, normal), plus the recipe that paints
// those images. One table per model file lists the materials it uses.
#pragma once

#include "raster.h"

#include <glm/vec3.hpp>

#include <functional>
#include <string>

// What a recipe paints for one surface: colour, specular strength and a
// height map that becomes the normal map.
struct SurfaceImages {
    ColourImage diffuse;
    GreyImage specular;
    GreyImage height;
    double bumpStrength;
};

using TextureRecipe = std::function<SurfaceImages()>;

struct Material {
    std::string name;
    glm::dvec3 ambient;
    glm::dvec3 diffuse;
    glm::dvec3 specular;
    double shininess;
    // Images are written as textures/<textureStem>_{diffuse,specular,normal}.png;
    // materials that share a stem share their images.
    std::string textureStem;
    TextureRecipe paint;
};

// Image paths as the MTL names them, relative to the models folder.
std::string diffuseImagePath(const Material& material);
std::string specularImagePath(const Material& material);
std::string normalImagePath(const Material& material);
