#pragma once
// The application's side of the engine's seams (engine/Services.h): sound
// and music requests and the close request go to the main window, the
// director's values come from the scene director, error boxes are shown as
// boxes, and the fixed play keys are read from the keyboard state.
void InstallEngineServices();
void RemoveEngineServices();
