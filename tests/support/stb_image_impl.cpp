// The one place in the tests where stb_image's implementation is compiled;
// the PNG reader in image_compare.cpp uses it.
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
