// The files on disk that one model import reads, as the import library sees
// them. Only a regular file exists, so a model path naming a directory or a
// device is refused as a missing file is; nothing that could block its
// reader or never end (a FIFO, a device, a socket) opens; and two paths name
// the same file when they lead to the same file identity, whatever their
// text.
#pragma once

#include <assimp/DefaultIOSystem.h>

class ModelFileSystem : public Assimp::DefaultIOSystem {
public:
    bool Exists(const char* file) const override;
    Assimp::IOStream* Open(const char* file, const char* mode = "rb") override;
    bool ComparePaths(const char* one, const char* second) const override;
};
