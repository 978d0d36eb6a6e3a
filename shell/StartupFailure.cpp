#include "shell/StartupFailure.h"

#include <cstdio>

#include "data/SharedState.h"

void ReportMissingFile(const char* fileName) {
    char text[160];
    std::snprintf(text, sizeof text, "Nie mozna otworzyc lub odczytac pliku %s.\nPrzegladarka konczy prace.",
                  fileName);
    MessageBoxA(mainWindow, text, "Orvik - blad", MB_OK);
}
