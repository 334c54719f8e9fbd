// The seven model files of the scene, each built from the shapes in
// shapes.h and naming its materials from the material table.
#pragma once

#include "mesh.h"

MeshModel buildHallway();
MeshModel buildPipe();
MeshModel buildSlime();
MeshModel buildAlarmLight();
MeshModel buildAlarmLightGrid();
MeshModel buildAlarmLightBlocker();
MeshModel buildAlarmLightBlockerGrid();
