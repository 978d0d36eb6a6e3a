// The viewer's global instances, constructed before WinMain runs and never
// destroyed explicitly: the shutdown sequence releases what they hold.
#include "data/DataPackage.h"
#include "data/ExtractedFileList.h"
#include "data/SharedState.h"
#include "input/InputDevices.h"
#include "input/InputLog.h"
#include "music/MusicLoader.h"
#include "music/MusicPlayer.h"

InputDevices inputDevices;
DataPackage dataPackage;
ExtractedFileList extractedFiles;
MusicLoader musicLoader;
MusicPlayer musicPlayer;

float CameraPose[CAMERA_POSE_FLOATS] = {};
int32_t RunState = 2;
int32_t ScreenSize[2] = {640, 480};
float MoveSpeed = 0.0f;
float MouseSensitivity = 0.0f;
HWND mainWindow = nullptr;
std::FILE* pathFile = nullptr;

std::FILE* inputLogStream = nullptr;
int32_t inputDebugLevel = 0;
