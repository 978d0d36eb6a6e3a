#include "shell/StartupFailure.h"

#include <cerrno>
#include <cstdio>

#include "data/SharedState.h"

void ReportMissingFile(const char* fileName) {
    char text[160];
    std::snprintf(text, sizeof text, "Nie mozna otworzyc lub odczytac pliku %s.\nPrzegladarka konczy prace.",
                  fileName);
    MessageBoxA(mainWindow, text, "Orvik - blad", MB_OK);
}

void ReportNoDevice() {
    char text[200];
    std::snprintf(text, sizeof text,
                  "Nie mozna utworzyc urzadzenia grafiki 3D o rozmiarze %d x %d.\nPrzegladarka konczy prace.",
                  static_cast<int>(ScreenSize[0]), static_cast<int>(ScreenSize[1]));
    MessageBoxA(mainWindow, text, "Orvik - blad", MB_OK);
}

namespace {

// The cause of a failed write in the viewer's words.
const char* WriteCause(int error, char (&other)[64]) {
    switch (error) {
    case ENOSPC: return "brak miejsca na dysku";
#ifdef EDQUOT
    case EDQUOT: return "przekroczony przydzial miejsca na dysku";
#endif
    case EACCES:
    case EPERM: return "brak uprawnien do zapisu w katalogu roboczym";
    case EROFS: return "katalog roboczy jest tylko do odczytu";
    case EFBIG: return "plik jest za duzy dla tego dysku";
    case EIO: return "blad wejscia/wyjscia dysku";
    default:
        std::snprintf(other, sizeof other, "blad systemu nr %d", error);
        return other;
    }
}

}  // namespace

void ReportExtractFailure(ExtractFailure failure, const char* fileName, int error) {
    char text[400];
    char other[64];
    switch (failure) {
    case ExtractFailure::None:
        return;
    case ExtractFailure::Conflict:
        std::snprintf(text, sizeof text,
                      "W katalogu roboczym jest juz plik %s, inny niz plik o tej nazwie w pakiecie DATA.MBP.\n"
                      "Przegladarka nie nadpisuje cudzych plikow i konczy prace.",
                      fileName);
        break;
    case ExtractFailure::JournalTaken:
        std::snprintf(text, sizeof text,
                      "W katalogu roboczym jest juz plik %s, ktorego przegladarka nie utworzyla.\n"
                      "Przegladarka nie nadpisuje cudzych plikow i konczy prace.",
                      fileName);
        break;
    case ExtractFailure::Busy:
        std::snprintf(text, sizeof text,
                      "W tym katalogu dziala juz inna przegladarka Orvik.\nPrzegladarka konczy prace.");
        break;
    case ExtractFailure::WriteFailed:
        std::snprintf(text, sizeof text, "Nie mozna zapisac pliku %s: %s.\nPrzegladarka konczy prace.", fileName,
                      WriteCause(error, other));
        break;
    }
    MessageBoxA(mainWindow, text, "Orvik - blad", MB_OK);
}
