#pragma once
// Shared by the effect kernels' own files: locked surfaces as pixel views,
// the current mode's pixel rules and the Direct3D quad they draw.
#include "media/graphics/DDCore.h"
#include "media/graphics/EffectPixels.h"

// Under Direct3D: aliases replaced by what they stand for, BackBuffer by the
// virtual back buffer while it is on. Nothing under DirectDraw.
void EffectResolve(DDSURFACEDATA** lplpDstSD, DDSURFACEDATA** lplpSrcSD);

// The destination, then the source, each with its own guard.
struct cEffectLocks {
  cSurfaceLock dst, src;
  bool Lock(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD) { return dst.Lock(lpDstSD) && src.Lock(lpSrcSD); }
};

// The locked pixels with the record's size, never more than the memory holds.
PixelView EffectView(const cSurfaceLock& lock);
// The pixel rules of the current personality for a locked destination.
PixelRules EffectRules(const cSurfaceLock& dst);

// Whether a Direct3D kernel draws a quad: the destination is a render target
// and the source a texture outside system memory.
bool EffectQuadPath(const DDSURFACEDATA* lpDstSD, const DDSURFACEDATA* lpSrcSD);

// One quad of the source's texture into the destination with stage 0 set as
// given, then back to the resting render target. False (nothing drawn) when
// the scene or the render target cannot be set; true otherwise, and
// *restored tells whether returning to the resting target worked.
bool EffectDrawQuad(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD, const DTVERTEX v[4], const DTSTAGE& stage,
                    bool* restored = nullptr);
// The four vertices of an axis-aligned quad (x, y, w, h) reading (sx, sy, sw, sh) of a texture.
void EffectRectVertices(DTVERTEX v[4], float x, float y, float w, float h, float u0, float v0, float u1, float v1,
                        uint32_t diffuse);
