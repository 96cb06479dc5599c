// The one switch for an OpenGL capability that follows a setting: the
// surface switches texturing with its texture flag, the scene set-up and
// the key commands switch the others with theirs.
#pragma once

#include <GL/gl.h>

inline void SetCapability(GLenum capability, bool on) {
  if (on) {
    glEnable(capability);
  } else {
    glDisable(capability);
  }
}
