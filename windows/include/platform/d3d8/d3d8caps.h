// Direct3D 8's capabilities on Windows: MinGW-w64's header.
#pragma once

#include "platform/d3d8/d3d8types.h"

#include <d3d8caps.h>
