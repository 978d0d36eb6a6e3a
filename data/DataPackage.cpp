#include "data/DataPackage.h"

#include <cerrno>
#include <cstring>

#include "data/MemberName.h"
#include "data/PackageDirectory.h"
#include "data/PackageKey.h"
#include "platform/files/OwnedFiles.h"
#include "platform/files/RegularFile.h"

namespace {

void SetFailure(DataPackage& package, ExtractFailure failure, const char* name, int error) {
    package.failure = failure;
    package.failureError = error;
    std::snprintf(package.failureName, sizeof package.failureName, "%s", name != nullptr ? name : "");
}

}  // namespace

void DataPackage::Open(const char* fileName) {
    std::snprintf(packageName, sizeof packageName, "%s", fileName);
    stream = OpenRegularFile(fileName, "rb");
    int error = ownedFiles.Begin(EXTRACTION_JOURNAL);
    if (error == EBUSY) SetFailure(*this, ExtractFailure::Busy, EXTRACTION_JOURNAL, error);
    if (ownedFiles.leftoversRemoved > 0)
        std::fprintf(stderr, "orvik: removed %d files left behind by an earlier run that was stopped\n",
                     ownedFiles.leftoversRemoved);
}

bool DataPackage::IsReadable() {
    if (stream == nullptr) return false;
    unsigned char count[4];
    return std::fseek(stream, 0, SEEK_SET) == 0 && std::fread(count, 1, 4, stream) == 4;
}

void DataPackage::Extract(const char* memberName) {
    // A closed package, an earlier failure, or a name that would leave the
    // working directory or take one of this program's own names: nothing.
    if (stream == nullptr || memberName == nullptr || failure != ExtractFailure::None) return;
    if (!IsSafeMemberName(memberName) || OwnedFiles::IsReservedName(memberName)) return;
    if (std::strcmp(memberName, packageName) == 0) {
        std::fprintf(stderr, "orvik: %s: the package itself is never extracted\n", memberName);
        return;
    }
    PackageMember member{};
    if (!FindPackageMember(stream, memberName, &entry, &member)) return;

    switch (ownedFiles.StateOf(memberName)) {
    case OwnedState::Absent:
        break;
    case OwnedState::Owned:
        // Extracted before by this run: written again.
        if (!ownedFiles.Remove(memberName)) {
            SetFailure(*this, ExtractFailure::WriteFailed, memberName, errno);
            return;
        }
        break;
    case OwnedState::Foreign:
        // A maker's loose file beside their package is used as it is.
        if (PackageMemberMatchesFile(stream, member, PACKAGE_KEY, memberName)) return;
        SetFailure(*this, ExtractFailure::Conflict, memberName, EEXIST);
        return;
    }

    int error = 0;
    std::FILE* out = ownedFiles.Start(memberName, &error);
    if (out == nullptr) {
        bool journal = ownedFiles.failedName != nullptr && std::strcmp(ownedFiles.failedName, EXTRACTION_JOURNAL) == 0;
        if (journal && error == EEXIST) SetFailure(*this, ExtractFailure::JournalTaken, EXTRACTION_JOURNAL, error);
        else SetFailure(*this, ExtractFailure::WriteFailed, memberName, error);
        return;
    }
    error = CopyPackageMember(stream, member, PACKAGE_KEY, out);
    if (error != 0) {
        ownedFiles.Abandon(out);
        SetFailure(*this, ExtractFailure::WriteFailed, memberName, error);
        return;
    }
    error = ownedFiles.Commit(memberName, out);
    // Something appeared under the name while the member was written.
    if (error == EEXIST) SetFailure(*this, ExtractFailure::Conflict, memberName, error);
    else if (error != 0) SetFailure(*this, ExtractFailure::WriteFailed, memberName, error);
}

void DataPackage::Close() {
    if (stream != nullptr) std::fclose(stream);
    stream = nullptr;
}
