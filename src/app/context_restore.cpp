#include "app/context_restore.h"

#include "app/overlay.h"
#include "app/scene.h"
#include "render/pass_table.h"
#include "render/pass_views.h"
#include "render/screen_quad.h"

void remakeGLObjects(Viewer& viewer, SceneComposition& scene)
{
    createRenderTargets();
    viewer.programs = buildShaderPrograms();
    scene.remakeGLObjects();
    forgetScreenQuad();
    dropOverlayGLObjects();
    dropPassViewGLObjects();
}
