// Fuzzes model import: the input is an OBJ and its material library (split at
// the separator line), read through the viewer's own import, node walk and
// mesh conversion. Beyond crashes and sanitizer reports, a converted
// mesh whose index list the draw could not safely use is a finding.
#include "support/in_memory_obj_import.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const hardening::ImportOutcome outcome =
        hardening::importFromMemory(hardening::splitObjInput(input));
    for (const ConvertedMesh& mesh : outcome.meshes) {
        const std::string fault = hardening::meshFault(mesh);
        if (!fault.empty()) {
            std::fprintf(stderr, "converted mesh unsafe to draw: %s\n", fault.c_str());
            std::abort();
        }
    }
    return 0;
}
