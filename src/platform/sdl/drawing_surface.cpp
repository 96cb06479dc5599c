// SDL backend: the drawing surface.
// Supports: SwapBuffers on the window whose GL context is current.
// Not supported yet: TextOutA draws nothing (the text overlay comes with
//                    the window layer).
#include <SDL.h>

#include "platform/winapi.h"

BOOL SwapBuffers(HDC /*deviceContext*/) {
  SDL_Window* window = SDL_GL_GetCurrentWindow();
  if (!window) return FALSE;
  SDL_GL_SwapWindow(window);
  return TRUE;
}

BOOL TextOutA(HDC /*deviceContext*/, int /*x*/, int /*y*/, LPCSTR /*text*/, int /*length*/) { return TRUE; }
