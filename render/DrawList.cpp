#include "render/DrawList.h"

void DrawList::Fill(TriangleGroup* array, int32_t n) {
    if (n > MAX_DRAW_LIST) n = MAX_DRAW_LIST;
    if (n < 0) n = 0;
    for (int32_t i = 0; i < n; ++i) groups[i] = &array[i];
    count = n;
}

void DrawList::DrawAll() {
    for (int32_t i = 0; i < count; ++i) groups[i]->Draw();
}
