// Where the image that a material names lies, read as its author meant it.
// Exporters write paths in their own system's form: Windows separators,
// absolute paths of the machine the model was made on. GL-free.
#pragma once

#include <string>

// The file to read for `materialPath` of a model whose folder is
// `directory`. Backslashes are separators. A relative path is taken from
// the model's folder, wherever it leads (a shared textures folder beside the
// model's is common; only image files of a bounded size are ever read). An
// absolute path (/..., C:/..., //server/...) is read where it points when a
// file is there; otherwise, since it names another machine's folders, the
// file of that name beside the model is read instead.
std::string resolveTexturePath(const std::string& materialPath, const std::string& directory);
