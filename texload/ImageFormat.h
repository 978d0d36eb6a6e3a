// Pixel format codes of the decoded pictures: the Direct3D 8 D3DFORMAT values.
#pragma once

#include "platform/d3d8/d3d8types.h"
