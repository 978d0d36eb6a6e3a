// What the checker found: problems (errors and warnings), each with its file
// and, for text files, the line and token, kept in the order they were found.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

enum class Severity { Warning, Error };

// A place in a level file. line 0: the file as a whole (a binary file, or a
// problem of no one place).
struct Place {
    std::string file;
    int line = 0;
    int token = 0;      // 1-based position of the token on its line
    std::string text;   // the token itself, cut to a readable length
};

struct Finding {
    Severity severity;
    Place place;
    std::string message;
};

class Findings {
public:
    // Reports of one kind past this many are counted, not listed.
    static constexpr int MAX_PER_KIND = 10;

    void Error(const Place& place, const std::string& message, const char* kind = nullptr);
    void Warning(const Place& place, const std::string& message, const char* kind = nullptr);
    // One line per kind that was cut short: "... and N more".
    void Finish();

    int Errors() const { return errors_; }
    int Warnings() const { return warnings_; }
    // 0 clean, 1 warnings only, 2 errors.
    int ExitCode() const { return errors_ > 0 ? 2 : (warnings_ > 0 ? 1 : 0); }
    const std::vector<Finding>& All() const { return list_; }

    void PrintText(std::FILE* out) const;

private:
    void Add(Severity severity, const Place& place, const std::string& message, const char* kind);

    struct KindCount {
        std::string kind;
        Severity severity;
        std::string file;
        int count;
    };
    std::vector<Finding> list_;
    std::vector<KindCount> kinds_;
    int errors_ = 0;
    int warnings_ = 0;
};

// "MAP.MBM line 12, token 3 (\"0.5x\")", or just the file name.
std::string DescribePlace(const Place& place);
