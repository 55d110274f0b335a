#pragma once
// The graphics calls the play-field drawing makes, gathered in one table of
// function pointers so that tests can record them. The table starts out
// pointing at the graphics library.
#include <cstdint>

#include "media/graphics/DDCore.h"
#include "media/graphics/Effect.h"
#include "media/graphics/Shape.h"

struct cDrawKernels {
  decltype(&DDBlt) Blt = &DDBlt;
  decltype(&DDBltStretch) BltStretch = &DDBltStretch;
  decltype(&DDBltEx) BltEx = &DDBltEx;
  decltype(&DDBltStretchEx) BltStretchEx = &DDBltStretchEx;
  decltype(&DDFillRect) FillRect = &DDFillRect;
  decltype(&DDFillSurface) FillSurface = &DDFillSurface;
  decltype(&DDSplit) Split = &DDSplit;
  decltype(&DDWave) Wave = &DDWave;
  decltype(&DDBurst) Burst = &DDBurst;
  decltype(&DDTurn) Turn = &DDTurn;
  decltype(&DDRotate) Rotate = &DDRotate;
  decltype(&DDBltCircle) BltCircle = &DDBltCircle;
  decltype(&DDLens) Lens = &DDLens;
  decltype(&DDMosaic) Mosaic = &DDMosaic;
  decltype(&DDBlur) Blur = &DDBlur;
  decltype(&DDColorScale) ColorScale = &DDColorScale;
  decltype(&DDBltHalf) BltHalf = &DDBltHalf;
  decltype(&DDSetBltAlphaOp) SetBltAlphaOp = &DDSetBltAlphaOp;
  decltype(&DDResetBltAlphaOp) ResetBltAlphaOp = &DDResetBltAlphaOp;
  decltype(&DDSetBltColor) SetBltColor = &DDSetBltColor;
  decltype(&DDResetBltColor) ResetBltColor = &DDResetBltColor;
  decltype(&DDSetBltColorOp) SetBltColorOp = &DDSetBltColorOp;
  decltype(&DDResetBltColorOp) ResetBltColorOp = &DDResetBltColorOp;
  decltype(&DDSetVirBackBuffer) SetVirBackBuffer = &DDSetVirBackBuffer;
  decltype(&DDChangeColor) ChangeColor = &DDChangeColor;
  decltype(&DDFillSurfaceARGB) FillSurfaceARGB = &DDFillSurfaceARGB;
  decltype(&DDBltBlend) BltBlend = &DDBltBlend;
  decltype(&DDDrawNumber) DrawNumber = &DDDrawNumber;
};

extern cDrawKernels DrawKernels;
