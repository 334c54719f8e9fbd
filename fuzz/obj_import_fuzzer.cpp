// Fuzzes model import as the viewer runs it: the input is an OBJ and its
// material library (split at the separator line), written out as files and
// imported by the loading worker. The import library may crash, spin or
// swell on what it reads; in the worker that costs one model, so a worker
// that crashed or passed a limit is an outcome, not a finding. A finding is
// a reply the viewer could not rely on: a failure of more than one line,
// meshes without an import, or a mesh whose indices the draw could not
// safely use, besides any sanitizer report in this process.
#include "common/system_path.h"
#include "support/in_memory_obj_import.h"
#include "worker_coverage.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace {

// Small limits keep a slow input from holding up the run: the seeds import
// in milliseconds, and what passes these is as much a finding-free outcome
// as what passes the viewer's own.
constexpr LoadLimits kFuzzLimits{2.0, 256 * kMebibyte, 10.0};

FuzzSession& session()
{
    static FuzzSession instance("vorlune-obj-fuzz-");
    return instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzSession& s = session();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const hardening::ObjInput files = hardening::splitObjInput(input);
    s.coverage.clear();
    const LoadReply reply = hardening::importThroughWorker(s.worker, s.folder + "/input", files, kFuzzLimits);
    s.coverage.collect();
    const std::string fault = hardening::modelReplyFault(reply);
    if (!fault.empty()) {
        std::fprintf(stderr, "model reply unsafe to use: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
