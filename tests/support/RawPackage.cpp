#include "tests/support/RawPackage.h"

namespace {

void PutLe32(std::string* out, int32_t value) {
    for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>(static_cast<uint32_t>(value) >> (8 * i)));
}

}  // namespace

std::string ScrambleBytes(const std::string& plain, unsigned char key) {
    std::string stored = plain;
    for (char& c : stored) c = static_cast<char>(static_cast<unsigned char>(c) + key);
    return stored;
}

std::string BuildRawPackage(int32_t last, const std::vector<RawEntry>& entries, const std::string& dataArea) {
    std::string bytes;
    PutLe32(&bytes, last);
    for (const RawEntry& entry : entries) {
        std::string name = entry.name.substr(0, 80);
        name.resize(80, '\0');
        bytes += name;
        PutLe32(&bytes, entry.size);
    }
    return bytes + dataArea;
}

std::string BuildPackage(const std::vector<std::pair<std::string, std::string>>& members, unsigned char key) {
    std::vector<RawEntry> entries;
    std::string data;
    for (const auto& [name, bytes] : members) {
        entries.push_back({name, static_cast<int32_t>(bytes.size())});
        data += ScrambleBytes(bytes, key);
    }
    return BuildRawPackage(static_cast<int32_t>(members.size()) - 1, entries, data);
}

const char* const kSmallConfig =
    "ekran szerokosc 160\n"
    "ekran wysokosc 120\n"
    "filtr tekstur LINEAR\n"
    "tryb wypelnienia SOLID\n"
    "tekstury sa ENABLE\n"
    "mgla jest DISABLE\n"
    "kolor r 10\n"
    "kolor g 20\n"
    "kolor b 30\n"
    "gestosc mgly 0.0\n"
    "predkosc ruchu 1.0\n"
    "czulosc myszy 0.1\n";
