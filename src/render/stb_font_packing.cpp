// stb_truetype's and stb_rect_pack's code, which Dear ImGui's font atlas
// calls: Debian's imgui library is built against the system's stb headers
// and leaves their code to the program, so it is compiled once here, as
// stb_image_write's is in common/.
#define STB_RECT_PACK_IMPLEMENTATION
#include <stb_rect_pack.h>
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
