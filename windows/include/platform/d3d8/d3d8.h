// Direct3D 8 on Windows: the system's d3d8.dll through MinGW-w64's header.
#pragma once

#include "platform/d3d8/d3d8caps.h"
#include "platform/d3d8/d3d8types.h"

#include <d3d8.h>
