// The viewer's global instances, constructed before WinMain runs and never
// destroyed explicitly: the shutdown sequence releases what they hold.
#include "data/DataPackage.h"
#include "data/SharedState.h"
#include "data/TriangleStore.h"
#include "display2d/DisplayLog.h"
#include "display2d/Surface2D.h"
#include "display2d/WidgetLog.h"
#include "input/InputDevices.h"
#include "input/InputLog.h"
#include "music/MusicLoader.h"
#include "music/MusicPlayer.h"
#include "render/Camera.h"
#include "render/DrawList.h"
#include "render/Renderer.h"
#include "render/TextureSlot.h"
#include "render/TriangleGroup.h"

// Constructed in this order: the renderer, the camera, the texture slots, the
// triangle groups, the draw list, the input devices, the package, the loader.
Renderer renderer;
Camera camera;
TextureSlot textureSlots[MAX_TEXTURES];
TriangleGroup triangleGroups[MAX_TEXTURES];
DrawList drawList;
InputDevices inputDevices;
DataPackage dataPackage;
MusicLoader musicLoader;
MusicPlayer musicPlayer;

TriangleRecord TriangleStore[MAX_TEXTURES][MAX_GROUP_TRIANGLES];
float CameraPose[CAMERA_POSE_FLOATS] = {};
int32_t RunState = 2;
int32_t ScreenSize[2] = {640, 480};
float MoveSpeed = 0.0f;
float MouseSensitivity = 0.0f;
HWND mainWindow = nullptr;
std::FILE* pathFile = nullptr;

std::FILE* inputLogStream = nullptr;
int32_t inputDebugLevel = 0;

std::FILE* displayLogStream = nullptr;
int32_t displayDebugLevel = 0;
std::FILE* widgetLogStream = nullptr;
int32_t widgetDebugLevel = 0;

IDirectDraw7* surfaceDirectDraw = nullptr;
