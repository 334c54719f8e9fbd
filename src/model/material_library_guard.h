// File access for one model import that screens the material libraries on
// their way to Assimp. Assimp 5.2 crashes on a texture statement (map_Kd,
// bump, ...) that comes before a library's first material, writing it
// through a material that does not exist yet; such statements belong to no
// material, so they are commented out before Assimp reads the file. The
// materials a library adds cost the import memory, and time in every
// material lookup of the model, so each library is judged, with the model's
// own counts, before Assimp reads it.
#pragma once

#include "model/obj_screening.h"

#include <assimp/IOStream.hpp>
#include <assimp/IOSystem.hpp>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// `text` with every statement before the first material turned into a
// comment. Statements begin where the reader begins them: at the start of
// the text and after every line end, past the blanks there, except that the
// first line's blanks are not skipped (the reader passes over an indented
// first line whole). A material begins with a statement starting "ne" or
// "Ne", as the reader tells one. Only the first character of a commented
// statement changes, so sizes and line breaks are kept.
std::string commentOutStatementsBeforeFirstMaterial(std::string text);

// The names of the materials a library's text defines, as the reader names
// them, in order.
std::vector<std::string> materialNames(std::string_view library);

// Reads the model file through `inner` untouched and every other read (the
// material libraries that the model names) whole, passing it on screened by
// commentOutStatementsBeforeFirstMaterial. Which file is the model is
// `inner`'s ComparePaths to decide, by the file's identity; a read of the
// model while it is already open is the reader taking it as its own
// library, and is screened too. Owns `inner`.
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

    // The model's counts, which the libraries' materials add to.
    void judgeLibrariesWith(const ObjImportCost& cost) { cost_ = cost; }

    // Why the libraries were refused, in the import library's style; empty
    // while they were not. Once refused, nothing more opens.
    const std::string& refusal() const { return refusal_; }

private:
    Assimp::IOStream* screenLibrary(Assimp::IOStream* stream);
    // The estimated work of the model and the libraries read so far.
    double workNs() const;
    double foreseenWorkNs() const;

    std::unique_ptr<Assimp::IOSystem> inner_;
    std::string modelPath_;
    // Reads of the model handed out untouched and not closed yet.
    std::vector<Assimp::IOStream*> modelReads_;
    // The screened copies handed out, which this guard deletes.
    std::vector<std::unique_ptr<Assimp::IOStream>> screened_;
    ObjImportCost cost_;
    std::uint64_t libraryBytesRead_ = 0;
    std::uint64_t librariesRead_ = 0;
    std::uint64_t largestLibrary_ = 0;
    std::set<std::string> materials_;
    std::uint64_t materialNameBytes_ = 0;
    std::string refusal_;
};
