// Writes the seeds of fuzz_saver_resources: small savers with string 1,
// version information and an icon, PE32 and PE32+. They are kept in
// tests/fuzz/resource_seeds; run `make_resource_seeds DIR` to make them again.
#include "support/saver_image.h"

#include <stdio.h>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    bool ok = true;
    for (bool pe32Plus : {false, true}) {
        testsupport::SaverShape shape;
        shape.pe32Plus = pe32Plus;
        const testsupport::Bytes image = testsupport::MakeSaverImage(shape);
        const std::string path = std::string(argv[1]) + (pe32Plus ? "/saver_pe32plus" : "/saver_pe32");
        FILE* file = fopen(path.c_str(), "wb");
        ok = file != nullptr && fwrite(image.data(), 1, image.size(), file) == image.size() && fclose(file) == 0 && ok;
        printf("%-16s %6zu bytes\n", path.c_str(), image.size());
    }
    return ok ? 0 : 1;
}
