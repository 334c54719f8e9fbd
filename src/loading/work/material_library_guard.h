// File access for one model import that screens the material libraries on
// their way to Assimp. Assimp 5.2 crashes on a texture statement (map_Kd,
// bump, ...) that comes before a library's first material, writing it
// through a material that does not exist yet; such statements belong to no
// material, so they are commented out before Assimp reads the file. The
// loading worker would contain that crash, but the browser has no worker,
// and the files are valid: repaired, they load.
#pragma once

#include <assimp/IOStream.hpp>
#include <assimp/IOSystem.hpp>

#include <memory>
#include <string>

// `text` with every statement before the first material turned into a
// comment. Statements begin where the reader begins them: at the start of
// the text and after every line end, past the blanks there, except that the
// first line's blanks are not skipped (the reader passes over an indented
// first line whole). A material begins with a statement starting "ne" or
// "Ne", as the reader tells one. Only the first character of a commented
// statement changes, so sizes and line breaks are kept.
std::string commentOutStatementsBeforeFirstMaterial(std::string text);

// Reads the model file through `inner` untouched and every other read (the
// material libraries that the model names) whole, passing it on screened by
// commentOutStatementsBeforeFirstMaterial. Which file is the model is
// `inner`'s ComparePaths to decide, by the file's identity; a read of the
// model while it is already open is the reader taking it as its own
// library, and is screened too. Owns `inner`, whose Close must delete the
// stream (as the import library's own file system does): the import
// library deletes some streams itself.
class MaterialLibraryGuard : public Assimp::IOSystem {
public:
    MaterialLibraryGuard(Assimp::IOSystem* inner, std::string modelPath);
    ~MaterialLibraryGuard() override;
    MaterialLibraryGuard(const MaterialLibraryGuard&) = delete;
    MaterialLibraryGuard& operator=(const MaterialLibraryGuard&) = delete;

    bool Exists(const char* file) const override;
    char getOsSeparator() const override;
    Assimp::IOStream* Open(const char* file, const char* mode = "rb") override;
    void Close(Assimp::IOStream* stream) override;
    bool ComparePaths(const char* one, const char* second) const override;

private:
    Assimp::IOStream* screenLibrary(Assimp::IOStream* stream);

    std::unique_ptr<Assimp::IOSystem> inner_;
    std::string modelPath_;
    // Reads of the model handed out and not yet closed or deleted.
    std::shared_ptr<int> openModelReads_ = std::make_shared<int>(0);
};
