#include "tools/orvik-fly/FlyCommandLine.h"

bool FlyCommandLine::Parse(const char* line) {
    const std::string text = line != nullptr ? line : "";
    const std::string record = "--record";
    if (text.empty()) return true;
    if (text == "--help" || text == "-h") {
        help = true;
        return true;
    }
    if (text == record || text == record + " ") {
        error = "--record needs a file name";
        return false;
    }
    if (text.compare(0, record.size() + 1, record + " ") == 0) {
        recordFile = text.substr(record.size() + 1);
        return true;
    }
    error = "unknown argument '" + text.substr(0, text.find(' ')) + "'";
    return false;
}
