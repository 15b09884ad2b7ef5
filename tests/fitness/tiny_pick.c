/* The larger of two numbers: built for the i686 this becomes a CMOV. */
#ifndef TINY_PICK_NAME
#define TINY_PICK_NAME iPick
#endif

int TINY_PICK_NAME(int iLeft, int iRight)
{
    return iLeft > iRight ? iLeft : iRight;
}
