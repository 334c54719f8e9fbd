// stb_image_write's code, compiled once into the library for every program
// that writes PNG or JPEG files (capture, the asset generator, the tests), so
// no system needs a shared libstb. On Windows its file names are taken as
// UTF-8, as the program's own paths are.
#define STBIW_WINDOWS_UTF8
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
