// Writes a mesh model as a Wavefront OBJ file and its materials as the MTL
// library it names, with fixed-precision numbers so the text is the same on
// every run and machine.
#pragma once

#include "material.h"
#include "mesh.h"

#include <string>
#include <vector>

// Fixed-point text with `decimals` places; never "-0.000".
std::string formatFixed(double value, int decimals);

std::string objText(const MeshModel& model);
std::string mtlText(const std::vector<Material>& materials);
