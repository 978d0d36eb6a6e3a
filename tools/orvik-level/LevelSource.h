// Where a level's files come from: a data package (read with a key), or a
// directory of the loose files it would be packed from. Members the checks
// read are copied out of a package into a private scratch directory, which is
// removed again; a directory's files are read where they lie.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/orvik-level/Findings.h"

struct LevelMember {
    std::string name;
    int64_t size = 0;
    int64_t offset = 0;      // data offset in the package (0 for a loose file)
    bool terminated = true;  // the name ends inside its 80-byte field
    bool reachable = true;   // its data start after the directory, where the viewer looks
    bool used = false;       // a check asked for it
};

class LevelSource {
public:
    LevelSource() = default;
    ~LevelSource();
    LevelSource(const LevelSource&) = delete;
    LevelSource& operator=(const LevelSource&) = delete;

    // PATH is a package file, or a directory: of loose files when it holds
    // MAP.MBM, else the DATA.MBP in it. Problems of the package itself (a
    // directory cut short, members past the end of the file) go to findings.
    // False, with error set, when PATH holds no level at all.
    bool Open(const std::string& path, unsigned char key, Findings* findings, std::string* error);

    bool IsPackage() const { return package_ != nullptr; }
    // "DATA.MBP" or the directory's path, as reports name it.
    const std::string& Label() const { return label_; }
    const std::vector<LevelMember>& Members() const { return members_; }

    // The first member of exactly that name, or null.
    LevelMember* Find(const std::string& name);
    // A member whose name differs only in letter case, or null.
    const LevelMember* FindOtherCase(const std::string& name) const;

    // The path of a readable file holding the member's bytes; empty with
    // error set when the member cannot be copied out.
    std::string FileOf(const std::string& name, std::string* error);
    // The member's bytes.
    bool Read(const std::string& name, std::string* bytes, std::string* error);

private:
    bool OpenPackage(const std::string& path, Findings* findings, std::string* error);
    bool OpenDirectory(const std::string& path, std::string* error);

    std::FILE* package_ = nullptr;
    unsigned char key_ = 0;
    std::string label_;
    std::string directory_;   // loose files
    std::string scratch_;     // copies of package members
    std::vector<std::string> copied_;
    std::vector<LevelMember> members_;
};

// Why the viewer would never extract a member of this name, or empty.
std::string UnextractableReason(const std::string& name);
