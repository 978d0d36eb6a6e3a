// The sample level's pictures, painted procedurally so the repository holds no
// binary art: bricks, planks, grass, stone, marble, metal and signs.
#pragma once

#include "tools/orvik-sample/Picture.h"

Picture PaintBricks(int size);
Picture PaintPlanks(int size);
Picture PaintGrass(int size);
Picture PaintStone(int size);
Picture PaintMarble(int size);
Picture PaintStripes(int size);
Picture PaintGrille(int size);     // a metal grille with transparent holes
Picture PaintTarget(int size);     // rings in a few flat colours
Picture PaintRoof(int size);
Picture PaintPanel(int size);
Picture PaintSky(int size);
