// One model file read and converted without GL: the step of loading that
// runs on the loading worker. What comes back is ready to upload.
#pragma once

#include "loading/work/mesh_conversion.h"

#include <string>
#include <vector>

struct ImportedModelFile {
    bool imported = false;
    // Why not: the text the import-error line carries (the refusal, or the
    // importer's own error text, which may be empty).
    std::string error;
    // Material texture paths are taken from here.
    std::string directory;
    // In the order the depth-first node walk meets them, once per reference.
    std::vector<ConvertedMesh> meshes;
};

// Imports `path` as every model is imported (with kImportFlags, behind the material library guard)
// and converts each mesh its node tree names. A file that yields no triangle
// to draw fails with that reason. Never throws: running out of memory on a
// huge file is one more reason for the import to fail.
ImportedModelFile importModelFile(const std::string& path);
