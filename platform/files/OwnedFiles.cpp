#include "platform/files/OwnedFiles.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "platform/files/FileCalls.h"
#include "platform/files/JournalText.h"

OwnedFiles ownedFiles;

namespace {

constexpr const char* kReservedPrefix = ".orvik-";
constexpr size_t kMaxJournalBytes = 1 << 16;

bool WriteAll(int fd, const char* bytes, size_t length) {
    while (length > 0) {
        long done = WriteSome(fd, bytes, length);
        if (done <= 0) return false;
        bytes += done;
        length -= static_cast<size_t>(done);
    }
    return true;
}

}  // namespace

OwnedFiles::OwnedFiles()
    : journalName{}, journalFd(-1), journalForeign(false), names{}, identities{}, live{}, count(0), tempName{},
      tempActive(0), tempIdentity{}, serial(0), failedName(nullptr), leftoversRemoved(0) {}

bool OwnedFiles::IsReservedName(const char* name) {
    return name != nullptr && std::strncmp(name, kReservedPrefix, std::strlen(kReservedPrefix)) == 0;
}

int OwnedFiles::Begin(const char* journalFileName) {
    std::snprintf(journalName, sizeof journalName, "%s", journalFileName);
    journalForeign = false;
    leftoversRemoved = 0;
    if (journalFd >= 0) return 0;  // this run holds it already
    int fd = OpenForUpdate(journalName);
    if (fd < 0) {
        // Nothing there is the usual case; anything else there is not ours.
        journalForeign = errno != ENOENT;
        return 0;
    }
    FileIdentity self{};
    if (!IdentifyDescriptor(fd, &self)) {
        CloseDescriptor(fd);
        journalForeign = true;
        return 0;
    }
    if (!LockWithoutWaiting(fd)) {
        int error = errno == EWOULDBLOCK ? EBUSY : errno;
        CloseDescriptor(fd);
        failedName = journalName;
        return error;
    }
    static char text[kMaxJournalBytes + 1];
    size_t length = 0;
    while (length < kMaxJournalBytes) {
        long got = ReadSome(fd, text + length, kMaxJournalBytes - length);
        if (got <= 0) break;
        length += static_cast<size_t>(got);
    }
    text[length] = '\0';
    JournalReader reader(text, length);
    if (!reader.ReadHeader(self)) {
        CloseDescriptor(fd);
        journalForeign = true;
        return 0;
    }
    JournalEntry entry;
    while (reader.Next(&entry)) {
        if (entry.made) {
            if (RemoveIfSameFile(entry.name, entry.identity)) ++leftoversRemoved;
        } else if (IsReservedName(entry.name)) {
            // An unfinished file: its temporary name is ours by its prefix.
            FileIdentity identity;
            bool regular = false;
            if (IdentifyFile(entry.name, &identity, &regular) && regular && RemoveName(entry.name))
                ++leftoversRemoved;
        }
    }
    TakeOverJournal(fd);
    return 0;
}

void OwnedFiles::TakeOverJournal(int fd) {
    FileIdentity self{};
    IdentifyDescriptor(fd, &self);
    char header[JOURNAL_LINE_SIZE];
    FormatJournalHeader(self, header);
    if (EmptyFile(fd) && WriteAll(fd, header, std::strlen(header))) {
        SyncFile(fd);
        journalFd = fd;
        return;
    }
    // The old journal cannot be rewritten (a read-only directory): it is left as it is.
    CloseDescriptor(fd);
    journalForeign = true;
}

int OwnedFiles::EnsureJournal() {
    if (journalFd >= 0) return 0;
    if (journalForeign || journalName[0] == '\0') {
        failedName = journalName;
        return EEXIST;
    }
    int fd = CreateNewFile(journalName);
    if (fd < 0) {
        failedName = journalName;
        return errno;
    }
    if (!LockWithoutWaiting(fd)) {
        int error = errno;
        CloseDescriptor(fd);
        RemoveName(journalName);
        failedName = journalName;
        return error;
    }
    FileIdentity self{};
    IdentifyDescriptor(fd, &self);
    char header[JOURNAL_LINE_SIZE];
    FormatJournalHeader(self, header);
    if (!WriteAll(fd, header, std::strlen(header)) || !SyncFile(fd)) {
        int error = errno;
        CloseDescriptor(fd);
        RemoveName(journalName);
        failedName = journalName;
        return error;
    }
    journalFd = fd;
    return 0;
}

bool OwnedFiles::AppendJournal(const char* kind, const char* name, const FileIdentity* identity) {
    char line[JOURNAL_LINE_SIZE];
    FormatJournalLine(kind, name, identity, line);
    // On disk before the file it announces exists, so that even a power cut
    // cannot leave a file of ours that the journal does not know.
    return WriteAll(journalFd, line, std::strlen(line)) && SyncFile(journalFd);
}

int OwnedFiles::FindSlot(const char* name) const {
    for (int i = 0; i < count; ++i)
        if (std::strcmp(names[i], name) == 0) return i;
    return -1;
}

OwnedState OwnedFiles::StateOf(const char* name) const {
    FileIdentity identity;
    bool regular = false;
    if (!IdentifyFile(name, &identity, &regular)) return OwnedState::Absent;
    int slot = FindSlot(name);
    if (slot >= 0 && live[slot] && identities[slot] == identity) return OwnedState::Owned;
    return OwnedState::Foreign;
}

std::FILE* OwnedFiles::Start(const char* name, int* error) {
    failedName = name;
    if (name == nullptr || std::strlen(name) >= OWNED_NAME_SIZE || IsReservedName(name)) {
        *error = EINVAL;
        return nullptr;
    }
    if (FindSlot(name) < 0 && count >= MAX_OWNED_FILES) {
        *error = EMFILE;
        return nullptr;
    }
    if ((*error = EnsureJournal()) != 0) return nullptr;
    failedName = name;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        std::snprintf(tempName, sizeof tempName, "%stmp-%ld-%d", kReservedPrefix, ProcessNumber(),
                      ++serial);
        if (!AppendJournal("temp", tempName, nullptr)) {
            *error = errno != 0 ? errno : EIO;
            return nullptr;
        }
        fd = CreateNewFile(tempName);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        *error = errno;
        return nullptr;
    }
    IdentifyDescriptor(fd, &tempIdentity);
    tempActive = 1;
    std::FILE* stream = StreamOf(fd, "wb");
    if (stream == nullptr) {
        *error = errno;
        CloseDescriptor(fd);
        RemoveName(tempName);
        tempActive = 0;
    }
    return stream;
}

int OwnedFiles::Commit(const char* name, std::FILE* stream) {
    failedName = name;
    // Every write and the close are checked: a full disk or a quota shows here.
    int error = 0;
    if (std::fflush(stream) != 0 || std::ferror(stream)) error = errno != 0 ? errno : EIO;
    if (std::fclose(stream) != 0 && error == 0) error = errno != 0 ? errno : EIO;
    // The file as written: its size and time tell later whether it is still so.
    bool regular = false;
    if (error == 0 && !IdentifyFile(tempName, &tempIdentity, &regular)) error = errno != 0 ? errno : EIO;
    if (error == 0 && !AppendJournal("made", name, &tempIdentity)) error = errno != 0 ? errno : EIO;
    if (error != 0) {
        RemoveName(tempName);
        tempActive = 0;
        return error;
    }
    int slot = FindSlot(name);
    if (slot < 0) {
        slot = count;
        std::snprintf(names[slot], OWNED_NAME_SIZE, "%s", name);
    }
    // The slot is complete before a signal handler can see it live.
    identities[slot] = tempIdentity;
    live[slot] = 1;
    if (slot == count) count = count + 1;
    error = RenameWithoutReplacing(tempName, name);
    if (error != 0) {
        live[slot] = 0;
        RemoveName(tempName);
    }
    tempActive = 0;
    return error;
}

void OwnedFiles::Abandon(std::FILE* stream) {
    if (stream != nullptr) std::fclose(stream);
    if (tempActive) RemoveName(tempName);
    tempActive = 0;
}

bool OwnedFiles::Remove(const char* name) {
    int slot = FindSlot(name);
    if (slot < 0 || !live[slot]) return false;
    bool removed = RemoveIfSameFile(name, identities[slot]);
    FileIdentity identity;
    bool regular = false;
    // Gone, or no longer ours: either way nothing of ours is left under the name.
    if (removed || !IdentifyFile(name, &identity, &regular) || !(identity == identities[slot])) live[slot] = 0;
    return removed;
}

void OwnedFiles::RemoveAll() {
    bool left = false;
    for (int i = 0; i < count; ++i) {
        if (!live[i]) continue;
        Remove(names[i]);
        if (live[i]) left = true;
    }
    if (tempActive) RemoveName(tempName);
    tempActive = 0;
    if (!left) count = 0;
    if (journalFd >= 0) {
        FileIdentity self{};
        bool known = IdentifyDescriptor(journalFd, &self);
        // Closed first: a file open here cannot be removed on every system.
        CloseDescriptor(journalFd);
        journalFd = -1;
        if (!left && known) RemoveIfSameFile(journalName, self);
    }
}

void OwnedFiles::RemoveAllNow() const {
    // Only calls that are safe in a signal handler: lstat, fstat, unlink.
    bool left = false;
    for (int i = 0; i < count; ++i) {
        if (!live[i] || RemoveIfSameFile(names[i], identities[i])) continue;
        FileIdentity identity;
        bool regular = false;
        if (IdentifyFile(names[i], &identity, &regular) && identity == identities[i]) left = true;
    }
    if (tempActive) RemoveName(tempName);
    if (journalFd >= 0 && !left) {
        FileIdentity self;
        if (IdentifyDescriptor(journalFd, &self)) RemoveIfSameFile(journalName, self);
    }
}
