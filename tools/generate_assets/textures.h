// The texture recipes, one per kind of surface in the scene. Each paints a
// tileable diffuse, specular and height image at the scale in surface_scales.h.
#pragma once

#include "material.h"

// Hallway shell.
SurfaceImages paintFloorPlate();
SurfaceImages paintWallPanel();
SurfaceImages paintCeilingPanel();
SurfaceImages paintBulkheadDoor();
SurfaceImages paintHazardTrim();
SurfaceImages paintGirder();

// Props.
SurfaceImages paintPipePaint();
SurfaceImages paintPipeSteel();
SurfaceImages paintSlimeSkin();

// Alarm light.
SurfaceImages paintBeaconHousing();
SurfaceImages paintBeaconGlass();
SurfaceImages paintCageMetal();
SurfaceImages paintShadowBlack();
