// Every process-wide object of the viewer, in the order C++ must construct
// them (and destroy them in reverse at exit).
#include "app/app_state.h"

char exeDirectory[kExeDirectorySize];
char inputPath[kInputPathSize];
char inputFileName[kInputFileNameSize];
VOXSPACE* theVolume = nullptr;

OGLcuberille theSurface;
