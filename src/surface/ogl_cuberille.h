// The surface object: turns one voxel volume into OpenGL geometry grouped
// by the six face directions and draws it. One process-wide instance,
// theSurface, constructed before any rendering context exists.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/winapi.h"
#include "surface/brick_grid.h"
#include "surface/surface_types.h"
#include "voxel/voxspace.h"

namespace surface {
class CornerNormals;
}

// The settings the geometry is built for: a change of any of them is a
// rebuild.
struct SurfaceLook {
  std::int32_t renderMethod = QUADS;
  std::int32_t textured = 0;
  bool merged = false;
  bool coloured = false;
  bool smooth = false;
  bool operator==(const SurfaceLook&) const = default;
};

class OGLcuberille {
 public:
  using DrawRoutine = int (OGLcuberille::*)();

  OGLcuberille();
  ~OGLcuberille();
  OGLcuberille(const OGLcuberille&) = delete;
  OGLcuberille& operator=(const OGLcuberille&) = delete;

  // Attaches the volume (not owned): box triangles, census, and the
  // geometry of the current method when there is at least one face.
  void SetVoxSpace(VOXSPACE* volume);
  // Exposed faces of the interior per direction; returns their sum.
  std::uint32_t CountFaces();
  void InitBoxTriangles();

  // QUADS geometry: one array per direction, exactly quadCount quads.
  std::int32_t BuildQuads();
  // TRISTRIP_DISPLIST geometry: one display list per direction, which
  // calls the lists of the direction's bricks (brick_grid.h).
  int BuildStripLists();
  // Merged geometry for either method: each direction's faces joined
  // into rectangles, one quad each, in mergedQuads or in the lists.
  std::int32_t BuildMergedQuads();
  int BuildMergedLists();

  // A scan's voxel size in millimetres, from its header: set once, before
  // any geometry is built (voxelSize is otherwise fixed at construction; a
  // CUB file has no voxel size and keeps the unit cube). voxelSize becomes
  // the edges in units of the smallest, so an isotropic scan is drawn
  // exactly as a CUB file of the same voxels; `spacing` keeps the
  // millimetres.
  void SetVoxelSpacing(const double (&millimetres)[3]);

  void SetRenderMethod(int method);
  // Gives up the geometry: display lists (in the current context) and arrays.
  void ReleaseGeometry();
  void SetTexturing(int on);
  void SetMerged(bool on);
  // Colours by value: each face in the colour of its voxel's value, shaded
  // by OpenGL lighting; the geometry is built again.
  void SetColoured(bool on);
  // Smooth shading: each vertex gets a normal estimated from the voxels
  // around it (corner_normals.h), OpenGL shades smoothly between them and,
  // as with colours by value, lights them itself (no fast lighting); the
  // geometry is built again. Off gives back the flat picture exactly.
  void SetSmooth(bool on);
  void SetLabelColors(const std::uint8_t (*rgb)[3]);  // 256 colours
  // A context that shares the lists of the current one (none: no helper):
  // a second thread compiles half of the direction lists in it.
  void SetListHelperContext(HDC deviceContext, HGLRC context);
  // The next list build calls again the brick lists of `shown` (the
  // surface on screen, whose lists and volume outlive the build) where
  // its voxels and those of this surface's volume are the same nearby;
  // nothing is kept unless both are display lists of the same look,
  // voxel size and colours.
  void ReuseBricksOf(const OGLcuberille& shown);
  // How many bricks the last list build called again instead of compiling.
  std::size_t BricksReused() const { return bricksReused_; }
  void ApplyRenderMethod();

  // The census's faces of the six directions.
  std::uint64_t FaceTotal() const {
    std::uint64_t total = 0;
    for (const QuadList& list : quadLists) total += list.quadCount;
    return total;
  }
  SurfaceLook Look() const { return {renderMethod, textured, merged, coloured, smooth}; }
  // The settings only: nothing is built and OpenGL is not touched.
  void SetLook(const SurfaceLook& look);
  // Takes the geometry `built` made (lists, arrays, census, box triangles,
  // its volume and look), in place of its own, which is given up in the
  // current context; `built` is left with none. The look's OpenGL state
  // (shade model, texturing) follows.
  void AdoptGeometry(OGLcuberille& built);
  // The OpenGL state the look asks for: the shade model and texturing.
  void ApplyLookState() const;

  // The per-frame entry: with the query (polar camera) finds the directions
  // that can face the eye and, with fast lighting, their lit colours, then
  // runs the draw routine of the current method. Returns 1.
  int Draw(bool queryVisibility);
  // One feedback pass of the six box triangles; returns the mask of the
  // directions whose triangle survived culling and clipping.
  std::int32_t QueryVisibleDirections();
  // Walks count values of feedback output; returns the mask and copies the
  // first vertex colour of each visible direction into directionColors.
  std::int32_t ParseFeedback(int count, const float* buffer);

  // Draw the directions of visibleMask; each returns 1.
  int DrawQuads();
  int DrawTexturedQuads();
  int DrawDisplayLists();

  VOXSPACE* voxSpace;
  DrawRoutine drawRoutine;
  float normals[kFaceDirections][3];
  QuadList quadLists[kFaceDirections];
  QuadList mergedQuads[kFaceDirections];  // counts are rectangles, not faces
  std::uint32_t displayLists[kFaceDirections];
  Vertex boxTriangles[kFaceDirections][3] = {};
  float directionColors[kFaceDirections][4] = {};
  std::int32_t visibleMask = 0;
  float voxelSize[3];
  double spacing[3] = {1, 1, 1};  // voxel edges in millimetres, x y z as drawn
  std::int32_t renderMethod;
  std::int32_t textured;
  std::int32_t fastLighting;
  bool merged = false;    // draw merged rectangles instead of single faces
  bool coloured = false;  // colours by value
  bool smooth = false;    // smooth shading
  LabelColors labelColors = {};

  // Kept with the one surface rather than as loose globals.
  static constexpr int kFeedbackSize = 512;  // six markers and six 9-vertex polygons need 402
  float feedbackBuffer[kFeedbackSize] = {};
  std::int32_t lightingWasOn = 0;  // 1 while Draw has switched GL_LIGHTING off
  // A list build on other threads: how many directions are compiled, and
  // a request to compile no more (the rest stay empty).
  std::atomic<int> directionsBuilt{0};
  std::atomic<bool> cancelBuild{false};
  // Told the share of the directions compiled after each list the building
  // thread compiles (a program's progress bar); none by default.
  std::function<void(double)> buildListener;

 private:
  void ReleaseQuadArrays();
  void ReleaseQuadArrays(QuadList* lists);  // the arrays; the counts stay
  void DeleteDisplayLists();
  // A brick's list of one direction: compiles its faces, returns how many
  // vertices they took.
  using BrickBuilder = std::size_t (OGLcuberille::*)(std::size_t brick);
  template <FaceDirection D>
  std::size_t BuildDirectionStrips(std::size_t brick);
  template <FaceDirection D>
  std::size_t BuildDirectionRectangles(std::size_t brick);
  int CompileDirectionLists(const BrickBuilder (&builders)[kFaceDirections]);
  // The grid of voxSpace, each brick's lists taken from the reusable ones
  // where nothing near it changed; false without the memory.
  bool PlanBricks();
  // Smooth shading's normals at the corners of the bricks PlanBricks left
  // to compile; none when there are none or without smooth shading.
  std::unique_ptr<surface::CornerNormals> NormalsToCompile() const;
  // Names and compiles the planned bricks' lists and the directions'.
  int CompileBricks(const BrickBuilder (&builders)[kFaceDirections]);
  // The names of brick lists compiled without faces, per direction.
  using UnusedNames = std::vector<std::uint32_t>[kFaceDirections];
  // `reports`: on the building thread, whose progress the listener hears.
  void CompileLists(const BrickBuilder (&builders)[kFaceDirections], int mask, bool reports,
                    UnusedNames& unused);
  // Deletes the unused names; each direction's list calls its bricks'.
  void CompileDirectionCalls(const UnusedNames& unused);
  const QuadList* DrawnQuadLists() const { return merged ? mergedQuads : quadLists; }
  const LabelColors* BuildColors() const { return coloured ? &labelColors : nullptr; }
  // Gives each list a normals array of its count while a build has corner
  // normals, none otherwise; false (all arrays released) when the memory
  // cannot be had.
  bool AllocateNormals(QuadList* lists);
  // Smooth shading's normals of the corners `wanted` (none: all) while
  // smooth shading is on; none otherwise or without the memory (said on
  // stderr: the faces are shaded flat).
  std::unique_ptr<surface::CornerNormals> SmoothNormals(
      const std::function<const std::uint64_t*(std::uint32_t, std::uint32_t)>& wanted) const;
  // Whether OpenGL lighting shades the faces rather than fast lighting.
  bool LitByOpenGL() const { return coloured || smooth; }
  // Fast lighting's colour of a direction, unless colours by value paint it.
  void SetDirectionColor(int direction) const;

  // How many quads each held array has room for: a rebuild with the same
  // counts (a texturing toggle) writes into the arrays it has instead of
  // paying for fresh memory.
  std::uint32_t quadCapacity_[kFaceDirections] = {};
  // The corner normals of the build in progress (smooth shading only).
  const surface::CornerNormals* buildNormals_ = nullptr;
  HDC helperDeviceContext_ = nullptr;
  HGLRC helperContext_ = nullptr;

  // The display lists of the bricks, per direction (0: no faces there).
  surface::BrickGrid brickGrid_;
  std::vector<std::uint32_t> brickLists_[kFaceDirections];
  // 1 for the bricks whose lists are another surface's, called again: they
  // are not deleted with this surface's, and become this one's when it
  // takes the other's place (AdoptGeometry).
  std::vector<std::uint8_t> borrowed_;
  std::size_t bricksReused_ = 0;
  // What ReuseBricksOf keeps for the next list build.
  const VOXSPACE* reusableVolume_ = nullptr;
  surface::BrickGrid reusableGrid_;
  std::vector<std::uint32_t> reusableLists_[kFaceDirections];
};
