#include "render/pass_images.h"

#include <string_view>

const RenderPass* findProducerRow(std::span<const RenderPass* const> earlierRows, const char* name)
{
    for (auto row = earlierRows.rbegin(); row != earlierRows.rend(); ++row) {
        const std::optional<PassImage>& image = (*row)->produces;
        if (image && std::string_view(image->name) == name) {
            return *row;
        }
    }
    return nullptr;
}

const PassImage* findProducer(std::span<const RenderPass* const> earlierRows, const char* name)
{
    const RenderPass* row = findProducerRow(earlierRows, name);
    return row != nullptr ? &*row->produces : nullptr;
}

std::vector<SampledImage> sampledImages(std::span<const RenderPass* const> earlierRows,
                                        std::span<const char* const> names)
{
    std::vector<SampledImage> images;
    images.reserve(names.size());
    for (const char* name : names) {
        const PassImage* image = findProducer(earlierRows, name);
        images.push_back(image != nullptr ? SampledImage{image->textureTarget, *image->texture} : SampledImage{});
    }
    return images;
}
