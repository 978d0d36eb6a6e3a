// Writes data packages: count word, directory, then every member scrambled with the key.
#pragma once

#include <string>
#include <vector>

struct PackageInput {
    std::string name;                 // member name as stored
    std::vector<unsigned char> bytes; // plain member bytes
};

// Writes the package to path. On failure returns false and sets error; no
// partial package is left behind.
bool WritePackage(const std::string& path, const std::vector<PackageInput>& members, unsigned char key,
                  std::string* error);

// Checks a member name for a package: 1 to 79 characters and safe to extract.
bool CheckPackageName(const std::string& name, std::string* error);
