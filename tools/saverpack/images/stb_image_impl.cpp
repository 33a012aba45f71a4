// stb_image's implementation, compiled once, with only the decoders a logo may
// come in. The packer reads the file itself, so stb's stdio is left out too.
// This file is compiled with warnings off: the code is stb's, not ours.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_FAILURE_USERMSG
#include <stb_image.h>
