// The files this program made in the working directory, and only those.
//
// Each file is written under a temporary name and then given its own name in
// one step that fails if anything has appeared under that name, so no file is
// ever written through a link or over a file the program did not make. Before
// a file is made its name goes into a journal in the working directory, with
// the file's identity once it exists: when a run ends without its clean-up (a
// kill, a power cut), the next run recognises what the journal lists as
// leftovers and removes them. The journal proves itself by carrying its own
// identity, which a journal copied in from elsewhere cannot know; it is locked
// while a run uses the directory.
#pragma once

#include <csignal>
#include <cstdio>

#include "platform/files/RegularFile.h"

constexpr int MAX_OWNED_FILES = 64;
constexpr int OWNED_NAME_SIZE = 80;  // names of up to 79 bytes
constexpr int OWNED_TEMP_NAME_SIZE = 48;

// What lies under a name, as far as this program is concerned.
enum class OwnedState { Absent, Owned, Foreign };

class OwnedFiles {
public:
    char journalName[OWNED_NAME_SIZE];
    int journalFd;       // open and locked while the journal exists; -1 before
    bool journalForeign; // a file of the journal's name that is not this program's
    char names[MAX_OWNED_FILES][OWNED_NAME_SIZE];
    FileIdentity identities[MAX_OWNED_FILES];
    volatile std::sig_atomic_t live[MAX_OWNED_FILES];
    volatile std::sig_atomic_t count;   // slots in use, live or not
    char tempName[OWNED_TEMP_NAME_SIZE];
    volatile std::sig_atomic_t tempActive;
    FileIdentity tempIdentity;
    int serial;
    const char* failedName;  // after a failure: the name it concerns
    int leftoversRemoved;    // files of an earlier, interrupted run removed by Begin

    OwnedFiles();

    // Takes over the working directory's journal, if there is one: an authentic
    // journal of an interrupted run has its files removed; a journal in use by a
    // running program gives EBUSY. Returns 0 or an errno value.
    int Begin(const char* journalFileName);

    // Names this program uses for itself, never a member's.
    static bool IsReservedName(const char* name);

    OwnedState StateOf(const char* name) const;

    // Starts writing a new file of that name; the bytes go to the returned
    // stream. Null with *error set (and failedName) on failure.
    std::FILE* Start(const char* name, int* error);
    // Finishes the file started last and gives it its name. Returns 0 or an
    // errno value; on failure nothing of it is left.
    int Commit(const char* name, std::FILE* stream);
    // Drops the file started last.
    void Abandon(std::FILE* stream);

    // Removes the named file if it is still the one this program made.
    bool Remove(const char* name);
    // Removes every file this program made, then the journal. The journal is
    // kept when a file of ours could not be removed, for the next run.
    void RemoveAll();
    // The same from a signal handler, just before the process ends.
    void RemoveAllNow() const;

private:
    int FindSlot(const char* name) const;
    int EnsureJournal();
    bool AppendJournal(const char* kind, const char* name, const FileIdentity* identity);
    void TakeOverJournal(int fd);
};

extern OwnedFiles ownedFiles;
