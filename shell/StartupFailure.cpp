#include "shell/StartupFailure.h"

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
