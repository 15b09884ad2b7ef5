// nicdisk check: the native command.  The image and preview commands are scripts/nicdisk's.
#include "diskcheck.h"

int main(int argc, char** argv)
{
    return iNicdiskMain(argc, argv, stdout, stderr);
}
