#include "tools/orvik-level/Findings.h"

void Findings::Error(const Place& place, const std::string& message, const char* kind) {
    Add(Severity::Error, place, message, kind);
}

void Findings::Warning(const Place& place, const std::string& message, const char* kind) {
    Add(Severity::Warning, place, message, kind);
}

void Findings::Add(Severity severity, const Place& place, const std::string& message, const char* kind) {
    if (severity == Severity::Error) ++errors_;
    else ++warnings_;
    if (kind != nullptr) {
        for (KindCount& k : kinds_) {
            if (k.kind == kind && k.file == place.file) {
                if (++k.count > MAX_PER_KIND) return;
                list_.push_back({severity, place, message});
                return;
            }
        }
        kinds_.push_back({kind, severity, place.file, 1});
    }
    list_.push_back({severity, place, message});
}

void Findings::Finish() {
    for (const KindCount& k : kinds_) {
        if (k.count <= MAX_PER_KIND) continue;
        Place place;
        place.file = k.file;
        // The summary line is not a problem of its own: it is not counted again.
        list_.push_back({k.severity, place,
                         "... and " + std::to_string(k.count - MAX_PER_KIND) + " more: " + k.kind});
    }
    kinds_.clear();
}

std::string DescribePlace(const Place& place) {
    std::string text = place.file;
    if (place.line > 0) {
        text += " line " + std::to_string(place.line);
        if (place.token > 0) text += ", token " + std::to_string(place.token);
        if (!place.text.empty()) text += " (\"" + place.text + "\")";
    }
    return text;
}

void Findings::PrintText(std::FILE* out) const {
    for (const Finding& f : list_) {
        std::fprintf(out, "%s: %s: %s\n", f.severity == Severity::Error ? "error" : "warning",
                     DescribePlace(f.place).c_str(), f.message.c_str());
    }
}
