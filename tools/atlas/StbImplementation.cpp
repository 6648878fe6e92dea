// The one translation unit that compiles the stb image, image-writer and font code.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>
