// Every material of the scene by name, with its MTL colours and the recipe
// that paints its images.
#pragma once

#include "material.h"

#include <string>
#include <vector>

const std::vector<Material>& materialTable();
// The entry named `name`; null if there is none.
const Material* findMaterial(const std::string& name);
