// Vorlune: a real-time hallway scene viewer. Opens the window, prepares the
// render targets and programs, composes the scene and runs the frame loop.
#include "app/data_folder.h"
#include "app/frame_loop.h"
#include "app/shader_watch.h"
#include "app/viewer.h"

int main()
{
    if (!enterDataFolder()) {
        return 1;
    }
    std::optional<Viewer> viewer = startViewer(ContextKind::Window);
    if (!viewer) {
        return 1;
    }
    if (loadScene(*viewer)) {
        // Shaders saved while it runs are built again.
        ShaderWatch watch("data/shader");
        runFrameLoop(viewer->context, viewer->programs, &watch);
    }
    closeViewer(*viewer);
    return 0;
}
