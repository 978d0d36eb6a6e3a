#include "data/DataPackage.h"

#include "data/ExtractedFileList.h"
#include "data/MemberName.h"
#include "data/PackageDirectory.h"
#include "data/PackageKey.h"

void DataPackage::Open(const char* fileName) { stream = std::fopen(fileName, "rb"); }

bool DataPackage::IsReadable() {
    if (stream == nullptr) return false;
    unsigned char count[4];
    return std::fseek(stream, 0, SEEK_SET) == 0 && std::fread(count, 1, 4, stream) == 4;
}

void DataPackage::Extract(const char* memberName) {
    // A closed package or a name that would leave the working directory extracts nothing.
    if (stream == nullptr || memberName == nullptr || !IsSafeMemberName(memberName)) return;
    PackageMember member{};
    if (!FindPackageMember(stream, memberName, &entry, &member)) return;
    if (CopyPackageMember(stream, member, PACKAGE_KEY, memberName)) extractedFiles.Add(memberName);
}

void DataPackage::Close() {
    if (stream != nullptr) std::fclose(stream);
    stream = nullptr;
}
