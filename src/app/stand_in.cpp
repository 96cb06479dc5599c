#include "app/stand_in.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>

#include "app/app_state.h"

namespace {

constexpr double kSlowFrameSeconds = 0.05;

bool TurnedOff() {
  const char* value = std::getenv("QARMEL_NO_STAND_IN");
  return value && *value && std::strcmp(value, "0") != 0;
}

// The coarse volume: each voxel the largest value of the factor^3 block it
// covers, so that thin structures stay; none when memory is short.
VOXSPACE* Coarsen(const VOXSPACE& fine, std::uint32_t factor) {
  const std::uint64_t dim[3] = {(fine.dimX + factor - 1) / factor,
                                (fine.dimY + factor - 1) / factor,
                                (fine.dimZ + factor - 1) / factor};
  auto* coarse = static_cast<VOXSPACE*>(std::calloc(1, sizeof(VOXSPACE)));
  if (!coarse) return nullptr;
  const std::uint64_t voxels = dim[0] * dim[1] * dim[2];
  coarse->data = static_cast<unsigned char*>(std::calloc(voxels ? voxels : 1, 1));
  if (!coarse->data) {
    std::free(coarse);
    return nullptr;
  }
  coarse->dimX = static_cast<std::uint32_t>(dim[0]);
  coarse->dimY = static_cast<std::uint32_t>(dim[1]);
  coarse->dimZ = static_cast<std::uint32_t>(dim[2]);
  coarse->bitsPerVoxel = 8;
  coarse->dataSize = voxels;
  for (std::uint64_t z = 0; z < fine.dimZ; ++z)
    for (std::uint64_t y = 0; y < fine.dimY; ++y) {
      const unsigned char* row = fine.data + (z * fine.dimY + y) * fine.dimX;
      unsigned char* out = coarse->data + ((z / factor) * dim[1] + y / factor) * dim[0];
      for (std::uint64_t x = 0; x < fine.dimX; ++x)
        out[x / factor] = std::max(out[x / factor], row[x]);
    }
  return coarse;
}

bool SameLook(const StandIn& standIn) {
  const OGLcuberille& copy = *standIn.surface;
  return copy.coloured == theSurface.coloured && copy.smooth == theSurface.smooth &&
         copy.textured == theSurface.textured && standIn.generation == rebuild.generation;
}

// On the builder thread, in buildContext: the coarse volume and the lists
// of the copy the main thread set up.
void BuildCopy(StandIn& standIn, std::uint32_t factor) {
  std::unique_lock<std::mutex> lock(buildContextInUse);
  if (wglMakeCurrent(deviceContext, buildContext)) {
    VOXSPACE* coarse = Coarsen(*theSurface.voxSpace, factor);  // the voxels shown
    if (coarse) {
      standIn.nextSurface->SetRenderMethod(TRISTRIP_DISPLIST);  // no volume yet: nothing built
      standIn.nextSurface->SetVoxSpace(coarse);
      glFinish();
    }
    wglMakeCurrent(nullptr, nullptr);
    standIn.nextVolume = coarse;
  }
  lock.unlock();
  standIn.built = true;
}

// The copy's surface: the look theSurface has now, merged (fewest
// vertices), its voxels `factor` times as large.
OGLcuberille* NewCopySurface(std::uint32_t factor) {
  auto* surface = new (std::nothrow) OGLcuberille;
  if (!surface) return nullptr;
  surface->coloured = theSurface.coloured;
  surface->smooth = theSurface.smooth;
  surface->textured = theSurface.textured;
  surface->merged = true;
  std::copy(&theSurface.labelColors[0][0], &theSurface.labelColors[0][0] + 256 * 3,
            &surface->labelColors[0][0]);
  for (int a = 0; a < 3; ++a) {
    surface->voxelSize[a] = theSurface.voxelSize[a] * static_cast<float>(factor);
    surface->spacing[a] = theSurface.spacing[a] * factor;
  }
  return surface;
}

void FreeCopy(VOXSPACE*& volume, OGLcuberille*& surface) {
  if (surface) surface->ReleaseGeometry();
  delete surface;
  FreeVoxSpace(volume);
  surface = nullptr;
  volume = nullptr;
}

void TakeOverBuiltCopy(StandIn& standIn) {
  if (!standIn.built || !standIn.builder.joinable()) return;
  standIn.builder.join();
  standIn.built = false;
  FreeCopy(standIn.volume, standIn.surface);
  standIn.volume = standIn.nextVolume, standIn.surface = standIn.nextSurface;
  standIn.generation = standIn.nextGeneration;
  standIn.nextVolume = nullptr, standIn.nextSurface = nullptr;
  if (!standIn.volume) FreeCopy(standIn.volume, standIn.surface);  // it could not be built
}

}  // namespace

void NoteFullFrame(StandIn& standIn, double seconds) {
  standIn.fullFrameSeconds = seconds;
  if (seconds <= kSlowFrameSeconds || !buildContext || !theVolume || TurnedOff()) return;
  if (RebuildPending(rebuild)) return;  // the look is about to change
  if (standIn.builder.joinable() || (standIn.surface && SameLook(standIn))) return;
  // A quarter of the edge has about a sixteenth of the faces, a half a
  // quarter: half resolution when that is fast enough.
  const std::uint32_t factor = seconds / 4 <= kSlowFrameSeconds ? 2 : 4;
  standIn.nextSurface = NewCopySurface(factor);
  if (!standIn.nextSurface) return;
  standIn.nextGeneration = rebuild.generation;
  try {
    standIn.builder = std::thread(BuildCopy, std::ref(standIn), factor);
  } catch (const std::exception&) {
    delete standIn.nextSurface;  // no thread: frames stay full
    standIn.nextSurface = nullptr;
  }
}

OGLcuberille& SurfaceForFrame(StandIn& standIn) {
  TakeOverBuiltCopy(standIn);
  standIn.drawnLast = standIn.cameraMoves && standIn.surface &&
                      standIn.fullFrameSeconds > kSlowFrameSeconds && SameLook(standIn) &&
                      !TurnedOff();
  if (!standIn.drawnLast) return theSurface;
  standIn.surface->fastLighting = theSurface.fastLighting;
  return *standIn.surface;
}

void ReleaseStandIn(StandIn& standIn) {
  if (standIn.builder.joinable()) {
    standIn.nextSurface->cancelBuild = true;  // no further direction is compiled
    standIn.builder.join();
  }
  standIn.built = false;
  FreeCopy(standIn.nextVolume, standIn.nextSurface);
  FreeCopy(standIn.volume, standIn.surface);
}
