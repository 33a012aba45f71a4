// The installation sequence. Until the prompts exist the backdrop simply stays up
// and the user ends the stub.
#include "ui/install_sequence.h"

LRESULT OnStartInstall(HWND)
{
    return 0;
}
