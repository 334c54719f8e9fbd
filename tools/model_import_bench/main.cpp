// Times the stages of loading one model, offscreen: Assimp's import, our
// conversion, the mesh upload, texture decoding and upload, and the same
// import and decodes as round trips through the loading worker, each the
// median and minimum of several runs, so a slow start-up can be pinned on a
// stage.
#include "app/data_folder.h"
#include "app/render_context.h"
#include "common/system_path.h"
#include "bench_fixture.h"
#include "import_bench_options.h"
#include "model/mesh.h"
#include "model/model.h"
#include "loading/work/assimp_import.h"
#include "loading/work/mesh_conversion.h"
#include "model/texture_loader.h"
#include "worker/loading_worker.h"

#include <GL/glew.h>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

// The first run pays for cold caches and the driver's lazy set-up, so it is
// left out; the machine this was written on is shared and noisy, hence the
// minimum beside the median.
constexpr int kWarmUpRuns = 1;
constexpr int kRuns = 15;

double millisecondsOf(const std::function<void()>& stage)
{
    const auto start = std::chrono::steady_clock::now();
    stage();
    // Count the driver's work, not just the time to queue it.
    glFinish();
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

std::vector<double> sorted(std::vector<double> samples)
{
    samples.erase(samples.begin(), samples.begin() + kWarmUpRuns);
    std::sort(samples.begin(), samples.end());
    return samples;
}

}  // namespace

int main(int argc, char** argv)
{
    CommandLineStop stop;
    if (!parseImportBenchOptions(argc, argv, stop)) {
        return reportCommandLineStop("model_import_bench", stop, kImportBenchUsage);
    }
    std::optional<RenderContext> context = openRenderContext(chooseContextKind(true));
    if (!context) {
        return 1;
    }
    const std::string folder = makeTemporaryFolder("vorlune-bench-");
    if (folder.empty()) {
        std::puts("model_import_bench: needs a writable temp folder");
        closeRenderContext(*context);
        return 1;
    }
    const BenchFixture fixture = writeBenchFixture(folder);

    const std::string workerProgram = utf8FromPath(loadingWorkerProgram());
    // One worker for every run, as one start-up has.
    LoadingWorker worker(workerProgram);
    std::vector<double> importMs, conversionMs, meshUploadMs, decodeMs, textureUploadMs, workerImportMs,
        workerDecodeMs, wholeModelMs;
    for (int run = 0; run < kWarmUpRuns + kRuns; ++run) {
        Assimp::Importer importer;
        configureImporter(importer);
        const aiScene* scene = nullptr;
        importMs.push_back(
            millisecondsOf([&] { scene = importer.ReadFile(fixture.modelPath, kImportFlags); }));
        if (importFailed(scene)) {
            std::puts("model_import_bench: the generated model did not import");
            return 1;
        }

        std::vector<ConvertedMesh> converted;
        conversionMs.push_back(millisecondsOf([&] { converted = convertSceneMeshes(*scene); }));
        meshUploadMs.push_back(millisecondsOf([&] {
            for (ConvertedMesh& mesh : converted) {
                Mesh(std::move(mesh.vertices), std::move(mesh.indices), {});
            }
        }));

        std::vector<DecodedImage> images;
        decodeMs.push_back(millisecondsOf([&] {
            for (const std::string& path : fixture.texturePaths) {
                images.push_back(decodeRgbImage(path));
            }
        }));
        textureUploadMs.push_back(millisecondsOf([&] {
            for (const DecodedImage& image : images) {
                uploadTexture2D(image);
            }
        }));
        bool delivered = true;
        workerImportMs.push_back(millisecondsOf([&] {
            delivered = worker.run({LoadKind::Model, fixture.modelPath, kModelLimits}).model.imported;
        }));
        workerDecodeMs.push_back(millisecondsOf([&] {
            for (const std::string& path : fixture.texturePaths) {
                delivered = delivered && worker.run({LoadKind::Image, path, kImageLimits}).image.pixels != nullptr;
            }
        }));
        if (!delivered) {
            std::puts("model_import_bench: the loading worker did not load the generated model");
            return 1;
        }
        wholeModelMs.push_back(millisecondsOf([&] { Model model(fixture.modelPath, workerProgram); }));
    }

    std::printf("model_import_bench: %d triangles, %d textures of %dx%d, %d runs\n",
                fixture.triangleCount, kBenchTextureCount, kBenchImageSize, kBenchImageSize,
                kRuns);
    std::printf("  %-34s %11s %11s\n", "stage", "median", "min");
    const std::pair<const char*, const std::vector<double>*> rows[] = {
        {"assimp import (ReadFile)", &importMs},
        {"conversion to vertex/index lists", &conversionMs},
        {"mesh upload", &meshUploadMs},
        {"texture decode (all images)", &decodeMs},
        {"texture upload + mipmaps (all)", &textureUploadMs},
        {"worker: import and conversion", &workerImportMs},
        {"worker: texture decode (all)", &workerDecodeMs},
        {"whole Model (worker started anew)", &wholeModelMs},
    };
    for (const auto& [stage, samples] : rows) {
        const std::vector<double> ordered = sorted(*samples);
        std::printf("  %-34s %8.2f ms %8.2f ms\n", stage, ordered[ordered.size() / 2],
                    ordered.front());
    }
    std::filesystem::remove_all(pathFromUtf8(fixture.directory));
    closeRenderContext(*context);
    return 0;
}
