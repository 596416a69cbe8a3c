/* stb_image's decoder, GIF only, built with the benchmark's own optimisation. */
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
#include <stb_image.h>
